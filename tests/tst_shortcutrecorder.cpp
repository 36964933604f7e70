#include "text/tr.h"
#include "platform/Beep.h"
#include "ui/ShortcutCaptureView.h"
#include "ui/ShortcutRecorder.h"

#include <QAction>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTest>

namespace {

// X11 keycodes of an evdev keyboard.
enum X11Key : quint32 {
    kEscape = 9,
    k4 = 13,
    kTab = 23,
    kReturn = 36,
    kControl = 37,
    kA = 38,
    kAlt = 64,
    kSpace = 65,
    kF5 = 71,
    kKeypad4 = 83,
    kLeft = 113,
    kSuper = 133,
    kF13 = 191,
};

struct Press
{
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keycode;
};

void send(QWidget *widget, const Press &press)
{
    QKeyEvent down(QEvent::KeyPress, press.key, press.modifiers, press.keycode, 0, 0);
    QCoreApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, press.key, press.modifiers, press.keycode, 0, 0);
    QCoreApplication::sendEvent(widget, &up);
}

// A field bound to plain variables, which logs every write in order.
struct RecorderRig
{
    QString value = QStringLiteral("control+option+command+4");
    bool recording = false;
    QStringList writes;
    int beeps = 0;
    ShortcutRecorder recorder{Binding<QString>([this] { return value; },
                                               [this](const QString &v) {
                                                   writes << QStringLiteral("value=") + v;
                                                   value = v;
                                               }),
                              Binding<bool>([this] { return recording; },
                                            [this](bool v) {
                                                writes << QStringLiteral("recording=%1").arg(v);
                                                recording = v;
                                            })};

    RecorderRig()
    {
        recorder.view()->resize(190, 36);
        recorder.update();
        setBeepHandler([this] { ++beeps; });
    }
    ~RecorderRig() { setBeepHandler({}); }

    ShortcutCaptureView *view() const { return recorder.view(); }
    void click() const { QTest::mouseClick(view(), Qt::LeftButton); }
};

} // namespace

Q_DECLARE_METATYPE(Press)

class ShortcutRecorderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void recordsByKeyPosition_data()
    {
        QTest::addColumn<QList<Press>>("presses");
        QTest::addColumn<QString>("recorded"); // empty: a beep, still recording

        const auto ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier,
                   meta = Qt::MetaModifier;
        QTest::newRow("shift+A") << QList<Press>{{Qt::Key_A, shift, kA}} << "shift+a";
        QTest::newRow("shift+4 is not $") << QList<Press>{{Qt::Key_Dollar, shift, k4}} << "shift+4";
        QTest::newRow("modifiers pressed one by one")
            << QList<Press>{{Qt::Key_Meta, meta, kSuper},
                            {Qt::Key_Alt, meta | alt, kAlt},
                            {Qt::Key_Control, meta | alt | ctrl, kControl},
                            {Qt::Key_4, meta | alt | ctrl, k4}}
            << "control+option+command+4";
        QTest::newRow("shift+command+space") << QList<Press>{{Qt::Key_Space, shift | meta, kSpace}}
                                             << "shift+command+space";
        QTest::newRow("Caps Lock on, control+A") << QList<Press>{{Qt::Key_A, ctrl, kA}} << "control+a";
        QTest::newRow("control+F5") << QList<Press>{{Qt::Key_F5, ctrl, kF5}} << "control+f5";
        QTest::newRow("4 alone") << QList<Press>{{Qt::Key_4, {}, k4}} << "";
        QTest::newRow("control+Return") << QList<Press>{{Qt::Key_Return, ctrl, kReturn}} << "";
        QTest::newRow("Tab") << QList<Press>{{Qt::Key_Tab, {}, kTab}} << "";
        QTest::newRow("control+Tab") << QList<Press>{{Qt::Key_Tab, ctrl, kTab}} << "";
        QTest::newRow("control+Left") << QList<Press>{{Qt::Key_Left, ctrl, kLeft}} << "";
        QTest::newRow("control+F13") << QList<Press>{{Qt::Key_F13, ctrl, kF13}} << "";
        QTest::newRow("control+keypad 4")
            << QList<Press>{{Qt::Key_4, ctrl | Qt::KeypadModifier, kKeypad4}} << "";
    }

    void recordsByKeyPosition()
    {
        QFETCH(QList<Press>, presses);
        QFETCH(QString, recorded);
        RecorderRig rig;
        rig.click();
        QVERIFY(rig.recording);
        for (const Press &press : presses)
            send(rig.view(), press);

        if (recorded.isEmpty()) {
            QCOMPARE(rig.beeps, 1);
            QVERIFY(rig.recording);
            QVERIFY(rig.view()->recording());
            QCOMPARE(rig.value, QStringLiteral("control+option+command+4"));
            return;
        }
        QCOMPARE(rig.beeps, 0);
        QCOMPARE(rig.value, recorded);
        QVERIFY(!rig.recording);
        // The shortcut is written before the flag drops.
        QCOMPARE(rig.writes, QStringList({"recording=1", "value=" + recorded, "recording=0"}));
    }

    void escapeCancels_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("alone") << Qt::KeyboardModifiers();
        QTest::newRow("with control and shift") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
    }

    void escapeCancels()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        RecorderRig rig;
        rig.click();
        send(rig.view(), {Qt::Key_Escape, modifiers, kEscape});
        QVERIFY(!rig.recording);
        QCOMPARE(rig.value, QStringLiteral("control+option+command+4"));
        QCOMPARE(rig.beeps, 0);
        QCOMPARE(rig.writes, QStringList({"recording=1", "recording=0"}));
        QCOMPARE(rig.view()->displayText(), QStringLiteral("Ctrl+Alt+Super+4"));
    }

    void aClickWhileRecordingStartsAgain()
    {
        RecorderRig rig;
        rig.click();
        rig.click();
        QVERIFY(rig.recording);
        QCOMPARE(rig.writes, QStringList({"recording=1", "recording=1"}));
    }

    void idleKeysAreNotTaken()
    {
        RecorderRig rig;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, kA, 0, 0);
        press.ignore();
        QCoreApplication::sendEvent(rig.view(), &press);
        QVERIFY(!press.isAccepted());
        QCOMPARE(rig.value, QStringLiteral("control+option+command+4"));
    }

    // While a field records, a window's shortcuts do not fire: the keys are the field's.
    void menuShortcutsWaitWhileRecording()
    {
        QWidget window;
        auto *quit = new QAction(&window);
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        window.addAction(quit);
        int fired = 0;
        connect(quit, &QAction::triggered, this, [&] { ++fired; });
        RecorderRig rig;
        rig.view()->setParent(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(fired, 1);

        rig.click();
        QTest::keyClick(rig.view(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(fired, 1);
        QCOMPARE(rig.value, QStringLiteral("control+q"));
        rig.view()->setParent(nullptr);
    }

    void textAndItsPlace()
    {
        RecorderRig rig;
        QCOMPARE(rig.view()->displayText(), QStringLiteral("Ctrl+Alt+Super+4"));
        rig.value.clear();
        rig.recorder.update();
        QCOMPARE(rig.view()->displayText(), QStringLiteral("Click to record"));
        rig.click();
        QCOMPARE(rig.view()->displayText(), QStringLiteral("Press the keys…"));

        // Centred in a wide field, 7 from the left in a narrow one.
        QFont font = QApplication::font();
        font.setPixelSize(13);
        font.setWeight(QFont::Medium);
        const QFontMetricsF metrics(font);
        const qreal width = metrics.horizontalAdvance(QStringLiteral("Press the keys…"));
        QCOMPARE(rig.view()->textOrigin().x(), (190 - width) / 2);
        QCOMPARE(rig.view()->textOrigin().y(), (36 - metrics.height()) / 2);
        rig.view()->resize(40, 36);
        QCOMPARE(rig.view()->textOrigin().x(), 7.0);
    }
};

QTEST_MAIN(ShortcutRecorderTest)
#include "tst_shortcutrecorder.moc"

// The hot keys against a fake service, the recorder field and the settings sheet.

#include "platform/Autostart.h"
#include "platform/Beep.h"
#include "platform/DesktopKeybindings.h"
#include "platform/kde/KGlobalAccelHotKeys.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"
#include "support/Fakes.h"
#include "support/TestUtilities.h"
#include "text/tr.h"
#include "ui/ShortcutCaptureView.h"
#include "ui/ShortcutRecorder.h"
#include "ui/CaptureSettingsPage.h"
#include "ui/ShortcutSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

// A key as X11 reports it (key codes of an evdev keyboard), pressed and released.
struct Press
{
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keycode;
};
enum : quint32 { kEscape = 9, k4 = 13, kTab = 23, kReturn = 36, kControl = 37, kA = 38, kAlt = 64, kSpace = 65,
                 kF5 = 71, kKeypad4 = 83, kPrint = 107, kLeft = 113, kSuper = 133, kF13 = 191 };

void send(QWidget *widget, const Press &press)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, press.key, press.modifiers, press.keycode, 0, 0);
        QCoreApplication::sendEvent(widget, &event);
    }
}

// A field bound to plain variables, which logs every write in order.
struct RecorderRig
{
    QString value = QStringLiteral("control+option+command+4");
    bool recording = false;
    QStringList writes;
    int beeps = 0;
    ShortcutRecorder recorder{Binding<QString>([this] { return value; },
                                               [this](const QString &v) { writes << "value=" + v, value = v; }),
                              Binding<bool>([this] { return recording; },
                                            [this](bool v) { writes << QStringLiteral("recording=%1").arg(v), recording = v; })};
    RecorderRig() { setBeepHandler([this] { ++beeps; }); }
    ~RecorderRig() { setBeepHandler({}); }
    ShortcutCaptureView *view() const { return recorder.view(); }
    void click() const { QTest::mouseClick(view(), Qt::LeftButton); }
};

// A desktop that keeps keys in its own settings, in memory.
struct FakeKeybindings : DesktopKeybindings
{
    QMap<QString, QString> taken; // accelerator → what uses it
    QList<Binding> bindings;
    QString desktopName() const override { return QStringLiteral("Desk"); }
    QString holderOf(const QString &accelerator) const override { return taken.value(accelerator); }
    QString set(const QList<Binding> &b) override { return bindings = b, QString(); }
    QString remove(const QStringList &) override { return bindings.clear(), QString(); }
    QList<Binding> current(const QStringList &) const override { return bindings; }
    // The desktop's screenshot tool holds what `taken` names "show-screenshot-ui".
    QStringList givenUp;
    bool heldByScreenshotTool(const QString &accelerator) const override { return taken.value(accelerator) == u"show-screenshot-ui"; }
    QString takeFromScreenshotTool(const QString &accelerator) override { return taken.remove(accelerator), givenUp << accelerator, QString(); }
    void giveBackToScreenshotTool() override
    {
        for (const QString &accelerator : std::exchange(givenUp, {}))
            taken.insert(accelerator, QStringLiteral("show-screenshot-ui"));
    }
};

// Answers the question the sheet asks next with the button of that text.
void answerQuestion(const QString &button)
{
    QTimer::singleShot(0, [button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton *candidate : box->buttons()) {
            if (candidate->text() == button)
                candidate->click();
        }
    });
}

} // namespace

Q_DECLARE_METATYPE(Press)

class ShortcutsTest : public QObject
{
    Q_OBJECT

    FakeHotKeyService m_service;
    std::optional<QTemporaryDir> m_dir;
    std::optional<UserDefaults> m_defaults;
    std::optional<CaptureModel> m_model;
    QString stored(const char *key) const { return m_defaults->string(QString::fromLatin1(key)).value_or(QString()); }
    static bool install(const char *area, const char *full, const char *window = "control+w")
    {
        return GlobalShortcuts::install({QString::fromUtf8(area), QString::fromUtf8(full), QString::fromUtf8(window)});
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }
    void init()
    {
        m_service = FakeHotKeyService();
        GlobalShortcuts::s_refs = {};
        GlobalShortcuts::s_handlerInstalled = false;
        GlobalShortcuts::s_lastRegistrationError = GlobalShortcuts::s_handlerInstallError = 0;
        GlobalShortcuts::setService(&m_service);
        GlobalShortcuts::setPressHandler({});
        QVERIFY(m_dir.emplace().isValid());
        m_defaults.emplace(m_dir->filePath(QStringLiteral("defaults.json")));
        m_model.emplace(*m_defaults);
    }
    void cleanup()
    {
        m_model.reset();
        GlobalShortcuts::setService(nullptr);
    }

    // Installing other keys replaces every key; one shortcut that fails leaves the others working, and
    // the last refusal is the one kept. The handler is tried again until it installs.
    void installing()
    {
        m_service.handlerStatus = -9868;
        QVERIFY(!install("control+a", "control+b"));
        QCOMPARE(GlobalShortcuts::handlerInstallError(), -9868);
        m_service.handlerStatus = 0;
        QVERIFY(install("control+option+command+4", "control+option+command+3"));
        QVERIFY(install("control+a", "shift+command+space", "control+option+command+5"));
        QCOMPARE(m_service.handlerInstalls, 2);
        QCOMPARE(m_service.registered.size(), 3u);
        QVERIFY(m_service.isRegistered(0, 0x1000) && m_service.isRegistered(49, 0x0300)
                && m_service.isRegistered(23, 0x1900));
        // The same keys again (the window appearing): held as they are, never let go in between.
        QList<HotKeyRef> held;
        for (const auto &[ref, registration] : m_service.registered)
            held << ref;
        QVERIFY(install("control+a", "shift+command+space", "control+option+command+5"));
        QList<HotKeyRef> after;
        for (const auto &[ref, registration] : m_service.registered)
            after << ref;
        QCOMPARE(after, held);

        QVERIFY(!install("control+return", "control+option+command+3"));
        QCOMPARE(m_service.registered.size(), 2u);
        QVERIFY(m_service.isRegistered(20, 0x1900) && m_service.isRegistered(13, 0x1000));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), 0); // an invalid text records nothing
        m_service.refuse = {{1, -9879}, {2, -9878}};
        QVERIFY(!install("control+a", "control+b"));
        QCOMPARE(GlobalShortcuts::lastRegistrationError(), -9878);
        m_service.refuse = {{2, -9878}};
        QVERIFY(!install("control+option+command+4", "control+b"));
        QVERIFY(m_service.isRegistered(21, 0x1900));
        m_service.refuse = {{3, -9878}};
        QVERIFY(!install("control+a", "control+b"));
        QCOMPARE(m_service.registered.size(), 2u);
    }

    // A press is logged and starts its capture on a later turn, not inside the key handler;
    // presses of other numbers or signatures start nothing.
    void presses()
    {
        QList<HotKeyAction> started;
        GlobalShortcuts::setPressHandler([&](HotKeyAction action) { started << action; });
        QVERIFY(install("control+a", "control+b"));
        LogCapture log;
        for (const uint number : {1u, 2u, 3u, 4u})
            QCOMPARE(m_service.press(HotKeyEvent{HotKeyId{GlobalShortcuts::signature, number}}), 0);
        QCOMPARE(m_service.press(HotKeyEvent{HotKeyId{0x41424344u, 1}}), -9874);
        QCOMPARE(m_service.press(HotKeyEvent{}), -9870);
        QVERIFY(started.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(started, (QList<HotKeyAction>{HotKeyAction::area, HotKeyAction::full, HotKeyAction::window}));
        QCOMPARE(log.lines(), QStringList({"Pixdrift received global hotkey id=1", "Pixdrift received global hotkey id=2",
                                           "Pixdrift received global hotkey id=3", "Pixdrift received global hotkey id=4"}));
    }

    // Keys are recorded by their position, not the character they type; a combination without a
    // modifier (but Print) or a key outside the table beeps and keeps recording; Escape cancels.
    void recordsByKeyPosition_data()
    {
        QTest::addColumn<QList<Press>>("presses");
        QTest::addColumn<QString>("recorded"); // empty: a beep, still recording; "-": cancelled
        const auto ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier, meta = Qt::MetaModifier;
        QTest::newRow("shift+A") << QList<Press>{{Qt::Key_A, shift, kA}} << "shift+a";
        QTest::newRow("shift+4 is not $") << QList<Press>{{Qt::Key_Dollar, shift, k4}} << "shift+4";
        QTest::newRow("modifiers one by one")
            << QList<Press>{{Qt::Key_Meta, meta, kSuper}, {Qt::Key_Alt, meta | alt, kAlt},
                            {Qt::Key_Control, meta | alt | ctrl, kControl}, {Qt::Key_4, meta | alt | ctrl, k4}}
            << "control+option+command+4";
        QTest::newRow("shift+command+space") << QList<Press>{{Qt::Key_Space, shift | meta, kSpace}} << "shift+command+space";
        QTest::newRow("control+F5") << QList<Press>{{Qt::Key_F5, ctrl, kF5}} << "control+f5";
        QTest::newRow("4 alone") << QList<Press>{{Qt::Key_4, {}, k4}} << "";
        QTest::newRow("control+Return") << QList<Press>{{Qt::Key_Return, ctrl, kReturn}} << "";
        QTest::newRow("Tab") << QList<Press>{{Qt::Key_Tab, {}, kTab}} << "";
        QTest::newRow("control+Left") << QList<Press>{{Qt::Key_Left, ctrl, kLeft}} << "";
        QTest::newRow("control+F13") << QList<Press>{{Qt::Key_F13, ctrl, kF13}} << "";
        QTest::newRow("Print alone") << QList<Press>{{Qt::Key_Print, {}, kPrint}} << "print";
        QTest::newRow("shift+Print") << QList<Press>{{Qt::Key_Print, shift, kPrint}} << "shift+print";
        QTest::newRow("control+keypad 4") << QList<Press>{{Qt::Key_4, ctrl | Qt::KeypadModifier, kKeypad4}} << "";
        QTest::newRow("Escape") << QList<Press>{{Qt::Key_Escape, {}, kEscape}} << "-";
        QTest::newRow("control+shift+Escape") << QList<Press>{{Qt::Key_Escape, ctrl | shift, kEscape}} << "-";
    }
    void recordsByKeyPosition()
    {
        QFETCH(QList<Press>, presses);
        QFETCH(QString, recorded);
        RecorderRig rig;
        rig.click();
        for (const Press &press : presses)
            send(rig.view(), press);
        QCOMPARE(rig.beeps, recorded.isEmpty() ? 1 : 0);
        QCOMPARE(rig.view()->recording(), recorded.isEmpty());
        if (recorded == u"-")
            QCOMPARE(rig.writes, QStringList({"recording=1", "recording=0"}));
        else if (recorded.isEmpty())
            QCOMPARE(rig.value, QStringLiteral("control+option+command+4"));
        else // the shortcut is written before the flag drops
            QCOMPARE(rig.writes, QStringList({"recording=1", "value=" + recorded, "recording=0"}));
    }

    // KDE keeps keys as Qt's key codes: every key of the table, under every set of modifiers,
    // goes there as the key Qt names alike and comes back the same.
    void keysAsKdeKeepsThem()
    {
        for (auto table : {mainKeys(), functionKeys(), otherKeys()}) {
            for (const KeyTableEntry &entry : table) {
                for (std::uint32_t mask = 0; mask < 16; ++mask) {
                    const std::uint32_t modifiers = ((mask & 1) ? ShortcutMask::control : 0) | ((mask & 2) ? ShortcutMask::option : 0)
                                                    | ((mask & 4) ? ShortcutMask::shift : 0) | ((mask & 8) ? ShortcutMask::command : 0);
                    const std::optional<int> key = KGlobalAccelHotKeys::qtKeyFor(entry.code, modifiers);
                    QVERIFY2(key, entry.name);
                    if (mask == 0)
                        QCOMPARE(QKeySequence(*key).toString(QKeySequence::PortableText).toLower(), QLatin1String(entry.name));
                    QCOMPARE(KGlobalAccelHotKeys::fromQtKey(*key), (std::pair<std::uint32_t, std::uint32_t>{entry.code, modifiers}));
                }
            }
        }
    }

    // While the field records, a window's shortcuts wait: Ctrl+Q is recorded, not run.
    void keysWhileRecording()
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
        QTest::keyClick(rig.view(), Qt::Key_Q, Qt::ControlModifier);
        rig.click();
        QTest::keyClick(rig.view(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(fired, 1);
        QCOMPARE(rig.value, QStringLiteral("control+q"));
        rig.view()->setParent(nullptr);
    }

    // An invalid set (a text that is no key, one key for two actions) is neither stored nor
    // registered; a valid one is both; a refusal is said but stays stored; a settings file that
    // cannot be written keeps the shortcuts in force.
    void saving()
    {
        QVERIFY(install("control+option+command+4", "control+option+command+3", "control+option+command+5"));
        const QList<ShortcutSet> invalid{{"control+return", "control+option+command+3", "control+w"},
                                         {"control+option+command+4", "3", "control+w"},
                                         {"control+option+command+3", "control+option+command+3", "control+w"},
                                         {"ctrl+alt+cmd+4", "Control+Option+Command+4", "control+w"}, // the same
                                         {"control+a", "control+b", "Control+A"},
                                         {"control+a", "control+b", ""}};
        for (const ShortcutSet &shortcuts : invalid) {
            for (const HotKeyAction action : hotKeyActions)
                m_model->setShortcut(action, shortcuts[indexOf(action)]);
            m_model->saveShortcuts();
            QCOMPARE(m_model->status(), ::tr("status.shortcutInvalid"));
            QCOMPARE(stored("pd.areaShortcut"), CaptureModel::defaultAreaShortcut);
            QCOMPARE(stored("pd.windowShortcut"), CaptureModel::defaultWindowShortcut);
            QVERIFY(m_service.isRegistered(21, 0x1900) && m_service.isRegistered(20, 0x1900)
                    && m_service.isRegistered(23, 0x1900));
        }
        for (const HotKeyAction action : hotKeyActions)
            m_model->setShortcut(action, CaptureModel::defaultShortcuts[indexOf(action)]);
        m_model->setShortcut(HotKeyAction::area, QStringLiteral("control+shift+f5"));
        m_model->setShortcut(HotKeyAction::window, QStringLiteral("shift+f6"));
        m_model->saveShortcuts();
        QCOMPARE(m_model->status(), ::tr("status.shortcutSaved") + " Ctrl+Shift+F5 · Ctrl+Alt+Super+3 · Shift+F6");
        QVERIFY(m_service.isRegistered(96, 0x1200) && !m_service.isRegistered(21, 0x1900));
        QVERIFY(m_service.isRegistered(97, 0x0200) && !m_service.isRegistered(23, 0x1900));
        QCOMPARE(UserDefaults(m_dir->filePath("defaults.json")).string("pd.areaShortcut"), QStringLiteral("control+shift+f5"));
        QCOMPARE(UserDefaults(m_dir->filePath("defaults.json")).string("pd.windowShortcut"), QStringLiteral("shift+f6"));

        m_model->setShortcut(HotKeyAction::area, QStringLiteral("control+shift+a"));
        {
            const FileSizeLimit limit(16);
            m_model->saveShortcuts();
        }
        QVERIFY2(m_model->status().startsWith(::tr("status.shortcutSaveFailed") + " ("), qPrintable(m_model->status()));
        QCOMPARE(m_model->shortcut(HotKeyAction::area), QStringLiteral("control+shift+f5"));
        QVERIFY(m_service.isRegistered(96, 0x1200));

        m_service.refuse[1] = -1;
        m_model->setShortcut(HotKeyAction::area, QStringLiteral("control+shift+a"));
        m_model->saveShortcuts();
        QCOMPARE(m_model->status(), ::tr("status.shortcutConflict") + " (-1, 0)");
        QCOMPARE(stored("pd.areaShortcut"), QStringLiteral("control+shift+a"));
    }

    // Where the desktop keeps the keys in its settings, the sheet records them and Save writes
    // them there, each running this program; a key the desktop uses is named and nothing is
    // written; Remove takes ours away.
    void keysInTheDesktopsSettings()
    {
        FakeKeybindings desk;
        GlobalShortcuts::setDesktopKeysText(QStringLiteral("the desktop's keys"));
        GlobalShortcuts::setDesktopKeybindings(&desk);
        const auto reset = qScopeGuard([] {
            GlobalShortcuts::setDesktopKeysText({});
            GlobalShortcuts::setDesktopKeybindings(nullptr);
        });
        ShortcutSettings sheet(*m_model);
        QCOMPARE(sheet.saveButton()->text(), QStringLiteral("Set in Desk"));
        QTest::mouseClick(sheet.recorder(HotKeyAction::area).view(), Qt::LeftButton);
        send(sheet.recorder(HotKeyAction::area).view(), {Qt::Key_Print, Qt::NoModifier, kPrint});
        // The desktop's screenshot tool holds Print: asked first, it keeps it, or gives it up.
        desk.taken.insert(QStringLiteral("Print"), QStringLiteral("show-screenshot-ui"));
        answerQuestion(::tr("shortcuts.cancel"));
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(m_model->status(), ::tr("status.desktopKeyTaken") + " Desk: Print (show-screenshot-ui)");
        QVERIFY(desk.bindings.isEmpty());
        answerQuestion(::tr("shortcuts.takeOver"));
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(desk.givenUp, QStringList{"Print"});
        QCOMPARE(m_model->status(), ::tr("status.desktopKeysSet") + " Desk: Print · Ctrl+Alt+Super+3 · Ctrl+Alt+Super+5");
        QCOMPARE(desk.bindings.size(), 3);
        QCOMPARE(desk.bindings[0].accelerator, QStringLiteral("Print"));
        QCOMPARE(desk.bindings[1].accelerator, QStringLiteral("<Control><Alt><Super>3"));
        QVERIFY(desk.bindings[0].command.endsWith(QStringLiteral("' --area")));
        QVERIFY(desk.bindings[1].command.contains(QCoreApplication::applicationFilePath()));
        QCOMPARE(desk.bindings[2].id, QStringLiteral("pixdrift-window"));
        QVERIFY(desk.bindings[2].command.endsWith(QStringLiteral("' --window")));
        QCOMPARE(stored("pd.areaShortcut"), QStringLiteral("print"));
        QTest::mouseClick(sheet.findChild<QPushButton *>(QStringLiteral("removeFromDesktop")), Qt::LeftButton);
        QVERIFY(desk.bindings.isEmpty());
        QCOMPARE(desk.taken.value("Print"), QStringLiteral("show-screenshot-ui"));
    }

    // The capture page: Save stores what it shows, a name pattern that gives no name is said
    // under the field and keeps everything unsaved; the window fits 720 × 520 in either language.
    void thePreferencesCapturePage()
    {
        const auto english = qScopeGuard([] { (void)loadTranslations(QLocale(QLocale::English)); });
        for (const QLocale &language : {QLocale(QLocale::Italian), QLocale(QLocale::English)}) {
            QVERIFY(!loadTranslations(language).isEmpty());
            const QSize least = ShortcutSettings(*m_model).minimumSizeHint();
            QVERIFY2(least.width() <= 720 && least.height() <= 520, qPrintable(language.name()));
        }
        ShortcutSettings sheet(*m_model);
        CaptureSettingsPage *page = sheet.capturePage();
        page->chooseFolder = [this](const QString &) { return m_dir->path(); };
        page->findChild<QComboBox *>(QStringLiteral("after"))->setCurrentIndex(int(SaveSettings::After::copyAndSave));
        page->findChild<QComboBox *>(QStringLiteral("saveInto"))->setCurrentIndex(1);
        page->findChild<QComboBox *>(QStringLiteral("format"))->setCurrentIndex(int(ImageFormat::jpeg));
        auto *pattern = page->findChild<QLineEdit *>(QStringLiteral("pattern"));
        auto *preview = page->findChild<QLabel *>(QStringLiteral("preview"));
        pattern->setText(QStringLiteral("shots/%Y"));
        QCOMPARE(preview->text(), ::tr("settings.patternSlash"));
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(m_model->status(), ::tr("settings.patternSlash"));
        QCOMPARE(SaveSettings::load(*m_defaults), SaveSettings());
        pattern->setText(QStringLiteral("shot-%Y"));
        QCOMPARE(preview->text(), QStringLiteral("shot-%1.jpg").arg(QDate::currentDate().year()));
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        SaveSettings wanted;
        wanted.after = SaveSettings::After::copyAndSave;
        wanted.folder = m_dir->path();
        wanted.pattern = QStringLiteral("shot-%Y");
        wanted.format = ImageFormat::jpeg;
        QCOMPARE(m_model->saveSettings(), wanted);
        QCOMPARE(SaveSettings::load(*m_defaults), wanted);
    }

    // Escape and Return while a field records belong to the field, not to the sheet; Cancel
    // keeps the recorded shortcut in the model but neither stores nor registers it. The box
    // writes and removes the autostart entry, and shows whether it is there.
    void theSheet()
    {
        QVERIFY(install("control+option+command+4", "control+option+command+3"));
        QPointer<ShortcutSettings> sheet = new ShortcutSettings(*m_model);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        ShortcutCaptureView *field = sheet->recorder(HotKeyAction::area).view();
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(sheet->isVisible() && !field->recording());
        // One field records at a time.
        QTest::mouseClick(field, Qt::LeftButton);
        ShortcutCaptureView *window = sheet->recorder(HotKeyAction::window).view();
        QTest::mouseClick(window, Qt::LeftButton);
        QVERIFY(window->recording() && !field->recording());
        QTest::keyClick(window, Qt::Key_Escape);
        QTest::mouseClick(field, Qt::LeftButton);
        send(field, {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, kA});
        QCOMPARE(m_model->shortcut(HotKeyAction::area), QStringLiteral("control+shift+a"));

        QStandardPaths::setTestModeEnabled(true);
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.contains(QStringLiteral("qttest")));
        QFile::remove(entry);
        auto *box = sheet->findChild<QCheckBox *>(QStringLiteral("startAtLogin"));
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(readFile(entry).contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QVERIFY(ShortcutSettings(*m_model).findChild<QCheckBox *>(QStringLiteral("startAtLogin"))->isChecked());
        box->click();
        QVERIFY(!QFile::exists(entry));
        // An entry under the name earlier versions used counts, and goes with the box.
        const QString earlier = QFileInfo(entry).absolutePath() + QStringLiteral("/pixdrift.desktop");
        QVERIFY(writeFile(earlier, "[Desktop Entry]\n"));
        QVERIFY(ShortcutSettings(*m_model).findChild<QCheckBox *>(QStringLiteral("startAtLogin"))->isChecked());
        QVERIFY(Autostart::setEnabled(true).isEmpty());
        QVERIFY(QFile::exists(entry) && !QFile::exists(earlier));
        QVERIFY(Autostart::setEnabled(false).isEmpty());

        QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!sheet);
        QCOMPARE(m_model->shortcut(HotKeyAction::area), QStringLiteral("control+shift+a"));
        QCOMPARE(stored("pd.areaShortcut"), CaptureModel::defaultAreaShortcut);
        QVERIFY(m_service.isRegistered(21, 0x1900) && !m_service.isRegistered(0, 0x1200));
    }
};

QTEST_MAIN(ShortcutsTest)
#include "tst_shortcuts.moc"

#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"
#include "ui/ShortcutSettings.h"
#include "support/FakeHotKeyService.h"
#include "ui/DisplayMapping.h"
#include "ui/ImageArea.h"
#include "ui/MainView.h"
#include "ui/SelectionBox.h"
#include "support/TestUtilities.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {


// A drag as the window system delivers it: to the widget under the press, and then to
// whichever widget took the press.
void drag(QWidget *area, QPointF from, QPointF to)
{
    QWidget *target = area->childAt(from.toPoint());
    if (!target || !target->isVisible())
        target = area;
    const QPointF offset = target->mapTo(area, QPointF(0, 0));
    QMouseEvent press(QEvent::MouseButtonPress, from - offset, area->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QWidget *grabber = press.isAccepted() ? target : area;
    const QPointF grabberOffset = grabber->mapTo(area, QPointF(0, 0));
    for (int step = 1; step <= 4; ++step)
        sendMouse(grabber, QEvent::MouseMove, from + (to - from) * (step / 4.0) - grabberOffset);
    sendMouse(grabber, QEvent::MouseButtonRelease, to - grabberOffset);
}

bool near(QPointF a, QPointF b)
{
    return qAbs(a.x() - b.x()) < 0.01 && qAbs(a.y() - b.y()) < 0.01;
}

QImage capture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 150));
    return image;
}

} // namespace

class MainViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void init()
    {
        m_service = FakeHotKeyService();
        GlobalShortcuts::setService(&m_service);
        m_defaults = UserDefaults::inMemory();
        m_model.emplace(*m_defaults);
    }

    void cleanup()
    {
        m_model.reset();
        GlobalShortcuts::setService(nullptr);
    }

    void fittingTheImage()
    {
        const auto mapping = DisplayMapping::fit({1000, 700}, {2880, 1800});
        QVERIFY(mapping);
        QCOMPARE(mapping->scale, 964.0 / 2880);
        QCOMPARE(mapping->displayed, QSizeF(964, 602.5));
        QCOMPARE(mapping->offset, QPointF(18, 48.75));
        QVERIFY(near(mapping->toImage(QPointF(118, 148.75)), QPointF(298.76, 298.76)));

        // Too small an area, or no image, gives no canvas rather than an infinite scale.
        QVERIFY(!DisplayMapping::fit({30, 700}, {2880, 1800}));
        QVERIFY(!DisplayMapping::fit({36, 700}, {2880, 1800}));
        QVERIFY(!DisplayMapping::fit({1000, 700}, {0, 0}));
    }

    void aDragOnTheImageAddsAMark()
    {
        ImageArea area(*m_model, [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        m_model->setImage(capture({2880, 1800}));
        m_model->setCrop(QRectF(0, 0, 10, 10)); // crop box in a corner, out of the way
        // Area coordinates (118, 148.75) → (218, 148.75); the widget adds the 10-point inset.
        drag(&area, QPointF(128, 158.75), QPointF(228, 158.75));
        QCOMPARE(m_model->marks().size(), 1);
        const Mark mark = m_model->marks().first();
        QVERIFY(near(mark.from, QPointF(298.76, 298.76)));
        QVERIFY(near(mark.to, QPointF(597.51, 298.76)));
        QVERIFY(near(mark.from * area.mapping()->scale, QPointF(100, 100)));
        QVERIFY(near(mark.to * area.mapping()->scale, QPointF(200, 100)));
        QCOMPARE(mark.color, QColor(Qt::red));
        QCOMPARE(mark.tool, QStringLiteral("tool.arrow"));
    }

    void dragsThatMakeNoMark_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::newRow("shorter than 2 points") << QPointF(300, 300) << QPointF(301.5, 300.5);
        QTest::newRow("starting in the margin") << QPointF(20, 20) << QPointF(400, 400);
    }

    void dragsThatMakeNoMark()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        ImageArea area(*m_model, [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        m_model->setImage(capture({2880, 1800}));
        m_model->setFull(true);
        drag(&area, from, to);
        QVERIFY(m_model->marks().isEmpty());
    }

    void aDragEndingInTheMarginPointsOutsideTheImage()
    {
        ImageArea area(*m_model, [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        m_model->setImage(capture({2880, 1800}));
        m_model->setFull(true);
        drag(&area, QPointF(200, 300), QPointF(12, 300));
        QCOMPARE(m_model->marks().size(), 1);
        QVERIFY(m_model->marks().first().to.x() < 0);
    }

    void theCropBoxOnlyForAreaCaptures()
    {
        ImageArea area(*m_model, [] { return QColor(Qt::red); });
        area.resize(1020, 720);
        m_model->setImage(capture({2880, 1800}));
        m_model->setCrop(QRectF(600, 600, 900, 600));
        area.show();
        QVERIFY(area.selectionBox()->isVisible());

        // Inside the crop the box takes the drag: the crop moves, no mark.
        const QPointF inside = QPointF(10, 10) + area.mapping()->offset + QPointF(1000, 900) * area.mapping()->scale;
        drag(&area, inside, inside + QPointF(30, 0));
        QVERIFY(m_model->marks().isEmpty());
        QVERIFY(m_model->crop().x() > 600);

        // After a full capture there is no box, and the same drag draws.
        m_model->setFull(true);
        QVERIFY(!area.selectionBox()->isVisible());
        drag(&area, inside, inside + QPointF(30, 0));
        QCOMPARE(m_model->marks().size(), 1);
    }

    void noCanvasWhenTheAreaIsTooSmall()
    {
        ImageArea area(*m_model, [] { return QColor(Qt::red); });
        area.resize(40, 40);
        m_model->setImage(capture({2880, 1800}));
        QVERIFY(!area.mapping());
        drag(&area, QPointF(20, 20), QPointF(30, 30));
        QVERIFY(m_model->marks().isEmpty());
        QCOMPARE(m_model->crop(), QRectF());
    }

    void controlsFollowTheImage()
    {
        QMainWindow window;
        auto *view = new MainView(*m_model, [] {});
        window.setCentralWidget(view);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        auto *cancel = findButton(view, QStringLiteral("Cancel"));
        auto *copy = findButton(view, QStringLiteral("Copy"));
        auto *save = findButton(view, QStringLiteral("Save"));
        auto *picker = view->findChild<QComboBox *>(QStringLiteral("toolPicker"));
        auto *colour = view->findChild<QToolButton *>(QStringLiteral("colorWell"));
        auto *undo = view->findChild<QToolButton *>(QStringLiteral("undo"));
        for (QWidget *control : std::initializer_list<QWidget *>{cancel, copy, save, picker, colour, undo})
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName() + control->toolTip()));
        QVERIFY(!colour->toolTip().isEmpty());
        // File names and translations are shown as they are, never as markup.
        for (QLabel *label : view->findChildren<QLabel *>()) {
            if (label->objectName() != u"title" && label->objectName() != u"poweredBy")
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->text()));
        }
        auto *size = view->findChild<QLabel *>(QStringLiteral("imageSize"));
        QVERIFY(size->isHidden());
        QCOMPARE(view->findChild<QLabel *>(QStringLiteral("emptyHint"))->text(),
                 QStringLiteral("Capture Area: Ctrl+Alt+Super+4   ·   Capture Full Screen: Ctrl+Alt+Super+3"));
        QCOMPARE(view->findChild<QLabel *>(QStringLiteral("version"))->text(), QStringLiteral("v1.1.0"));

        // Escape and the copy and save keys do nothing without an image.
        m_model->setStatus(QStringLiteral("unchanged"));
        QTest::keyClick(view, Qt::Key_Escape);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_model->status(), QStringLiteral("unchanged"));

        m_model->setImage(capture({2880, 1800}));
        for (QWidget *control : std::initializer_list<QWidget *>{cancel, copy, save, picker, colour, undo})
            QVERIFY(control->isEnabled());
        QCOMPARE(size->text(), QStringLiteral("2880 × 1800 px"));
        QVERIFY(!size->isHidden());

        const Mark first({1, 1}, {2, 2}, Qt::red, QStringLiteral("tool.pen"));
        const Mark second({3, 3}, {4, 4}, Qt::red, QStringLiteral("tool.pen"));
        m_model->setMarks({first, second});
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_model->marks(), QList<Mark>{first});
        // Undone marks come back newest first; a new mark forgets them.
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_model->marks(), QList<Mark>{first});
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_model->marks(), (QList<Mark>{first, second}));
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        m_model->addMark(first);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_model->marks(), (QList<Mark>{first, first}));
        m_model->setCrop(QRectF(0, 0, 100, 100));
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_model->status(), ::tr("status.copied"));

        QCOMPARE(picker->count(), 4);
        QCOMPARE(picker->itemData(1).toString(), QStringLiteral("tool.pen"));
        QCOMPARE(picker->itemText(1), QStringLiteral("Pen"));
        picker->setCurrentIndex(2);
        Q_EMIT picker->activated(2);
        QCOMPARE(m_model->tool(), QStringLiteral("tool.rectangle"));

        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!m_model->hasImage());
        QCOMPARE(m_model->status(), QStringLiteral("Ready."));
    }

    void appearingRegistersTheHotKeys_data()
    {
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("status");
        const QString area = CaptureModel::defaultAreaShortcut;
        QTest::newRow("registered") << 0 << area << "Shortcuts active: Ctrl+Alt+Super+4 · Ctrl+Alt+Super+3";
        QTest::newRow("refused")
            << -9878 << area
            << "The shortcuts could not be registered; another application may be using them (-9878, 0)";
        QTest::newRow("stored text is no shortcut")
            << 0 << "control+return\nx" << ::tr("status.shortcutInvalid") + QStringLiteral(" (control+return\nx)");
    }

    void appearingRegistersTheHotKeys()
    {
        QFETCH(int, refusal);
        QFETCH(QString, area);
        QFETCH(QString, status);
        if (refusal != 0)
            m_service.refuse[2] = refusal;
        m_model->setAreaShortcut(area);
        QMainWindow window;
        int opened = 0;
        window.setCentralWidget(new MainView(*m_model, [&] { ++opened; }));
        QCOMPARE(opened, 0);
        window.show();
        QCOMPARE(m_model->status(), status);
        QCOMPARE(opened, 1);
    }

    // Only a window that was closed appears anew; one the capture flow hid and showed again
    // keeps its status, and so does one the flow reopens to report its outcome.
    void appearingAgain()
    {
        QMainWindow window;
        auto *view = new MainView(*m_model, [] {});
        window.setCentralWidget(view);
        window.show();
        QCOMPARE(m_service.registered.size(), 2u);

        m_service.registered.clear();
        m_model->setStatus(QStringLiteral("capturing"));
        window.hide();
        window.show();
        QCOMPARE(m_model->status(), QStringLiteral("capturing"));
        QCOMPARE(m_service.registered.size(), 0u);

        window.close();
        m_model->setStatus(QStringLiteral("The screen could not be captured (no display)"));
        view->setKeepStatusOnAppear(true);
        window.show();
        view->setKeepStatusOnAppear(false);
        QCOMPARE(m_model->status(), QStringLiteral("The screen could not be captured (no display)"));
        QCOMPARE(m_service.registered.size(), 2u); // registered all the same

        window.close();
        window.show();
        QVERIFY(m_model->status().startsWith(QStringLiteral("Shortcuts active")));
    }

    void reopeningStartsAgainFromRed()
    {
        QMainWindow window;
        auto *view = new MainView(*m_model, [] {});
        window.setCentralWidget(view);
        window.resize(1100, 800);
        window.show();
        QCOMPARE(view->color(), QColor(Qt::red));
        view->setColor(QColor(0, 0, 255, 128));
        m_model->setImage(capture({800, 600}));
        m_model->setFull(true);
        ImageArea *area = view->imageArea();
        const QPointF centre = QPointF(area->width(), area->height()) / 2;
        drag(area, centre, centre + QPointF(40, 0));
        QCOMPARE(m_model->marks().size(), 1);

        window.close();
        window.show();
        QCOMPARE(view->color(), QColor(Qt::red));
        QCOMPARE(m_model->marks().first().color, QColor(0, 0, 255, 128));
    }

    void theSheetShowsTheSettings()
    {
        QMainWindow window;
        auto *view = new MainView(*m_model, [] {});
        window.setCentralWidget(view);
        window.show();
        findButton(view, QStringLiteral("Shortcuts…"))->click();
        QVERIFY(view->isShowingShortcutSettings());
        auto *sheet = view->findChild<ShortcutSettings *>();
        QVERIFY(sheet);
        QCOMPARE(sheet->size(), QSize(460, 300));
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        sheet->cancelButton()->click();
        QTRY_VERIFY(!view->isShowingShortcutSettings());
    }

private:
    static QPushButton *findButton(QWidget *view, const QString &text)
    {
        const auto buttons = view->findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    }

    FakeHotKeyService m_service;
    std::unique_ptr<UserDefaults> m_defaults;
    std::optional<CaptureModel> m_model;
};

QTEST_MAIN(MainViewTest)
#include "tst_mainview.moc"

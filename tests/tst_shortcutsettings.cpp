#include "text/tr.h"
#include "model/CaptureModel.h"
#include "platform/Autostart.h"
#include "platform/UserDefaults.h"
#include "shortcuts/GlobalShortcuts.h"
#include "ui/ShortcutCaptureView.h"
#include "ui/ShortcutRecorder.h"
#include "ui/ShortcutSettings.h"
#include "support/FakeHotKeyService.h"
#include "support/TestUtilities.h"

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class ShortcutSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!loadTranslations(QLocale(QLocale::English)).isEmpty()); }

    void init()
    {
        m_service = FakeHotKeyService();
        GlobalShortcuts::setService(&m_service);
        QVERIFY(m_dir.emplace().isValid());
        m_defaults.emplace(m_dir->filePath(QStringLiteral("defaults.json")));
        m_model.emplace(*m_defaults);
        QVERIFY(GlobalShortcuts::install(m_model->areaShortcut(), m_model->fullShortcut()));
    }

    void cleanup()
    {
        m_model.reset();
        GlobalShortcuts::setService(nullptr);
    }

    void invalidPairsChangeNothing_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("full");
        QTest::newRow("not a shortcut") << "control+return" << "control+option+command+3";
        QTest::newRow("no modifier") << "control+option+command+4" << "3";
        QTest::newRow("the same combination") << "control+option+command+3" << "control+option+command+3";
        QTest::newRow("the same, written two ways") << "ctrl+alt+cmd+4" << "Control+Option+Command+4";
    }

    void invalidPairsChangeNothing()
    {
        QFETCH(QString, area);
        QFETCH(QString, full);
        m_model->setAreaShortcut(area);
        m_model->setFullShortcut(full);
        m_model->saveShortcuts();
        QCOMPARE(m_model->status(), ::tr("status.shortcutInvalid"));
        QCOMPARE(storedArea(), CaptureModel::defaultAreaShortcut);
        QCOMPARE(storedFull(), CaptureModel::defaultFullShortcut);
        QVERIFY(m_service.isRegistered(21, 0x1900));
        QVERIFY(m_service.isRegistered(20, 0x1900));
    }

    void aRefusalIsReportedAndTheShortcutsStayStored()
    {
        m_service.refuse[1] = -1;
        m_model->setAreaShortcut(QStringLiteral("control+shift+a"));
        m_model->saveShortcuts();
        QCOMPARE(m_model->status(), ::tr("status.shortcutConflict") + QStringLiteral(" (-1, 0)"));
        QCOMPARE(storedArea(), QStringLiteral("control+shift+a"));
        QCOMPARE(storedFull(), CaptureModel::defaultFullShortcut);
    }

    // A settings file that cannot be written: the failure is said with its reason, and the
    // shortcuts in force stay in force and on screen.
    void aFailedWriteKeepsTheShortcutsInForce()
    {
        m_model->setAreaShortcut(QStringLiteral("control+shift+a"));
        {
            const FileSizeLimit limit(16);
            m_model->saveShortcuts();
        }
        QVERIFY2(m_model->status().startsWith(::tr("status.shortcutSaveFailed") + QStringLiteral(" (")),
                 qPrintable(m_model->status()));
        QCOMPARE(m_model->areaShortcut(), CaptureModel::defaultAreaShortcut);
        QCOMPARE(storedArea(), CaptureModel::defaultAreaShortcut);
        QVERIFY(m_service.isRegistered(21, 0x1900));
    }

    // The box writes and removes the autostart entry, and shows whether it is there.
    void startAtLoginFollowsTheAutostartEntry()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString entry = Autostart::entryPath();
        QVERIFY(entry.contains(QStringLiteral("qttest")));
        QFile::remove(entry);
        ShortcutSettings settings(*m_model);
        auto *box = settings.findChild<QCheckBox *>(QStringLiteral("startAtLogin"));
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(readFile(entry).contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QVERIFY(ShortcutSettings(*m_model).findChild<QCheckBox *>(QStringLiteral("startAtLogin"))->isChecked());
        box->click();
        QVERIFY(!QFile::exists(entry));
    }

    void aSuccessfulSaveShowsBothShortcuts()
    {
        m_model->setAreaShortcut(QStringLiteral("control+shift+f5"));
        m_model->saveShortcuts();
        QCOMPARE(m_model->status(), ::tr("status.shortcutSaved") + QStringLiteral(" Ctrl+Shift+F5 · Ctrl+Alt+Super+3"));
        QCOMPARE(storedArea(), QStringLiteral("control+shift+f5"));
        QVERIFY(m_service.isRegistered(96, 0x1200));
        QVERIFY(!m_service.isRegistered(21, 0x1900));
        // Stored for the next start, too.
        QCOMPARE(UserDefaults(m_dir->filePath(QStringLiteral("defaults.json"))).string(QStringLiteral("pd.areaShortcut")),
                 QStringLiteral("control+shift+f5"));
    }

    void theSheetSavesWhatWasRecorded()
    {
        ShortcutSettings sheet(*m_model);
        sheet.show();
        QCOMPARE(sheet.size(), QSize(460, 300));
        QCOMPARE(sheet.areaRecorder().view()->size(), QSize(190, 36));
        QVERIFY(!sheet.saveButton()->autoDefault() && !sheet.cancelButton()->autoDefault());

        record(sheet.fullRecorder().view(), Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier, 14);
        QCOMPARE(m_model->fullShortcut(), QStringLiteral("control+shift+5"));
        QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
        QCOMPARE(m_model->status(), ::tr("status.shortcutSaved") + QStringLiteral(" Ctrl+Alt+Super+4 · Ctrl+Shift+5"));
        QCOMPARE(storedFull(), QStringLiteral("control+shift+5"));
        QVERIFY(sheet.isVisible()); // Save leaves the sheet open
    }

    // Cancel keeps the recorded shortcut in the model but neither stores nor registers it.
    void cancelKeepsTheModelsValueOnly()
    {
        auto *sheet = new ShortcutSettings(*m_model);
        QPointer<ShortcutSettings> alive = sheet;
        sheet->show();
        record(sheet->areaRecorder().view(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 38);
        QCOMPARE(m_model->areaShortcut(), QStringLiteral("control+shift+a"));

        QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!alive);
        QCOMPARE(m_model->areaShortcut(), QStringLiteral("control+shift+a"));
        QCOMPARE(storedArea(), CaptureModel::defaultAreaShortcut);
        QVERIFY(m_service.isRegistered(21, 0x1900));
        QVERIFY(!m_service.isRegistered(0, 0x1200));
    }

    // Escape and Return while a field records belong to the field, not to the dialog.
    void escapeWhileRecordingKeepsTheSheetOpen()
    {
        ShortcutSettings sheet(*m_model);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        ShortcutCaptureView *field = sheet.areaRecorder().view();
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(sheet.isVisible());
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(sheet.isVisible());
        QVERIFY(!field->recording());
        QCOMPARE(m_model->areaShortcut(), CaptureModel::defaultAreaShortcut);
    }

private:
    static void record(ShortcutCaptureView *field, int key, Qt::KeyboardModifiers modifiers, quint32 keycode)
    {
        QTest::mouseClick(field, Qt::LeftButton);
        QKeyEvent press(QEvent::KeyPress, key, modifiers, keycode, 0, 0);
        QCoreApplication::sendEvent(field, &press);
    }
    QString storedArea() const { return m_defaults->string(QStringLiteral("pd.areaShortcut")).value_or(QString()); }
    QString storedFull() const { return m_defaults->string(QStringLiteral("pd.fullShortcut")).value_or(QString()); }

    FakeHotKeyService m_service;
    std::optional<QTemporaryDir> m_dir;
    std::optional<UserDefaults> m_defaults;
    std::optional<CaptureModel> m_model;
};

QTEST_MAIN(ShortcutSettingsTest)
#include "tst_shortcutsettings.moc"

#include "ui/ShortcutSettings.h"

#include "model/CaptureModel.h"
#include "platform/Autostart.h"
#include "platform/DesktopKeybindings.h"
#include "shortcuts/GlobalShortcuts.h"
#include "text/tr.h"
#include "ui/CaptureSettingsPage.h"
#include "ui/ShortcutCaptureView.h"
#include "ui/ShortcutRecorder.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

ShortcutSettings::ShortcutSettings(CaptureModel &model, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
{
    setWindowTitle(::tr("preferences.title"));
    setAttribute(Qt::WA_DeleteOnClose);

    for (const HotKeyAction action : hotKeyActions) {
        m_recorders[indexOf(action)] = std::make_unique<ShortcutRecorder>(
            Binding<QString>([this, action] { return m_model.shortcut(action); },
                             [this, action](const QString &v) { m_model.setShortcut(action, v); }),
            // One field records at a time: starting one stops the other.
            Binding<bool>([this, action] { return m_recording == action; }, [this, action](bool v) {
                if (v)
                    m_recording = action;
                else if (m_recording == action)
                    m_recording.reset();
                updateRecorders();
            }));
    }
    connect(&m_model, &CaptureModel::shortcutsChanged, this, &ShortcutSettings::updateRecorders);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("pages"));
    outer->addWidget(tabs, 1);
    auto *keysPage = new QWidget;
    auto *layout = new QVBoxLayout(keysPage);
    layout->setContentsMargins(16, 16, 16, 16);
    tabs->addTab(keysPage, ::tr("preferences.shortcuts"));
    m_capturePage = new CaptureSettingsPage(m_model.saveSettings());
    tabs->addTab(m_capturePage, ::tr("preferences.capture"));

    auto *title = new QLabel(::tr("shortcuts.title"));
    title->setTextFormat(Qt::PlainText);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);

    auto addRow = [layout](const QString &label, ShortcutRecorder &recorder) {
        auto *row = new QHBoxLayout;
        auto *name = new QLabel(label);
        name->setTextFormat(Qt::PlainText);
        row->addWidget(name);
        row->addStretch();
        recorder.view()->setFixedSize(190, 36);
        row->addWidget(recorder.view());
        layout->addLayout(row);
    };
    addRow(::tr("shortcuts.area"), recorder(HotKeyAction::area));
    addRow(::tr("shortcuts.full"), recorder(HotKeyAction::full));
    addRow(::tr("shortcuts.window"), recorder(HotKeyAction::window));
    // Where the desktop owns the keys, recording them here changes nothing, unless Save can
    // write them into the desktop's own settings.
    const QString desktopKeys = GlobalShortcuts::desktopKeysText();
    DesktopKeybindings *keybindings = GlobalShortcuts::desktopKeybindings();
    if (desktopKeys.isEmpty() || keybindings) {
        layout->addWidget(caption(::tr("shortcuts.help")));
        layout->addWidget(caption(::tr("shortcuts.recordingTip")));
    } else {
        auto *desktop = caption(desktopKeys);
        desktop->setObjectName(QStringLiteral("desktopKeys"));
        desktop->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(desktop);
        for (const std::unique_ptr<ShortcutRecorder> &recorder : m_recorders)
            recorder->view()->setEnabled(false);
    }
    layout->addStretch();

    // Two choices that apply at once, on the capture page.
    auto *includeMarks = new QCheckBox(::tr("marks.include"));
    includeMarks->setObjectName(QStringLiteral("includeMarks"));
    includeMarks->setChecked(m_model.includeMarks());
    connect(includeMarks, &QCheckBox::toggled, &m_model, &CaptureModel::setIncludeMarks);
    connect(&m_model, &CaptureModel::includeMarksChanged, includeMarks,
            [this, includeMarks] { includeMarks->setChecked(m_model.includeMarks()); });
    m_startAtLogin = new QCheckBox(::tr("settings.startAtLogin"));
    m_startAtLogin->setObjectName(QStringLiteral("startAtLogin"));
    m_startAtLogin->setChecked(Autostart::isEnabled());
    connect(m_startAtLogin, &QCheckBox::toggled, this, [this](bool on) {
        const QString error = Autostart::setEnabled(on);
        if (error.isEmpty())
            return;
        m_model.setStatus(::tr("status.autostartFailed") + QStringLiteral(" (") + error + u')');
        const QSignalBlocker blocker(m_startAtLogin);
        m_startAtLogin->setChecked(Autostart::isEnabled());
    });
    auto *choices = qobject_cast<QFormLayout *>(m_capturePage->layout());
    choices->addRow(QString(), includeMarks);
    choices->addRow(QString(), m_startAtLogin);

    auto *buttons = new QHBoxLayout;
    m_cancel = new QPushButton(::tr("shortcuts.cancel"));
    m_save = new QPushButton(::tr("shortcuts.save"));
    // Neither is the default button: Return belongs to a recording field, not to Save.
    for (QPushButton *button : {m_cancel, m_save}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    if (keybindings) {
        m_save->setText(::tr("shortcuts.setIn") + u' ' + keybindings->desktopName());
        auto *remove = new QPushButton(::tr("shortcuts.removeFrom") + u' ' + keybindings->desktopName());
        remove->setObjectName(QStringLiteral("removeFromDesktop"));
        remove->setAutoDefault(false);
        connect(remove, &QPushButton::clicked, this, [this] { m_model.setStatus(GlobalShortcuts::unbindInDesktop()); });
        buttons->addWidget(remove);
    }
    buttons->addWidget(m_save);
    outer->addLayout(buttons);

    // Cancel restores nothing: recorded shortcuts are already in the model, unsaved.
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, [this] {
        // The capture page first: a name pattern that gives no name keeps everything unsaved.
        if (const QString problem = m_model.setSaveSettings(m_capturePage->settings()); !problem.isEmpty()) {
            m_model.setStatus(problem);
            return;
        }
        // The desktop's own screenshot tool holds the screenshot key: ask before taking it.
        const QStringList held = GlobalShortcuts::heldByScreenshotTool(m_model.shortcuts());
        DesktopKeybindings *keybindings = GlobalShortcuts::desktopKeybindings();
        if (held.isEmpty() || !keybindings) {
            m_model.saveShortcuts();
            return;
        }
        QMessageBox question(QMessageBox::Question, ::tr("shortcuts.title"),
                             ::tr("shortcuts.takeOverQuestion").arg(keybindings->desktopName(), held.join(QStringLiteral(", "))),
                             QMessageBox::NoButton, this);
        question.setObjectName(QStringLiteral("takeOverQuestion"));
        QPushButton *take = question.addButton(::tr("shortcuts.takeOver"), QMessageBox::AcceptRole);
        question.addButton(::tr("shortcuts.cancel"), QMessageBox::RejectRole);
        question.exec();
        m_model.saveShortcuts(question.clickedButton() == take);
    });
    // Where the desktop owns the keys, Save still stores the capture page.
    resize(560, 440);

    updateRecorders();
}

ShortcutSettings::~ShortcutSettings() = default;

void ShortcutSettings::updateRecorders()
{
    for (const std::unique_ptr<ShortcutRecorder> &recorder : m_recorders) {
        if (recorder)
            recorder->update();
    }
}

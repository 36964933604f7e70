#include "ui/ShortcutSettings.h"

#include "model/CaptureModel.h"
#include "platform/Autostart.h"
#include "platform/DesktopKeybindings.h"
#include "shortcuts/GlobalShortcuts.h"
#include "text/tr.h"
#include "ui/ShortcutCaptureView.h"
#include "ui/ShortcutRecorder.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
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
    setWindowTitle(::tr("shortcuts.title"));
    setFixedSize(460, 340);
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);

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
    layout->addWidget(m_startAtLogin);

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
    layout->addLayout(buttons);

    // Cancel restores nothing: recorded shortcuts are already in the model, unsaved.
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, [this] {
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
    m_save->setEnabled(desktopKeys.isEmpty() || keybindings);

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

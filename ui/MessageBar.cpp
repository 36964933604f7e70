#include "ui/MessageBar.h"

#include "text/tr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

MessageBar::MessageBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("messageBar"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 4, 4, 4);
    m_text = new QLabel;
    m_text->setObjectName(QStringLiteral("message"));
    // A file name or a system's error text is shown as it is, never as markup.
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_text, 1);
    m_action = new QPushButton;
    m_action->setObjectName(QStringLiteral("remedy"));
    m_action->setAutoDefault(false);
    m_action->hide();
    connect(m_action, &QPushButton::clicked, this, [this] {
        hide();
        // The action may show another message right away: it runs after the bar has gone.
        if (std::function<void()> action = m_do)
            action();
    });
    row->addWidget(m_action, 0, Qt::AlignVCenter);
    m_close = new QToolButton;
    m_close->setObjectName(QStringLiteral("dismiss"));
    m_close->setAutoRaise(true);
    m_close->setIcon(QIcon::fromTheme(QStringLiteral("window-close"), style()->standardIcon(QStyle::SP_TitleBarCloseButton)));
    m_close->setToolTip(::tr("action.dismiss"));
    m_close->setAccessibleName(::tr("action.dismiss"));
    row->addWidget(m_close, 0, Qt::AlignTop);
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void MessageBar::showMessage(const QString &text, Kind kind, const QString &actionText, std::function<void()> action)
{
    m_kind = kind;
    m_text->setText(text);
    m_do = std::move(action);
    m_action->setText(actionText);
    m_action->setVisible(m_do && !actionText.isEmpty());
    // The error colour of the desktop's usual message lines; a hint in a quiet blue. Both light
    // enough for dark text, which they set themselves so a dark theme keeps them legible.
    const bool failure = kind == Kind::Failure;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, failure ? QColor(0xf9, 0xd9, 0xdc) : QColor(0xd8, 0xe9, 0xf7));
    colours.setColor(QPalette::WindowText, failure ? QColor(0x7a, 0x10, 0x1c) : QColor(0x10, 0x35, 0x5c));
    setPalette(colours);
    show();
}

QString MessageBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}

#include "ui/ShortcutCaptureView.h"

#include "platform/Beep.h"
#include "platform/KeyPositions.h"
#include "shortcuts/ShortcutText.h"
#include "text/tr.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr std::uint16_t escapeKeyCode = 53;

// Keys that only change modifiers arrive as presses of their own; they are part of a shortcut
// being held down, not a key to record.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

// Where no native key code is known (a platform other than X11), the unshifted keys of the
// table are still found by what Qt calls them.
std::optional<std::uint16_t> keyCodeFromQtKey(int key)
{
    QString name;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        name = QChar(u'a' + (key - Qt::Key_A));
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        name = QChar(u'0' + (key - Qt::Key_0));
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        name = QStringLiteral("f") + QString::number(key - Qt::Key_F1 + 1);
    else if (key == Qt::Key_Space)
        name = QStringLiteral("space");
    else if (key == Qt::Key_Print)
        name = QStringLiteral("print");
    else if (key == Qt::Key_Equal)
        name = QStringLiteral("=");
    else if (key == Qt::Key_Minus)
        name = QStringLiteral("-");
    else if (key == Qt::Key_Escape)
        return escapeKeyCode;
    if (name.isEmpty())
        return std::nullopt;
    return std::uint16_t(*keyCodeForName(name));
}

} // namespace

ShortcutCaptureView::ShortcutCaptureView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    m_font = QApplication::font();
    m_font.setPixelSize(13);
    m_font.setWeight(QFont::Medium);
}

std::optional<std::uint16_t> ShortcutCaptureView::keyCodeOf(const QKeyEvent *event)
{
    if (event->nativeScanCode() != 0)
        return keyCodeForXkbKeycode(event->nativeScanCode());
    return keyCodeFromQtKey(event->key());
}

std::uint32_t ShortcutCaptureView::modifierFlagsOf(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= controlFlag;
    if (modifiers & Qt::AltModifier)
        flags |= optionFlag;
    if (modifiers & Qt::ShiftModifier)
        flags |= shiftFlag;
    if (modifiers & Qt::MetaModifier)
        flags |= commandFlag;
    return flags;
}

void ShortcutCaptureView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_recording = true;
    setFocus(Qt::MouseFocusReason);
    if (onRecording)
        onRecording(true);
    update();
}

void ShortcutCaptureView::cancelOperation()
{
    m_recording = false;
    if (onRecording)
        onRecording(false);
    update();
}

bool ShortcutCaptureView::event(QEvent *event)
{
    if (m_recording) {
        // While recording every key belongs to the field: no menu shortcut, no default button,
        // no focus change on Tab, no dialog closing on Escape.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        }
    }
    return QWidget::event(event);
}

void ShortcutCaptureView::keyPressEvent(QKeyEvent *event)
{
    if (!m_recording) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    capture(event);
}

void ShortcutCaptureView::capture(const QKeyEvent *event)
{
    if (!m_recording || isModifierKey(event->key()))
        return;
    const std::optional<std::uint16_t> keyCode = keyCodeOf(event);
    // Escape comes first: it cancels whatever modifiers are held.
    if (keyCode == escapeKeyCode) {
        cancelOperation();
        return;
    }
    const std::optional<QString> key = keyCode ? keyNameForCode(*keyCode) : std::nullopt;
    if (!key) {
        beep();
        return;
    }
    const std::uint32_t flags = modifierFlagsOf(event->modifiers());
    std::uint32_t mask = 0;
    for (const auto &[flag, bit] : {std::pair{controlFlag, ShortcutMask::control}, std::pair{optionFlag, ShortcutMask::option},
                                    std::pair{shiftFlag, ShortcutMask::shift}, std::pair{commandFlag, ShortcutMask::command}}) {
        if (flags & flag)
            mask |= bit;
    }
    if (mask == 0 && *keyCode != printKeyCode) {
        beep();
        return;
    }
    if (onCapture)
        onCapture(shortcutFor(*keyCode, mask));
    m_recording = false;
    update();
}

QString ShortcutCaptureView::displayText() const
{
    if (m_recording)
        return ::tr("shortcuts.pressNow");
    if (m_value.isEmpty())
        return ::tr("shortcuts.clickToRecord");
    return prettyShortcut(m_value);
}

QPointF ShortcutCaptureView::textOrigin() const
{
    const QFontMetricsF metrics(m_font);
    const QString text = displayText();
    const qreal x = std::max(7.0, (width() - metrics.horizontalAdvance(text)) / 2);
    const qreal y = (height() - metrics.height()) / 2;
    return QPointF(x, y);
}

void ShortcutCaptureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QPalette &colours = palette();
    const QColor accent = colours.color(QPalette::Highlight);
    if (m_recording) {
        QColor fill = accent;
        fill.setAlphaF(0.16f);
        painter.setBrush(fill);
        painter.setPen(QPen(accent, 2));
    } else {
        painter.setBrush(colours.color(QPalette::Base));
        painter.setPen(QPen(colours.color(QPalette::Mid), 1));
    }
    painter.drawRoundedRect(frame, 8, 8);

    const QFontMetricsF metrics(m_font);
    const QPointF origin = textOrigin();
    painter.setFont(m_font);
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(QPointF(origin.x(), origin.y() + metrics.ascent()), displayText());
}

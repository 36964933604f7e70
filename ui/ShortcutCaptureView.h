#pragma once

#include <QFont>
#include <QWidget>

#include <cstdint>
#include <functional>

class QKeyEvent;

// A field that records a shortcut: a click starts recording, the next key pressed with at least
// one modifier becomes the new shortcut, Escape cancels. Keys are taken by their place on the
// keyboard, so shift+4 records "shift+4" whatever the layout types there.
class ShortcutCaptureView : public QWidget
{
    Q_OBJECT

public:
    // Modifier flags of a key event, by the values the recorder has always used.
    static constexpr std::uint32_t controlFlag = 0x40000;
    static constexpr std::uint32_t optionFlag = 0x80000;
    static constexpr std::uint32_t shiftFlag = 0x20000;
    static constexpr std::uint32_t commandFlag = 0x100000;

    explicit ShortcutCaptureView(QWidget *parent = nullptr);

    // Setting either does not repaint; the caller asks for that.
    void setValue(const QString &value) { m_value = value; }
    [[nodiscard]] QString value() const { return m_value; }
    void setRecording(bool recording) { m_recording = recording; }
    [[nodiscard]] bool recording() const { return m_recording; }

    // Told when recording starts (true) or is cancelled (false).
    std::function<void(bool)> onRecording;
    // Receives a newly recorded shortcut.
    std::function<void(const QString &)> onCapture;

    // The text shown, and where it starts: centred, but at least 7 from the left edge.
    [[nodiscard]] QString displayText() const;
    [[nodiscard]] QPointF textOrigin() const;

    // The shortcut key code of a key event (53 for Escape), or nothing for a key of no use.
    [[nodiscard]] static std::optional<std::uint16_t> keyCodeOf(const QKeyEvent *event);
    [[nodiscard]] static std::uint32_t modifierFlagsOf(Qt::KeyboardModifiers modifiers);

    void cancelOperation();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void capture(const QKeyEvent *event);

    QString m_value;
    bool m_recording = false;
    QFont m_font;
};

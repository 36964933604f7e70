#pragma once

#include <QWidget>

// The borderless window that covers one screen exactly while the user selects an area. It
// stays above everything; the overlay's keyboard window holds the keyboard while shown, so
// Escape always reaches it.
class SelectionOverlayWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SelectionOverlayWindow(QScreen *screen);

    // Whether this window grabs the keyboard when shown; only one window of an overlay can.
    void setTakesKeyboard(bool takes) { m_takesKeyboard = takes; }

    // Sets the view that fills the window.
    void setContent(QWidget *content);
    [[nodiscard]] QWidget *content() const { return m_content; }

    // Makes the native window now and, where Qt paints it, its screen-sized buffer, touching
    // every page of it, so that the first time the overlay shows it only has to draw.
    void prepareBuffer();

    // Shows the window over its whole screen, above everything else.
    void showOverScreen();

protected:
    [[nodiscard]] QPaintEngine *paintEngine() const override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void grabKeyboardWhenMapped(int attemptsLeft);

    QScreen *m_screen = nullptr;
    QWidget *m_content = nullptr;
    bool m_takesKeyboard = true;
    // On X11: the view paints onto the screen itself and no window buffer is kept.
    bool m_paintsOnScreen = false;
    bool m_keyboardGrabbed = false;
};

#pragma once

#include <QColor>
#include <QIcon>
#include <QKeySequence>
#include <QPalette>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// Small pieces the main window is built from.

// A button with the desktop theme's icon beside its text, where the theme has one.
[[nodiscard]] QPushButton *iconButton(const char *iconName, const QString &text);
// "Text (Ctrl+C)": a tooltip with the key that does the same.
[[nodiscard]] QString withKeys(const QString &text, QKeySequence::StandardKey key);
// Labels show text as it is: a file name or a translation holding "<i>" is no markup.
[[nodiscard]] QLabel *plainLabel(const QString &text = {});
// A plain label in a smaller font, in the colour of `role`.
[[nodiscard]] QLabel *captionLabel(QPalette::ColorRole role = QPalette::PlaceholderText);
// A colour over a chequerboard that shows its transparency.
[[nodiscard]] QIcon swatch(const QColor &color);

// A dashed rectangle, 48 points wide: the empty state's picture.
class DashedRectangle : public QWidget
{
public:
    explicit DashedRectangle(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

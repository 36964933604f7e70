#include "ui/WindowParts.h"

#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

QPushButton *iconButton(const char *iconName, const QString &text)
{
    auto *b = new QPushButton(QIcon::fromTheme(QString::fromLatin1(iconName)), text);
    b->setAutoDefault(false);
    return b;
}

QString withKeys(const QString &text, QKeySequence::StandardKey key)
{
    return text + QStringLiteral(" (") + QKeySequence(key).toString(QKeySequence::NativeText) + u')';
}

QLabel *plainLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *captionLabel(QPalette::ColorRole role)
{
    auto *label = plainLabel();
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setForegroundRole(role);
    return label;
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(20, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // A chequerboard under the colour shows its transparency.
    for (int y = 0; y < 14; y += 4)
        for (int x = 0; x < 20; x += 4)
            painter.fillRect(x, y, 4, 4, ((x + y) / 4) % 2 ? QColor(200, 200, 200) : Qt::white);
    painter.fillRect(pixmap.rect(), color);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

DashedRectangle::DashedRectangle(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(56, 44);
}

void DashedRectangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::PlaceholderText), 3, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 6, 6);
}

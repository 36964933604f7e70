#include "ui/MarkControls.h"

#include "model/CaptureModel.h"
#include "model/marks/MarkKind.h"
#include "platform/UserDefaults.h"
#include "text/tr.h"
#include "ui/WindowParts.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace {

const QString sizeKey = QStringLiteral("pd.markSize");
const QString fillKey = QStringLiteral("pd.textBackground");

struct ToolLook
{
    const char *key;
    char letter;
    const char *themeIcon;
};
constexpr ToolLook toolLooks[] = {
    {"tool.arrow", 'A', "draw-arrow"},          {"tool.pen", 'L', "draw-line"},
    {"tool.rectangle", 'R', "draw-rectangle"},   {"tool.pixelate", 'X', "pixelate"},
    {"tool.ellipse", 'E', "draw-ellipse"},       {"tool.freehand", 'F', "draw-freehand"},
    {"tool.highlighter", 'H', "draw-highlight"}, {"tool.text", 'T', "draw-text"},
    {"tool.counter", 'N', "draw-number"},        {"tool.blur", 'B', "blurfx"},
    {"tool.select", 'V', "edit-select"},
};

const std::pair<const char *, QColor> presets[] = {
    {"annotation.red", QColor(255, 0, 0)},     {"annotation.orange", QColor(255, 140, 0)},
    {"annotation.yellow", QColor(255, 214, 0)}, {"annotation.green", QColor(40, 180, 70)},
    {"annotation.blue", QColor(20, 110, 255)},  {"annotation.black", QColor(0, 0, 0)},
};

// A short line as thick as the size draws it.
QIcon sizeIcon(MarkSize size, const QColor &ink)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, lineWidth(size), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5, 12), QPointF(19, 12));
    return QIcon(pixmap);
}

QHBoxLayout *row(QWidget *widget)
{
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    return layout;
}

} // namespace

MarkControls::MarkControls(CaptureModel &model, QWidget *parent)
    : QObject(parent)
    , m_model(model)
{
    const qint64 size = model.defaults().integer(sizeKey).value_or(1);
    m_size = size >= 0 && size <= 2 ? MarkSize(size) : MarkSize::Medium;
    m_filled = model.defaults().integer(fillKey).value_or(0) == 1;
    buildTools();
    buildStyle();
    connect(&m_model, &CaptureModel::toolChanged, this, &MarkControls::refreshTool);
    refreshTool();
}

QChar MarkControls::toolLetter(const QString &tool)
{
    for (const ToolLook &look : toolLooks)
        if (tool == QLatin1String(look.key))
            return QChar::fromLatin1(look.letter);
    return {};
}

void MarkControls::buildTools()
{
    m_toolRow = new QWidget;
    m_toolRow->setObjectName(QStringLiteral("tools"));
    m_toolRow->setAccessibleName(::tr("annotation.title"));
    QHBoxLayout *layout = row(m_toolRow);
    m_tools = new QButtonGroup(this);
    for (const ToolLook &look : toolLooks) {
        const QString key = QString::fromLatin1(look.key);
        auto *button = new QToolButton;
        button->setObjectName(key);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(QIcon::fromTheme(QString::fromLatin1(look.themeIcon),
                                         QIcon(QStringLiteral(":/tools/") + key.mid(5) + QStringLiteral(".svg"))));
        button->setAccessibleName(::tr(key));
        button->setToolTip(::tr(key) + QStringLiteral(" (") + QChar::fromLatin1(look.letter) + u')');
        m_tools->addButton(button);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, key] { m_model.setTool(key); });
    }
}

void MarkControls::buildStyle()
{
    m_styleRow = new QWidget;
    m_styleRow->setObjectName(QStringLiteral("style"));
    QHBoxLayout *layout = row(m_styleRow);
    m_sizes = new QButtonGroup(this);
    const QColor ink = m_styleRow->palette().color(QPalette::ButtonText);
    for (const auto &[size, key] : {std::pair{MarkSize::Small, "annotation.thin"}, {MarkSize::Medium, "annotation.medium"},
                                    {MarkSize::Large, "annotation.thick"}}) {
        auto *button = new QToolButton;
        button->setObjectName(QString::fromLatin1(key));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(sizeIcon(size, ink));
        button->setToolTip(::tr(key));
        button->setAccessibleName(::tr(key));
        button->setChecked(size == m_size);
        m_sizes->addButton(button, int(size));
        layout->addWidget(button);
    }
    connect(m_sizes, &QButtonGroup::idClicked, this, [this](int id) {
        m_size = MarkSize(id);
        (void)m_model.defaults().setInteger(sizeKey, id);
        Q_EMIT sizePicked(m_size);
    });
    layout->addSpacing(6);

    for (const auto &preset : presets) {
        const char *key = preset.first;
        const QColor color = preset.second;
        auto *button = new QToolButton;
        button->setObjectName(QString::fromLatin1(key));
        button->setAutoRaise(true);
        button->setIcon(swatch(color));
        button->setToolTip(::tr(key));
        button->setAccessibleName(::tr(key));
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, color] {
            show(color, m_size, m_filled);
            Q_EMIT colorPicked(color);
        });
    }
    // The well keeps the full dialog, with transparency.
    m_colorWell = new QToolButton;
    m_colorWell->setObjectName(QStringLiteral("colorWell"));
    m_colorWell->setAccessibleName(::tr("annotation.color"));
    m_colorWell->setToolTip(::tr("annotation.color"));
    m_colorWell->setIcon(swatch(m_color));
    connect(m_colorWell, &QToolButton::clicked, this, [this] {
        auto *dialog = new QColorDialog(m_color, m_colorWell->window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setOption(QColorDialog::ShowAlphaChannel);
        dialog->setWindowTitle(::tr("annotation.color"));
        connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor &color) {
            show(color, m_size, m_filled);
            Q_EMIT colorPicked(color);
        });
        dialog->open();
    });
    layout->addWidget(m_colorWell);
    layout->addSpacing(6);

    m_fill = new QToolButton;
    m_fill->setObjectName(QStringLiteral("annotation.textBackground"));
    m_fill->setCheckable(true);
    m_fill->setAutoRaise(true);
    m_fill->setChecked(m_filled);
    m_fill->setIcon(QIcon::fromTheme(QStringLiteral("format-fill-color"), QIcon(QStringLiteral(":/tools/textbackground.svg"))));
    m_fill->setToolTip(::tr("annotation.textBackground"));
    m_fill->setAccessibleName(::tr("annotation.textBackground"));
    connect(m_fill, &QToolButton::clicked, this, [this](bool on) {
        m_filled = on;
        (void)m_model.defaults().setInteger(fillKey, on ? 1 : 0);
        Q_EMIT fillPicked(on);
    });
    layout->addWidget(m_fill);
}

void MarkControls::show(const QColor &color, MarkSize size, bool filled)
{
    m_color = color;
    m_colorWell->setIcon(swatch(color));
    m_size = size;
    m_sizes->button(int(size))->setChecked(true);
    m_filled = filled;
    m_fill->setChecked(filled);
}

void MarkControls::setEnabled(bool enabled)
{
    m_toolRow->setEnabled(enabled);
    m_styleRow->setEnabled(enabled);
}

void MarkControls::refreshTool()
{
    for (QAbstractButton *button : m_tools->buttons())
        if (button->objectName() == m_model.tool())
            button->setChecked(true);
}

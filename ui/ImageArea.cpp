#include "ui/ImageArea.h"

#include "model/CaptureModel.h"
#include "model/MarkDrawing.h"
#include "model/marks/MarkKinds.h"
#include "ui/SelectionBox.h"
#include "ui/tools/Tool.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

ImageArea::ImageArea(CaptureModel &model, std::function<QColor()> currentColor, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_currentColor(std::move(currentColor))
{
    setFocusPolicy(Qt::ClickFocus);
    // The cursor follows the pointer: it says what a press would do there.
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    m_box = new SelectionBox(Binding<QRectF>([this] { return m_model.crop(); },
                                             [this](const QRectF &crop) {
                                                 if (m_mapping)
                                                     m_model.setCrop(crop);
                                             }),
                             this);
    connect(&m_model, &CaptureModel::imageChanged, this, [this] {
        m_scaled = QPixmap();
        m_areas.clear();
        m_preview.reset();
        m_tool = makeTool(m_model.tool(), *this);
        select({});
        setZoom(std::nullopt);
    });
    connect(&m_model, &CaptureModel::fullChanged, this, &ImageArea::relayout);
    connect(&m_model, &CaptureModel::cropChanged, this, [this] { m_box->update(); });
    connect(&m_model, &CaptureModel::toolChanged, this, &ImageArea::toolChanged);
    connect(&m_model, &CaptureModel::marksChanged, this, [this] {
        if (!m_selected.isNull() && !selectedMark())
            select({});
        update();
    });
    connect(&m_model, &CaptureModel::includeMarksChanged, this,
            [this] { m_box->setInteriorDraws(m_model.includeMarks()); });
    m_box->setInteriorDraws(m_model.includeMarks());
    m_tool = makeTool(m_model.tool(), *this);
    setCursor(m_tool->cursor({}));
    relayout();
}

ImageArea::~ImageArea() = default;

void ImageArea::toolChanged()
{
    m_tool->finish();
    m_tool = makeTool(m_model.tool(), *this);
    if (m_model.tool() != u"tool.select")
        select({});
    setCursor(m_tool->cursor({}));
}

void ImageArea::setMarkStyle(MarkSize size, bool filled)
{
    m_size = size;
    m_filled = filled;
    // What is being typed takes the new style at once.
    if (m_preview && m_tool->takesTyping()) {
        m_preview->size = size;
        m_preview->filled = filled;
        m_preview->color = m_currentColor();
        update();
    }
}

void ImageArea::setZoom(std::optional<qreal> scale)
{
    m_zoom = scale;
    const QSizeF content = m_model.hasImage() && scale ? QSizeF(m_model.image().size()) * *scale : QSizeF();
    setMinimumSize(scale ? QSize(int(std::ceil(content.width() + 2 * inset)), int(std::ceil(content.height() + 2 * inset)))
                         : QSize(0, 0));
    m_scaled = QPixmap();
    relayout();
}

void ImageArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void ImageArea::relayout()
{
    const QSizeF area = QSizeF(size()) - QSizeF(2 * inset, 2 * inset);
    const QSizeF image(m_model.image().size());
    if (!m_model.hasImage()) {
        m_mapping.reset();
    } else if (!m_zoom) {
        m_mapping = DisplayMapping::fit(area, image);
    } else {
        // Zoomed: centred while smaller than the area, from its corner when larger.
        const QSizeF displayed = image * *m_zoom;
        m_mapping = DisplayMapping{*m_zoom,
                                   QPointF(std::max(0.0, (area.width() - displayed.width()) / 2),
                                           std::max(0.0, (area.height() - displayed.height()) / 2)),
                                   displayed};
    }
    m_box->setGeometry(rect());
    m_box->setVisible(m_mapping && !m_model.full());
    if (m_mapping)
        m_box->setImageGeometry(m_mapping->offset + QPointF(inset, inset), image, m_mapping->scale);
    update();
}

MarkScene ImageArea::scene() const
{
    MarkScene scene;
    scene.scale = m_mapping ? m_mapping->scale : 1.0;
    scene.imageScale = m_model.imageScale();
    scene.source = &m_model.image();
    scene.areaCache = &m_areas;
    return scene;
}

Mark ImageArea::newMark(QPointF from, QPointF to) const
{
    Mark mark(from, to, m_currentColor(), m_model.tool());
    mark.size = m_size;
    mark.filled = m_filled;
    return mark;
}

void ImageArea::setPreview(std::optional<Mark> mark)
{
    m_preview = std::move(mark);
    update();
}

void ImageArea::commit(const Mark &mark)
{
    m_model.addMark(mark);
    Q_EMIT markDrawn();
}

bool ImageArea::hits(const Mark &mark, QPointF point) const
{
    const MarkScene here = scene();
    return markKind(mark.tool).hit(mark, point, handleReach / here.scale, here);
}

bool ImageArea::isDrag(QPointF press, QPointF point) const
{
    const QPointF moved = (point - press) * scene().scale;
    return std::hypot(moved.x(), moved.y()) >= markDragThreshold;
}

std::optional<Mark> ImageArea::markAt(QPointF point, const QString &tool) const
{
    const QList<Mark> &marks = m_model.marks();
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        if ((tool.isEmpty() || it->tool == tool) && hits(*it, point))
            return *it;
    return std::nullopt;
}

void ImageArea::select(const QUuid &id)
{
    if (id == m_selected)
        return;
    m_selected = id;
    update();
    Q_EMIT selectionChanged();
}

std::optional<Mark> ImageArea::selectedMark() const
{
    for (const Mark &mark : m_model.marks())
        if (mark.id == m_selected)
            return mark;
    return std::nullopt;
}

void ImageArea::finishEditing()
{
    m_tool->finish();
}

bool ImageArea::takesTyping() const
{
    return m_tool->takesTyping();
}

void ImageArea::typingChanged()
{
    update();
}

void ImageArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    if (!m_mapping)
        return;
    const QRectF target(m_mapping->offset + QPointF(inset, inset), m_mapping->displayed);
    paintImage(painter, target, event->rect());

    QList<Mark> marks = m_model.marks();
    if (m_preview) {
        const auto same = std::find_if(marks.begin(), marks.end(), [this](const Mark &m) { return m.id == m_preview->id; });
        same != marks.end() ? void(*same = *m_preview) : marks.append(*m_preview);
    }
    painter.translate(target.topLeft());
    const MarkScene here = scene();
    MarkDrawing::drawMarks(painter, marks, here);
    paintSelection(painter, here);
}

void ImageArea::paintImage(QPainter &painter, const QRectF &target, const QRect &exposed)
{
    const QImage &image = m_model.image();
    const qreal dpr = devicePixelRatioF();
    // Zoomed in past one image pixel per device pixel: only the part in view, pixels kept sharp.
    if (m_mapping->scale * dpr >= 1) {
        const QRectF part = QRectF(exposed).intersected(target);
        const QRectF source((part.topLeft() - target.topLeft()) / m_mapping->scale, part.size() / m_mapping->scale);
        painter.drawImage(part, image, source);
        return;
    }
    const QSize device = (target.size() * dpr).toSize();
    if (m_scaled.size() != device) {
        m_scaled = QPixmap::fromImage(image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(dpr);
    }
    painter.drawPixmap(target.topLeft(), m_scaled);
}

void ImageArea::paintSelection(QPainter &painter, const MarkScene &scene)
{
    std::optional<Mark> shown = selectedMark();
    if (m_preview && (!shown || m_preview->id == shown->id))
        shown = m_preview;
    if (!shown)
        return;
    const MarkKind &kind = markKind(shown->tool);
    const bool typing = m_tool->takesTyping();
    if (m_selected == shown->id || typing) {
        // A dashed box around what is selected or being written in.
        const QRectF box = kind.bounds(*shown, scene);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(box.topLeft() * scene.scale, box.size() * scene.scale).adjusted(-2, -2, 2, 2));
    }
    if (typing) {
        const TextLayout layout = layOutText(*shown, scene.imageScale);
        painter.setPen(QPen(shown->filled ? contrastingInk(shown->color) : shown->color, 1.5));
        painter.drawLine(layout.caretTop * scene.scale, (layout.caretTop + QPointF(0, layout.lineHeight)) * scene.scale);
        return;
    }
    if (m_selected != shown->id)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 30, 30), 1));
    painter.setBrush(Qt::white);
    for (const QPointF &handle : kind.handles(*shown, scene))
        painter.drawRect(QRectF(handle * scene.scale - QPointF(4, 4), QSizeF(8, 8)));
}

void ImageArea::mousePressEvent(QMouseEvent *event)
{
    const bool onImage = m_mapping && m_mapping->onImage(toArea(event->position()));
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld)) {
        m_pan = event->position();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    // A mark starts only on the displayed image; the margin takes nothing, but ends the text
    // being written.
    if (event->button() != Qt::LeftButton || !onImage) {
        if (event->button() == Qt::LeftButton)
            m_tool->finish();
        event->ignore();
        return;
    }
    m_toolPress = true;
    m_tool->press(toImage(event->position()), event->modifiers());
}

void ImageArea::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pan) {
        Q_EMIT panRequested(*m_pan - event->position());
        m_pan = event->position();
        return;
    }
    if (!m_mapping)
        return;
    if (m_toolPress)
        m_tool->move(toImage(event->position()), event->modifiers());
    else if (!m_spaceHeld)
        setCursor(m_tool->cursor(toImage(event->position())));
}

void ImageArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pan && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        m_pan.reset();
        setCursor(m_spaceHeld ? Qt::OpenHandCursor : m_tool->cursor({}));
        return;
    }
    if (event->button() != Qt::LeftButton || !std::exchange(m_toolPress, false) || !m_mapping)
        return;
    // Not clamped: a drag that ends in the margin points outside the image.
    m_tool->release(toImage(event->position()), event->modifiers());
}

void ImageArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_mapping) {
        event->ignore();
        return;
    }
    // A double-click on a text mark writes in it again, whatever the tool.
    const QPointF point = toImage(event->position());
    if (markAt(point, QStringLiteral("tool.text")) && m_model.tool() != u"tool.text")
        m_model.setTool(QStringLiteral("tool.text"));
    m_tool->doubleClick(point);
}

bool ImageArea::event(QEvent *event)
{
    // While the tool writes, plain keys type instead of reaching the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && m_tool->takesTyping()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) || key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void ImageArea::keyPressEvent(QKeyEvent *event)
{
    if (m_tool->key(event))
        return;
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = true;
        setCursor(Qt::OpenHandCursor);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImageArea::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_spaceHeld) {
        m_spaceHeld = false;
        setCursor(m_tool->cursor({}));
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ImageArea::inputMethodEvent(QInputMethodEvent *event)
{
    if (m_tool->takesTyping() && !event->commitString().isEmpty())
        m_tool->commitText(event->commitString());
    event->accept();
}

void ImageArea::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || !m_mapping) {
        event->ignore();
        return;
    }
    Q_EMIT zoomRequested(event->angleDelta().y() / 120.0, event->position());
}

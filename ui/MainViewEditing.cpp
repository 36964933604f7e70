// The main window's editor: the style of marks, the keys of the tools and the zoom, and pins.

#include "ui/MainView.h"

#include "model/CaptureModel.h"
#include "model/Mark.h"
#include "ui/ImageArea.h"
#include "ui/ImageScroller.h"
#include "ui/MarkControls.h"
#include "ui/PinWindow.h"

#include <QScreen>

#include <algorithm>
#include <QShortcut>

QColor MainView::color() const
{
    return m_controls->color();
}

void MainView::setColor(const QColor &color)
{
    m_controls->show(color, m_controls->size(), m_controls->filled());
    restyleSelection([color](Mark &mark) { mark.color = color; });
}

void MainView::restyleSelection(const std::function<void(Mark &)> &change)
{
    m_imageArea->setMarkStyle(m_controls->size(), m_controls->filled());
    std::optional<Mark> mark = m_imageArea->selectedMark();
    if (!mark)
        return;
    change(*mark);
    m_model.changeMark(*mark);
}

void MainView::addEditorKeys()
{
    const auto add = [this](const QKeySequence &key, std::function<void()> action) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] {
            if (m_model.hasImage())
                action();
        });
    };
    // One key per tool. The image area takes them while text is being typed into it.
    for (const std::string_view key : toolKeys) {
        const QString tool = QString::fromLatin1(key.data(), qsizetype(key.size()));
        add(QKeySequence(MarkControls::toolLetter(tool).unicode()), [this, tool] { m_model.setTool(tool); });
    }
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)})
        add(key, [this] {
            if (const std::optional<Mark> mark = m_imageArea->selectedMark())
                m_model.deleteMark(mark->id);
        });
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)})
        add(key, [this] { m_scroller->zoomBy(1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { m_scroller->zoomBy(-1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { m_scroller->fit(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_1), [this] { m_scroller->actualSize(); });
}

void MainView::pin()
{
    m_imageArea->finishEditing();
    const QImage image = m_model.outputImage();
    if (image.isNull())
        return;
    auto *pinned = new PinWindow(image, m_model);
    // Over the middle of the main window, each new pin a step lower and to the right.
    static int cascade = 0;
    const QPoint step(24, 24);
    QPoint at = window()->geometry().center() - QPoint(pinned->width(), pinned->height()) / 2 + step * (cascade++ % 8);
    if (const QScreen *screen = window()->screen()) {
        const QPoint corner = screen->availableGeometry().topLeft();
        at = QPoint(std::max(at.x(), corner.x()), std::max(at.y(), corner.y()));
    }
    pinned->move(at);
    pinned->show();
    pinned->activateWindow();
}

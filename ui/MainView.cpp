#include "ui/MainView.h"

#include "model/CaptureModel.h"
#include "model/Mark.h"
#include "shortcuts/GlobalShortcuts.h"
#include "shortcuts/ShortcutText.h"
#include "text/tr.h"
#include "ui/FlowLayout.h"
#include "ui/ImageArea.h"
#include "ui/ImageScroller.h"
#include "ui/MarkControls.h"
#include "ui/MessageBar.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QColorDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

MainView::MainView(CaptureModel &model, std::function<void()> onAppear, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_onAppear(std::move(onAppear))
{
    setMinimumSize(minimumWidth, minimumHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    m_message = new MessageBar;
    layout->addWidget(m_message);

    m_pages = new QStackedWidget;
    m_pages->addWidget(buildEmptyState());
    m_imageArea = new ImageArea(m_model, [this] { return m_controls->color(); });
    m_scroller = new ImageScroller(m_imageArea);
    m_pages->addWidget(m_scroller);
    layout->addWidget(m_pages, 1);
    layout->addWidget(buildFooter());

    // One handler for each exit key: two shortcuts on the same key would cancel each other out.
    // The window's own keys only: an open pop-up (the tool list) or a dialog keeps its Escape.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::META | Qt::Key_Period)}) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &MainView::exitCommand);
    }

    // Redo: Ctrl+Shift+Z, one shortcut (a second one on the same key would cancel both out).
    auto *redo = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this);
    redo->setContext(Qt::WindowShortcut);
    connect(redo, &QShortcut::activated, this, [this] {
        if (m_redo->isEnabled())
            m_redo->click();
    });

    for (auto signal : {&CaptureModel::imageChanged, &CaptureModel::statusChanged, &CaptureModel::toolChanged,
                        &CaptureModel::shortcutsChanged,
                        &CaptureModel::marksChanged, &CaptureModel::includeMarksChanged, &CaptureModel::fullChanged})
        connect(&m_model, signal, this, &MainView::refresh);
    connect(&m_model, &CaptureModel::cropChanged, this, &MainView::refreshSize);
    connect(&m_model, &CaptureModel::failureChanged, this, &MainView::refreshFailure);
    connect(m_imageArea, &ImageArea::markDrawn, this, &MainView::markDrawn);
    connect(m_imageArea, &ImageArea::selectionChanged, this, [this] {
        if (const std::optional<Mark> mark = m_imageArea->selectedMark())
            m_controls->show(mark->color, mark->size, mark->filled);
        m_imageArea->setMarkStyle(m_controls->size(), m_controls->filled());
    });
    m_imageArea->setMarkStyle(m_controls->size(), m_controls->filled());
    addEditorKeys();
    refresh();
    refreshFailure();
}

MainView::~MainView() = default;

QWidget *MainView::buildHeader()
{
    auto *bar = new QWidget;
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::Button);
    // Groups of controls that wrap onto a second row where the window is too narrow for one,
    // as it is at the minimum size in longer languages or at a large scale.
    auto *flow = new FlowLayout(bar);
    flow->setContentsMargins(10, 10, 10, 10);
    auto group = [flow] {
        auto *widget = new QWidget;
        auto *row = new QHBoxLayout(widget);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(8);
        flow->addWidget(widget);
        return row;
    };

    auto *title = new QLabel;
    title->setObjectName(QStringLiteral("title"));
    title->setTextFormat(Qt::RichText);
    const int iconSize = title->fontMetrics().height() + 2;
    title->setText(QStringLiteral("<img src=\":/icons/viewfinder.svg\" width=%1 height=%1 "
                                  "style=\"vertical-align: middle\">&nbsp;<b>%2</b>")
                       .arg(iconSize)
                       .arg(::tr("app.name").toHtmlEscaped()));
    group()->addWidget(title);

    QHBoxLayout *captures = group();
    m_area = iconButton("camera-photo", ::tr("capture.area"));
    connect(m_area, &QPushButton::clicked, this, [this] { m_model.take(false); });
    m_full = iconButton("view-fullscreen", ::tr("capture.full"));
    connect(m_full, &QPushButton::clicked, this, [this] { m_model.take(true); });
    auto *settings = iconButton("preferences-desktop-keyboard-shortcuts", ::tr("shortcuts.button"));
    settings->setToolTip(::tr("shortcuts.button"));
    connect(settings, &QPushButton::clicked, this, &MainView::showShortcutSettings);
    for (QPushButton *b : {m_area, m_full, settings})
        captures->addWidget(b);

    m_controls = new MarkControls(m_model, this);
    flow->addWidget(m_controls->toolRow());
    flow->addWidget(m_controls->styleRow());
    connect(m_controls, &MarkControls::colorPicked, this, &MainView::setColor);
    connect(m_controls, &MarkControls::sizePicked, this, [this](MarkSize size) {
        restyleSelection([size](Mark &mark) { mark.size = size; });
    });
    connect(m_controls, &MarkControls::fillPicked, this, [this](bool filled) {
        restyleSelection([filled](Mark &mark) { mark.filled = filled; });
    });

    QHBoxLayout *annotation = group();
    m_undo = new QToolButton;
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo"), style()->standardIcon(QStyle::SP_ArrowBack)));
    m_undo->setToolTip(withKeys(::tr("annotation.undo"), QKeySequence::Undo));
    connect(m_undo, &QToolButton::clicked, this, [this] { m_model.undo(); });
    annotation->addWidget(m_undo);

    m_redo = new QToolButton;
    m_redo->setObjectName(QStringLiteral("redo"));
    m_redo->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo"), style()->standardIcon(QStyle::SP_ArrowForward)));
    m_redo->setToolTip(::tr("annotation.redo") + QStringLiteral(" (")
                       + QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z).toString(QKeySequence::NativeText) + u')');
    connect(m_redo, &QToolButton::clicked, this, [this] { m_model.redoMark(); });
    annotation->addWidget(m_redo);

    // Off, marks show here only; on, Copy and Save draw them into the image.
    m_includeMarks = new QToolButton;
    m_includeMarks->setObjectName(QStringLiteral("includeMarks"));
    m_includeMarks->setCheckable(true);
    m_includeMarks->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_includeMarks->setIcon(QIcon::fromTheme(QStringLiteral("insert-image")));
    m_includeMarks->setText(::tr("marks.include"));
    m_includeMarks->setToolTip(::tr("marks.includeTip"));
    connect(m_includeMarks, &QToolButton::toggled, this, [this](bool on) { m_model.setIncludeMarks(on); });
    annotation->addWidget(m_includeMarks);

    QHBoxLayout *outputs = group();
    m_crop = iconButton("transform-crop", ::tr("action.crop"));
    m_crop->setToolTip(::tr("action.crop") + QStringLiteral(" (C)"));
    connect(m_crop, &QPushButton::clicked, this, [this] { m_model.cropFullCapture(); });
    m_cancel = iconButton("dialog-cancel", ::tr("action.cancel"));
    m_cancel->setToolTip(::tr("action.cancel") + QStringLiteral(" (Esc)"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_model.cancelCapture(); });
    m_copy = iconButton("edit-copy", ::tr("action.copy"));
    m_copy->setToolTip(withKeys(::tr("action.copy"), QKeySequence::Copy));
    connect(m_copy, &QPushButton::clicked, this, [this] {
        m_imageArea->finishEditing();
        m_model.output(true);
    });
    m_copyText = iconButton("edit-select-text", ::tr("action.copyText"));
    m_copyText->setObjectName(QStringLiteral("copyText"));
    m_copyText->setToolTip(::tr("action.copyTextTip") + QStringLiteral(" (")
                           + QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C).toString(QKeySequence::NativeText) + u')');
    connect(m_copyText, &QPushButton::clicked, this, [this] {
        m_imageArea->finishEditing();
        m_model.copyText();
    });
    m_save = iconButton("document-save", ::tr("action.save"));
    m_save->setToolTip(withKeys(::tr("action.save"), QKeySequence::Save));
    connect(m_save, &QPushButton::clicked, this, [this] {
        m_imageArea->finishEditing();
        m_model.output(false);
    });
    m_pin = iconButton("window-pin", ::tr("action.pin"));
    m_pin->setToolTip(::tr("action.pinTip") + QStringLiteral(" (")
                      + QKeySequence(Qt::CTRL | Qt::Key_P).toString(QKeySequence::NativeText) + u')');
    connect(m_pin, &QPushButton::clicked, this, &MainView::pin);
    for (QPushButton *b : {m_crop, m_cancel, m_pin, m_copyText, m_copy, m_save})
        outputs->addWidget(b);

    // The usual keys do what their buttons do, and only while the buttons can be pressed.
    for (const auto &[key, target] : {std::pair<QKeySequence, QAbstractButton *>{QKeySequence::Copy, m_copy},
                                      {QKeySequence::Save, m_save},
                                      {QKeySequence::Undo, m_undo},
                                      {QKeySequence(Qt::CTRL | Qt::Key_P), m_pin},
                                      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), m_copyText},
                                      {Qt::Key_C, m_crop}}) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, target, [button = target] {
            if (button->isEnabled())
                button->click();
        });
    }
    return bar;
}

QWidget *MainView::buildEmptyState()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setSpacing(10);
    column->addStretch(1);
    column->addWidget(new DashedRectangle, 0, Qt::AlignHCenter);
    column->addWidget(plainLabel(::tr("empty.title")), 0, Qt::AlignHCenter);
    m_hint = captionLabel();
    m_hint->setObjectName(QStringLiteral("emptyHint"));
    column->addWidget(m_hint, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget *MainView::buildFooter()
{
    auto *bar = new QWidget;
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 8, 8, 8);
    m_status = captionLabel();
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_status);
    row->addStretch(1);
    m_size = captionLabel(QPalette::WindowText);
    m_size->setObjectName(QStringLiteral("imageSize"));
    row->addWidget(m_size);
    row->addStretch(1);
    auto *link = captionLabel();
    link->setObjectName(QStringLiteral("poweredBy"));
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\">Powered by %2</a>").arg(homePage, QStringLiteral("pixdrift.app")));
    link->setOpenExternalLinks(true);
    row->addWidget(link);
    m_version = captionLabel();
    m_version->setObjectName(QStringLiteral("version"));
    const QString version = QCoreApplication::applicationVersion();
    m_version->setText(u'v' + (version.isEmpty() ? QStringLiteral("1.1.0") : version));
    row->addWidget(m_version);
    return bar;
}

void MainView::refresh()
{
    const bool hasImage = m_model.hasImage();
    m_pages->setCurrentIndex(hasImage ? 1 : 0);
    for (QWidget *control : std::initializer_list<QWidget *>{m_cancel, m_pin, m_copyText, m_copy, m_save})
        control->setEnabled(hasImage);
    m_controls->setEnabled(hasImage);
    m_undo->setEnabled(hasImage || m_model.canUndo());
    m_redo->setEnabled(hasImage && m_model.canRedo());
    m_crop->setEnabled(hasImage && m_model.full());
    if (m_message->kind() == MessageBar::Kind::Hint && (!hasImage || m_model.includeMarks()))
        m_message->hide();
    {
        const QSignalBlocker blocker(m_includeMarks);
        m_includeMarks->setChecked(m_model.includeMarks());
    }
    // Where the desktop owns the keys, the stored ones are not bound: say how they work there.
    const QString desktopKeys = GlobalShortcuts::desktopKeysText();
    const QString area = prettyShortcut(m_model.shortcut(HotKeyAction::area));
    const QString full = prettyShortcut(m_model.shortcut(HotKeyAction::full));
    const QString window = prettyShortcut(m_model.shortcut(HotKeyAction::window));
    m_hint->setText(!desktopKeys.isEmpty() ? desktopKeys
                                           : ::tr("capture.area") + QStringLiteral(": ") + area
                                                 + QStringLiteral("   \u00B7   ") + ::tr("capture.full")
                                                 + QStringLiteral(": ") + full + QStringLiteral("   \u00B7   ")
                                                 + ::tr("capture.window") + QStringLiteral(": ") + window);
    m_area->setToolTip(desktopKeys.isEmpty() ? ::tr("capture.area") + QStringLiteral(" (") + area + u')'
                                             : ::tr("capture.area"));
    m_full->setToolTip(desktopKeys.isEmpty() ? ::tr("capture.full") + QStringLiteral(" (") + full + u')'
                                             : ::tr("capture.full"));
    m_status->setText(m_model.status());
    refreshSize();
}

void MainView::refreshSize()
{
    // The pixels Copy and Save would write: the crop's, or the whole image's after a full capture.
    const QSize size = m_model.cropPixels().size();
    m_size->setText(QString::number(size.width()) + QStringLiteral(" \u00D7 ") + QString::number(size.height())
                    + QStringLiteral(" px"));
    m_size->setVisible(m_model.hasImage());
}

void MainView::refreshFailure()
{
    const QString failure = m_model.failure();
    if (!failure.isEmpty())
        m_message->showMessage(failure, MessageBar::Kind::Failure, m_model.remedy().label, m_model.remedy().apply);
    else if (m_message->kind() == MessageBar::Kind::Failure)
        m_message->hide();
}

void MainView::markDrawn()
{
    if (m_marksHintShown || m_model.includeMarks() || !m_model.failure().isEmpty())
        return;
    m_marksHintShown = true;
    m_message->showMessage(::tr("marks.hint"), MessageBar::Kind::Hint);
}

void MainView::showShortcutSettings()
{
    if (m_settings) {
        m_settings->raise();
        return;
    }
    m_settings = new ShortcutSettings(m_model, this);
    m_settings->setWindowModality(Qt::WindowModal);
    m_settings->open();
}

void MainView::exitCommand()
{
    // Escape belongs first to what holds it: a pop-up still open closes, and the tool list
    // that has just given its choice lets the focus go. Then a capture counting down stops;
    // then the capture on show is cancelled, and Undo can bring it back.
    if (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    if (m_imageArea->selectedMark()) {
        m_imageArea->select({});
        return;
    }
    if (m_model.delayLeft() > 0)
        m_model.cancelDelay();
    else if (m_model.hasImage())
        m_model.cancelCapture();
}

void MainView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (window() != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
    // Only a window that was closed (or never shown) appears anew; coming back after the
    // capture flow took it off the screen is not an appearance.
    if (m_appearPending) {
        m_appearPending = false;
        appear();
    }
}

bool MainView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::Close && event->isAccepted()) {
        m_appearPending = true;
        // Closing the window stops reading its text.
        m_model.cancelTextReading();
    }
    return QWidget::eventFilter(watched, event);
}

void MainView::appear()
{
    // The window's own state starts afresh; marks already made keep their colours.
    m_controls->show(Qt::red, m_controls->size(), m_controls->filled());
    if (m_settings)
        m_settings->close();

    if (m_onAppear)
        m_onAppear();
    const bool ok = GlobalShortcuts::install(m_model.shortcuts());
    if (m_keepStatusOnAppear)
        return;
    m_model.setStatus(
        GlobalShortcuts::outcomeText(ok, "status.hotkeysActive", "status.hotkeyConflict", m_model.shortcuts()));
}

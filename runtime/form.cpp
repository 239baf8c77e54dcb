#include "runtime/form.h"

#include "runtime/controls.h"
#include "runtime/keys.h"
#include "runtime/program.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

// --- FormWindow

FormWindow::FormWindow()
{
    // The font the layouts were drawn for; every control takes it unless given its own.
    setFont(songFont(9));
    // paintEvent covers every pixel: Qt need not clear the surface first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormWindow::paintEvent(QPaintEvent *event)
{
    // The window's colour is painted here rather than set in its palette. A palette of the
    // window's own gives it and every control on it a palette of their own, and Qt's style
    // caches the bevels and frames it draws (QPixmapCache) under the palette's key: every
    // window opened added a new set, and memory grew with each window opened.
    QPainter(this).fillRect(event->rect(), systemColor(19));
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (onClose)
        onClose();
}

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    // Key preview is off: the window's own handler sees only keys typed while the window
    // itself holds the focus, not keys its controls pass on.
    QWidget *focus = focusWidget();
    if (focus != nullptr && focus != this) {
        QWidget::keyPressEvent(event);
        return;
    }
    int keyCode = keys::keyCode(*event);
    if (keyCode != 0 && onKeyDown)
        onKeyDown(keyCode, keys::shiftState(*event));
    event->accept();
}

void FormWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!onMouseMove) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const Qt::MouseButtons b = event->buttons();
    const int button = (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
                       (b & Qt::MiddleButton ? 4 : 0);
    const Qt::KeyboardModifiers m = event->modifiers();
    const int shift = (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                      (m & Qt::AltModifier ? 4 : 0);
    onMouseMove(button, shift, float(event->position().x() * twips::perPixel),
                float(event->position().y() * twips::perPixel));
}

// --- Form

Form::Form(Program &program, QString name) : program_(program), name_(std::move(name))
{
    program_.addForm(*this);
}

Form::~Form()
{
    program_.removeForm(*this);
    controls_.reset();
    delete window_;
    for (const QPointer<FormWindow> &w : closing_)
        delete w.data();
}

void Form::dispatch(const std::function<void()> &f) { program_.dispatch(f); }

Program &Form::program()
{
    program_.raiseHeldEnd();
    return program_;
}

void Form::load()
{
    program_.raiseHeldEnd();
    if (window_ != nullptr || loading_)
        return;
    loading_ = true;
    ++generation_;
    window_ = new FormWindow;
    window_->setObjectName(name_);
    window_->onClose = handler<>([this] { unload(); });
    controls_ = build(*window_);
    loading_ = false;
    Form_Load();
}

void Form::show()
{
    load();
    if (!window_->isVisible()) {
        window_->show();
        // The focus starts at the first control in tab order that can take it.
        if (window_->focusWidget() == nullptr)
            window_->focusFirstControl();
    }
    window_->raise();
    window_->activateWindow();
}

void Form::hide()
{
    if (window_ != nullptr)
        window_->hide();
}

void Form::unload()
{
    if (window_ == nullptr)
        return;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0 || window_ == nullptr)
        return;
    destroy();
    program_.formUnloaded();
}

void Form::destroyWithoutUnload()
{
    if (window_ != nullptr)
        destroy();
}

void Form::destroy()
{
    ++generation_;     // silences every handler connected to the old controls
    controls_.reset(); // stops the timers
    FormWindow *w = window_;
    window_ = nullptr;
    w->onClose = nullptr;
    w->onKeyDown = nullptr;
    w->onMouseMove = nullptr;
    w->hide();
    // We may be inside the window's own close event: let Qt finish with it first. Windows
    // deleted since the last close are forgotten, so reopening and closing a window all day
    // does not pile up entries.
    std::erase_if(closing_, [](const QPointer<FormWindow> &gone) { return gone.isNull(); });
    closing_.emplace_back(w);
    w->deleteLater();
}

FormWindow &Form::window()
{
    load();
    return *window_;
}

int Form::Width()
{
    load();
    return window_->frameGeometry().width() * twips::perPixel;
}

int Form::Height()
{
    load();
    return window_->frameGeometry().height() * twips::perPixel;
}

void Form::Cls() { load(); }

void Form::setWindow(FormWindow &window, QStringView caption, int widthTwips, int heightTwips)
{
    window.setWindowTitle(caption.toString());
    window.resize(twips::toPixels(widthTwips), twips::toPixels(heightTwips));
}

void Form::setTabOrder(std::initializer_list<QWidget *> widgets)
{
    if (widgets.size() == 0)
        return;
    // Qt leaves a chain alone whose focusable widgets already follow one another round the
    // circle, so a control created before the first in tab order would stay first after the
    // window and take the opening focus. Anchoring the chain at the window (for this call
    // only focusable) puts the first control right after it.
    QWidget *top = (*widgets.begin())->window();
    const Qt::FocusPolicy policy = top->focusPolicy();
    top->setFocusPolicy(Qt::TabFocus);
    QWidget *previous = top;
    for (QWidget *w : widgets) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
    top->setFocusPolicy(policy);
}

#include "runtime/program.h"

#include "runtime/form.h"
#include "runtime/runtimeerror.h"

#include <algorithm>
#include <cmath>
#include <exception>

Program::Program(Services services) : services_(std::move(services)), box_(*services_.messageBox)
{
    if (services_.sessionEnd)
        services_.sessionEnd->setHandler([this] { endSession(); });
}

Program::~Program()
{
    if (services_.sessionEnd)
        services_.sessionEnd->setHandler(nullptr);
}

void Program::SessionBox::show(const QString &text, const QString &title)
{
    if (!silent)
        real_.show(text, title);
}

void Program::addForm(Form &form) { forms_.push_back(&form); }

void Program::removeForm(Form &form) { std::erase(forms_, &form); }

void Program::reseedRandom()
{
    // From a clock finer than the second: two presses within one second still differ.
    random().reseed(std::uint32_t(std::llround(time().secondsSinceMidnight() * 1000.0)));
}

QString Program::applicationTitle() { return QStringLiteral("Kelvane"); }

void Program::end() { throw EndRequest{}; }

void Program::dispatch(const std::function<void()> &handler)
{
    if (ended_)
        return;
    ++depth_;
    try {
        handler();
    } catch (const EndRequest &) {
        endPending_ = true;
        ended_ = true;
    } catch (const std::exception &e) {
        ended_ = true;
        endPending_ = true;
        exitCode_ = 1;
        messageBox().show(QStringLiteral("运行时错误：") + QString::fromUtf8(e.what()),
                          applicationTitle());
    }
    --depth_;
    if (depth_ == 0 && sessionEndPending_ && !endPending_) {
        sessionEndPending_ = false;
        unloadAllForSessionEnd();
        return;
    }
    if (!endPending_)
        return;
    // A handler nested in another (a Change raised by a handler's own write) leaves the
    // tearing down to the outermost one, whose code is still on the stack; that one stops at
    // its next step.
    if (depth_ > 0) {
        endHeld_ = true;
        return;
    }
    endPending_ = false;
    endHeld_ = false;
    terminate(exitCode_);
}

void Program::raiseHeldEnd()
{
    if (endHeld_ && depth_ > 0) {
        endHeld_ = false;
        throw EndRequest{};
    }
}

void Program::terminate(int code)
{
    for (Form *form : forms_)
        form->atProgramEnd();
    for (Form *form : forms_)
        form->destroyWithoutUnload();
    services_.exit->quit(code);
}

void Program::formUnloaded()
{
    if (ended_ || unloadingHidden_ || sessionEnding_)
        return;
    // A hidden window alone would keep a process running that the user can neither see nor
    // reach; the tray icon is the one way back to a hidden main window.
    if (std::any_of(forms_.begin(), forms_.end(), [](Form *f) { return f->isVisible(); }) ||
        notifyIcon().isShown())
        return;
    // The windows still loaded hidden go as a close would take them: each Form_Unload runs.
    unloadingHidden_ = true;
    const std::vector<Form *> forms = forms_;
    for (Form *form : forms)
        form->unload();
    unloadingHidden_ = false;
    ended_ = true;
    services_.exit->quit(0);
}

void Program::endSession()
{
    // A save that fails now loses nothing (the writer leaves the previous file whole); it is
    // only not told.
    box_.silent = true;
    box_.closeOpen();
    if (ended_ || sessionEnding_ || sessionEndPending_)
        return;
    // Only a message box's own event loop runs while a handler is on the stack: the windows
    // go once that handler, which still uses them, has finished.
    if (depth_ > 0)
        sessionEndPending_ = true;
    else
        unloadAllForSessionEnd();
}

void Program::unloadAllForSessionEnd()
{
    sessionEnding_ = true;
    dispatch([this] {
        // By index: a Form_Unload that loads another window adds its instance at the end.
        for (std::size_t i = 0; i < forms_.size(); ++i)
            forms_[i]->unload();
        end();
    });
}

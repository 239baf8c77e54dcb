#include "program.h"

#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtimeerror.h"
#include "scores/scorefile.h"

#include <exception>

Program::Program(Services services) : services_(std::move(services)) {}

Program::~Program()
{
    // Forms go before the services their timers hold on to.
    form7_.reset();
    form6_.reset();
    form5_.reset();
    form4_.reset();
    form3_.reset();
    form2_.reset();
    form1_.reset();
}

template <typename F> F &Program::slot(std::unique_ptr<F> &slot)
{
    if (!slot)
        slot = std::make_unique<F>(*this);
    return *slot;
}

Form1 &Program::form1() { return slot(form1_); }
Form2 &Program::form2() { return slot(form2_); }
Form3 &Program::form3() { return slot(form3_); }
Form4 &Program::form4() { return slot(form4_); }
Form5 &Program::form5() { return slot(form5_); }
Form6 &Program::form6() { return slot(form6_); }
Form7 &Program::form7() { return slot(form7_); }

void Program::forEachForm(const std::function<void(Form &)> &f)
{
    for (Form *form : std::initializer_list<Form *>{form1_.get(), form2_.get(), form3_.get(),
                                                    form4_.get(), form5_.get(), form6_.get(),
                                                    form7_.get()})
        if (form != nullptr)
            f(*form);
}

void Program::start()
{
    dispatch([this] { form1().show(); });
}

void Program::reseedRandom()
{
    const QDateTime now = time().now();
    random().reseed(std::uint32_t(now.toSecsSinceEpoch()) ^
                    std::uint32_t(now.time().msecsSinceStartOfDay()));
}

QString Program::scoreFilePath()
{
    if (scoreFilePath_.isEmpty())
        scoreFilePath_ = scorefile::resolvePath(services_.folders);
    return scoreFilePath_;
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
    } catch (const RuntimeError &e) {
        ended_ = true;
        endPending_ = true;
        exitCode_ = 1;
        services_.messageBox->show(QStringLiteral("运行时错误：") + e.message(),
                                   applicationTitle());
    } catch (const std::exception &e) {
        ended_ = true;
        endPending_ = true;
        exitCode_ = 1;
        services_.messageBox->show(QStringLiteral("运行时错误：") + QString::fromLocal8Bit(e.what()),
                                   applicationTitle());
    }
    --depth_;
    // A handler nested in another (a Change raised by a handler's own write) leaves the
    // tearing down to the outermost one, whose code is still on the stack.
    if (depth_ == 0 && endPending_) {
        endPending_ = false;
        terminate(exitCode_);
    }
}

void Program::terminate(int code)
{
    if (form1_)
        form1_->removeTrayIcon();
    forEachForm([](Form &form) { form.destroyWithoutUnload(); });
    services_.exit->quit(code);
}

void Program::formUnloaded()
{
    if (ended_)
        return;
    bool anyLoaded = false;
    forEachForm([&](Form &form) { anyLoaded = anyLoaded || form.isLoaded(); });
    if (!anyLoaded) {
        ended_ = true;
        services_.exit->quit(0);
    }
}

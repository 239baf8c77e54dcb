#include "platform/sessionend.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int endSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's writing end, for the signal handler: a plain function that can reach nothing else.
volatile std::sig_atomic_t wakeFd = -1;

void onEndSignal(int)
{
    // write() is async-signal-safe; the pipe does not block, and a full one already holds
    // the news.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd, &byte, 1);
    errno = saved;
}

} // namespace

PosixSessionEnd::PosixSessionEnd()
{
    static_assert(std::size(endSignals) == signalCount);
    if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    wakeFd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readPipe(); });

    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    // Calls in progress (a save's open, write, rename) go on rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < signalCount; ++i) {
        if (::sigaction(endSignals[i], nullptr, &previous_[i]) != 0 ||
            previous_[i].sa_handler == SIG_IGN)
            continue;
        installed_[i] = ::sigaction(endSignals[i], &action, nullptr) == 0;
    }

    // The session manager's quit and QCoreApplication::quit() arrive as a Quit event; a loop
    // left any other way still ends as the session end would.
    QCoreApplication::instance()->installEventFilter(this);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                     [this] { request(); });
}

PosixSessionEnd::~PosixSessionEnd()
{
    for (int i = 0; i < signalCount; ++i)
        if (installed_[i])
            ::sigaction(endSignals[i], &previous_[i], nullptr);
    notifier_.reset();
    if (pipe_[0] >= 0) {
        wakeFd = -1;
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
}

void PosixSessionEnd::setHandler(std::function<void()> onRequest)
{
    handler_ = std::move(onRequest);
}

bool PosixSessionEnd::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance() || !handler_)
        return false;
    // The program leaves the event loop itself once its windows are unloaded.
    request();
    return true;
}

void PosixSessionEnd::readPipe()
{
    char bytes[64];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    request();
}

void PosixSessionEnd::request()
{
    if (handler_)
        handler_();
}

#pragma once

#include "runtime/services.h"

#include <QObject>

#include <csignal>
#include <memory>

class QSocketNotifier;

// How the end of the session reaches this program: SIGTERM (logout, shutdown, the session's
// service manager), SIGHUP (the terminal or the session going away), SIGINT (Ctrl+C), and the
// session manager's quit, which Qt delivers as a Quit event to the application. A signal's
// handler only writes one byte into a pipe, which the event loop reads; the handlers stay in
// place for the whole run, so a second signal never interrupts what the first one started.
// A signal ignored when the program started (nohup, a background job) stays ignored. Needs the
// QCoreApplication.
class PosixSessionEnd : public QObject, public SessionEnd {
public:
    PosixSessionEnd();
    ~PosixSessionEnd() override;
    PosixSessionEnd(const PosixSessionEnd &) = delete;
    PosixSessionEnd &operator=(const PosixSessionEnd &) = delete;

    void setHandler(std::function<void()> onRequest) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readPipe();
    void request();

    static constexpr int signalCount = 3;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[signalCount] = {};
    bool installed_[signalCount] = {};
    std::function<void()> handler_;
};

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QIcon>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The outside services the program uses, each behind a small interface with a real adapter
// (platform/) and a fake for tests. The windows make the program's decisions; an adapter
// decides only what its platform leaves open: which kind of notification area shows the
// icon, and how the disk writer keeps a failed save from harming the file it replaces.

// One running timer. Destroying it stops it.
class TimerDriver {
public:
    virtual ~TimerDriver() = default;
    // (Re)starts ticking every intervalMs from now.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

// Timers, the local clock and the tick count come from one time source, so tests can move
// all three together.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    // Local date-time, whole seconds.
    virtual QDateTime now() const = 0;
    // Seconds since local midnight with their fraction, for a seed that changes within a
    // second.
    virtual double secondsSinceMidnight() const = 0;
    // Milliseconds since the system started, as an unsigned 32-bit count that wraps.
    virtual std::uint32_t tickCount() const = 0;
    virtual std::unique_ptr<TimerDriver> createTimer(std::function<void()> onTick) = 0;
};

// The one shared generator: single-precision values in [0, 1), never 1.
class Random {
public:
    virtual ~Random() = default;
    virtual float next() = 0;
    virtual void reseed(std::uint32_t seed) = 0;
};

// A modal box with a message and an OK button.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString &text, const QString &title) = 0;
    // Closes every box that waits for the user, as its OK button would: the handler that
    // opened it goes on.
    virtual void closeOpen() = 0;
};

struct TrayIconData;

// The notification-area service. notify() takes the message (0 add, 2 delete) and the icon
// record, like the Windows shell call it stands for, and returns whether it succeeded.
// Mouse events on the icon come back as Windows event codes (512 move, 513/514 left
// down/up, 515 left double click, 516/517 right, 519/520 middle).
class NotifyIcon {
public:
    enum Message { Add = 0, Delete = 2 };
    virtual ~NotifyIcon() = default;
    virtual bool notify(Message message, const TrayIconData &data) = 0;
    // Whether an icon is in the notification area now.
    virtual bool isShown() const = 0;
    virtual void setEventHandler(std::function<void(int eventCode)> handler) = 0;
    // Called when the notification area went away with the icon in it and did not come back
    // within a few seconds. The icon is forgotten by then: isShown() is false.
    virtual void setLostHandler(std::function<void()> handler) = 0;
};

// Leaving the event loop: the end of the program.
class ProgramExit {
public:
    virtual ~ProgramExit() = default;
    virtual void quit(int code) = 0;
};

// Requests from outside to end the program: the desktop session ending (logout and shutdown
// send SIGTERM or SIGHUP, a terminal's Ctrl+C SIGINT) or the session manager's quit. The
// handler runs in the event loop, between events, never inside a signal handler.
class SessionEnd {
public:
    virtual ~SessionEnd() = default;
    virtual void setHandler(std::function<void()> onRequest) = 0;
};

// The folder that holds the program file.
struct ProgramFolder {
    // The system's name for it, in bytes; empty when it cannot be found.
    QByteArray name;
    // A path Qt's file names can reach it by: the name itself, or another way in when the
    // name is not in the encoding of file names (a folder named in GBK).
    QString path;
};

// The disk, as far as the score file needs it.
class Files {
public:
    virtual ~Files() = default;
    // Replaces the file at `path` with `bytes`, creating the folders above it that are
    // missing. The bytes are written beside the file and renamed into place, so a failure at
    // any point leaves the previous file whole; a symbolic link at `path` is replaced, never
    // written through. Returns 0, or the system's error number (errno) of the step that
    // failed.
    virtual int replaceFile(const QString &path, const QByteArray &bytes) = 0;
    // At most maxBytes of the regular file at `path`; empty when there is none. Never creates
    // anything and never waits (a pipe at the path is not read).
    virtual QByteArray readFile(const QString &path, qsizetype maxBytes) = 0;
    // Whether the program may create files in `folder`.
    virtual bool isWritableFolder(const QString &folder) = 0;
    virtual ProgramFolder programFolder() = 0;
    // The user's home folder: $HOME when it is an absolute path, else the account's.
    virtual QString homeFolder() = 0;
};

struct Services {
    std::unique_ptr<TimeSource> time;
    std::unique_ptr<Random> random;
    std::unique_ptr<MessageBox> messageBox;
    std::unique_ptr<NotifyIcon> notifyIcon;
    std::unique_ptr<ProgramExit> exit;
    std::unique_ptr<Files> files;
    std::unique_ptr<SessionEnd> sessionEnd;
    QIcon icon;
};

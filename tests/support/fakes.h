#pragma once

#include "platform/qtservices.h"
#include "runtime/services.h"
#include "runtime/trayicondata.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <deque>
#include <map>
#include <utility>
#include <vector>

// Virtual time: one source for the timers, the clock and the tick count. advance(ms) fires
// every tick that falls due, in order of due time, and moves the clock and tick count along.
class VirtualTime : public TimeSource {
public:
    explicit VirtualTime(QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(9, 0, 0)),
                         std::uint32_t startTick = 5'000'000);

    QDateTime now() const override;
    double secondsSinceMidnight() const override;
    std::uint32_t tickCount() const override;
    std::unique_ptr<TimerDriver> createTimer(std::function<void()> onTick) override;

    void advance(qint64 ms);
    qint64 elapsedMs() const { return elapsed_; }
    void setTickCount(std::uint32_t tick);
    // Timers currently running (enabled with an interval).
    int activeTimers() const;
    // Ticks delivered so far, all timers together.
    qint64 ticksDelivered() const { return ticks_; }

private:
    friend class VirtualTimerDriver;
    struct Entry {
        std::function<void()> onTick;
        int interval = 0;
        qint64 due = 0;
        bool active = false;
    };
    QDateTime start_;
    std::uint32_t startTick_;
    qint64 elapsed_ = 0;
    qint64 ticks_ = 0;
    int nextId_ = 0;
    std::map<int, Entry> timers_;
};

// The shared generator for tests: values queued with push() come first, then the real
// generator's sequence, so a test can script the draws it cares about.
class ScriptedRandom : public Random {
public:
    float next() override;
    void reseed(std::uint32_t seed) override;
    void push(std::initializer_list<float> values) { queue_.insert(queue_.end(), values); }
    int reseeds() const { return reseeds_; }
    int draws() const { return draws_; }

private:
    std::deque<float> queue_;
    SharedRandom fallback_;
    int reseeds_ = 0;
    int draws_ = 0;
};

// Records the message boxes instead of blocking in a modal loop. `whileOpen`, when set, runs
// once inside the next box, as an event arriving while it waits for the user.
class RecordingMessageBox : public MessageBox {
public:
    struct Shown {
        QString text;
        QString title;
    };
    void show(const QString &text, const QString &title) override
    {
        shown.push_back({text, title});
        if (std::function<void()> events = std::exchange(whileOpen, nullptr))
            events();
    }
    void closeOpen() override { ++closeRequests; }
    std::vector<Shown> shown;
    std::function<void()> whileOpen;
    int closeRequests = 0;
};

class FakeSessionEnd : public SessionEnd {
public:
    void setHandler(std::function<void()> onRequest) override { handler = std::move(onRequest); }
    std::function<void()> handler; // a test calls it to end the session
};

class RecordingExit : public ProgramExit {
public:
    void quit(int code) override
    {
        ++calls;
        lastCode = code;
    }
    int calls = 0;
    int lastCode = -1;
};

// A notification area in memory: it records every request, keeps the icons that are in it
// (keyed by window handle and identifier, like the shell) and lets a test raise the mouse
// events the shell would send for them.
class FakeNotifyIcon : public NotifyIcon {
public:
    struct Request {
        Message message;
        TrayIconData data;
        bool succeeded;
    };
    bool notify(Message message, const TrayIconData &data) override;
    void setEventHandler(std::function<void(int eventCode)> handler) override
    {
        handler_ = std::move(handler);
    }
    void setLostHandler(std::function<void()>) override {}
    // Sends a mouse event on the icon; returns false when no icon is there to send it.
    bool raise(int eventCode);

    bool isShown() const override { return !icons.empty(); }
    bool hasHandler() const { return bool(handler_); }

    // Whether a notification area exists; without one every add fails.
    bool available = true;
    std::vector<Request> requests;
    // The icons present and the tips they show.
    std::map<std::pair<std::uint32_t, std::uint32_t>, QString> icons;

private:
    std::function<void(int)> handler_;
};

// A disk in memory, files by path. A test can make every save fail with an error number, or
// a folder unwritable.
class FakeFiles : public Files {
public:
    FakeFiles(QString programDir, QString home) : programDir(programDir), home(home) {}
    int replaceFile(const QString &path, const QByteArray &bytes) override
    {
        ++saves;
        if (failWith == 0)
            stored[path] = bytes;
        return failWith;
    }
    QByteArray readFile(const QString &path, qsizetype maxBytes) override
    {
        return bytes(path).left(maxBytes);
    }
    bool isWritableFolder(const QString &folder) override { return !readOnly.contains(folder); }
    ProgramFolder programFolder() override { return {QFile::encodeName(programDir), programDir}; }
    QString homeFolder() override { return home; }

    // The bytes of the file at `path`; null when there is none.
    QByteArray bytes(const QString &path) const
    {
        const auto file = stored.find(path);
        return file == stored.end() ? QByteArray() : file->second;
    }

    QString programDir;
    QString home;
    std::map<QString, QByteArray> stored;
    int saves = 0;
    // The error number every save fails with; 0 saves.
    int failWith = 0;
    QStringList readOnly;
};

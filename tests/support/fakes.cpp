#include "fakes.h"

class VirtualTimerDriver : public TimerDriver {
public:
    VirtualTimerDriver(VirtualTime &time, int id) : time_(time), id_(id) {}
    ~VirtualTimerDriver() override { time_.timers_.erase(id_); }
    void start(int intervalMs) override
    {
        VirtualTime::Entry &e = time_.timers_.at(id_);
        e.active = true;
        e.interval = intervalMs;
        e.due = time_.elapsed_ + intervalMs;
    }
    void stop() override { time_.timers_.at(id_).active = false; }

private:
    VirtualTime &time_;
    int id_;
};

VirtualTime::VirtualTime(QDateTime start, std::uint32_t startTick)
    : start_(std::move(start)), startTick_(startTick)
{
}

QDateTime VirtualTime::now() const { return start_.addSecs(elapsed_ / 1000); }

double VirtualTime::secondsSinceMidnight() const
{
    return start_.addMSecs(elapsed_).time().msecsSinceStartOfDay() / 1000.0;
}

std::uint32_t VirtualTime::tickCount() const
{
    return startTick_ + std::uint32_t(std::uint64_t(elapsed_));
}

void VirtualTime::setTickCount(std::uint32_t tick)
{
    startTick_ = tick - std::uint32_t(std::uint64_t(elapsed_));
}

std::unique_ptr<TimerDriver> VirtualTime::createTimer(std::function<void()> onTick)
{
    const int id = nextId_++;
    timers_[id].onTick = std::move(onTick);
    return std::make_unique<VirtualTimerDriver>(*this, id);
}

int VirtualTime::activeTimers() const
{
    int n = 0;
    for (const auto &[id, e] : timers_)
        n += e.active && e.interval > 0 ? 1 : 0;
    return n;
}

void VirtualTime::advance(qint64 ms)
{
    const qint64 target = elapsed_ + ms;
    for (;;) {
        int next = -1;
        qint64 due = 0;
        for (const auto &[id, e] : timers_) {
            if (e.active && e.interval > 0 && e.due <= target && (next < 0 || e.due < due)) {
                next = id;
                due = e.due;
            }
        }
        if (next < 0)
            break;
        Entry &e = timers_.at(next);
        elapsed_ = due;
        e.due += e.interval;
        ++ticks_;
        // The handler may stop, restart or destroy this very timer.
        const std::function<void()> onTick = e.onTick;
        onTick();
    }
    elapsed_ = target;
}

float ScriptedRandom::next()
{
    ++draws_;
    if (!queue_.empty()) {
        const float v = queue_.front();
        queue_.pop_front();
        return v;
    }
    return fallback_.next();
}

void ScriptedRandom::reseed(std::uint32_t seed)
{
    ++reseeds_;
    fallback_.reseed(seed);
}

bool FakeNotifyIcon::notify(Message message, const TrayIconData &data)
{
    const std::pair<std::uint32_t, std::uint32_t> key{data.hWnd, data.uID};
    bool ok = false;
    if (message == Add && available && !icons.contains(key)) {
        icons[key] = data.shownTip();
        ok = true;
    } else if (message == Delete) {
        ok = icons.erase(key) > 0;
    }
    requests.push_back({message, data, ok});
    return ok;
}

bool FakeNotifyIcon::raise(int eventCode)
{
    if (icons.empty())
        return false;
    if (handler_)
        handler_(eventCode);
    return true;
}

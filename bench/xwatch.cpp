// What the X server shows of a program: the moments its window maps and is first drawn, how
// long a key takes to reach the screen, and how evenly a window repaints. Drawing is seen
// through the DAMAGE extension (every rectangle the server draws into a window, as it draws
// it) and keys are pressed through XTest, as a keyboard would press them.
//
//   bench_xwatch PROGRAM [ARGS...]
//       starts the program and prints "mapped PID NS" (fork to the first MapNotify of a
//       top-level window), then "drawn NS" (fork to the moment the damage since the map
//       covers all of that window on the screen; -1 if not within 10 s); keeps the program
//       running until its own standard input closes, then ends it and waits for it. The caller
//       reads whatever it wants (RSS, CPU time) from /proc/PID in between.
//   bench_xwatch keys WINDOW X Y W H COUNT
//       gives WINDOW the keyboard focus and presses COUNT letters a…z through XTest, one every
//       50–100 ms (evenly drawn, fixed seed); for each, the time from the press to the first
//       damage inside the box X,Y W×H (window coordinates) wider than a text caret. Prints
//       "keys typed N missed N median_ns N p99_ns N max_ns N" (missed: no damage within 1 s),
//       then "latencies_ns N N …", every key's time in the order pressed.
//   bench_xwatch frames WINDOW SECONDS
//       the damage of WINDOW over SECONDS, in frames (rectangles less than 2 ms apart are one
//       frame); prints "frames N median_ns N p99_ns N max_ns N" of the intervals between the
//       starts of successive frames.
//
// Times are taken as the events are read, on CLOCK_MONOTONIC: the server's own timestamps
// count whole milliseconds.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long long msNs = 1000000LL;

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void endChild(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        usleep(100000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// Waits until the server has something to read or the deadline passes; true if it has.
bool waitForEvents(Display *display, long long deadline)
{
    if (XPending(display) > 0)
        return true;
    const long long rest = deadline - monotonicNs();
    if (rest <= 0)
        return false;
    const int fd = ConnectionNumber(display);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    timeval timeout{time_t(rest / 1000000000LL), suseconds_t(rest % 1000000000LL / 1000)};
    select(fd + 1, &readable, nullptr, nullptr, &timeout);
    return XPending(display) > 0;
}

int damageEventBase(Display *display)
{
    int event = 0, error = 0;
    if (!XDamageQueryExtension(display, &event, &error)) {
        std::fprintf(stderr, "bench_xwatch: the X server has no DAMAGE extension\n");
        std::exit(2);
    }
    return event;
}

// Sorted samples: the median and the 99th percentile (the smallest value at least 99 % of
// the samples do not exceed).
struct Spread {
    long long median = 0, p99 = 0, max = 0;
};

Spread spread(std::vector<long long> v)
{
    Spread s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p99 = v[(v.size() * 99 + 99) / 100 - 1];
    s.max = v.back();
    return s;
}

// The parts of a window on the screen that damage has covered, pixel by pixel.
class Coverage {
public:
    void reset(int x, int y, int width, int height, int screenWidth, int screenHeight)
    {
        // Only what lies on the screen is ever drawn.
        left_ = std::max(0, -x);
        top_ = std::max(0, -y);
        right_ = std::min(width, screenWidth - x);
        bottom_ = std::min(height, screenHeight - y);
        width_ = std::max(0, right_ - left_);
        const int height_ = std::max(0, bottom_ - top_);
        covered_.assign(std::size_t(width_) * std::size_t(height_), false);
        missing_ = covered_.size();
    }
    void add(const XRectangle &r)
    {
        for (int y = std::max<int>(r.y, top_); y < std::min<int>(r.y + r.height, bottom_); ++y)
            for (int x = std::max<int>(r.x, left_); x < std::min<int>(r.x + r.width, right_); ++x) {
                auto cell = covered_.begin() + (y - top_) * width_ + (x - left_);
                if (!*cell) {
                    *cell = true;
                    --missing_;
                }
            }
    }
    bool complete() const { return missing_ == 0 && !covered_.empty(); }

private:
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0, width_ = 0;
    std::vector<bool> covered_;
    std::size_t missing_ = 0;
};

// A window the program creates may be input-only (no damage to watch) or gone by the time the
// damage object is asked for: neither is an error here.
int ignoreError(Display *, XErrorEvent *) { return 0; }

struct TopLevel {
    int x = 0, y = 0, width = 0, height = 0;
};

int watchStart(Display *display, char *argv[])
{
    const int damageEvent = damageEventBase(display) + XDamageNotify;
    const Window root = DefaultRootWindow(display);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    XSetErrorHandler(ignoreError);
    XSelectInput(display, root, SubstructureNotifyMask);
    // The selection must be in place on the server before the program can map anything.
    XSync(display, False);

    const long long start = monotonicNs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[0], argv);
        std::perror("execvp");
        _exit(127);
    }

    // Every top-level window gets a damage object as soon as it is created, long before the
    // program can draw into it.
    std::map<Window, TopLevel> windows;
    Window shown = None;
    Coverage coverage;
    long long mapped = -1, drawn = -1;
    while (drawn < 0) {
        while (drawn < 0 && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            const long long now = monotonicNs();
            if (event.type == CreateNotify && event.xcreatewindow.parent == root &&
                !event.xcreatewindow.override_redirect) {
                const XCreateWindowEvent &e = event.xcreatewindow;
                windows[e.window] = {e.x, e.y, e.width, e.height};
                XDamageCreate(display, e.window, XDamageReportRawRectangles);
                XFlush(display);
            } else if (event.type == ConfigureNotify && windows.count(event.xconfigure.window)) {
                const XConfigureEvent &e = event.xconfigure;
                windows[e.window] = {e.x, e.y, e.width, e.height};
                // Drawn means drawn at the size the window has now.
                if (e.window == shown)
                    coverage.reset(e.x, e.y, e.width, e.height, screenWidth, screenHeight);
            } else if (event.type == MapNotify && event.xmap.event == root && shown == None &&
                       windows.count(event.xmap.window)) {
                shown = event.xmap.window;
                mapped = now - start;
                const TopLevel &w = windows[shown];
                coverage.reset(w.x, w.y, w.width, w.height, screenWidth, screenHeight);
                std::printf("mapped %d %lld\n", int(child), mapped);
                std::fflush(stdout);
            } else if (event.type == damageEvent) {
                const auto &e = reinterpret_cast<const XDamageNotifyEvent &>(event);
                if (e.drawable == shown) {
                    coverage.add(e.area);
                    if (coverage.complete())
                        drawn = now - start;
                }
            }
        }
        if (drawn >= 0)
            break;
        waitForEvents(display, monotonicNs() + 250 * msNs);
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "bench_xwatch: %s ended before its window was drawn\n", argv[0]);
            return 1;
        }
        const long long now = monotonicNs() - start;
        if ((mapped < 0 && now > 60000 * msNs) || (mapped >= 0 && now > mapped + 10000 * msNs))
            break;
    }
    if (mapped < 0) {
        std::fprintf(stderr, "bench_xwatch: no window after 60 s\n");
        endChild(child);
        return 1;
    }
    std::printf("drawn %lld\n", drawn);
    std::fflush(stdout);

    // Hold the program until the caller is done with it.
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    endChild(child);
    return 0;
}

int watchKeys(Display *display, Window window, XRectangle box, int count)
{
    const int damageEvent = damageEventBase(display) + XDamageNotify;
    int opcode = 0, event = 0, error = 0, major = 0, minor = 0;
    if (!XQueryExtension(display, "XTEST", &opcode, &event, &error) ||
        !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "bench_xwatch: the X server has no XTEST extension\n");
        return 2;
    }
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);

    // A blinking caret damages a strip a few pixels wide; a typed letter, at least its glyph.
    constexpr int caretWidth = 4;
    const auto showsText = [&](const XEvent &e) {
        if (e.type != damageEvent)
            return false;
        const XRectangle &r = reinterpret_cast<const XDamageNotifyEvent &>(e).area;
        return r.width > caretWidth && r.x < box.x + box.width && box.x < r.x + r.width &&
               r.y < box.y + box.height && box.y < r.y + r.height;
    };
    const auto drainUntil = [&](long long deadline) {
        while (waitForEvents(display, deadline)) {
            XEvent e;
            XNextEvent(display, &e);
        }
    };
    // Let the window take the focus and settle.
    drainUntil(monotonicNs() + 500 * msNs);

    std::mt19937 engine(7);
    std::uniform_int_distribution<int> pace(50, 100);
    std::vector<long long> latencies;
    int missed = 0;
    long long next = monotonicNs();
    for (int i = 0; i < count; ++i) {
        drainUntil(next);
        const KeyCode key = XKeysymToKeycode(display, XK_a + i % 26);
        const long long pressed = monotonicNs();
        next = pressed + pace(engine) * msNs;
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XFlush(display);
        bool seen = false;
        const long long giveUp = pressed + 1000 * msNs;
        while (!seen && waitForEvents(display, giveUp)) {
            XEvent e;
            XNextEvent(display, &e);
            if (showsText(e)) {
                latencies.push_back(monotonicNs() - pressed);
                seen = true;
            }
        }
        if (!seen)
            ++missed;
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XFlush(display);
    }
    drainUntil(monotonicNs() + 200 * msNs);
    const Spread s = spread(latencies);
    std::printf("keys typed %d missed %d median_ns %lld p99_ns %lld max_ns %lld\nlatencies_ns",
                count, missed, s.median, s.p99, s.max);
    for (long long latency : latencies)
        std::printf(" %lld", latency);
    std::printf("\n");
    return 0;
}

int watchFrames(Display *display, Window window, int seconds)
{
    const int damageEvent = damageEventBase(display) + XDamageNotify;
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    constexpr long long sameFrame = 2 * msNs;
    std::vector<long long> starts;
    long long last = -1;
    const long long end = monotonicNs() + seconds * 1000 * msNs;
    while (waitForEvents(display, end)) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type != damageEvent)
            continue;
        const long long now = monotonicNs();
        if (last < 0 || now - last >= sameFrame)
            starts.push_back(now);
        last = now;
    }
    std::vector<long long> intervals;
    for (std::size_t i = 1; i < starts.size(); ++i)
        intervals.push_back(starts[i] - starts[i - 1]);
    const Spread s = spread(intervals);
    std::printf("frames count %d median_ns %lld p99_ns %lld max_ns %lld\n", int(starts.size()),
                s.median, s.p99, s.max);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s PROGRAM [ARGS...] | keys WINDOW X Y W H COUNT | frames WINDOW "
                     "SECONDS\n",
                     argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "bench_xwatch: cannot open the X display\n");
        return 2;
    }
    const std::string mode = argv[1];
    int status = 2;
    if (mode == "keys" && argc == 8) {
        const XRectangle box{short(std::atoi(argv[3])), short(std::atoi(argv[4])),
                             (unsigned short)std::atoi(argv[5]),
                             (unsigned short)std::atoi(argv[6])};
        status =
            watchKeys(display, Window(std::strtoul(argv[2], nullptr, 0)), box, std::atoi(argv[7]));
    } else if (mode == "frames" && argc == 4) {
        status =
            watchFrames(display, Window(std::strtoul(argv[2], nullptr, 0)), std::atoi(argv[3]));
    } else {
        status = watchStart(display, argv + 1);
    }
    XCloseDisplay(display);
    return status;
}

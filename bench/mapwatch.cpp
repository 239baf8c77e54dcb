// Starts a program and reports the moment its first top-level window is mapped.
//
//   bench_mapwatch PROGRAM [ARGS...]
//
// Before starting the program the watcher selects SubstructureNotify on the root window, so
// the X server itself tells it when a child of the root is mapped; nothing is polled. It
// prints one line, "mapped PID NANOSECONDS" (fork to MapNotify), then keeps the program
// running until its own standard input closes, and then ends the program and waits for it.
// The caller reads whatever it wants (RSS, CPU time) from /proc/PID in between.

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "bench_mapwatch: cannot open the X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
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
        execvp(argv[1], argv + 1);
        std::perror("execvp");
        _exit(127);
    }

    // Wait on the server's socket; wake up now and then only to notice a program that died
    // before showing anything.
    long long mapped = -1;
    const int fd = ConnectionNumber(display);
    while (mapped < 0) {
        while (mapped < 0 && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root &&
                !event.xmap.override_redirect)
                mapped = monotonicNs() - start;
        }
        if (mapped >= 0)
            break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval timeout{0, 250000};
        select(fd + 1, &readable, nullptr, nullptr, &timeout);
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "bench_mapwatch: %s ended before mapping a window\n", argv[1]);
            return 1;
        }
        if (monotonicNs() - start > 60LL * 1000000000LL) {
            std::fprintf(stderr, "bench_mapwatch: no window after 60 s\n");
            endChild(child);
            return 1;
        }
    }
    std::printf("mapped %d %lld\n", int(child), mapped);
    std::fflush(stdout);

    // Hold the program until the caller is done with it.
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    endChild(child);
    XCloseDisplay(display);
    return 0;
}

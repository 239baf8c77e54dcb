#pragma once

// What the benchmark programs share: a clock in nanoseconds, the resident set, the text a
// typist leaves in a box, and the hand-over to bench_xwatch. Header-only, as the reference
// window does not link the program's library.

#include <QCoreApplication>
#include <QPoint>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

inline long long nowNs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// The resident set in KiB, as /proc/self/status gives it; -1 when it cannot be read.
inline long rssKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Text as a typist leaves it: Chinese with some punctuation and Latin letters. In lines, each
// paragraph ends with Enter (CR LF) and the text ends with one, so typing starts a new line;
// otherwise it is one paragraph that the typing continues.
enum class Shape { Lines, Paragraph };

inline QString typedText(int length, Shape shape)
{
    const QString sample =
        QStringLiteral("今天我们练习打字，速度和准确都很重要。键盘上的每一个字母都要记住位置，"
                       "手指放在基本键上，眼睛看着屏幕而不是键盘。Practice makes perfect. ");
    constexpr int paragraph = 200; // code units, the CR LF included
    QString text;
    text.reserve(length);
    qsizetype next = 0;
    while (text.size() < length) {
        if (shape == Shape::Lines && text.size() % paragraph == paragraph - 2) {
            text += QLatin1String("\r\n");
            continue;
        }
        text += sample.at(next);
        next = (next + 1) % sample.size();
    }
    text.truncate(length);
    return text;
}

// For bench_xwatch: prints "window ID X Y W H", the X window that holds `area` and the area's
// place in it, half a second after the window shows.
inline void announceWindow(QWidget &area)
{
    QWidget &window = *area.window();
    window.activateWindow();
    QTimer::singleShot(500, &area, [&area, &window] {
        const QPoint at = area.mapTo(&window, QPoint(0, 0));
        std::printf("window %llu %d %d %d %d\n", (unsigned long long)window.winId(), at.x(), at.y(),
                    area.width(), area.height());
        std::fflush(stdout);
    });
}

// Quits once standard input closes, printing "typed N" with what `length` gives then: the
// caller checks that every key pressed arrived.
inline void quitWhenInputCloses(QObject &owner, std::function<qsizetype()> length)
{
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &owner);
    QObject::connect(input, &QSocketNotifier::activated, &owner, [input, length] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) > 0)
            return;
        input->setEnabled(false);
        std::printf("typed %lld\n", (long long)length());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

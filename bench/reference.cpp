// The yardstick every figure of the benchmark is measured against: a bare Qt Widgets window
// with seven labels and seven buttons carrying Chinese captions, placed and sized like the
// main window's, and two timers doing what the main window's timers do (a random text colour
// every 400 ms, the time of day every second). No program around it: plain widgets, the
// default font family, built with the same flags as the program.
//
//   bench_reference              the window, until it is closed or killed
//   bench_reference --windows N  beside a first window, opens and closes seven bare windows
//                                with a button, one after another, N times; prints "windows
//                                rss_start_kib N rss_end_kib N" (after round 100 and after round
//                                N), then quits
//   bench_reference --fall SECS  also a label moving 40 twips every 10 ms, like the game's
//                                letter; prints "window ID X Y W H" (for bench_xwatch) once it
//                                shows, and "fall ticks N cpu_ns N wall_ns N" over SECS after a
//                                one-second warm-up, then quits
//   bench_reference --type free|live SIZE
//                                instead, a bare QPlainTextEdit in a window, placed like the
//                                free-text or the live test's box and holding SIZE characters
//                                in lines; for the live test, with a plain QLabel showing the
//                                text's length in the live test's words at every change. Prints
//                                "window ID X Y W H" (the box's text area) and, once standard input
//                                closes, "typed N", then quits

#include "measure.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>

namespace {

int runWindows(int rounds)
{
    long rssStart = 0;
    for (int round = 1; round <= rounds; ++round) {
        // As many windows a round as the program opens: six others and its main window.
        for (int i = 0; i < 7; ++i) {
            auto *window = new QWidget;
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->setWindowTitle(QStringLiteral("参照窗口二"));
            window->resize(423, 299);
            auto *button = new QPushButton(QStringLiteral("开始"), window);
            button->setGeometry(160, 136, 105, 65);
            window->show();
            QCoreApplication::processEvents();
            window->close();
            QCoreApplication::processEvents();
        }
        if (round == std::min(100, rounds))
            rssStart = rssKib();
    }
    std::printf("windows rss_start_kib %ld rss_end_kib %ld\n", rssStart, rssKib());
    return 0;
}

// The typing tests' windows and boxes, in pixels; the count sits where the live test shows it
// and says what it says there, so that both draw the same glyphs.
int runType(bool live, int size)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("参照窗口三"));
    window.resize(live ? QSize(458, 316) : QSize(498, 344));
    QPlainTextEdit edit(&window);
    edit.setGeometry(live ? QRect(80, 32, 249, 57) : QRect(16, 200, 417, 81));
    // Like the program's boxes, which show no scroll bars.
    edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QLabel count(&window);
    count.setGeometry(56, 160, 137, 89);
    count.setVisible(live);
    if (live)
        QObject::connect(&edit, &QPlainTextEdit::textChanged, &count, [&] {
            count.setText(QStringLiteral("录入字符 %1 个").arg(edit.toPlainText().size()));
        });
    edit.setPlainText(
        typedText(size, Shape::Lines).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    edit.moveCursor(QTextCursor::End);
    edit.setFocus();
    const qsizetype start = edit.toPlainText().size();
    window.show();
    announceWindow(*edit.viewport());
    quitWhenInputCloses(edit, [&] { return edit.toPlainText().size() - start; });
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 2 && QLatin1String(argv[1]) == QLatin1String("--windows")) {
        QWidget first;
        first.show();
        return runWindows(QString::fromLocal8Bit(argv[2]).toInt());
    }
    if (argc > 3 && QLatin1String(argv[1]) == QLatin1String("--type"))
        return runType(QLatin1String(argv[2]) == QLatin1String("live"),
                       QString::fromLocal8Bit(argv[3]).toInt());
    const bool fall = argc > 2 && QLatin1String(argv[1]) == QLatin1String("--fall");
    const int fallSeconds = fall ? QString::fromLocal8Bit(argv[2]).toInt() : 0;

    // The main window's size and the places and text sizes of its labels and buttons, in the
    // toolkit's default font family.
    QWidget window;
    window.setWindowTitle(QStringLiteral("参照窗口"));
    window.resize(576, 332);

    struct LabelSpec {
        QString text;
        QRect place;
        qreal points;
    };
    const LabelSpec labelSpecs[7] = {
        {QStringLiteral("欢迎使用这个参照窗口！"), QRect(40, 72, 481, 57), 26.25},
        {QStringLiteral(
             "这是一个只有标签、按钮和两个定时器的窗口，用来衡量程序的启动、内存和空闲开销，"
             "谢谢！"),
         QRect(72, 152, 457, 41), 15.75},
        {QStringLiteral("它的大小和文字都和主窗口一样，快来比较一下吧！"), QRect(24, 200, 545, 41),
         18},
        {QString(), QRect(440, 312, 137, 17), 0},
        {QStringLiteral("七个标签"), QRect(384, 250, 180, 17), 0},
        {QStringLiteral("七个按钮"), QRect(384, 268, 180, 17), 0},
        {QStringLiteral("两个定时器"), QRect(384, 286, 180, 17), 0},
    };
    QLabel *labels[7];
    for (int i = 0; i < 7; ++i) {
        labels[i] = new QLabel(labelSpecs[i].text, &window);
        labels[i]->setWordWrap(true);
        labels[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        labels[i]->setGeometry(labelSpecs[i].place);
        if (labelSpecs[i].points > 0) {
            QFont font = labels[i]->font();
            font.setPointSizeF(labelSpecs[i].points);
            labels[i]->setFont(font);
        }
    }
    const std::pair<QString, QRect> buttonSpecs[7] = {
        {QStringLiteral("打字速度"), QRect(0, 0, 121, 33)},
        {QStringLiteral("速度测试"), QRect(120, 0, 113, 33)},
        {QStringLiteral("英文打字测试"), QRect(232, 0, 121, 33)},
        {QStringLiteral("打字游戏"), QRect(352, 0, 113, 33)},
        {QStringLiteral("排行榜"), QRect(464, 0, 113, 33)},
        {QStringLiteral("退出"), QRect(40, 248, 137, 57)},
        {QStringLiteral("关于"), QRect(216, 248, 129, 57)},
    };
    for (const auto &[text, place] : buttonSpecs) {
        auto *button = new QPushButton(text, &window);
        button->setGeometry(place);
    }

    std::mt19937 engine(1);
    std::uniform_int_distribution<int> component(0, 255);
    QTimer colour;
    QObject::connect(&colour, &QTimer::timeout, [&] {
        QPalette p = labels[0]->palette();
        p.setColor(QPalette::WindowText,
                   QColor(component(engine), component(engine), component(engine)));
        labels[0]->setPalette(p);
    });
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] {
        labels[3]->setText(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat));
    });
    if (!fall) {
        colour.start(400);
        clock.start(1000);
    }

    // The falling letter: the same label size and step as the game's.
    QLabel letter(QStringLiteral("A"), &window);
    letter.setGeometry(216, 0, 169, 65);
    letter.setVisible(fall);
    int topTwips = 0;
    long long ticks = 0;
    QTimer fallTick;
    fallTick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&fallTick, &QTimer::timeout, [&] {
        ++ticks;
        topTwips += 40;
        if (topTwips > window.frameGeometry().height() * 15)
            topTwips = 0;
        letter.move(216, (topTwips + 7) / 15);
    });

    long long cpu0 = 0, wall0 = 0, ticks0 = 0;
    if (fall) {
        fallTick.start(10);
        QTimer::singleShot(1000, [&] {
            cpu0 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
            wall0 = nowNs(CLOCK_MONOTONIC);
            ticks0 = ticks;
            QTimer::singleShot(fallSeconds * 1000, [&] {
                std::printf("fall ticks %lld cpu_ns %lld wall_ns %lld\n", ticks - ticks0,
                            nowNs(CLOCK_PROCESS_CPUTIME_ID) - cpu0, nowNs(CLOCK_MONOTONIC) - wall0);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }

    window.show();
    if (fall)
        announceWindow(window);
    return QApplication::exec();
}

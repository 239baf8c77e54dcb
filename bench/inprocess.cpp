// The measurements taken inside the program's own code, on the real services and a real
// window system (run it under an X server):
//
//   bench_inprocess fall SECS   the game: shows the game window, presses "开始" and counts the
//                               fall ticks delivered over SECS after a one-second warm-up;
//                               prints "window ID X Y W H" (for bench_xwatch) once it
//                               shows, and at the end "fall ticks N cpu_ns N wall_ns N
//                               handler_ns N"
//   bench_inprocess keys N      one line per window, text shape and size: the cost of one
//                               keystroke (key event to the end of all its handlers) over N
//                               keystrokes (fewer where they would take over 20 s); "keys
//                               FORM lines|paragraph SIZE median_ns N mean_ns N ok 0|1 typed N"
//   bench_inprocess screen form4|form5 SIZE
//                               the live or the free-text test with SIZE characters in lines
//                               in its box, for bench_xwatch to type into: prints "window ID X
//                               Y W H" (the box's text area) and, once standard input closes,
//                               "typed N" (characters added), then quits
//   bench_inprocess windows N   every window but the main one opened and closed N times, the
//                               main window closed and opened again in each round; RSS and heap
//                               in use after round 100 and after round N: "windows rss_start_kib
//                               N rss_end_kib N heap_start N heap_end N ok 0|1"
//   bench_inprocess scores N    the score file written (synced, then renamed into place) and
//                               read back N times, against a plain QFile write and read of the
//                               same bytes;
//                               "scores write_ns N read_ns N ref_write_ns N ref_read_ns N ok 0|1"

#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "forms/forms.h"
#include "forms/module1.h"
#include "measure.h"
#include "platform/files.h"
#include "platform/qtservices.h"
#include "runtime/controls.h"
#include "runtime/program.h"
#include "scores/scorefile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

long long median(std::vector<long long> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

long long mean(const std::vector<long long> &v)
{
    long long sum = 0;
    for (long long x : v)
        sum += x;
    return v.empty() ? 0 : sum / (long long)v.size();
}

// The real time source, with the game's fall tick (the only 10 ms timer in the program)
// counted and its handler timed.
struct FallCounter {
    long long ticks = 0;
    long long handlerNs = 0;
};

class CountingTimeSource : public TimeSource {
public:
    CountingTimeSource(std::unique_ptr<TimeSource> inner, FallCounter &counter)
        : inner_(std::move(inner)), counter_(counter)
    {
    }
    QDateTime now() const override { return inner_->now(); }
    double secondsSinceMidnight() const override { return inner_->secondsSinceMidnight(); }
    std::uint32_t tickCount() const override { return inner_->tickCount(); }
    std::unique_ptr<TimerDriver> createTimer(std::function<void()> onTick) override
    {
        return std::make_unique<Driver>(*inner_, std::move(onTick), counter_);
    }

private:
    class Driver : public TimerDriver {
    public:
        Driver(TimeSource &time, std::function<void()> onTick, FallCounter &counter)
            : inner_(time.createTimer([this, onTick = std::move(onTick), &counter] {
                  if (interval_ != 10) {
                      onTick();
                      return;
                  }
                  const long long t0 = nowNs(CLOCK_MONOTONIC);
                  onTick();
                  counter.handlerNs += nowNs(CLOCK_MONOTONIC) - t0;
                  ++counter.ticks;
              }))
        {
        }
        void start(int intervalMs) override
        {
            interval_ = intervalMs;
            inner_->start(intervalMs);
        }
        void stop() override { inner_->stop(); }

    private:
        int interval_ = 0;
        std::unique_ptr<TimerDriver> inner_;
    };

    std::unique_ptr<TimeSource> inner_;
    FallCounter &counter_;
};

int runFall(int seconds)
{
    FallCounter counter;
    Services services = realServices();
    services.time = std::make_unique<CountingTimeSource>(std::move(services.time), counter);
    Program program(std::move(services));
    Module1 module1(program.files(), Module1::systemFolders(program.files(), {}));
    Forms forms(program, module1);
    Form3 &game = forms.form3();
    game.show();
    announceWindow(game.window());

    long long cpu0 = 0, wall0 = 0, ticks0 = 0, handler0 = 0;
    QTimer::singleShot(500, [&] {
        game.ui().Command1->click();
        QTimer::singleShot(1000, [&] {
            cpu0 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
            wall0 = nowNs(CLOCK_MONOTONIC);
            ticks0 = counter.ticks;
            handler0 = counter.handlerNs;
            QTimer::singleShot(seconds * 1000, [&] {
                std::printf("fall ticks %lld cpu_ns %lld wall_ns %lld handler_ns %lld\n",
                            counter.ticks - ticks0, nowNs(CLOCK_PROCESS_CPUTIME_ID) - cpu0,
                            nowNs(CLOCK_MONOTONIC) - wall0, counter.handlerNs - handler0);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        });
    });
    return QApplication::exec();
}

// Types up to `count` letters into the box, timing each key from the event to the end of its
// handlers; the window repaints between keys, untimed. A box so slow that the keys would take
// more than `budgetNs` in all stops early (after at least minimumKeys): its median is long
// settled by then, and the whole benchmark has to stay within minutes.
std::vector<long long> typeKeys(TextBox &box, int count, long long budgetNs = 20'000'000'000LL)
{
    constexpr int minimumKeys = 50;
    std::vector<long long> costs;
    costs.reserve(count);
    long long spent = 0;
    QElapsedTimer timer;
    for (int i = 0; i < count && (i < minimumKeys || spent < budgetNs); ++i) {
        const int letter = i % 26;
        const QString text(QChar(char16_t(u'a' + letter)));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + letter, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + letter, Qt::NoModifier, text);
        timer.start();
        QApplication::sendEvent(&box, &press);
        costs.push_back(timer.nsecsElapsed());
        spent += costs.back();
        QApplication::sendEvent(&box, &release);
        QApplication::processEvents();
    }
    return costs;
}

void prefill(TextBox &box, int length, Shape shape)
{
    box.setText(typedText(length, shape));
    box.moveCursor(QTextCursor::End);
    QApplication::processEvents();
}

void report(const char *form, const char *shape, int size, const std::vector<long long> &costs,
            bool ok)
{
    std::printf("keys %s %s %d median_ns %lld mean_ns %lld ok %d typed %d\n", form, shape, size,
                median(costs), mean(costs), ok ? 1 : 0, int(costs.size()));
    std::fflush(stdout);
}

// One keystroke run on a fresh program: the window opened as the user opens it, the text put
// in, the caret at its end, then `count` letters typed.
void typeInto(const char *form, Shape shape, int size, int count)
{
    Program program(realServices());
    Module1 module1(program.files(), Module1::systemFolders(program.files(), {}));
    Forms forms(program, module1);
    const char *shapeName = shape == Shape::Lines ? "lines" : "paragraph";
    if (qstrcmp(form, "form4") == 0) {
        // The live test: "开始" clears the box, puts the caret there and starts the clocks.
        Form4 &live = forms.form4();
        live.show();
        live.ui().Command1->click();
        prefill(*live.ui().Text1, size, shape);
        const std::vector<long long> costs = typeKeys(*live.ui().Text1, count);
        const qsizetype typed = qsizetype(costs.size());
        const bool ok = live.ui().Text1->TextLength() == size + typed &&
                        live.ui().Label1->Caption() == characterCountCaption(size + typed);
        report(form, shapeName, size, costs, ok);
    } else {
        Form5 &free = forms.form5();
        free.show();
        free.ui().Text1->SetFocus();
        prefill(*free.ui().Text1, size, shape);
        const std::vector<long long> costs = typeKeys(*free.ui().Text1, count);
        report(form, shapeName, size, costs,
               free.ui().Text1->TextLength() == size + qsizetype(costs.size()));
    }
}

// A typing test opened as in typeInto, its box filled with `size` characters in lines, left to
// bench_xwatch to type into from outside.
int serveScreen(const char *form, int size)
{
    Program program(realServices());
    Module1 module1(program.files(), Module1::systemFolders(program.files(), {}));
    Forms forms(program, module1);
    TextBox *box = nullptr;
    if (qstrcmp(form, "form4") == 0) {
        Form4 &live = forms.form4();
        live.show();
        live.ui().Command1->click();
        box = live.ui().Text1;
    } else {
        Form5 &free = forms.form5();
        free.show();
        free.ui().Text1->SetFocus();
        box = free.ui().Text1;
    }
    prefill(*box, size, Shape::Lines);
    announceWindow(*box->viewport());
    quitWhenInputCloses(*box, [box, size] { return box->TextLength() - size; });
    return QApplication::exec();
}

int runKeys(int count)
{
    for (const char *form : {"form4", "form5"}) {
        typeInto(form, Shape::Lines, 0, count);
        for (Shape shape : {Shape::Lines, Shape::Paragraph})
            for (int size : {10'000, 100'000})
                typeInto(form, shape, size, count);
    }
    return 0;
}

int runScores(int count)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    const QString referencePath = dir.filePath(QStringLiteral("reference.ini"));
    const QString caption = QStringLiteral("总分:1230");
    const QByteArray bytes = scorefile::contents(caption).value_or(QByteArray());
    PosixFiles files;
    Module1 module1(files, scorefile::Folders{dir.path(), dir.path()});
    std::vector<long long> write, read, refWrite, refRead;
    bool ok = true;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        timer.start();
        ok = ok && !module1.saveScore(caption).has_value();
        write.push_back(timer.nsecsElapsed());
        timer.start();
        ok = ok && module1.ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"), path) ==
                       caption;
        read.push_back(timer.nsecsElapsed());

        timer.start();
        {
            QFile file(referencePath);
            ok = ok && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                 file.write(bytes) == bytes.size();
        }
        refWrite.push_back(timer.nsecsElapsed());
        timer.start();
        {
            QFile file(referencePath);
            ok = ok && file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
        }
        refRead.push_back(timer.nsecsElapsed());
    }
    std::printf("scores write_ns %lld read_ns %lld ref_write_ns %lld ref_read_ns %lld ok %d\n",
                median(write), median(read), median(refWrite), median(refRead), ok ? 1 : 0);
    return 0;
}

// The user opening and closing windows all day: each round shows Form2 … Form7, closes the
// main window and shows it again, then closes the others, letting the event loop run between.
int runWindows(int rounds)
{
    QTemporaryDir dir;
    Program program(realServices());
    Module1 module1(program.files(), scorefile::Folders{dir.path(), dir.path()});
    Forms forms(program, module1);
    forms.start();
    const std::vector<Form *> others = {&forms.form2(), &forms.form3(), &forms.form4(),
                                        &forms.form5(), &forms.form6(), &forms.form7()};
    long rssStart = 0;
    std::size_t heapStart = 0;
    for (int round = 1; round <= rounds && !program.hasEnded(); ++round) {
        for (Form *form : others) {
            form->show();
            QCoreApplication::processEvents();
        }
        forms.form1().window().close();
        QCoreApplication::processEvents();
        forms.form1().show();
        QCoreApplication::processEvents();
        for (Form *form : others) {
            form->window().close();
            QCoreApplication::processEvents();
        }
        if (round == std::min(100, rounds)) {
            rssStart = rssKib();
            heapStart = mallinfo2().uordblks;
        }
    }
    std::printf("windows rss_start_kib %ld rss_end_kib %ld heap_start %zu heap_end %zu ok %d\n",
                rssStart, rssKib(), heapStart, std::size_t(mallinfo2().uordblks),
                program.hasEnded() ? 0 : 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int n = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    if (mode == QLatin1String("fall") && n > 0)
        return runFall(n);
    if (mode == QLatin1String("keys") && n > 0)
        return runKeys(n);
    if (mode == QLatin1String("screen") && argc > 3)
        return serveScreen(argv[2], QString::fromLocal8Bit(argv[3]).toInt());
    if (mode == QLatin1String("windows") && n > 0)
        return runWindows(n);
    if (mode == QLatin1String("scores") && n > 0)
        return runScores(n);
    std::fprintf(stderr,
                 "usage: %s fall SECS | keys N | screen form4|form5 SIZE | windows N | scores N\n",
                 argv[0]);
    return 2;
}

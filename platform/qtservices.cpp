#include "platform/qtservices.h"

#include "platform/files.h"
#include "platform/sessionend.h"
#include "platform/tray.h"

#include <QApplication>
#include <QImageReader>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>

#include <time.h>

namespace {

class QtTimerDriver : public TimerDriver {
public:
    explicit QtTimerDriver(std::function<void()> onTick)
    {
        QObject::connect(&timer_, &QTimer::timeout, std::move(onTick));
    }
    void start(int intervalMs) override
    {
        // Short intervals (the game's 10 ms fall) need the precise timer; coarse ones let
        // the system batch wake-ups.
        timer_.setTimerType(intervalMs < 50 ? Qt::PreciseTimer : Qt::CoarseTimer);
        timer_.start(intervalMs);
    }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

QDateTime QtTimeSource::now() const
{
    QDateTime t = QDateTime::currentDateTime();
    return t.addMSecs(-t.time().msec());
}

double QtTimeSource::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::uint32_t QtTimeSource::tickCount() const
{
    // Milliseconds since boot, counting suspended time too, cut to 32 bits like the tick
    // count of the platform the program was designed for.
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const std::uint64_t ms =
        std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
    return std::uint32_t(ms);
}

std::unique_ptr<TimerDriver> QtTimeSource::createTimer(std::function<void()> onTick)
{
    return std::make_unique<QtTimerDriver>(std::move(onTick));
}

float SharedRandom::next()
{
    // 24 random bits scaled by 2^-24: exactly representable, always below 1.
    return float(engine_() >> 8) * (1.0f / 16777216.0f);
}

void QtMessageBox::show(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    open_.push_back(&box);
    box.exec();
    std::erase(open_, &box);
}

void QtMessageBox::closeOpen()
{
    for (QMessageBox *box : open_)
        box->done(QMessageBox::Ok);
}

void QtProgramExit::quit(int code) { QCoreApplication::exit(code); }

QIcon featherIcon()
{
    // Every image is PNG: saying so spares Qt loading every image-format plugin to ask it,
    // a few milliseconds of every start.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImageReader reader(QStringLiteral(":/icons/kelvane-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

void loadQtChineseTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

Services realServices()
{
    Services s;
    s.time = std::make_unique<QtTimeSource>();
    s.random = std::make_unique<SharedRandom>();
    s.messageBox = std::make_unique<QtMessageBox>();
    s.icon = featherIcon();
    s.notifyIcon = std::make_unique<QtNotifyIcon>(s.icon);
    s.exit = std::make_unique<QtProgramExit>();
    s.sessionEnd = std::make_unique<PosixSessionEnd>();
    s.files = std::make_unique<PosixFiles>();
    return s;
}

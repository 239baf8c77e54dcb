#include "qtservices.h"

#include "trayicondata.h"

#include <QApplication>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QStandardPaths>
#include <QTimer>

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

std::uint32_t QtTimeSource::tickCount() const
{
    // Milliseconds since boot, counting suspended time too, cut to 32 bits like the tick
    // count of the platform the program was designed for.
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const std::uint64_t ms = std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
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
    box.exec();
}

bool QtNotifyIcon::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtNotifyIcon::notify(Message message, const TrayIconData &data)
{
    switch (message) {
    case Add:
        // Like the shell: no notification area, or this icon is already there, and the
        // request fails.
        if (icon_ || !isAvailable())
            return false;
        icon_ = std::make_unique<QSystemTrayIcon>(featherIcon());
        if (data.uFlags & TrayIconData::tipValid)
            icon_->setToolTip(data.shownTip());
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             const int code = trayEventCode(reason);
                             if (code != 0 && handler_)
                                 handler_(code);
                         });
        hWnd_ = data.hWnd;
        uID_ = data.uID;
        icon_->show();
        return true;
    case Delete:
        if (!icon_ || data.hWnd != hWnd_ || data.uID != uID_)
            return false;
        icon_->hide();
        QObject::disconnect(icon_.get(), nullptr, nullptr, nullptr);
        // The handler that asked may be running inside this icon's own signal.
        icon_.release()->deleteLater();
        return true;
    }
    return false;
}

void QtNotifyIcon::setEventHandler(std::function<void(int eventCode)> handler)
{
    handler_ = std::move(handler);
}

int trayEventCode(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return 514;
    case QSystemTrayIcon::DoubleClick:
        return 515;
    case QSystemTrayIcon::Context:
        return 517;
    case QSystemTrayIcon::MiddleClick:
        return 520;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

void QtProgramExit::quit(int code) { QCoreApplication::exit(code); }

Folders systemFolders()
{
    return Folders{QCoreApplication::applicationDirPath(),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}

QIcon featherIcon()
{
    // Both images are PNG: saying so spares Qt loading every image-format plugin to ask it,
    // a few milliseconds of every start.
    QIcon icon;
    for (const QString &path : {QStringLiteral(":/icons/kelvane-16.png"),
                                QStringLiteral(":/icons/kelvane-32.png")}) {
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

Services realServices()
{
    Services s;
    s.time = std::make_unique<QtTimeSource>();
    s.random = std::make_unique<SharedRandom>();
    s.messageBox = std::make_unique<QtMessageBox>();
    s.notifyIcon = std::make_unique<QtNotifyIcon>();
    s.exit = std::make_unique<QtProgramExit>();
    s.folders = systemFolders();
    return s;
}

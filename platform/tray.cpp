#include "platform/tray.h"

#include "runtime/trayicondata.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QStyleHints>

QtNotifyIcon::QtNotifyIcon(QIcon icon) : image_(std::move(icon))
{
    leave_.setSingleShot(true);
    QObject::connect(&leave_, &QTimer::timeout, [this] { finishLeaving(); });
    hostCheck_.setInterval(1000);
    hostCheck_.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&hostCheck_, &QTimer::timeout, [this] { checkHost(); });
}

QtNotifyIcon::~QtNotifyIcon() = default;

bool QtNotifyIcon::isAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtNotifyIcon::notify(Message message, const TrayIconData &data)
{
    switch (message) {
    case Add:
        // Like the shell: no notification area, or this icon is already there, and the
        // request fails.
        if (icon_ || !isAvailable())
            return false;
        finishLeaving();
        host_ = currentTrayHost();
        icon_ = std::make_unique<QSystemTrayIcon>(image_);
        if (data.uFlags & TrayIconData::tipValid)
            icon_->setToolTip(data.shownTip());
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
        hWnd_ = data.hWnd;
        uID_ = data.uID;
        icon_->show();
        hostMissing_.invalidate();
        hostCheck_.start();
        return true;
    case Delete: {
        if (!icon_ || data.hWnd != hWnd_ || data.uID != uID_)
            return false;
        hostCheck_.stop();
        // Deaf from now on: a second click of a double click changes nothing.
        QObject::disconnect(icon_.get(), nullptr, nullptr, nullptr);
        leaving_ = std::move(icon_);
        const qint64 wait = host_ == TrayHost::StatusNotifier && lastActivation_.isValid()
                                ? QGuiApplication::styleHints()->mouseDoubleClickInterval() -
                                      lastActivation_.elapsed()
                                : 0;
        if (wait > 0)
            leave_.start(int(wait));
        else
            finishLeaving();
        return true;
    }
    }
    return false;
}

void QtNotifyIcon::setEventHandler(std::function<void(int eventCode)> handler)
{
    handler_ = std::move(handler);
}

void QtNotifyIcon::setLostHandler(std::function<void()> handler)
{
    lostHandler_ = std::move(handler);
}

void QtNotifyIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    lastActivation_.start();
    const int code = trayEventCode(reason, host_);
    if (code != 0 && handler_)
        handler_(code);
}

void QtNotifyIcon::finishLeaving()
{
    leave_.stop();
    if (!leaving_)
        return;
    leaving_->hide();
    // The handler that removed it may be running inside this icon's own signal.
    leaving_.release()->deleteLater();
}

bool QtNotifyIcon::hostPresent() const
{
    // Qt keeps to the kind of host it chose at its first look, so only that kind counts.
    return host_ == TrayHost::StatusNotifier ? currentTrayHost() == TrayHost::StatusNotifier
                                             : isAvailable();
}

void QtNotifyIcon::checkHost()
{
    if (hostPresent()) {
        // A panel that restarts gets the icon back from Qt.
        hostMissing_.invalidate();
        return;
    }
    if (!hostMissing_.isValid())
        hostMissing_.start();
    if (hostMissing_.elapsed() < hostGraceMs)
        return;
    hostCheck_.stop();
    icon_->hide();
    QObject::disconnect(icon_.get(), nullptr, nullptr, nullptr);
    icon_.reset();
    if (lostHandler_)
        lostHandler_();
}

TrayHost currentTrayHost()
{
    // Qt decides once per process, at its first look, to show icons over D-Bus: when the
    // watcher is registered and says a host is. From then on it calls the tray available only
    // while the watcher is registered. So testing the watcher alone, at each add, can err one
    // way only: with a watcher on the bus while Qt stays on XEmbed (a watcher without a host,
    // or one that arrived later), a single click restores as well as the double click. It
    // never takes Qt's D-Bus icon for an XEmbed one, which would leave the main window with
    // no way back.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    const bool watcher =
        daemon &&
        daemon->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
    return watcher ? TrayHost::StatusNotifier : TrayHost::XEmbed;
}

int trayEventCode(QSystemTrayIcon::ActivationReason reason, TrayHost host)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: return host == TrayHost::StatusNotifier ? 515 : 514;
    case QSystemTrayIcon::DoubleClick: return 515;
    case QSystemTrayIcon::Context: return 517;
    case QSystemTrayIcon::MiddleClick: return 520;
    case QSystemTrayIcon::Unknown: break;
    }
    return 0;
}

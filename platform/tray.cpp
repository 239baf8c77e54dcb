#include "platform/tray.h"

#include "runtime/trayicondata.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

bool QtNotifyIcon::isAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtNotifyIcon::notify(Message message, const TrayIconData &data)
{
    switch (message) {
    case Add:
        // Like the shell: no notification area, or this icon is already there, and the
        // request fails.
        if (icon_ || !isAvailable())
            return false;
        host_ = currentTrayHost();
        icon_ = std::make_unique<QSystemTrayIcon>(image_);
        if (data.uFlags & TrayIconData::tipValid)
            icon_->setToolTip(data.shownTip());
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             const int code = trayEventCode(reason, host_);
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

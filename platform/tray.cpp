#include "platform/tray.h"

#include "runtime/trayicondata.h"

bool QtNotifyIcon::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtNotifyIcon::notify(Message message, const TrayIconData &data)
{
    switch (message) {
    case Add:
        // Like the shell: no notification area, or this icon is already there, and the
        // request fails.
        if (icon_ || !isAvailable())
            return false;
        icon_ = std::make_unique<QSystemTrayIcon>(image_);
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
    case QSystemTrayIcon::Trigger: return 514;
    case QSystemTrayIcon::DoubleClick: return 515;
    case QSystemTrayIcon::Context: return 517;
    case QSystemTrayIcon::MiddleClick: return 520;
    case QSystemTrayIcon::Unknown: break;
    }
    return 0;
}

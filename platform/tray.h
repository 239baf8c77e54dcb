#pragma once

#include "runtime/services.h"

#include <QIcon>
#include <QSystemTrayIcon>

// The kind of notification area that shows the icon. An XEmbed tray (trayer, older panels)
// passes the mouse on, double click included. A StatusNotifier host (KDE Plasma, GNOME's
// AppIndicator extension, Xfce, Deepin, UKUI) talks D-Bus and has no double click: its left
// click arrives as Activate, which Qt reports as a Trigger.
enum class TrayHost { XEmbed, StatusNotifier };

// The host an icon added now goes to: a StatusNotifier host when its watcher service is
// registered on the session bus.
TrayHost currentTrayHost();

// One QSystemTrayIcon standing for the shell's notification icon: added and removed on
// request, keyed by the record's window handle and identifier, showing the feather and the
// tip up to its NUL. Its activations come back as the shell's mouse event codes.
class QtNotifyIcon : public NotifyIcon {
public:
    explicit QtNotifyIcon(QIcon icon) : image_(std::move(icon)) {}
    bool notify(Message message, const TrayIconData &data) override;
    bool isShown() const override { return icon_ != nullptr; }
    void setEventHandler(std::function<void(int eventCode)> handler) override;

private:
    // Whether a notification area exists to add an icon to.
    static bool isAvailable();

    QIcon image_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::uint32_t hWnd_ = 0;
    std::uint32_t uID_ = 0;
    TrayHost host_ = TrayHost::XEmbed;
    std::function<void(int)> handler_;
};

// The shell's event code for an activation of the tray icon: a click arrives as the left
// button's release (514), a double click as 515, the context request as the right button's
// release (517), a middle click as 520; 0 for anything else. On a StatusNotifier host the
// click is that host's way to open a program and stands for the double click (515).
int trayEventCode(QSystemTrayIcon::ActivationReason reason, TrayHost host);

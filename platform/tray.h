#pragma once

#include "runtime/services.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QTimer>

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
//
// A StatusNotifier host restores on a single click, Activate; an icon removed at once would
// shrink the panel under the second click of a double click, which then lands on whatever
// slid under the pointer. So an icon removed within the double-click interval of its last
// activation stays in the host, deaf, until that interval is over.
//
// While the icon is shown, the notification area going away (the StatusNotifierWatcher leaving
// the session bus, the XEmbed tray manager giving up its selection) and not coming back
// within hostGraceMs forgets the icon and calls the lost handler. Qt says nothing public when
// an XEmbed tray goes, so the host is looked for once a second while the icon is shown.
class QtNotifyIcon : public NotifyIcon {
public:
    static constexpr int hostGraceMs = 3000;
    explicit QtNotifyIcon(QIcon icon);
    ~QtNotifyIcon() override;
    bool notify(Message message, const TrayIconData &data) override;
    bool isShown() const override { return icon_ != nullptr; }
    void setEventHandler(std::function<void(int eventCode)> handler) override;
    void setLostHandler(std::function<void()> handler) override;

private:
    // Whether a notification area exists to add an icon to.
    static bool isAvailable();

    void activated(QSystemTrayIcon::ActivationReason reason);
    bool hostPresent() const;
    void checkHost();
    void finishLeaving();

    QIcon image_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    // Removed, but still in a StatusNotifier host until `leave_` fires.
    std::unique_ptr<QSystemTrayIcon> leaving_;
    QTimer leave_;
    QElapsedTimer lastActivation_;
    QTimer hostCheck_;
    QElapsedTimer hostMissing_;
    std::uint32_t hWnd_ = 0;
    std::uint32_t uID_ = 0;
    TrayHost host_ = TrayHost::XEmbed;
    std::function<void(int)> handler_;
    std::function<void()> lostHandler_;
};

// The shell's event code for an activation of the tray icon: a click arrives as the left
// button's release (514), a double click as 515, the context request as the right button's
// release (517), a middle click as 520; 0 for anything else. On a StatusNotifier host the
// click is that host's way to open a program and stands for the double click (515).
int trayEventCode(QSystemTrayIcon::ActivationReason reason, TrayHost host);

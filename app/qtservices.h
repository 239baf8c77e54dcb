#pragma once

#include "services.h"

#include <QIcon>
#include <QSystemTrayIcon>

#include <random>

// The production adapters: each a few lines around one Qt or OS call.

class QtTimeSource : public TimeSource {
public:
    QDateTime now() const override;
    std::uint32_t tickCount() const override;
    std::unique_ptr<TimerDriver> createTimer(std::function<void()> onTick) override;
};

// The program's one generator. It starts from a fixed seed, so every start draws the same
// sequence until something reseeds it.
class SharedRandom : public Random {
public:
    static constexpr std::uint32_t initialSeed = 0x4B656C76;
    SharedRandom() : engine_(initialSeed) {}
    float next() override;
    void reseed(std::uint32_t seed) override { engine_.seed(seed); }

private:
    std::mt19937 engine_;
};

class QtMessageBox : public MessageBox {
public:
    void show(const QString &text, const QString &title) override;
};

// One QSystemTrayIcon standing for the shell's notification icon: added and removed on
// request, keyed by the record's window handle and identifier, showing the feather and the
// tip up to its NUL. Its activations come back as the shell's mouse event codes.
class QtNotifyIcon : public NotifyIcon {
public:
    bool isAvailable() const override;
    bool notify(Message message, const TrayIconData &data) override;
    void setEventHandler(std::function<void(int eventCode)> handler) override;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::uint32_t hWnd_ = 0;
    std::uint32_t uID_ = 0;
    std::function<void(int)> handler_;
};

// The shell's event code for an activation of the tray icon: a click arrives as the left
// button's release (514), a double click as 515, the context request as the right button's
// release (517), a middle click as 520; 0 for anything else.
int trayEventCode(QSystemTrayIcon::ActivationReason reason);

class QtProgramExit : public ProgramExit {
public:
    void quit(int code) override;
};

// The program's folder and the per-user data folder of this installation.
Folders systemFolders();

// The feather, for the windows and the tray.
QIcon featherIcon();

// All real services.
Services realServices();

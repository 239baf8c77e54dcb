#pragma once

#include "runtime/services.h"

#include <QIcon>

#include <random>
#include <vector>

class QCoreApplication;

// The production adapters of time, random numbers, the message box and program end: each a
// few lines around one Qt or OS call. The tray (tray.h) and the disk (files.h) have files of
// their own.

class QtTimeSource : public TimeSource {
public:
    QDateTime now() const override;
    double secondsSinceMidnight() const override;
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

class QMessageBox;

class QtMessageBox : public MessageBox {
public:
    void show(const QString &text, const QString &title) override;
    void closeOpen() override;

private:
    // The boxes waiting for the user now, innermost last.
    std::vector<QMessageBox *> open_;
};

class QtProgramExit : public ProgramExit {
public:
    void quit(int code) override;
};

// The feather, for the windows and the tray, at every size the package installs: title
// bars, task switchers and trays of HiDPI desktops pick a sharp one.
QIcon featherIcon();

// Qt's own words (message box buttons, the text boxes' menu) in Simplified Chinese whatever
// the session's language, as every other word of the program is. Without Qt's translation
// file they stay English.
void loadQtChineseTranslation(QCoreApplication &app);

// All real services.
Services realServices();

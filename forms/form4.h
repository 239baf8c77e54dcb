#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

#include <QString>

#include <cstdint>

class Forms;

// The live typing speed test: while the user types, shows the characters typed, the time
// since "开始" and the speed in characters per minute. Text can only grow from the keyboard.
class Form4 final : public Form {
public:
    explicit Form4(Forms &forms);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        TextBox *Text1 = new TextBox(w, u"Text1", TextBox::Lines::Multi, 1200, 480, 3735, 855);
        // The result label: the speed, read by the leaderboard.
        Label *Label3 = new Label(w, u"Label3", 5040, 360, 1695, 855);
        CommandButton *Command1 = new CommandButton(w, u"Command1", u"开始", 1200, 1440, 1575, 615);
        CommandButton *Command2 = new CommandButton(w, u"Command2", u"退出", 3480, 1440, 1575, 615);
        Label *Label1 = new Label(w, u"Label1", 840, 2400, 2055, 1335);
        Label *Label2 = new Label(w, u"Label2", 3120, 2400, 2415, 1335);
        // clang-format on
        Timer Timer1{time};
        Timer Timer2{time};
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

    // Kept across unloads of the window; only the handlers change them.
    std::int32_t startTick() const { return startTick_; }
    std::int32_t elapsedSeconds() const { return elapsedSeconds_; }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Text1_Change();
    void Text1_KeyDown(int &keyCode, int shift);
    void Text1_KeyPress(int &keyAscii);
    void Timer1_Timer();
    void Timer2_Timer();

    // The tick count at the latest "开始" and at the latest tick of Timer1, as the signed
    // reading of the unsigned count.
    std::int32_t startTick_ = 0;
    std::int32_t lastTick_ = 0;
    // Whole seconds from startTick_ to lastTick_.
    std::int32_t elapsedSeconds_ = 0;
};

// Milliseconds from one tick count to a later one. The count is unsigned 32-bit and wraps, so
// the difference is taken modulo 2^32: a test that spans 2^31 ms or the wrap to 0 still gets
// its true length.
std::uint32_t elapsedMilliseconds(std::int32_t startTick, std::int32_t lastTick);

// "录入字符 " + length + " 个".
QString characterCountCaption(qsizetype length);
// "用时 M 分 S 秒": whole minutes of the milliseconds, then the seconds within the minute.
QString elapsedTimeCaption(std::uint32_t elapsedMs);
// "录入速度 " + Int(length / seconds * 60) + " 字符/分钟"; seconds must not be 0.
QString typingSpeedCaption(qsizetype length, std::int32_t seconds);

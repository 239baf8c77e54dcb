#pragma once

#include "app/form.h"

#include <cstdint>

class CommandButton;
class Label;
class TextBox;
class Timer;

// The free-text typing speed test: counts seconds from loading and, on "计算", shows the
// seconds per typed character.
class Form5 final : public Form {
public:
    explicit Form5(Program &program);

    Label &Label1();
    Label &Label2();
    Label &Label3();
    Label &Label4();
    TextBox &Text1();
    CommandButton &Command1();
    Timer &Timer1();

    void Timer1_Timer();
    void Command1_Click();

    std::int32_t secondCount() const { return secondCount_; }

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;

private:
    struct Controls;
    std::int32_t secondCount_ = 0;
};

// "你的打字速度测试成绩为" + seconds per character + "秒/个".
QString speedTestResult(double seconds, qsizetype characters);

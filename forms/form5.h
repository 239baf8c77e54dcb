#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

#include <cstdint>

class Forms;

// The free-text typing speed test: counts seconds from loading and, on "计算", shows the
// seconds per typed character.
class Form5 final : public Form {
public:
    explicit Form5(Forms &forms);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        // The result label, read by the leaderboard.
        Label *Label4 = new Label(w, u"Label4", 480, 240, 5775, 495);
        Label *Label1 = new Label(w, u"Label1", 600, 840, 975, 615, {}, 15.75);
        Label *Label2 = new Label(w, u"Label2", 1080, 1800, 4815, 855,
            u"注意一打开就开始打字了，这个BUG在以后的版本会解决。。还有.的前面就是0 "
            u"比如它说你的速度是.25秒一个字 那就是0.25秒打一个字。。。完毕后先退出再保存到排行榜");
        Label *Label3 = new Label(w, u"Label3", 1920, 2280, 3255, 615);
        TextBox *Text1 = new TextBox(w, u"Text1", TextBox::Lines::Multi, 240, 3000, 6255, 1215);
        CommandButton *Command1 = new CommandButton(w, u"Command1", u"计算", 2280, 4320, 1935, 735);
        // clang-format on
        Timer Timer1{time};
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

    std::int32_t secondCount() const { return secondCount_; }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;
    void Timer1_Timer();
    void Command1_Click();

    Forms &forms_;
    std::int32_t secondCount_ = 0;
};

// "你的打字速度测试成绩为" + seconds per character + "秒/个".
QString speedTestResult(double seconds, qsizetype characters);

#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

#include <cstdint>

class Forms;
class Module1;

// The falling-letter typing game: one capital letter falls down the window; pressing its key
// scores 10 and drops a new one. A game lasts one minute. Closing the window saves the score
// caption to the score file.
class Form3 final : public Form {
public:
    Form3(Forms &forms, Module1 &module1);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        Label *Label1 = new Label(w, u"Label1", 480, 360, 2055, 975);
        Label *Label2 = new Label(w, u"Label2", 3240, 360, 2535, 975);
        CommandButton *Command1 = new CommandButton(w, u"Command1", {}, 2400, 2040, 1575, 975);
        Label *Label3 = new Label(w, u"Label3", 240, 3360, 1815, 975,
            u"游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存即可显示 下次打开时就可以读取");
        // clang-format on
        Timer Timer1{time};
        Timer Timer2{time};
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

    std::int64_t score() const { return score_; }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;
    void Form_Unload(int &cancel) override;
    void Command1_Click();
    void Form_KeyDown(int &keyCode, int shift);
    void Timer2_Timer();
    void Timer1_Timer();
    void dropLetter();

    Module1 &module1_;
    // Wide enough that no game can carry it past its range.
    std::int64_t score_ = 0;
};

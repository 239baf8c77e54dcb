#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

class Forms;
class Module1;

// The leaderboard: each button fetches the latest result of one exercise on request, the
// game score from the score file, the others by copying the result labels of the test
// windows as they stand. Nothing is parsed or ranked.
class Form6 final : public Form {
public:
    Form6(Forms &forms, Module1 &module1);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        Label *Label5 = new Label(w, u"Label5", 720, 120, 1455, 375, u"打字游戏分数：");
        Label *Label1 = new Label(w, u"Label1", 2280, 120, 3255, 615, u"分数");
        Label *Label6 = new Label(w, u"Label6", 360, 840, 1695, 375, u"打字速度测试分数：");
        Label *Label2 = new Label(w, u"Label2", 2280, 840, 3375, 855, u"分数");
        Label *Label7 = new Label(w, u"Label7", 360, 1800, 1815, 375, u"打字速度测试1分数：");
        Label *Label3 = new Label(w, u"Label3", 2280, 1800, 3255, 735, u"分数");
        Label *Label10 = new Label(w, u"Label10", 120, 2760, 1935, 375, u"正确率：");
        Label *Label9 = new Label(w, u"Label9", 2160, 2760, 1455, 495);
        Label *Label8 = new Label(w, u"Label8", 120, 3360, 2055, 375, u"英文打字速度测试分数：");
        Label *Label4 = new Label(w, u"Label4", 3000, 3360, 3135, 495, u"分数");
        CommandButton *Command1 = new CommandButton(w, u"Command1", u"保存（读取）打字游戏分数", 960, 3840, 2295, 495);
        CommandButton *Command2 = new CommandButton(w, u"Command2", u"保存打字速度测试分数", 3960, 3840, 2535, 495);
        CommandButton *Command3 = new CommandButton(w, u"Command3", u"保存打字速度测试1分数", 960, 4440, 2295, 495);
        CommandButton *Command4 = new CommandButton(w, u"Command4", u"保存英文打字速度测试分数和正确率", 3960, 4440, 2535, 495);
        // clang-format on
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    Forms &forms_;
    Module1 &module1_;
};

#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/trayicondata.h"

class Forms;

// The main window: a menu of the exercises, a banner whose colour changes every 400 ms and a
// clock.
class Form1 final : public Form {
public:
    explicit Form1(Forms &forms);
    ~Form1() override;

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        CommandButton *Command1 = new CommandButton(w, u"Command1", u"打字速度测试", 0, 0, 1815, 495);
        CommandButton *Command2 = new CommandButton(w, u"Command2", u"打字速度测试1", 1800, 0, 1695, 495);
        CommandButton *Command3 = new CommandButton(w, u"Command3", u"英文打字速度测试", 3480, 0, 1815, 495);
        CommandButton *Command4 = new CommandButton(w, u"Command4", u"打字游戏", 5280, 0, 1695, 495);
        CommandButton *Command5 = new CommandButton(w, u"Command5", u"排行榜", 6960, 0, 1695, 495);
        Label *Label2 = new Label(w, u"Label2", 600, 1080, 7215, 855, u"欢迎使用Kelvane0.4测试版！", 26.25);
        Label *Label1 = new Label(w, u"Label1", 1080, 2280, 6855, 615,
            u"界面难看，有时间我会好好做，也欢迎大家多多提出宝贵意见，给软件以更好的改进，谢谢！", 15.75);
        Line *Line5 = new Line(w, u"Line5", 7320, 2640, 7320, 2760);
        Label *Label4 = new Label(w, u"Label4", 360, 3000, 8175, 615, u"现在打字游戏已经可以储存分数了，快试试看吧！", 18);
        CommandButton *C = new CommandButton(w, u"C", u"退出程序", 600, 3720, 2055, 855);
        CommandButton *Command6 = new CommandButton(w, u"Command6", u"关于程序", 3240, 3720, 1935, 855);
        CommandButton *a = new CommandButton(w, u"a", u"缩小到托盘", 5760, 3720, 2055, 855);
        Label *Label3 = new Label(w, u"Label3", 6600, 4680, 2055, 255);
        // clang-format on
        Timer Timer1{time};
        Timer Timer2{time};
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

    // End removes the icon, if it is still in the notification area, rather than leave it
    // offering to restore a window that no longer exists.
    void atProgramEnd() override;

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;
    void Timer1_Timer();
    void Timer2_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void C_Click();
    void a_Click();
    // Real mouse movements over the window and the tray icon's notifications, which arrive
    // as a movement whose X is the icon's event code in twips.
    void Form_MouseMove(int button, int shift, float x, float y);

    Forms &forms_;
    // The notification-icon record, filled by every a_Click and kept for the delete.
    TrayIconData TrayIconData_;
};

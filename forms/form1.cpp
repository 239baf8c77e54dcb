#include "form1.h"

#include "app/controls.h"
#include "app/convert.h"
#include "app/program.h"
#include "app/qtservices.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"

struct Form1::Controls : FormControls {
    CommandButton *Command1, *Command2, *Command3, *Command4, *Command5;
    Label *Label2, *Label1;
    Line *Line5;
    Label *Label4;
    CommandButton *C, *Command6, *a;
    Label *Label3;
    std::unique_ptr<Timer> Timer1, Timer2;
};

Form1::Form1(Program &program) : Form(program, QStringLiteral("Form1")) {}

// The tray service outlives the windows; it must not call back into a window that is gone.
Form1::~Form1() { program().notifyIcon().setEventHandler(nullptr); }

std::unique_ptr<FormControls> Form1::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("Kelvane0.4测试版"), 8640, 4980);
    w.setWindowIcon(featherIcon());

    auto c = std::make_unique<Controls>();
    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"), QStringLiteral("打字速度测试"),
                                    0, 0, 1815, 495);
    c->Command2 = new CommandButton(&w, QStringLiteral("Command2"),
                                    QStringLiteral("打字速度测试1"), 1800, 0, 1695, 495);
    c->Command3 = new CommandButton(&w, QStringLiteral("Command3"),
                                    QStringLiteral("英文打字速度测试"), 3480, 0, 1815, 495);
    c->Command4 = new CommandButton(&w, QStringLiteral("Command4"), QStringLiteral("打字游戏"),
                                    5280, 0, 1695, 495);
    c->Command5 = new CommandButton(&w, QStringLiteral("Command5"), QStringLiteral("排行榜"),
                                    6960, 0, 1695, 495);

    c->Label2 = new Label(&w, QStringLiteral("Label2"), 600, 1080, 7215, 855);
    c->Label2->setCaption(QStringLiteral("欢迎使用Kelvane0.4测试版！"));
    c->Label2->setFont(songFont(26.25));

    c->Label1 = new Label(&w, QStringLiteral("Label1"), 1080, 2280, 6855, 615);
    c->Label1->setCaption(QStringLiteral(
        "界面难看，有时间我会好好做，也欢迎大家多多提出宝贵意见，给软件以更好的改进，谢谢！"));
    c->Label1->setFont(songFont(15.75));
    c->Label1->setForeColor(rgbColor(255, 0, 0));

    c->Line5 = new Line(&w, QStringLiteral("Line5"), 7320, 2640, 7320, 2760, systemColor(8));

    c->Label4 = new Label(&w, QStringLiteral("Label4"), 360, 3000, 8175, 615);
    c->Label4->setCaption(QStringLiteral("现在打字游戏已经可以储存分数了，快试试看吧！"));
    c->Label4->setFont(songFont(18));
    c->Label4->setForeColor(rgbColor(0, 192, 0));

    c->C = new CommandButton(&w, QStringLiteral("C"), QStringLiteral("退出程序"), 600, 3720, 2055,
                             855);
    c->Command6 = new CommandButton(&w, QStringLiteral("Command6"), QStringLiteral("关于程序"),
                                    3240, 3720, 1935, 855);
    c->a = new CommandButton(&w, QStringLiteral("a"), QStringLiteral("缩小到托盘"), 5760, 3720,
                             2055, 855);

    c->Label3 = new Label(&w, QStringLiteral("Label3"), 6600, 4680, 2055, 255);

    TimeSource &time = program().time();
    c->Timer1 = std::make_unique<Timer>(time, handler<>([this] { Timer1_Timer(); }));
    c->Timer1->setInterval(0);
    c->Timer2 = std::make_unique<Timer>(time, handler<>([this] { Timer2_Timer(); }));
    c->Timer2->setInterval(1000);

    setTabOrder({c->Command1, c->C, c->Command2, c->Command3, c->Command4, c->Command5,
                 c->Command6, c->a});

    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Command2->onClick = handler<>([this] { Command2_Click(); });
    c->Command3->onClick = handler<>([this] { Command3_Click(); });
    c->Command4->onClick = handler<>([this] { Command4_Click(); });
    c->Command5->onClick = handler<>([this] { Command5_Click(); });
    c->Command6->onClick = handler<>([this] { Command6_Click(); });
    c->C->onClick = handler<>([this] { C_Click(); });
    c->a->onClick = handler<>([this] { a_Click(); });

    // The icon's mouse events reach the window the way the shell sends them: as a mouse
    // movement whose horizontal position, in pixels, is the event code.
    w.setMouseTracking(true);
    w.onMouseMove = handler<int, int, float, float>(
        [this](int button, int shift, float x, float y) { Form_MouseMove(button, shift, x, y); });
    program().notifyIcon().setEventHandler(handler<int>(
        [this](int eventCode) { Form_MouseMove(0, 0, float(eventCode * twips::perPixel), 0.0f); }));
    return c;
}

Label &Form1::Label1() { return *controls<Controls>().Label1; }
Label &Form1::Label2() { return *controls<Controls>().Label2; }
Label &Form1::Label3() { return *controls<Controls>().Label3; }
Label &Form1::Label4() { return *controls<Controls>().Label4; }
CommandButton &Form1::Command1() { return *controls<Controls>().Command1; }
CommandButton &Form1::Command2() { return *controls<Controls>().Command2; }
CommandButton &Form1::Command3() { return *controls<Controls>().Command3; }
CommandButton &Form1::Command4() { return *controls<Controls>().Command4; }
CommandButton &Form1::Command5() { return *controls<Controls>().Command5; }
CommandButton &Form1::Command6() { return *controls<Controls>().Command6; }
CommandButton &Form1::C() { return *controls<Controls>().C; }
CommandButton &Form1::a() { return *controls<Controls>().a; }
Timer &Form1::Timer1() { return *controls<Controls>().Timer1; }
Timer &Form1::Timer2() { return *controls<Controls>().Timer2; }

void Form1::Form_Load() { Timer1().setInterval(400); }

void Form1::Timer1_Timer()
{
    Random &rnd = program().random();
    const float r1 = rnd.next();
    const float r2 = rnd.next();
    const float r3 = rnd.next();
    Label2().setForeColor(rgbColor(convert::toInt16(r1 * 255.0f), convert::toInt16(r2 * 255.0f),
                                   convert::toInt16(r3 * 255.0f)));
}

void Form1::Timer2_Timer() { Label3().setCaption(convert::longTime(program().time().now().time())); }

void Form1::Command1_Click() { program().form5().show(); }
void Form1::Command2_Click() { program().form4().show(); }
void Form1::Command3_Click() { program().form2().show(); }
void Form1::Command4_Click() { program().form3().show(); }
void Form1::Command5_Click() { program().form6().show(); }
void Form1::Command6_Click() { program().form7().show(); }

void Form1::C_Click() { program().end(); }

void Form1::a_Click()
{
    TrayIconData_.cbSize = TrayIconData::ansiSize;
    TrayIconData_.uID = 1;
    TrayIconData_.hWnd = std::uint32_t(window().winId());
    TrayIconData_.uFlags =
        TrayIconData::messageValid | TrayIconData::iconValid | TrayIconData::tipValid;
    // The window's own mouse-move message: the icon's events arrive as mouse movements.
    TrayIconData_.uCallbackMessage = 512;
    TrayIconData_.hIcon = std::uint32_t(window().windowIcon().cacheKey());
    TrayIconData_.setTip(QStringLiteral("Kelvane") + QChar(u'\0'));
    if (program().notifyIcon().notify(NotifyIcon::Add, TrayIconData_))
        hide();
    else
        // With no icon to bring it back, a hidden window would be lost for good; the task bar
        // can still restore a minimised one.
        window().showMinimized();
}

void Form1::Form_MouseMove(int button, int shift, float x, float y)
{
    (void)button;
    (void)shift;
    (void)y;
    // The divisor is the fixed 15, not the display's twips per pixel.
    if (convert::toInt32(double(x) / 15) == 515) { // a left double click on the icon
        show();
        program().notifyIcon().notify(NotifyIcon::Delete, TrayIconData_);
    }
}

void Form1::removeTrayIcon()
{
    if (TrayIconData_.cbSize != 0)
        program().notifyIcon().notify(NotifyIcon::Delete, TrayIconData_);
}

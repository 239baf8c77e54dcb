#include "forms/form1.h"

#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "forms/forms.h"
#include "runtime/program.h"
#include "values/convert.h"

Form1::Form1(Forms &forms) : Form(forms.program(), QStringLiteral("Form1")), forms_(forms) {}

// The tray service outlives the windows; it must not call back into a window that is gone.
Form1::~Form1()
{
    program().notifyIcon().setEventHandler(nullptr);
    program().notifyIcon().setLostHandler(nullptr);
}

std::unique_ptr<FormControls> Form1::build(FormWindow &w)
{
    setWindow(w, u"Kelvane0.4测试版", 8640, 4980);
    w.setWindowIcon(program().icon());

    auto c = std::make_unique<Controls>(w, program().time());
    c->Label1->setForeColor(rgbColor(255, 0, 0));
    c->Label4->setForeColor(rgbColor(0, 192, 0));
    c->Timer2.setInterval(1000);
    setTabOrder(
        {c->Command1, c->C, c->Command2, c->Command3, c->Command4, c->Command5, c->Command6, c->a});

    c->Timer1.onTimer = handler<>([this] { Timer1_Timer(); });
    c->Timer2.onTimer = handler<>([this] { Timer2_Timer(); });
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
    // A notification area gone for good would leave the hidden window with no way back.
    program().notifyIcon().setLostHandler(handler<>([this] { show(); }));
    return c;
}

void Form1::Form_Load() { ui().Timer1.setInterval(400); }

void Form1::Timer1_Timer()
{
    Random &rnd = program().random();
    const float r1 = rnd.next();
    const float r2 = rnd.next();
    const float r3 = rnd.next();
    ui().Label2->setForeColor(rgbColor(convert::toInt16(r1 * 255.0f), convert::toInt16(r2 * 255.0f),
                                       convert::toInt16(r3 * 255.0f)));
}

void Form1::Timer2_Timer()
{
    ui().Label3->setCaption(convert::longTime(program().time().now().time()));
}

void Form1::Command1_Click() { forms_.form5().show(); }
void Form1::Command2_Click() { forms_.form4().show(); }
void Form1::Command3_Click() { forms_.form2().show(); }
void Form1::Command4_Click() { forms_.form3().show(); }
void Form1::Command5_Click() { forms_.form6().show(); }
void Form1::Command6_Click() { forms_.form7().show(); }

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

void Form1::atProgramEnd()
{
    if (TrayIconData_.cbSize != 0)
        program().notifyIcon().notify(NotifyIcon::Delete, TrayIconData_);
}

#include "form4.h"

#include "app/controls.h"
#include "app/program.h"

struct Form4::Controls : FormControls {
    TextBox *Text1;
    Label *Label3;
    CommandButton *Command1, *Command2;
    Label *Label1, *Label2;
    std::unique_ptr<Timer> Timer1, Timer2;
};

Form4::Form4(Program &program) : Form(program, QStringLiteral("Form4")) {}

std::unique_ptr<FormControls> Form4::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字速度测试1"), 6870, 4740);

    auto c = std::make_unique<Controls>();
    c->Text1 = new TextBox(&w, QStringLiteral("Text1"), TextBox::Lines::Multi, 1200, 480, 3735,
                           855);
    c->Label3 = new Label(&w, QStringLiteral("Label3"), 5040, 360, 1695, 855);
    c->Label3->setBackColor(systemColor(19));
    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"), QStringLiteral("开始"), 1200,
                                    1440, 1575, 615);
    c->Command2 = new CommandButton(&w, QStringLiteral("Command2"), QStringLiteral("退出"), 3480,
                                    1440, 1575, 615);
    c->Label1 = new Label(&w, QStringLiteral("Label1"), 840, 2400, 2055, 1335);
    c->Label1->setBackColor(systemColor(19));
    c->Label2 = new Label(&w, QStringLiteral("Label2"), 3120, 2400, 2415, 1335);
    c->Label2->setBackColor(systemColor(19));
    c->Timer1 = std::make_unique<Timer>(program().time(), handler<>([this] { Timer1_Timer(); }));
    c->Timer2 = std::make_unique<Timer>(program().time(), handler<>([this] { Timer2_Timer(); }));

    setTabOrder({c->Command1, c->Command2, c->Text1});
    return c;
}

Label &Form4::Label1() { return *controls<Controls>().Label1; }
Label &Form4::Label2() { return *controls<Controls>().Label2; }
Label &Form4::Label3() { return *controls<Controls>().Label3; }
TextBox &Form4::Text1() { return *controls<Controls>().Text1; }
CommandButton &Form4::Command1() { return *controls<Controls>().Command1; }
CommandButton &Form4::Command2() { return *controls<Controls>().Command2; }
Timer &Form4::Timer1() { return *controls<Controls>().Timer1; }
Timer &Form4::Timer2() { return *controls<Controls>().Timer2; }

void Form4::Form_Load() {}
void Form4::Command1_Click() {}
void Form4::Command2_Click() {}
void Form4::Text1_Change() {}
void Form4::Text1_KeyDown(int &, int) {}
void Form4::Text1_KeyPress(int &) {}
void Form4::Timer1_Timer() {}
void Form4::Timer2_Timer() {}

#include "form5.h"

#include "app/controls.h"
#include "app/convert.h"
#include "app/program.h"
#include "app/runtimeerror.h"
#include "forms/form1.h"

#include <limits>

struct Form5::Controls : FormControls {
    Label *Label4, *Label1, *Label2, *Label3;
    TextBox *Text1;
    CommandButton *Command1;
    std::unique_ptr<Timer> Timer1;
};

Form5::Form5(Program &program) : Form(program, QStringLiteral("Form5")) {}

std::unique_ptr<FormControls> Form5::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字速度测试"), 7470, 5160);

    auto c = std::make_unique<Controls>();
    c->Label4 = new Label(&w, QStringLiteral("Label4"), 480, 240, 5775, 495);
    c->Label1 = new Label(&w, QStringLiteral("Label1"), 600, 840, 975, 615);
    c->Label1->setBackColor(systemColor(4));
    c->Label1->setFont(songFont(15.75));
    c->Label2 = new Label(&w, QStringLiteral("Label2"), 1080, 1800, 4815, 855);
    c->Label2->setCaption(QStringLiteral(
        "注意一打开就开始打字了，这个BUG在以后的版本会解决。。还有.的前面就是0 "
        "比如它说你的速度是.25秒一个字 那就是0.25秒打一个字。。。完毕后先退出再保存到排行榜"));
    c->Label3 = new Label(&w, QStringLiteral("Label3"), 1920, 2280, 3255, 615);
    c->Text1 = new TextBox(&w, QStringLiteral("Text1"), TextBox::Lines::Multi, 240, 3000, 6255,
                           1215);
    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"), QStringLiteral("计算"), 2280,
                                    4320, 1935, 735);
    c->Timer1 = std::make_unique<Timer>(program().time(), handler<>([this] { Timer1_Timer(); }));

    setTabOrder({c->Command1, c->Text1});
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    return c;
}

Label &Form5::Label1() { return *controls<Controls>().Label1; }
Label &Form5::Label2() { return *controls<Controls>().Label2; }
Label &Form5::Label3() { return *controls<Controls>().Label3; }
Label &Form5::Label4() { return *controls<Controls>().Label4; }
TextBox &Form5::Text1() { return *controls<Controls>().Text1; }
CommandButton &Form5::Command1() { return *controls<Controls>().Command1; }
Timer &Form5::Timer1() { return *controls<Controls>().Timer1; }

void Form5::Form_Load()
{
    // The count is not reset: it goes on from where the last visit left it.
    Timer1().setEnabled(true);
    Timer1().setInterval(1000);
}

void Form5::Timer1_Timer()
{
    if (secondCount_ == std::numeric_limits<std::int32_t>::max())
        throw RuntimeError(QStringLiteral("溢出"));
    ++secondCount_;
    Label1().setCaption(convert::numberToText(secondCount_));
}

QString speedTestResult(double seconds, qsizetype characters)
{
    return QStringLiteral("你的打字速度测试成绩为") +
           convert::numberToText(seconds / double(characters)) + QStringLiteral("秒/个");
}

void Form5::Command1_Click()
{
    // Refers to the main window: a closed one is loaded again, hidden.
    program().form1().Cls();
    const double seconds = convert::textToNumber(Label1().Caption());
    const qsizetype characters = Text1().TextLength();
    if (characters == 0)
        program().messageBox().show(QStringLiteral("请在文本框中输入文字或字母！"),
                                    Program::applicationTitle());
    else
        Label4().setCaption(speedTestResult(seconds, characters));
    Text1().setText(QString());
    Label1().setCaption(QStringLiteral("0"));
    secondCount_ = 0;
}

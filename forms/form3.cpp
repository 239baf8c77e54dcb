#include "form3.h"

#include "app/controls.h"
#include "app/convert.h"
#include "app/program.h"
#include "scores/scorefile.h"

#include <QDir>

#include <cmath>

struct Form3::Controls : FormControls {
    Label *Label1, *Label2;
    CommandButton *Command1;
    Label *Label3;
    std::unique_ptr<Timer> Timer1, Timer2;
};

Form3::Form3(Program &program) : Form(program, QStringLiteral("Form3")) {}

std::unique_ptr<FormControls> Form3::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字游戏"), 6345, 4485);

    auto c = std::make_unique<Controls>();
    c->Label1 = new Label(&w, QStringLiteral("Label1"), 480, 360, 2055, 975);
    c->Label2 = new Label(&w, QStringLiteral("Label2"), 3240, 360, 2535, 975);
    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"), QString(), 2400, 2040, 1575,
                                    975);
    c->Label3 = new Label(&w, QStringLiteral("Label3"), 240, 3360, 1815, 975);
    c->Label3->setCaption(QStringLiteral("游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存"
                                         "即可显示 下次打开时就可以读取"));
    // The labels share the window's colour and are opaque: the falling letter is a box of
    // that colour, so Qt moves it by copying pixels rather than repainting what it passes.
    for (Label *label : {c->Label1, c->Label2, c->Label3})
        label->setBackColor(systemColor(19));
    c->Timer1 = std::make_unique<Timer>(program().time(), handler<>([this] { Timer1_Timer(); }));
    c->Timer2 = std::make_unique<Timer>(program().time(), handler<>([this] { Timer2_Timer(); }));

    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    w.onKeyDown = handler<int &, int>([this](int &keyCode, int shift) {
        Form_KeyDown(keyCode, shift);
    });
    return c;
}

Label &Form3::Label1() { return *controls<Controls>().Label1; }
Label &Form3::Label2() { return *controls<Controls>().Label2; }
Label &Form3::Label3() { return *controls<Controls>().Label3; }
CommandButton &Form3::Command1() { return *controls<Controls>().Command1; }
Timer &Form3::Timer1() { return *controls<Controls>().Timer1; }
Timer &Form3::Timer2() { return *controls<Controls>().Timer2; }

void Form3::Form_Load()
{
    // The score is not touched: it is shown again only after the next start resets it.
    Command1().setCaption(QStringLiteral("开始"));
    Label1().setCaption(QString());
    Label2().setCaption(QString());
}

void Form3::dropLetter()
{
    const double r = program().random().next();
    Label2().setCaption(convert::chr(65 + int(std::floor(26.0 * r))));
    Label2().setTop(0);
    // The window's current outer width: a resize mid-game counts from the next letter on.
    const double across = program().random().next();
    Label2().setLeft(int(std::floor(across * double(Width() - Label2().Width()))));
}

void Form3::Command1_Click()
{
    score_ = 0;
    // With the only focusable control disabled the window holds the focus, so every key the
    // player presses reaches Form_KeyDown.
    Command1().setEnabled(false);
    Timer2().setInterval(10);
    Label1().setCaption(QStringLiteral("分数") + convert::numberToText(score_));
    Timer1().setInterval(60'000);
    Timer1().setEnabled(true);
    Timer2().setEnabled(true);
    dropLetter();
}

void Form3::Form_KeyDown(int &keyCode, int shift)
{
    (void)shift;
    // No check that a game runs: before the first start no letter shows, and after the end
    // the last letter still counts.
    if (convert::chr(keyCode) != Label2().Caption())
        return;
    dropLetter();
    score_ += 10;
    Label1().setCaption(QStringLiteral("分数") + convert::numberToText(score_));
}

void Form3::Timer2_Timer()
{
    // Runs every 10 ms: a move of one label and a comparison, nothing more.
    Label &letter = Label2();
    letter.setTop(letter.Top() + 40);
    if (letter.Top() > Height())
        dropLetter();
}

void Form3::Timer1_Timer()
{
    Timer1().setInterval(0);
    Timer2().setInterval(0);
    Timer1().setEnabled(false);
    Timer2().setEnabled(false);
    Command1().setEnabled(true);
    Label1().setCaption(QStringLiteral("总分:") + convert::numberToText(score_));
}

void Form3::Form_Unload(int &cancel)
{
    (void)cancel;
    // An empty caption means no game since the window opened: the stored score stays.
    const QString caption = Label1().Caption();
    if (caption.isEmpty())
        return;
    const QString path = program().scoreFilePath();
    // A failed save is told, and the window closes all the same.
    if (const std::optional<QString> reason = scorefile::write(path, caption))
        program().messageBox().show(QStringLiteral("游戏分数未能保存到 %1\n%2")
                                        .arg(QDir::toNativeSeparators(path), *reason),
                                    Program::applicationTitle());
}

#include "forms/form3.h"

#include "forms/forms.h"
#include "forms/module1.h"
#include "runtime/program.h"
#include "values/convert.h"

#include <cmath>

Form3::Form3(Forms &forms, Module1 &module1)
    : Form(forms.program(), QStringLiteral("Form3")), module1_(module1)
{
}

std::unique_ptr<FormControls> Form3::build(FormWindow &w)
{
    setWindow(w, u"打字游戏", 6345, 4485);
    auto c = std::make_unique<Controls>(w, program().time());
    // The labels share the window's colour and are opaque: the falling letter is a box of
    // that colour, so Qt moves it by copying pixels rather than repainting what it passes.
    for (Label *label : {c->Label1, c->Label2, c->Label3})
        label->setBackColor(systemColor(19));

    c->Timer1.onTimer = handler<>([this] { Timer1_Timer(); });
    c->Timer2.onTimer = handler<>([this] { Timer2_Timer(); });
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    w.onKeyDown =
        handler<int &, int>([this](int &keyCode, int shift) { Form_KeyDown(keyCode, shift); });
    return c;
}

void Form3::Form_Load()
{
    // The score is not touched: it is shown again only after the next start resets it.
    ui().Command1->setCaption(QStringLiteral("开始"));
    ui().Label1->setCaption(QString());
    ui().Label2->setCaption(QString());
}

void Form3::dropLetter()
{
    const double r = program().random().next();
    ui().Label2->setCaption(convert::chr(65 + int(std::floor(26.0 * r))));
    ui().Label2->setTop(0);
    // The window's current outer width: a resize mid-game counts from the next letter on.
    const double across = program().random().next();
    ui().Label2->setLeft(int(std::floor(across * double(Width() - ui().Label2->Width()))));
}

void Form3::Command1_Click()
{
    score_ = 0;
    // With the only focusable control disabled the window holds the focus, so every key the
    // player presses reaches Form_KeyDown.
    ui().Command1->setEnabled(false);
    ui().Timer2.setInterval(10);
    ui().Label1->setCaption(QStringLiteral("分数") + convert::numberToText(score_));
    ui().Timer1.setInterval(60'000);
    ui().Timer1.setEnabled(true);
    ui().Timer2.setEnabled(true);
    dropLetter();
}

void Form3::Form_KeyDown(int &keyCode, int shift)
{
    (void)shift;
    // No check that a game runs: before the first start no letter shows, and after the end
    // the last letter still counts.
    if (convert::chr(keyCode) != ui().Label2->Caption())
        return;
    dropLetter();
    score_ += 10;
    ui().Label1->setCaption(QStringLiteral("分数") + convert::numberToText(score_));
}

void Form3::Timer2_Timer()
{
    // Runs every 10 ms: a move of one label and a comparison, nothing more.
    Label &letter = *ui().Label2;
    letter.setTop(letter.Top() + 40);
    if (letter.Top() > Height())
        dropLetter();
}

void Form3::Timer1_Timer()
{
    ui().Timer1.setInterval(0);
    ui().Timer2.setInterval(0);
    ui().Timer1.setEnabled(false);
    ui().Timer2.setEnabled(false);
    ui().Command1->setEnabled(true);
    ui().Label1->setCaption(QStringLiteral("总分:") + convert::numberToText(score_));
}

void Form3::Form_Unload(int &cancel)
{
    (void)cancel;
    // An empty caption means no game since the window opened: the stored score stays.
    const QString caption = ui().Label1->Caption();
    if (caption.isEmpty())
        return;
    // A failed save is told, and the window closes all the same.
    if (const std::optional<QString> reason = module1_.saveScore(caption))
        program().messageBox().show(
            QStringLiteral("游戏分数未能保存到 %1\n%2").arg(module1_.scoreFileShownPath(), *reason),
            Program::applicationTitle());
}

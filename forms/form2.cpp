#include "form2.h"

#include "app/controls.h"
#include "app/convert.h"
#include "app/program.h"

#include <algorithm>
#include <cmath>

namespace {
// Letters per test, and the dividend of the speed whatever the letter box holds later.
constexpr int lettersPerTest = 30;
} // namespace

struct Form2::Controls : FormControls {
    CommandButton *Command1;
    TextBox *Text1, *Text2;
    OptionButton *Opt1, *Opt2;
    Label *Label3, *lblstart, *Label4, *lblend, *Label5, *lblused, *Label1, *Label6, *Label2,
        *Label7;
};

Form2::Form2(Program &program) : Form(program, QStringLiteral("Form2")) {}

std::unique_ptr<FormControls> Form2::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("英文打字速度测试"), 6000, 4275);

    auto c = std::make_unique<Controls>();
    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"), QStringLiteral("产生字母"),
                                    240, 360, 1335, 615);
    c->Text1 = new TextBox(&w, QStringLiteral("Text1"), TextBox::Lines::Single, 2160, 360, 3495,
                           615);
    c->Text2 = new TextBox(&w, QStringLiteral("Text2"), TextBox::Lines::Single, 2160, 1080, 3495,
                           615);
    c->Opt1 = new OptionButton(&w, QStringLiteral("Opt1"), QStringLiteral("大写"), 360, 1200,
                               1095, 375);
    c->Opt2 = new OptionButton(&w, QStringLiteral("Opt2"), QStringLiteral("小写"), 360, 1680,
                               1095, 375);
    c->Label3 = new Label(&w, QStringLiteral("Label3"), 120, 2280, 975, 375);
    c->Label3->setCaption(QStringLiteral("开始时间："));
    c->lblstart = new Label(&w, QStringLiteral("lblstart"), 1200, 2280, 1575, 375);
    c->Label4 = new Label(&w, QStringLiteral("Label4"), 120, 2880, 975, 375);
    c->Label4->setCaption(QStringLiteral("结束时间："));
    c->lblend = new Label(&w, QStringLiteral("lblend"), 1200, 2880, 1575, 375);
    c->Label5 = new Label(&w, QStringLiteral("Label5"), 120, 3480, 975, 375);
    c->Label5->setCaption(QStringLiteral("用时："));
    c->lblused = new Label(&w, QStringLiteral("lblused"), 1200, 3480, 1575, 375);
    c->Label1 = new Label(&w, QStringLiteral("Label1"), 3000, 2400, 855, 375);
    c->Label1->setCaption(QStringLiteral("正确率："));
    c->Label6 = new Label(&w, QStringLiteral("Label6"), 3720, 2400, 1815, 375);
    c->Label2 = new Label(&w, QStringLiteral("Label2"), 3000, 3000, 855, 375);
    c->Label2->setCaption(QStringLiteral("速度："));
    c->Label7 = new Label(&w, QStringLiteral("Label7"), 3720, 3000, 1815, 495);

    // Labels take no focus, so their tab indexes leave this order.
    setTabOrder({c->Command1, c->Text1, c->Text2, c->Opt1, c->Opt2});
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Text2->onGotFocus = handler<>([this] { Text2_GotFocus(); });
    c->Text2->onKeyPress = handler<int &>([this](int &keyAscii) { Text2_KeyPress(keyAscii); });
    return c;
}

CommandButton &Form2::Command1() { return *controls<Controls>().Command1; }
TextBox &Form2::Text1() { return *controls<Controls>().Text1; }
TextBox &Form2::Text2() { return *controls<Controls>().Text2; }
OptionButton &Form2::Opt1() { return *controls<Controls>().Opt1; }
OptionButton &Form2::Opt2() { return *controls<Controls>().Opt2; }
Label &Form2::Label3() { return *controls<Controls>().Label3; }
Label &Form2::lblstart() { return *controls<Controls>().lblstart; }
Label &Form2::Label4() { return *controls<Controls>().Label4; }
Label &Form2::lblend() { return *controls<Controls>().lblend; }
Label &Form2::Label5() { return *controls<Controls>().Label5; }
Label &Form2::lblused() { return *controls<Controls>().lblused; }
Label &Form2::Label1() { return *controls<Controls>().Label1; }
Label &Form2::Label6() { return *controls<Controls>().Label6; }
Label &Form2::Label2() { return *controls<Controls>().Label2; }
Label &Form2::Label7() { return *controls<Controls>().Label7; }

QString letterAccuracyCaption(std::int64_t matching, std::int64_t letters)
{
    return convert::formatNumber(double(matching) / double(letters) * 100.0,
                                 QStringLiteral("###.0")) +
           QStringLiteral("%");
}

QString letterSpeedCaption(std::int64_t seconds)
{
    // The clock reads whole seconds, so a test finished within the second it started took
    // under one second; a clock set back must not give a negative speed either.
    const std::int64_t s = std::max<std::int64_t>(seconds, 1);
    return convert::formatNumber(double(lettersPerTest) / double(s), QStringLiteral("##")) +
           QStringLiteral("字符/秒");
}

void Form2::Command1_Click()
{
    program().reseedRandom();
    Text1().setText(QString());
    Text2().setText(QString());
    Text2().setLocked(false);
    lblstart().setCaption(QString());
    lblend().setCaption(QString());
    lblused().setCaption(QString());
    for (int i = 0; i < lettersPerTest; ++i) {
        const float r = program().random().next();
        // The option is read for every letter.
        const int first = Opt1().Value() ? 65 : 97;
        const int offset = std::min(25, int(std::floor(26.0 * double(r))));
        Text1().setText(Text1().Text() + convert::chr(first + offset));
    }
}

void Form2::Text2_GotFocus()
{
    lblstart().setCaption(convert::formatHms(convert::toDays(program().time().now())));
    startTime = convert::toDays(program().time().now());
}

void Form2::Text2_KeyPress(int &keyAscii)
{
    // Every key counts alike; the code itself is never looked at.
    (void)keyAscii;
    const QString typed = Text2().Text();
    const QString letters = Text1().Text();
    if (typed.size() != letters.size())
        return;
    // Nothing to compare against: no letters yet, or the user emptied the letter box.
    if (letters.isEmpty())
        return;

    // Locking keeps this key, and every later one, out of the box.
    Text2().setLocked(true);
    lblend().setCaption(convert::formatHms(convert::toDays(program().time().now())));
    lblused().setCaption(
        convert::formatHms(convert::toDays(program().time().now()) - startTime));
    endTime = convert::toDays(program().time().now());

    std::int64_t matching = 0;
    for (qsizetype i = 0; i < letters.size(); ++i)
        if (typed.at(i) == letters.at(i))
            ++matching;
    Label6().setCaption(letterAccuracyCaption(matching, letters.size()));
    Label7().setCaption(letterSpeedCaption(convert::wholeSeconds(startTime, endTime)));
}

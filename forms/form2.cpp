#include "forms/form2.h"

#include "forms/forms.h"
#include "runtime/program.h"
#include "values/convert.h"

#include <algorithm>
#include <cmath>

namespace {
// Letters per test, and the dividend of the speed whatever the letter box holds later.
constexpr int lettersPerTest = 30;
} // namespace

Form2::Form2(Forms &forms) : Form(forms.program(), QStringLiteral("Form2")) {}

std::unique_ptr<FormControls> Form2::build(FormWindow &w)
{
    setWindow(w, u"英文打字速度测试", 6000, 4275);
    auto c = std::make_unique<Controls>(w, program().time());
    // Labels take no focus, so their tab indexes leave this order.
    setTabOrder({c->Command1, c->Text1, c->Text2, c->Opt1, c->Opt2});
    c->Text1->setAccessibleName(QStringLiteral("要打的字母"));
    c->Text2->setAccessibleName(QStringLiteral("在这里打字母"));
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Text2->onGotFocus = handler<>([this] { Text2_GotFocus(); });
    c->Text2->onKeyPress = handler<int &>([this](int &keyAscii) { Text2_KeyPress(keyAscii); });
    return c;
}

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
    ui().Text1->setText(QString());
    ui().Text2->setText(QString());
    ui().Text2->setLocked(false);
    ui().lblstart->setCaption(QString());
    ui().lblend->setCaption(QString());
    ui().lblused->setCaption(QString());
    for (int i = 0; i < lettersPerTest; ++i) {
        const float r = program().random().next();
        // The option is read for every letter.
        const int first = ui().Opt1->Value() ? 65 : 97;
        const int offset = std::min(25, int(std::floor(26.0 * double(r))));
        ui().Text1->setText(ui().Text1->Text() + convert::chr(first + offset));
    }
}

void Form2::Text2_GotFocus()
{
    ui().lblstart->setCaption(convert::formatHms(convert::toDays(program().time().now())));
    startTime = convert::toDays(program().time().now());
}

void Form2::Text2_KeyPress(int &keyAscii)
{
    // Every key counts alike; the code itself is never looked at.
    (void)keyAscii;
    const QString typed = ui().Text2->Text();
    const QString letters = ui().Text1->Text();
    if (typed.size() != letters.size())
        return;
    // Nothing to compare against: no letters yet, or the user emptied the letter box.
    if (letters.isEmpty())
        return;

    // Locking keeps this key, and every later one, out of the box.
    ui().Text2->setLocked(true);
    ui().lblend->setCaption(convert::formatHms(convert::toDays(program().time().now())));
    ui().lblused->setCaption(
        convert::formatHms(convert::toDays(program().time().now()) - startTime));
    endTime = convert::toDays(program().time().now());

    std::int64_t matching = 0;
    for (qsizetype i = 0; i < letters.size(); ++i)
        if (typed.at(i) == letters.at(i))
            ++matching;
    ui().Label6->setCaption(letterAccuracyCaption(matching, letters.size()));
    ui().Label7->setCaption(letterSpeedCaption(convert::wholeSeconds(startTime, endTime)));
    announce(ui().Label1->Caption() + ui().Label6->Caption() + QStringLiteral("，") +
             ui().Label2->Caption() + ui().Label7->Caption());
}

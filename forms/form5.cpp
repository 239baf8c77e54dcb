#include "forms/form5.h"

#include "forms/form1.h"
#include "forms/forms.h"
#include "runtime/program.h"
#include "values/convert.h"

#include <limits>

Form5::Form5(Forms &forms) : Form(forms.program(), QStringLiteral("Form5")), forms_(forms) {}

std::unique_ptr<FormControls> Form5::build(FormWindow &w)
{
    setWindow(w, u"打字速度测试", 7470, 5160);
    auto c = std::make_unique<Controls>(w, program().time());
    c->Label1->setBackColor(systemColor(4));
    setTabOrder({c->Command1, c->Text1});
    c->Timer1.onTimer = handler<>([this] { Timer1_Timer(); });
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    return c;
}

void Form5::Form_Load()
{
    // The count is not reset: it goes on from where the last visit left it.
    ui().Timer1.setEnabled(true);
    ui().Timer1.setInterval(1000);
}

void Form5::Timer1_Timer()
{
    if (secondCount_ == std::numeric_limits<std::int32_t>::max())
        throw convert::Overflow();
    ++secondCount_;
    ui().Label1->setCaption(convert::numberToText(secondCount_));
}

QString speedTestResult(double seconds, qsizetype characters)
{
    return QStringLiteral("你的打字速度测试成绩为") +
           convert::numberToText(seconds / double(characters)) + QStringLiteral("秒/个");
}

void Form5::Command1_Click()
{
    // Refers to the main window: a closed one is loaded again, hidden.
    forms_.form1().Cls();
    const double seconds = convert::textToNumber(ui().Label1->Caption());
    const qsizetype characters = ui().Text1->TextLength();
    if (characters == 0)
        program().messageBox().show(QStringLiteral("请在文本框中输入文字或字母！"),
                                    Program::applicationTitle());
    else
        ui().Label4->setCaption(speedTestResult(seconds, characters));
    ui().Text1->setText(QString());
    ui().Label1->setCaption(QStringLiteral("0"));
    secondCount_ = 0;
}

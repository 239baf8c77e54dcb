#include "form4.h"

#include "app/controls.h"
#include "app/convert.h"
#include "app/program.h"

#include <cmath>

namespace {
constexpr int deleteKey = 46;
constexpr int backspaceChar = 8;
} // namespace

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
    // Undo would take typed text back out of the box; only additions are allowed.
    c->Text1->setUndoRedoEnabled(false);
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
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Command2->onClick = handler<>([this] { Command2_Click(); });
    c->Text1->onChange = handler<>([this] { Text1_Change(); });
    c->Text1->onKeyDown = handler<int &, int>(
        [this](int &keyCode, int shift) { Text1_KeyDown(keyCode, shift); });
    c->Text1->onKeyPress = handler<int &>([this](int &keyAscii) { Text1_KeyPress(keyAscii); });
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

std::uint32_t elapsedMilliseconds(std::int32_t startTick, std::int32_t lastTick)
{
    return std::uint32_t(lastTick) - std::uint32_t(startTick);
}

QString characterCountCaption(qsizetype length)
{
    return QStringLiteral("录入字符 ") + convert::numberToText(std::int64_t(length)) +
           QStringLiteral(" 个");
}

QString elapsedTimeCaption(std::uint32_t elapsedMs)
{
    const std::uint32_t minutes = elapsedMs / 60000;
    const std::uint32_t seconds = (elapsedMs / 1000) % 60;
    return QStringLiteral("用时 ") + convert::numberToText(std::int64_t(minutes)) +
           QStringLiteral(" 分 ") + convert::numberToText(std::int64_t(seconds)) +
           QStringLiteral(" 秒");
}

QString typingSpeedCaption(qsizetype length, std::int32_t seconds)
{
    const double speed = std::floor(double(length) / double(seconds) * 60.0);
    return QStringLiteral("录入速度 ") + convert::numberToText(speed) +
           QStringLiteral(" 字符/分钟");
}

void Form4::Form_Load()
{
    Timer1().setEnabled(false);
    // Raises Change, so the count shows the length of the prompt.
    Text1().setText(QStringLiteral("准备测试..."));
}

void Form4::Command1_Click()
{
    // The seconds and the two results stay until the next ticks overwrite them.
    Text1().setText(QString());
    Text1().SetFocus();
    startTick_ = std::int32_t(program().time().tickCount());
    Timer1().setInterval(1000);
    Timer1().setEnabled(true);
    Timer2().setInterval(200);
    Timer2().setEnabled(true);
}

void Form4::Command2_Click() { program().end(); }

void Form4::Text1_Change()
{
    // Runs on every keystroke: the length comes from the document, never from a copy of the
    // text.
    Label1().setCaption(characterCountCaption(Text1().TextLength()));
}

void Form4::Text1_KeyDown(int &keyCode, int shift)
{
    (void)shift;
    if (keyCode == deleteKey)
        keyCode = 0;
    // Nothing typed may replace a selection: the key lands at the selection's start instead.
    Text1().setSelLength(0);
}

void Form4::Text1_KeyPress(int &keyAscii)
{
    if (keyAscii == backspaceChar)
        keyAscii = 0;
}

void Form4::Timer1_Timer()
{
    lastTick_ = std::int32_t(program().time().tickCount());
    const std::uint32_t elapsedMs = elapsedMilliseconds(startTick_, lastTick_);
    elapsedSeconds_ = std::int32_t(elapsedMs / 1000);
    Label2().setCaption(elapsedTimeCaption(elapsedMs));
}

void Form4::Timer2_Timer()
{
    const qsizetype length = Text1().TextLength();
    if (elapsedSeconds_ != 0 && length != 0)
        Label3().setCaption(typingSpeedCaption(length, elapsedSeconds_));
}

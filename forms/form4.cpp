#include "forms/form4.h"

#include "forms/forms.h"
#include "runtime/program.h"
#include "values/convert.h"

#include <cmath>

namespace {
constexpr int deleteKey = 46;
constexpr int backspaceChar = 8;
} // namespace

Form4::Form4(Forms &forms) : Form(forms.program(), QStringLiteral("Form4")) {}

std::unique_ptr<FormControls> Form4::build(FormWindow &w)
{
    setWindow(w, u"打字速度测试1", 6870, 4740);
    auto c = std::make_unique<Controls>(w, program().time());
    // Undo would take typed text back out of the box; only additions are allowed. For the
    // same reason the box has no menu: its Cut, Delete and Undo take text out, and its Paste
    // would replace a selection.
    c->Text1->setUndoRedoEnabled(false);
    c->Text1->setContextMenuPolicy(Qt::NoContextMenu);
    for (Label *label : {c->Label3, c->Label1, c->Label2})
        label->setBackColor(systemColor(19));
    setTabOrder({c->Command1, c->Command2, c->Text1});
    c->Text1->setAccessibleName(QStringLiteral("在这里打字"));

    c->Timer1.onTimer = handler<>([this] { Timer1_Timer(); });
    c->Timer2.onTimer = handler<>([this] { Timer2_Timer(); });
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Command2->onClick = handler<>([this] { Command2_Click(); });
    c->Text1->onChange = handler<>([this] { Text1_Change(); });
    c->Text1->onKeyDown =
        handler<int &, int>([this](int &keyCode, int shift) { Text1_KeyDown(keyCode, shift); });
    c->Text1->onKeyPress = handler<int &>([this](int &keyAscii) { Text1_KeyPress(keyAscii); });
    return c;
}

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
    ui().Timer1.setEnabled(false);
    // Raises Change, so the count shows the length of the prompt.
    ui().Text1->setText(QStringLiteral("准备测试..."));
}

void Form4::Command1_Click()
{
    // The seconds and the two results stay until the next ticks overwrite them.
    ui().Text1->setText(QString());
    ui().Text1->SetFocus();
    startTick_ = std::int32_t(program().time().tickCount());
    ui().Timer1.setInterval(1000);
    ui().Timer1.setEnabled(true);
    ui().Timer2.setInterval(200);
    ui().Timer2.setEnabled(true);
}

void Form4::Command2_Click() { program().end(); }

void Form4::Text1_Change()
{
    // Runs on every keystroke: the length comes from the document, never from a copy of the
    // text.
    ui().Label1->setCaption(characterCountCaption(ui().Text1->TextLength()));
}

void Form4::Text1_KeyDown(int &keyCode, int shift)
{
    (void)shift;
    if (keyCode == deleteKey)
        keyCode = 0;
    // Nothing typed may replace a selection: the key lands at the selection's start instead.
    ui().Text1->setSelLength(0);
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
    ui().Label2->setCaption(elapsedTimeCaption(elapsedMs));
}

void Form4::Timer2_Timer()
{
    const qsizetype length = ui().Text1->TextLength();
    if (elapsedSeconds_ != 0 && length != 0)
        ui().Label3->setCaption(typingSpeedCaption(length, elapsedSeconds_));
}

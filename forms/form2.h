#pragma once

#include "app/form.h"

#include <QString>

#include <cstdint>

class CommandButton;
class Label;
class OptionButton;
class TextBox;

// The English letter typing test: "产生字母" fills the letter box with 30 random letters, the
// user retypes them in the typing box, and the first key once both hold as many characters
// shows the times, the accuracy and the speed in letters per second.
class Form2 final : public Form {
public:
    explicit Form2(Program &program);

    CommandButton &Command1();
    TextBox &Text1();
    TextBox &Text2();
    OptionButton &Opt1();
    OptionButton &Opt2();
    Label &Label3();
    Label &lblstart();
    Label &Label4();
    Label &lblend();
    Label &Label5();
    Label &lblused();
    Label &Label1();
    Label &Label6();
    Label &Label2();
    Label &Label7();

    void Command1_Click();
    void Text2_GotFocus();
    void Text2_KeyPress(int &keyAscii);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;

private:
    struct Controls;
    // Clock readings in days (see convert::toDays); 0 until first set. They outlive the
    // controls, like every private variable of a window.
    double startTime = 0;
    double endTime = 0;
};

// Accuracy caption: the share of matching positions in percent under "###.0", then "%".
QString letterAccuracyCaption(std::int64_t matching, std::int64_t letters);

// Speed caption: 30 letters over the whole seconds taken, under "##", then "字符/秒".
// Under one second reads as one.
QString letterSpeedCaption(std::int64_t seconds);

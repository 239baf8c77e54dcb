#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

#include <QString>

#include <cstdint>

class Forms;

// The English letter typing test: "产生字母" fills the letter box with 30 random letters, the
// user retypes them in the typing box, and the first key once both hold as many characters
// shows the times, the accuracy and the speed in letters per second.
class Form2 final : public Form {
public:
    explicit Form2(Forms &forms);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        CommandButton *Command1 = new CommandButton(w, u"Command1", u"产生字母", 240, 360, 1335, 615);
        TextBox *Text1 = new TextBox(w, u"Text1", TextBox::Lines::Single, 2160, 360, 3495, 615);
        TextBox *Text2 = new TextBox(w, u"Text2", TextBox::Lines::Single, 2160, 1080, 3495, 615);
        OptionButton *Opt1 = new OptionButton(w, u"Opt1", u"大写", 360, 1200, 1095, 375);
        OptionButton *Opt2 = new OptionButton(w, u"Opt2", u"小写", 360, 1680, 1095, 375);
        Label *Label3 = new Label(w, u"Label3", 120, 2280, 975, 375, u"开始时间：");
        Label *lblstart = new Label(w, u"lblstart", 1200, 2280, 1575, 375);
        Label *Label4 = new Label(w, u"Label4", 120, 2880, 975, 375, u"结束时间：");
        Label *lblend = new Label(w, u"lblend", 1200, 2880, 1575, 375);
        Label *Label5 = new Label(w, u"Label5", 120, 3480, 975, 375, u"用时：");
        Label *lblused = new Label(w, u"lblused", 1200, 3480, 1575, 375);
        Label *Label1 = new Label(w, u"Label1", 3000, 2400, 855, 375, u"正确率：");
        Label *Label6 = new Label(w, u"Label6", 3720, 2400, 1815, 375);
        Label *Label2 = new Label(w, u"Label2", 3000, 3000, 855, 375, u"速度：");
        Label *Label7 = new Label(w, u"Label7", 3720, 3000, 1815, 495);
        // clang-format on
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Command1_Click();
    void Text2_GotFocus();
    void Text2_KeyPress(int &keyAscii);

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

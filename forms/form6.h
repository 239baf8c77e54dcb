#pragma once

#include "app/form.h"

class CommandButton;
class Label;

// The leaderboard: each button fetches the latest result of one exercise on request, the
// game score from the score file, the others by copying the result labels of the test
// windows as they stand. Nothing is parsed or ranked.
class Form6 final : public Form {
public:
    explicit Form6(Program &program);

    Label &Label5();
    Label &Label1();
    Label &Label6();
    Label &Label2();
    Label &Label7();
    Label &Label3();
    Label &Label10();
    Label &Label9();
    Label &Label8();
    Label &Label4();
    CommandButton &Command1();
    CommandButton &Command2();
    CommandButton &Command3();
    CommandButton &Command4();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;

private:
    struct Controls;
};

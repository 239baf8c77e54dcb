#pragma once

#include "app/form.h"

#include <cstdint>

class CommandButton;
class Label;
class Timer;

// The falling-letter typing game: one capital letter falls down the window; pressing its key
// scores 10 and drops a new one. A game lasts one minute. Closing the window saves the score
// caption to the score file.
class Form3 final : public Form {
public:
    explicit Form3(Program &program);

    Label &Label1();
    Label &Label2();
    Label &Label3();
    CommandButton &Command1();
    Timer &Timer1();
    Timer &Timer2();

    void Command1_Click();
    void Form_KeyDown(int &keyCode, int shift);
    void Timer2_Timer();
    void Timer1_Timer();

    std::int64_t score() const { return score_; }

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;
    void Form_Unload(int &cancel) override;

private:
    struct Controls;
    void dropLetter();
    // Wide enough that no game can carry it past its range.
    std::int64_t score_ = 0;
};

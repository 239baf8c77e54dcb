#pragma once

#include "app/form.h"

class Label;
class Line;

// The About window: a fixed description of the program inside a frame of four lines. It
// has no handlers; nothing in it ever changes.
class Form7 final : public Form {
public:
    explicit Form7(Program &program);

    Label &Label1();
    Line &Line1();
    Line &Line2();
    Line &Line3();
    Line &Line4();

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;

private:
    struct Controls;
};

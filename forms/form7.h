#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

class Forms;

// The About window: a fixed description of the program inside a frame of four lines. It
// has no handlers; nothing in it ever changes.
class Form7 final : public Form {
public:
    explicit Form7(Forms &forms);

    struct Controls : FormControls {
        using FormControls::FormControls;

        // clang-format off
        Label *Label1 = new Label(w, u"Label1", 360, 600, 4695, 1575,
            u"欢迎使用Kelvane0.4测试版！此软件为测试版，以后将不断改进。"
            u"希望提出更多宝贵的建议，以让本软件能够更好地改进！谢谢！");
        // The frame runs from 240 to 5160 across and from 480 to 2280 down; the side lines
        // reach up to 360, above the top line.
        Line *Line4 = new Line(w, u"Line4", 240, 480, 5160, 480);
        Line *Line3 = new Line(w, u"Line3", 240, 2280, 240, 360);
        Line *Line2 = new Line(w, u"Line2", 5160, 2280, 5160, 360);
        Line *Line1 = new Line(w, u"Line1", 5160, 2280, 240, 2280);
        // clang-format on
    };
    // The controls; reaching them loads the window.
    Controls &ui() { return controls<Controls>(); }

private:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

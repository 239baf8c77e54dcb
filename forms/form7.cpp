#include "form7.h"

#include "app/controls.h"

struct Form7::Controls : FormControls {
    Label *Label1;
    Line *Line4, *Line3, *Line2, *Line1;
};

Form7::Form7(Program &program) : Form(program, QStringLiteral("Form7")) {}

std::unique_ptr<FormControls> Form7::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("关于程序"), 5670, 3090);

    auto c = std::make_unique<Controls>();
    c->Label1 = new Label(&w, QStringLiteral("Label1"), 360, 600, 4695, 1575);
    c->Label1->setCaption(QStringLiteral("欢迎使用Kelvane0.4测试版！此软件为测试版，以后将不断改进。"
                                         "希望提出更多宝贵的建议，以让本软件能够更好地改进！谢谢！"));
    c->Label1->setForeColor(systemColor(13));
    c->Label1->setBackColor(systemColor(19));

    // The frame runs from 240 to 5160 across and from 480 to 2280 down; the side lines reach
    // up to 360, above the top line.
    const QColor frame = systemColor(8);
    c->Line4 = new Line(&w, QStringLiteral("Line4"), 240, 480, 5160, 480, frame);
    c->Line3 = new Line(&w, QStringLiteral("Line3"), 240, 2280, 240, 360, frame);
    c->Line2 = new Line(&w, QStringLiteral("Line2"), 5160, 2280, 5160, 360, frame);
    c->Line1 = new Line(&w, QStringLiteral("Line1"), 5160, 2280, 240, 2280, frame);
    return c;
}

Label &Form7::Label1() { return *controls<Controls>().Label1; }
Line &Form7::Line1() { return *controls<Controls>().Line1; }
Line &Form7::Line2() { return *controls<Controls>().Line2; }
Line &Form7::Line3() { return *controls<Controls>().Line3; }
Line &Form7::Line4() { return *controls<Controls>().Line4; }

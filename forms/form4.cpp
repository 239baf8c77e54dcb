#include "form4.h"

Form4::Form4(Program &program) : Form(program, QStringLiteral("Form4")) {}

std::unique_ptr<FormControls> Form4::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字速度测试1"), 6870, 4740);
    return std::make_unique<FormControls>();
}

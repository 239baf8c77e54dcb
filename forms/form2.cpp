#include "form2.h"

Form2::Form2(Program &program) : Form(program, QStringLiteral("Form2")) {}

std::unique_ptr<FormControls> Form2::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("英文打字速度测试"), 6000, 4275);
    return std::make_unique<FormControls>();
}

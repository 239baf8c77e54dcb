#include "form7.h"

Form7::Form7(Program &program) : Form(program, QStringLiteral("Form7")) {}

std::unique_ptr<FormControls> Form7::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("关于程序"), 5670, 3090);
    return std::make_unique<FormControls>();
}

#include "form3.h"

Form3::Form3(Program &program) : Form(program, QStringLiteral("Form3")) {}

std::unique_ptr<FormControls> Form3::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字游戏"), 6345, 4485);
    return std::make_unique<FormControls>();
}

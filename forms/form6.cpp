#include "form6.h"

Form6::Form6(Program &program) : Form(program, QStringLiteral("Form6")) {}

std::unique_ptr<FormControls> Form6::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字英雄榜（数据库问题尚未解决，原谅我的技术...）"), 7260, 5115);
    return std::make_unique<FormControls>();
}

#include "forms/form7.h"

#include "forms/forms.h"
#include "runtime/program.h"

Form7::Form7(Forms &forms) : Form(forms.program(), QStringLiteral("Form7")) {}

std::unique_ptr<FormControls> Form7::build(FormWindow &w)
{
    setWindow(w, u"关于程序", 5670, 3090);
    auto c = std::make_unique<Controls>(w, program().time());
    // A screen reader reads a dialog's description as the dialog opens.
    w.setKind(FormWindow::Kind::Dialog);
    w.setAccessibleDescription(c->Label1->Caption());
    c->Label1->setForeColor(systemColor(13));
    c->Label1->setBackColor(systemColor(19));
    return c;
}

#include "forms/form6.h"

#include "forms/form2.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/forms.h"
#include "forms/module1.h"
#include "runtime/program.h"

Form6::Form6(Forms &forms, Module1 &module1)
    : Form(forms.program(), QStringLiteral("Form6")), forms_(forms), module1_(module1)
{
}

std::unique_ptr<FormControls> Form6::build(FormWindow &w)
{
    setWindow(w, u"打字英雄榜（数据库问题尚未解决，原谅我的技术...）", 7260, 5115);
    auto c = std::make_unique<Controls>(w, program().time());
    setTabOrder({c->Command1, c->Command2, c->Command3, c->Command4});
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Command2->onClick = handler<>([this] { Command2_Click(); });
    c->Command3->onClick = handler<>([this] { Command3_Click(); });
    c->Command4->onClick = handler<>([this] { Command4_Click(); });
    return c;
}

// The game score comes from the file the game window writes when it closes, so it does not
// depend on that window being open.
void Form6::Command1_Click()
{
    ui().Label1->setCaption(module1_.ReadIniValue(
        QStringLiteral("config"), QStringLiteral("label1"), module1_.scoreFilePath()));
}

// The test windows are read through their shared instances: a closed one is loaded again,
// hidden, and gives its design-time (empty) result.
void Form6::Command2_Click() { ui().Label2->setCaption(forms_.form5().ui().Label4->Caption()); }

void Form6::Command3_Click() { ui().Label3->setCaption(forms_.form4().ui().Label3->Caption()); }

void Form6::Command4_Click()
{
    ui().Label4->setCaption(forms_.form2().ui().Label7->Caption());
    ui().Label9->setCaption(forms_.form2().ui().Label6->Caption());
}

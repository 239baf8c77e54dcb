#include "form6.h"

#include "app/controls.h"
#include "app/program.h"
#include "forms/form2.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "scores/module1.h"

struct Form6::Controls : FormControls {
    Label *Label5, *Label1, *Label6, *Label2, *Label7, *Label3, *Label10, *Label9, *Label8,
        *Label4;
    CommandButton *Command1, *Command2, *Command3, *Command4;
};

Form6::Form6(Program &program) : Form(program, QStringLiteral("Form6")) {}

std::unique_ptr<FormControls> Form6::build(FormWindow &w)
{
    setWindow(w, QStringLiteral("打字英雄榜（数据库问题尚未解决，原谅我的技术...）"), 7260, 5115);

    const QString score = QStringLiteral("分数");
    auto label = [&w](const char *name, const QString &caption, int left, int top, int width,
                      int height) {
        auto *l = new Label(&w, QLatin1String(name), left, top, width, height);
        l->setCaption(caption);
        return l;
    };
    auto c = std::make_unique<Controls>();
    c->Label5 = label("Label5", QStringLiteral("打字游戏分数："), 720, 120, 1455, 375);
    c->Label1 = label("Label1", score, 2280, 120, 3255, 615);
    c->Label6 = label("Label6", QStringLiteral("打字速度测试分数："), 360, 840, 1695, 375);
    c->Label2 = label("Label2", score, 2280, 840, 3375, 855);
    c->Label7 = label("Label7", QStringLiteral("打字速度测试1分数："), 360, 1800, 1815, 375);
    c->Label3 = label("Label3", score, 2280, 1800, 3255, 735);
    c->Label10 = label("Label10", QStringLiteral("正确率："), 120, 2760, 1935, 375);
    c->Label9 = label("Label9", QString(), 2160, 2760, 1455, 495);
    c->Label8 = label("Label8", QStringLiteral("英文打字速度测试分数："), 120, 3360, 2055, 375);
    c->Label4 = label("Label4", score, 3000, 3360, 3135, 495);

    c->Command1 = new CommandButton(&w, QStringLiteral("Command1"),
                                    QStringLiteral("保存（读取）打字游戏分数"), 960, 3840, 2295, 495);
    c->Command2 = new CommandButton(&w, QStringLiteral("Command2"),
                                    QStringLiteral("保存打字速度测试分数"), 3960, 3840, 2535, 495);
    c->Command3 = new CommandButton(&w, QStringLiteral("Command3"),
                                    QStringLiteral("保存打字速度测试1分数"), 960, 4440, 2295, 495);
    c->Command4 = new CommandButton(&w, QStringLiteral("Command4"),
                                    QStringLiteral("保存英文打字速度测试分数和正确率"), 3960, 4440,
                                    2535, 495);

    setTabOrder({c->Command1, c->Command2, c->Command3, c->Command4});
    c->Command1->onClick = handler<>([this] { Command1_Click(); });
    c->Command2->onClick = handler<>([this] { Command2_Click(); });
    c->Command3->onClick = handler<>([this] { Command3_Click(); });
    c->Command4->onClick = handler<>([this] { Command4_Click(); });
    return c;
}

Label &Form6::Label5() { return *controls<Controls>().Label5; }
Label &Form6::Label1() { return *controls<Controls>().Label1; }
Label &Form6::Label6() { return *controls<Controls>().Label6; }
Label &Form6::Label2() { return *controls<Controls>().Label2; }
Label &Form6::Label7() { return *controls<Controls>().Label7; }
Label &Form6::Label3() { return *controls<Controls>().Label3; }
Label &Form6::Label10() { return *controls<Controls>().Label10; }
Label &Form6::Label9() { return *controls<Controls>().Label9; }
Label &Form6::Label8() { return *controls<Controls>().Label8; }
Label &Form6::Label4() { return *controls<Controls>().Label4; }
CommandButton &Form6::Command1() { return *controls<Controls>().Command1; }
CommandButton &Form6::Command2() { return *controls<Controls>().Command2; }
CommandButton &Form6::Command3() { return *controls<Controls>().Command3; }
CommandButton &Form6::Command4() { return *controls<Controls>().Command4; }

// The game score comes from the file the game window writes when it closes, so it does not
// depend on that window being open.
void Form6::Command1_Click()
{
    Label1().setCaption(Module1::ReadIniValue(QStringLiteral("config"), QStringLiteral("label1"),
                                              program().scoreFilePath()));
}

// The test windows are read through their shared instances: a closed one is loaded again,
// hidden, and gives its design-time (empty) result.
void Form6::Command2_Click() { Label2().setCaption(program().form5().Label4().Caption()); }

void Form6::Command3_Click() { Label3().setCaption(program().form4().Label3().Caption()); }

void Form6::Command4_Click()
{
    Label4().setCaption(program().form2().Label7().Caption());
    Label9().setCaption(program().form2().Label6().Caption());
}

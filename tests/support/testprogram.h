#pragma once

#include "fakes.h"
#include "forms/forms.h"
#include "runtime/program.h"

#include <QTemporaryDir>

class CommandButton;
class QWidget;

// A Program on fakes and its windows, with temporary folders of its own for the score file.
// p->form1() reaches the windows, p.program() the running program.
class TestProgram {
public:
    TestProgram();
    ~TestProgram();

    Program &program() { return *program_; }
    Forms &operator*() { return *forms_; }
    Forms *operator->() { return forms_.get(); }

    void advance(qint64 ms) { time->advance(ms); }
    QString programDir() const;
    QString userDataDir() const;

    VirtualTime *time;
    ScriptedRandom *random;
    RecordingMessageBox *messages;
    RecordingExit *exit;
    FakeNotifyIcon *tray;
    FakeSessionEnd *session;

private:
    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<Forms> forms_;
};

// Input as a user gives it.
namespace input {
void click(CommandButton *button);
// Types text key by key (any characters, Chinese too).
void type(QWidget *widget, const QString &text);
// Commits text through an input method, as a Chinese IME does.
void imeCommit(QWidget *widget, const QString &text);
// Shows the form's window and makes it the active one, so focus behaves as on a desktop.
void activate(QWidget *window);
} // namespace input

#pragma once

#include "fakes.h"
#include "forms/forms.h"
#include "forms/module1.h"
#include "runtime/program.h"

class CommandButton;
class QWidget;

// A Program on fakes and its windows; the score file lives on a disk in memory. p->form1()
// reaches the windows, p.program() the running program, p.module1() the score file.
class TestProgram {
public:
    TestProgram();
    ~TestProgram();

    Program &program() { return *program_; }
    Module1 &module1() { return *module1_; }
    Forms &operator*() { return *forms_; }
    Forms *operator->() { return forms_.get(); }

    void advance(qint64 ms) { time->advance(ms); }
    QString programDir() const { return files->programDir; }
    QString userDataDir() const;
    // The bytes of the score file where this run keeps it; null when there is none.
    QByteArray scoreBytes() { return files->bytes(module1_->scoreFilePath()); }

    VirtualTime *time;
    ScriptedRandom *random;
    RecordingMessageBox *messages;
    RecordingExit *exit;
    FakeNotifyIcon *tray;
    FakeFiles *files;
    FakeSessionEnd *session;

private:
    std::unique_ptr<Program> program_;
    std::unique_ptr<Module1> module1_;
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

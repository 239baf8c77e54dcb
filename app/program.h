#pragma once

#include "services.h"

#include <QString>

#include <functional>
#include <memory>

class Form;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;

// The running program: the seven window slots, the platform services and the dispatcher
// every handler runs through. main() builds one with the real services; each test builds
// one with fakes.
class Program {
public:
    explicit Program(Services services);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Loads and shows the start-up window.
    void start();

    // The shared instances; the first reference creates one (it does not load it).
    Form1 &form1();
    Form2 &form2();
    Form3 &form3();
    Form4 &form4();
    Form5 &form5();
    Form6 &form6();
    Form7 &form7();

    TimeSource &time() { return *services_.time; }
    Random &random() { return *services_.random; }
    MessageBox &messageBox() { return *services_.messageBox; }
    NotifyIcon &notifyIcon() { return *services_.notifyIcon; }
    const Folders &folders() const { return services_.folders; }

    // Reseeds the shared generator from the clock.
    void reseedRandom();

    // The score file's path, resolved once per run and shared by writer and readers.
    QString scoreFilePath();

    // Runs one event handler. A RuntimeError inside shows a box naming it and ends the
    // program; End stops it at once. After the end no handler runs.
    void dispatch(const std::function<void()> &handler);

    // End: stops the program at once; no Form_Unload runs. Only valid inside a handler.
    [[noreturn]] void end();
    bool hasEnded() const { return ended_; }

    // Called by a form after it unloaded: the program ends when no window is loaded.
    void formUnloaded();

    // The title a message box without a title of its own carries.
    static QString applicationTitle();

private:
    template <typename F> F &slot(std::unique_ptr<F> &slot);
    void terminate(int code);
    void forEachForm(const std::function<void(Form &)> &f);

    Services services_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form4> form4_;
    std::unique_ptr<Form5> form5_;
    std::unique_ptr<Form6> form6_;
    std::unique_ptr<Form7> form7_;
    QString scoreFilePath_;
    int depth_ = 0;
    bool ended_ = false;
    bool endPending_ = false;
    int exitCode_ = 0;
};

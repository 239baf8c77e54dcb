#pragma once

#include "scores/scorefile.h"

#include <QString>

#include <memory>

class Program;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;

// The seven windows' shared instances, reached by their kind from every window. The first
// reference to a kind creates its instance (it does not load it); each lives until the
// program ends.
class Forms {
public:
    Forms(Program &program, scorefile::Folders scoreFolders);
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    Program &program() { return program_; }

    Form1 &form1();
    Form2 &form2();
    Form3 &form3();
    Form4 &form4();
    Form5 &form5();
    Form6 &form6();
    Form7 &form7();

    // Loads and shows the start-up window, the main window.
    void start();

    // The score file's path, decided once per run and shared by the game and the leaderboard.
    const QString &scoreFilePath();
    // The same path as a message shows it.
    QString scoreFileShownPath();

private:
    template <typename F> F &instance(std::unique_ptr<F> &slot);

    Program &program_;
    scorefile::Folders scoreFolders_;
    QString scoreFilePath_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form4> form4_;
    std::unique_ptr<Form5> form5_;
    std::unique_ptr<Form6> form6_;
    std::unique_ptr<Form7> form7_;
};

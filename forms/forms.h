#pragma once

#include <memory>

class Module1;
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
    // The game window and the leaderboard share `module1`, the score file.
    Forms(Program &program, Module1 &module1);
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

private:
    template <typename F, typename... Args> F &instance(std::unique_ptr<F> &slot, Args &...args);

    Program &program_;
    Module1 &module1_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form4> form4_;
    std::unique_ptr<Form5> form5_;
    std::unique_ptr<Form6> form6_;
    std::unique_ptr<Form7> form7_;
};

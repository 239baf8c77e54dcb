#include "forms/forms.h"

#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtime/program.h"

Forms::Forms(Program &program, Module1 &module1) : program_(program), module1_(module1) {}

// The instances go in reverse order of their slots; each takes its window with it.
Forms::~Forms() = default;

template <typename F, typename... Args> F &Forms::instance(std::unique_ptr<F> &slot, Args &...args)
{
    if (!slot)
        slot = std::make_unique<F>(*this, args...);
    return *slot;
}

Form1 &Forms::form1() { return instance(form1_); }
Form2 &Forms::form2() { return instance(form2_); }
Form3 &Forms::form3() { return instance(form3_, module1_); }
Form4 &Forms::form4() { return instance(form4_); }
Form5 &Forms::form5() { return instance(form5_); }
Form6 &Forms::form6() { return instance(form6_, module1_); }
Form7 &Forms::form7() { return instance(form7_); }

void Forms::start()
{
    program_.dispatch([this] { form1().show(); });
}

#pragma once

#include "app/form.h"

// The English letter typing test.
class Form2 final : public Form {
public:
    explicit Form2(Program &program);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

#pragma once

#include "app/form.h"

// The falling-letter typing game.
class Form3 final : public Form {
public:
    explicit Form3(Program &program);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

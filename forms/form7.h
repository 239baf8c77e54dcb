#pragma once

#include "app/form.h"

// The About window.
class Form7 final : public Form {
public:
    explicit Form7(Program &program);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

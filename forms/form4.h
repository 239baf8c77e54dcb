#pragma once

#include "app/form.h"

// The live typing speed test: characters per minute while typing.
class Form4 final : public Form {
public:
    explicit Form4(Program &program);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

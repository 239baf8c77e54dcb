#pragma once

#include "app/form.h"

// The leaderboard: gathers the latest result of every exercise on request.
class Form6 final : public Form {
public:
    explicit Form6(Program &program);

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
};

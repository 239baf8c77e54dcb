#pragma once

// Thrown by Program::end(): stops the program at once. Not an error (errors derive from
// std::exception, like the overflow error of values/convert.h); only the dispatcher catches it.
struct EndRequest {};

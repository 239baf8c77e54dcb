#pragma once

#include <QString>

// A runtime error raised inside a handler: the dispatcher shows a box naming it and ends
// the program. Handlers never catch it.
class RuntimeError {
public:
    explicit RuntimeError(QString message) : message_(std::move(message)) {}
    const QString &message() const { return message_; }

private:
    QString message_;
};

// Thrown by Program::end(): stops the program at once. Not an error, so not derived from
// RuntimeError; only the dispatcher catches it.
struct EndRequest {};

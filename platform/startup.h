#pragma once

// What main() sets up for the process before Qt starts.

// A write that the system refuses then fails with an error instead of a signal ending the
// program with every open window: past the file-size limit (ulimit -f), EFBIG, which the
// score-file writer reports like any other failed save, instead of SIGXFSZ; to a pipe whose
// reader has gone (stderr of a launcher that exited), EPIPE, instead of SIGPIPE at Qt's first
// warning. Call first thing.
void ignoreWriteSignals();

// Lives while the QApplication is built. When Qt finds no display to connect to (no DISPLAY
// or WAYLAND_DISPLAY, a display that does not answer, no compositor), Qt would print a few
// lines and abort with a core dump; instead the program ends with status 1 and one line, in
// Chinese and English. Qt's messages held back meanwhile are passed on when it starts.
class NoDisplayGuard {
public:
    NoDisplayGuard();
    ~NoDisplayGuard();
    NoDisplayGuard(const NoDisplayGuard &) = delete;
    NoDisplayGuard &operator=(const NoDisplayGuard &) = delete;
};

#pragma once

#include "runtime/services.h"

#include <QString>

#include <functional>
#include <vector>

class Form;

// The running program: the platform services, the windows it knows as Forms, and the
// dispatcher every handler runs through. main() builds one with the real services; each test
// builds one with fakes.
class Program {
public:
    explicit Program(Services services);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    TimeSource &time() { return *services_.time; }
    Random &random() { return *services_.random; }
    // The message box; silent once the session is ending.
    MessageBox &messageBox() { return box_; }
    NotifyIcon &notifyIcon() { return *services_.notifyIcon; }
    Files &files() { return *services_.files; }
    // The feather: the main window's icon and the tray's.
    const QIcon &icon() const { return services_.icon; }

    // Reseeds the shared generator from the clock.
    void reseedRandom();

    // Runs one event handler. An error inside (the overflow error, or any exception) shows a
    // box naming it and ends the program; End stops it at once. After the end no handler runs.
    void dispatch(const std::function<void()> &handler);
    // A handler raised from inside another (a Change raised by a handler's own write) that
    // ends the program stops the outer one too. Qt's own code lies between the two, so the
    // end cannot travel up as an exception there; it is held, and raised here, where the outer
    // handler next reaches a window, its controls or the services.
    void raiseHeldEnd();

    // End: stops the program at once; no Form_Unload runs. Only valid inside a handler.
    [[noreturn]] void end();
    bool hasEnded() const { return ended_; }

    // Every window instance registers itself for its lifetime, so the program can tell
    // whether any is loaded and close them all at the end.
    void addForm(Form &form);
    void removeForm(Form &form);
    // Called by a form after the user closed it. When no window is visible any more and no
    // tray icon is shown, the windows still loaded hidden are unloaded (their Form_Unload
    // runs) and the program ends.
    void formUnloaded();

    // The session is ending (a signal, the session manager): every loaded window, hidden ones
    // included, is unloaded as the user's close would (its Form_Unload runs once), then the
    // program ends as End does, the tray icon removed, with status 0. A message box open now
    // is closed first, and no box shows from then on: nobody is left to read it. Asked for
    // again while it runs, it changes nothing.
    void endSession();

    // The title a message box without a title of its own carries.
    static QString applicationTitle();

private:
    void terminate(int code);
    void unloadAllForSessionEnd();

    // The message box as the windows reach it: the real one until the session ends.
    class SessionBox : public MessageBox {
    public:
        explicit SessionBox(MessageBox &real) : real_(real) {}
        void show(const QString &text, const QString &title) override;
        void closeOpen() override { real_.closeOpen(); }
        bool silent = false;

    private:
        MessageBox &real_;
    };

    Services services_;
    SessionBox box_;
    std::vector<Form *> forms_;
    int depth_ = 0;
    bool ended_ = false;
    bool endPending_ = false;
    bool endHeld_ = false;
    bool unloadingHidden_ = false;
    bool sessionEnding_ = false;
    bool sessionEndPending_ = false;
    int exitCode_ = 0;
};

#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class Program;
class TimeSource;
class QCloseEvent;

// The on-screen window of a loaded form. It hands its close, key and mouse events to the
// form through the hooks; the form clears them when it unloads.
class FormWindow : public QWidget {
public:
    FormWindow();
    // Gives the focus to the first control in tab order that can take it.
    void focusFirstControl() { focusNextPrevChild(true); }
    std::function<void()> onClose;
    std::function<void(int &keyCode, int shift)> onKeyDown;
    std::function<void(int button, int shift, float x, float y)> onMouseMove;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// What a loaded form's build step creates; destroyed when the form unloads. A window's own
// Controls derive from it (`using FormControls::FormControls;`) and make each control, in the
// order of the layout, on `w`; timers tick on `time`.
struct FormControls {
    FormControls(FormWindow &window, TimeSource &time) : w(&window), time(time) {}
    virtual ~FormControls() = default;
    FormWindow *const w;
    TimeSource &time;
};

// The base of Form1 … Form7. An instance lives from its first reference to the end of the
// program and keeps its private variables; its controls exist only while it is loaded.
// A window reaches its controls through controls(), which loads it first (implicit load:
// build, then Form_Load; the window stays hidden unless shown).
class Form {
public:
    Form(Program &program, QString name);
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const QString &name() const { return name_; }

    // Loads if needed, shows modeless and brings the window to the front.
    void show();
    void hide();
    // The user closing the window: Form_Unload, then the controls and the window go.
    void unload();
    bool isLoaded() const { return window_ != nullptr; }
    bool isVisible() const { return window_ != nullptr && window_->isVisible(); }

    // The on-screen window (loads the form).
    FormWindow &window();
    // Outer size in twips, title bar and border included, read now.
    int Width();
    int Height();
    // Clears run-time drawing on the window surface (nothing draws on any window; the call
    // still loads the form).
    void Cls();

    // Ends the form without its unload handler (End).
    void destroyWithoutUnload();
    // Runs when the program ends, before any window goes.
    virtual void atProgramEnd() {}

protected:
    // Creates the controls with their design-time values on the given window, connects them
    // and returns them.
    virtual std::unique_ptr<FormControls> build(FormWindow &window) = 0;
    virtual void Form_Load() {}
    virtual void Form_Unload(int &cancel) { (void)cancel; }

    template <typename Controls> Controls &controls()
    {
        load();
        return static_cast<Controls &>(*controls_);
    }

    // Wraps a handler so that it runs through the program's dispatcher and only while the
    // controls it was connected to still exist.
    template <typename... Args, typename F> std::function<void(Args...)> handler(F f)
    {
        const std::uint64_t generation = generation_;
        return [this, generation, f](Args... args) {
            if (generation_ == generation)
                dispatch([&] { f(args...); });
        };
    }

    // Caption and client area of the window being built.
    static void setWindow(FormWindow &window, QStringView caption, int widthTwips, int heightTwips);
    // Puts controls into the focus chain in the order given (their tab indexes).
    static void setTabOrder(std::initializer_list<QWidget *> widgets);
    // The running program; the step of a handler that reaches it stops there once the
    // program has ended under it (Program::raiseHeldEnd).
    Program &program();

private:
    void load();
    void destroy();
    void dispatch(const std::function<void()> &f);

    Program &program_;
    QString name_;
    FormWindow *window_ = nullptr;
    std::unique_ptr<FormControls> controls_;
    std::uint64_t generation_ = 0;
    bool loading_ = false;
    // Windows closed from their own close event are deleted later; gone by our destructor.
    std::vector<QPointer<FormWindow>> closing_;
};

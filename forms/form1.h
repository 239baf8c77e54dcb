#pragma once

#include "app/form.h"
#include "app/trayicondata.h"

class CommandButton;
class Label;
class Timer;

// The main window: a menu of the exercises, a banner whose colour changes every 400 ms and a
// clock.
class Form1 final : public Form {
public:
    explicit Form1(Program &program);
    ~Form1() override;

    Label &Label1();
    Label &Label2();
    Label &Label3();
    Label &Label4();
    CommandButton &Command1();
    CommandButton &Command2();
    CommandButton &Command3();
    CommandButton &Command4();
    CommandButton &Command5();
    CommandButton &Command6();
    CommandButton &C();
    CommandButton &a();
    Timer &Timer1();
    Timer &Timer2();

    void Timer1_Timer();
    void Timer2_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void C_Click();
    void a_Click();
    // Real mouse movements over the window and the tray icon's notifications, which arrive
    // as a movement whose X is the icon's event code in twips.
    void Form_MouseMove(int button, int shift, float x, float y);

    // End calls this: the icon, if it is still in the notification area, goes with the
    // program instead of offering to restore a window that no longer exists.
    void removeTrayIcon();

protected:
    std::unique_ptr<FormControls> build(FormWindow &window) override;
    void Form_Load() override;

private:
    struct Controls;
    // The notification-icon record, filled by every a_Click and kept for the delete.
    TrayIconData TrayIconData_;
};

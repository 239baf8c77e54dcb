#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <functional>
#include <memory>

class QPainter;
class QStyleOptionButton;
class TimeSource;
class TimerDriver;

// Positions and sizes are kept in twips, the unit of the window layouts; 15 twips make one
// device-independent pixel and Qt scales pixels for HiDPI.
namespace twips {
constexpr int perPixel = 15;
int toPixels(int twips);
QRect toPixels(int left, int top, int width, int height);
} // namespace twips

// System colour indexes used by the layouts: 4 menu, 5 window background, 8 window text,
// 13 highlight, 15 button face, 18 button text, 19 inactive caption text.
QColor systemColor(int index);

// A colour as the layouts give it: 0xBBGGRR, red in the lowest byte.
QColor rgbColor(int red, int green, int blue);

// The Song face the layouts ask for, falling back through CJK families that Debian ships,
// so Chinese never renders as boxes.
QFont songFont(qreal pointSize);

// What every control shares: its place in twips. Twips are the source of truth (a label
// moving 40 twips per tick must not drift by pixel rounding).
class Placement {
public:
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void setLeft(int v);
    void setTop(int v);
    void setWidth(int v);
    void setHeight(int v);

protected:
    explicit Placement(QWidget *self) : self_(self) {}
    void place(int left, int top, int width, int height);

private:
    void apply();
    QWidget *self_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// Controls are made with their name, their place in twips and, where they have one, their
// design-time caption, as the layouts give them.

// A label's caption is plain text; it is drawn as Qt rich text only for the fixed line
// height (see lineHeight), and screen readers hear the plain caption.
class Label : public QLabel, public Placement {
public:
    // songPoints, where given, asks for the Song face at that size instead of the window's font.
    Label(QWidget *parent, QStringView name, int left, int top, int width, int height,
          QStringView caption = {}, qreal songPoints = 0);
    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    void setForeColor(const QColor &color);
    QColor ForeColor() const;
    void setBackColor(const QColor &color);
    // Pixels from one line of the caption to the next at the label's font.
    int lineHeight() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    // Places the lines for the label's font, then shows the caption.
    void fitLines();
    void showCaption();
    QString caption_;
};

class CommandButton : public QPushButton, public Placement {
public:
    CommandButton(QWidget *parent, QStringView name, QStringView caption, int left, int top,
                  int width, int height);
    QString Caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }
    bool Enabled() const { return isEnabled(); }
    // Disabling the control that holds the focus hands the focus to the window itself when
    // no other control can take it.
    void setEnabled(bool enabled);

    std::function<void()> onClick;
    // The caption as drawn: broken into lines where it does not fit on one.
    QString drawnCaption() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString wrappedCaption(const QStyleOptionButton &option) const;
};

class OptionButton : public QRadioButton, public Placement {
public:
    OptionButton(QWidget *parent, QStringView name, QStringView caption, int left, int top,
                 int width, int height);
    bool Value() const { return isChecked(); }
    void setValue(bool value) { setChecked(value); }
};

// A text box. Line breaks of a multi-line box are reported as CR LF, so a break counts 2.
// Keys reach the handlers as KeyDown (key code) then KeyPress (character code) before the
// character enters the box; a handler cancels by setting the code to 0. A key that types
// without a code of its own goes down as 231. Text committed by an input method is typed
// text: one KeyDown (229) and a KeyPress per character; a composition starting or changing
// raises KeyDown 229 too.
class TextBox : public QPlainTextEdit, public Placement {
public:
    enum class Lines { Single, Multi };
    // The box has the standard right-click menu; a locked box's menu changes nothing.
    TextBox(QWidget *parent, QStringView name, Lines lines, int left, int top, int width,
            int height);

    QString Text() const;
    // Raises Change when the text differs from what the box holds.
    void setText(const QString &text);
    // Length of Text() in UTF-16 code units, in constant time.
    qsizetype TextLength() const;
    bool Locked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }
    int SelLength() const;
    // Setting 0 removes the selection and leaves the caret at its start.
    void setSelLength(int length);
    void SetFocus();

    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void(int &keyCode, int shift)> onKeyDown;
    std::function<void(int &keyAscii)> onKeyPress;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

private:
    // Puts typed text where the caret is, replacing the selection, unless locked.
    void typeText(const QString &text);
    QString fitToLines(QString text) const;
    bool raiseKeyPress(int &keyAscii);

    Lines lines_;
    bool locked_ = false;
    bool drawingPreedit_ = false;
};

// A line drawn on the window surface between two points given in twips.
class Line : public QWidget {
public:
    Line(QWidget *parent, QStringView name, int x1, int y1, int x2, int y2,
         const QColor &color = systemColor(8));
    QPoint from() const { return from_; }
    QPoint to() const { return to_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint from_, to_;
    QColor color_;
};

// A timer of a window. Ticks while Enabled and Interval > 0, hidden window or not; setting
// the interval restarts the count. Destroying it (unloading the window) stops it.
class Timer {
public:
    explicit Timer(TimeSource &time);
    ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    std::function<void()> onTimer;

private:
    void update();
    std::unique_ptr<TimerDriver> driver_;
    int interval_ = 0;
    bool enabled_ = true;
};

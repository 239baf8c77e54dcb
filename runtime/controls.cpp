#include "runtime/controls.h"

#include "runtime/services.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>

#include <cmath>

namespace twips {

int toPixels(int twips) { return int(std::lround(twips / double(perPixel))); }

QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace twips

QColor systemColor(int index)
{
    // The classic desktop scheme the layouts were drawn against.
    switch (index) {
    case 4: return QColor(212, 208, 200);  // menu
    case 5: return QColor(255, 255, 255);  // window background
    case 8: return QColor(0, 0, 0);        // window text
    case 13: return QColor(10, 36, 106);   // highlight
    case 15: return QColor(212, 208, 200); // button face
    case 18: return QColor(0, 0, 0);       // button text
    case 19: return QColor(212, 208, 200); // inactive caption text
    default: return QColor(0, 0, 0);
    }
}

QColor rgbColor(int red, int green, int blue) { return QColor(red, green, blue); }

QFont songFont(qreal pointSize)
{
    QFont font;
    // AR PL UMing is a Song face with SimSun's tight line height, so wrapped captions fit
    // their labels as drawn; Noto and WenQuanYi are the fallbacks.
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

// --- Placement

void Placement::place(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    apply();
}

void Placement::setLeft(int v)
{
    left_ = v;
    self_->move(twips::toPixels(left_), twips::toPixels(top_));
}

void Placement::setTop(int v)
{
    top_ = v;
    self_->move(twips::toPixels(left_), twips::toPixels(top_));
}

void Placement::setWidth(int v)
{
    width_ = v;
    apply();
}

void Placement::setHeight(int v)
{
    height_ = v;
    apply();
}

void Placement::apply() { self_->setGeometry(twips::toPixels(left_, top_, width_, height_)); }

// --- Label

Label::Label(QWidget *parent, QStringView name, int left, int top, int width, int height,
             QStringView caption, qreal songPoints)
    : QLabel(parent), Placement(this), caption_(caption.toString())
{
    setObjectName(name.toString());
    setTextFormat(Qt::RichText);
    // Rich text only for its line height: no links, no selection.
    setTextInteractionFlags(Qt::NoTextInteraction);
    // Mouse moves over a label stay with it: the window's own handler is for its bare surface.
    setAttribute(Qt::WA_NoMousePropagation);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setForeColor(systemColor(18));
    place(left, top, width, height);
    // The caption is laid out once, at its own font: setting the font lays it out (see
    // changeEvent).
    if (songPoints > 0)
        setFont(songFont(songPoints));
    else
        fitLines();
}

void Label::setCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    showCaption();
}

// The layouts were drawn for a Song face whose lines are as tall as its size (12 pixels at
// 9 pt), and several captions fill their labels at that pitch. Debian's CJK faces do not
// keep it: Noto CJK's lines are 1.45 em, so a plain label cuts off the last lines of a
// wrapped caption. A fixed line height in Qt's rich text holds whatever face fontconfig
// picks, and Qt still lays out and draws the text. The pitch is a hair under the size: the
// main window's red notice, two lines at 15.75 pt, took 42 of its 41 pixels in a Song face,
// its last row blank; 3 % less keeps every caption inside its label and is still 12 pixels
// at 9 pt.
int Label::lineHeight() const { return qRound(QFontInfo(font()).pixelSize() * 0.97); }

void Label::fitLines()
{
    // Qt puts the baseline of a fixed line at 4/5 of its height, where a Song face has it
    // lower: ideographs reach higher than that above their baseline. The caption is drawn
    // that much lower, so the first line's top stays inside the label; the last line's
    // room below its baseline, which ideographs barely use, gives it back.
    const int rise = -QFontMetrics(font()).boundingRect(QChar(u'国')).top();
    const int shift = qMax(0, rise - lineHeight() * 4 / 5);
    setContentsMargins(0, shift, 0, -shift);
    showCaption();
}

void Label::showCaption()
{
    if (caption_.isEmpty()) {
        setText(QString());
        return;
    }
    setText(QStringLiteral("<p style=\"margin:0; white-space:pre-wrap; "
                           "-qt-line-height-type:fixed; line-height:%1px\">%2</p>")
                .arg(lineHeight())
                .arg(caption_.toHtmlEscaped()));
}

void Label::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitLines();
}

void Label::setForeColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QColor Label::ForeColor() const { return palette().color(QPalette::WindowText); }

void Label::setBackColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

// --- CommandButton

CommandButton::CommandButton(QWidget *parent, QStringView name, QStringView caption, int left,
                             int top, int width, int height)
    : QPushButton(caption.toString(), parent), Placement(this)
{
    setObjectName(name.toString());
    // A standard push button: Enter presses it while it has the focus, as Space does.
    setAutoDefault(true);
    place(left, top, width, height);
    connect(this, &QPushButton::clicked, this, [this] {
        if (onClick)
            onClick();
    });
}

void CommandButton::setEnabled(bool enabled)
{
    QWidget *top = window();
    const bool hadFocus = top->focusWidget() == this;
    QPushButton::setEnabled(enabled);
    // Qt passes the focus on to the next control; where there is none the window itself
    // holds it, so its own key handler sees the keys.
    if (!enabled && hadFocus) {
        QWidget *now = top->focusWidget();
        if (now == nullptr || now == this || !now->isEnabled())
            top->setFocus(Qt::OtherFocusReason);
    }
}

// A push button draws its caption on one line, cut at both ends when it is too wide. The
// layouts give buttons with long captions the height of two lines instead: such a caption
// breaks where Qt's text layout wraps it, and the style centres each line as it draws it.
void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = wrappedCaption(option);
    painter.drawControl(QStyle::CE_PushButton, option);
}

QString CommandButton::drawnCaption() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return wrappedCaption(option);
}

QString CommandButton::wrappedCaption(const QStyleOptionButton &option) const
{
    const int width = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width();
    if (option.fontMetrics.horizontalAdvance(option.text) <= width)
        return option.text;
    QTextLayout layout(option.text, font());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << option.text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

// --- OptionButton

OptionButton::OptionButton(QWidget *parent, QStringView name, QStringView caption, int left,
                           int top, int width, int height)
    : QRadioButton(caption.toString(), parent), Placement(this)
{
    setObjectName(name.toString());
    place(left, top, width, height);
}

// --- Line

Line::Line(QWidget *parent, QStringView name, int x1, int y1, int x2, int y2, const QColor &color)
    : QWidget(parent), from_(x1, y1), to_(x2, y2), color_(color)
{
    setObjectName(name.toString());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const int left = twips::toPixels(qMin(x1, x2));
    const int top = twips::toPixels(qMin(y1, y2));
    const int right = twips::toPixels(qMax(x1, x2));
    const int bottom = twips::toPixels(qMax(y1, y2));
    setGeometry(left, top, right - left + 1, bottom - top + 1);
    lower();
}

void Line::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(color_, 1));
    const QPoint origin(twips::toPixels(qMin(from_.x(), to_.x())),
                        twips::toPixels(qMin(from_.y(), to_.y())));
    painter.drawLine(QPoint(twips::toPixels(from_.x()), twips::toPixels(from_.y())) - origin,
                     QPoint(twips::toPixels(to_.x()), twips::toPixels(to_.y())) - origin);
}

// --- Timer

Timer::Timer(TimeSource &time)
    : driver_(time.createTimer([this] {
          if (onTimer)
              onTimer();
      }))
{
}

Timer::~Timer() = default;

void Timer::setInterval(int ms)
{
    interval_ = qMax(0, ms);
    update();
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    update();
}

void Timer::update()
{
    if (enabled_ && interval_ > 0)
        driver_->start(interval_);
    else
        driver_->stop();
}

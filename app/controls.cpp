#include "controls.h"

#include "keys.h"
#include "services.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QFontMetricsF>
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
    case 4: return QColor(212, 208, 200);   // menu
    case 5: return QColor(255, 255, 255);   // window background
    case 8: return QColor(0, 0, 0);         // window text
    case 13: return QColor(10, 36, 106);    // highlight
    case 15: return QColor(212, 208, 200);  // button face
    case 18: return QColor(0, 0, 0);        // button text
    case 19: return QColor(212, 208, 200);  // inactive caption text
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

// --- CaptionLayout

bool CaptionLayout::draw(QPainter &painter, const QRect &rect, int flags, const QString &text)
{
    const QFont &font = painter.font();
    if (text.isEmpty())
        return true;
    if (!layout_ || text != text_ || flags != flags_ || rect.size() != rect_.size() ||
        font != font_) {
        const bool plain = !(flags & (Qt::TextForceRightToLeft | Qt::AlignJustify |
                                      Qt::TextJustificationForced | Qt::TextShowMnemonic |
                                      Qt::TextExpandTabs | Qt::TextDontClip)) &&
                           !font.underline() && !font.overline() && !font.strikeOut() &&
                           !text.contains(QChar(0x9c));
        if (!plain)
            return false;
        text_ = text;
        flags_ = flags;
        font_ = font;
        rect_ = rect;
        layOut(font);
    }
    rect_ = rect;

    const QRectF r(rect);
    qreal yoff = 0;
    if (flags_ & Qt::AlignBottom)
        yoff = r.height() - height_;
    else if (flags_ & Qt::AlignVCenter)
        yoff = (r.height() - height_) / 2;
    qreal width = 0;
    for (int i = 0; i < layout_->lineCount(); ++i)
        width = qMax(width, layout_->lineAt(i).naturalTextWidth());
    qreal xoff = 0;
    if (flags_ & Qt::AlignRight)
        xoff = r.width() - width;
    else if (flags_ & Qt::AlignHCenter)
        xoff = (r.width() - width) / 2;
    const QRectF bounds(r.x() + xoff, r.y() + yoff, width, height_);

    const bool clip = !r.contains(bounds);
    if (clip) {
        painter.save();
        painter.setClipRect(r, Qt::IntersectClip);
    }
    for (int i = 0; i < layout_->lineCount(); ++i) {
        const QTextLine line = layout_->lineAt(i);
        const qreal advance = line.horizontalAdvance();
        qreal x = 0;
        if (flags_ & Qt::AlignRight)
            x = r.width() - advance;
        else if (flags_ & Qt::AlignHCenter)
            x = (r.width() - advance) / 2;
        line.draw(&painter, QPointF(r.x() + x, r.y() + yoff));
    }
    if (clip)
        painter.restore();
    return true;
}

void CaptionLayout::layOut(const QFont &font)
{
    // As the painter prepares a text for drawText: carriage returns become spaces, line
    // feeds line breaks.
    QString text = text_;
    for (QChar &c : text) {
        if (c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('\n'))
            c = QChar::LineSeparator;
    }
    layout_ = std::make_unique<QTextLayout>(text, font);
    layout_->setCacheEnabled(true);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    if (flags_ & Qt::TextWrapAnywhere)
        option.setWrapMode(QTextOption::WrapAnywhere);
    // Tab stops every eight widths of an x.
    if (text.contains(QLatin1Char('\t')))
        option.setTabStopDistance(qRound(QFontMetricsF(font).horizontalAdvance(QLatin1Char('x')) * 8));
    const bool wrap = flags_ & (Qt::TextWordWrap | Qt::TextWrapAnywhere);
    layout_->setTextOption(option);

    const qreal lineWidth = wrap ? qMax<qreal>(0, rect_.width()) : qreal(0x01000000);
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    layout_->beginLayout();
    for (;;) {
        QTextLine line = layout_->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(lineWidth);
        height += leading;
        // Lines sit on whole pixels.
        height = std::ceil(height);
        line.setPosition(QPointF(0, height));
        height += line.ascent() + line.descent();
        // Lines below the rectangle are never seen.
        if (height >= rect_.height())
            break;
    }
    layout_->endLayout();
    height_ = height;
}

// --- Label

Label::Label(QWidget *parent, const QString &name, int left, int top, int width, int height)
    : QLabel(parent), Placement(this)
{
    setObjectName(name);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setForeColor(systemColor(18));
    place(left, top, width, height);
}

void Label::setCaption(const QString &caption)
{
    if (caption != text())
        setText(caption);
}

void Label::paintEvent(QPaintEvent *)
{
    // The labels hold plain text with no frame, picture or indent: QLabel draws them with
    // one call to the style's drawItemText, made here with the same rectangle and flags.
    QStyleOption option;
    option.initFrom(this);
    const QString caption = text();
    const Qt::LayoutDirection direction = caption.isRightToLeft() ? Qt::RightToLeft
                                                                  : Qt::LeftToRight;
    int flags = int(QStyle::visualAlignment(direction, alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    flags |= direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft;
    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m, -m);

    QPainter painter(this);
    if (isEnabled() && !caption.isEmpty()) {
        // What drawItemText does for enabled text, with the layout kept between paints.
        const QPen saved = painter.pen();
        painter.setPen(QPen(option.palette.brush(foregroundRole()), saved.widthF()));
        const bool drawn = layout_.draw(painter, area, flags, caption);
        painter.setPen(saved);
        if (drawn)
            return;
    }
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), caption,
                          foregroundRole());
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

CommandButton::CommandButton(QWidget *parent, const QString &name, const QString &caption,
                             int left, int top, int width, int height)
    : QPushButton(caption, parent), Placement(this)
{
    setObjectName(name);
    setAutoDefault(false);
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

// --- OptionButton

OptionButton::OptionButton(QWidget *parent, const QString &name, const QString &caption,
                           int left, int top, int width, int height)
    : QRadioButton(caption, parent), Placement(this)
{
    setObjectName(name);
    place(left, top, width, height);
}

// --- Line

Line::Line(QWidget *parent, const QString &name, int x1, int y1, int x2, int y2,
           const QColor &color)
    : QWidget(parent), from_(x1, y1), to_(x2, y2), color_(color)
{
    setObjectName(name);
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

Timer::Timer(TimeSource &time, std::function<void()> onTimer)
    : driver_(time.createTimer(std::move(onTimer)))
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

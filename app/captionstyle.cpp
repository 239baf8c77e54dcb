#include "captionstyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Enough for every caption of the open windows.
constexpr std::size_t keptCaptions = 64;

} // namespace

CaptionLayout::CaptionLayout(const QString &text, const QFont &font, const QSize &size,
                             int flags)
    : text_(text), font_(font), size_(size), flags_(flags)
{
    // As the painter prepares a text for drawText: carriage returns become spaces, line
    // feeds line breaks.
    QString shown = text;
    for (QChar &c : shown) {
        if (c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('\n'))
            c = QChar::LineSeparator;
    }
    layout_ = std::make_unique<QTextLayout>(shown, font);
    layout_->setCacheEnabled(true);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    if (flags & Qt::TextWrapAnywhere)
        option.setWrapMode(QTextOption::WrapAnywhere);
    const bool wrap = flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere);
    // Unwrapped lines are placed with their trailing spaces.
    if (!wrap)
        option.setFlags(option.flags() | QTextOption::IncludeTrailingSpaces);
    layout_->setTextOption(option);

    const qreal lineWidth = wrap ? qMax<qreal>(0, size.width()) : qreal(0x01000000);
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
        if (height >= size.height())
            break;
    }
    layout_->endLayout();
    height_ = height;
    for (int i = 0; i < layout_->lineCount(); ++i)
        width_ = qMax(width_, layout_->lineAt(i).naturalTextWidth());
}

CaptionLayout::~CaptionLayout() = default;

bool CaptionLayout::handles(const QString &text, const QFont &font, int flags)
{
    // Mnemonic flags change nothing in a text without an ampersand.
    const bool mnemonics =
        (flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic)) && text.contains(u'&');
    return !text.isEmpty() && !mnemonics && !text.isRightToLeft() &&
           !(flags & (Qt::TextForceRightToLeft | Qt::AlignJustify | Qt::TextJustificationForced |
                      Qt::TextDontClip)) &&
           !font.underline() && !font.overline() && !font.strikeOut() &&
           !text.contains(QLatin1Char('\t')) && !text.contains(QChar(0x9c));
}

bool CaptionLayout::fits(const QString &text, const QFont &font, const QSize &size,
                         int flags) const
{
    return flags == flags_ && size == size_ && text == text_ && font == font_;
}

void CaptionLayout::draw(QPainter &painter, const QRect &rect) const
{
    const QRectF r(rect);
    qreal yoff = 0;
    if (flags_ & Qt::AlignBottom)
        yoff = r.height() - height_;
    else if (flags_ & Qt::AlignVCenter)
        yoff = (r.height() - height_) / 2;
    qreal xoff = 0;
    if (flags_ & Qt::AlignRight)
        xoff = r.width() - width_;
    else if (flags_ & Qt::AlignHCenter)
        xoff = (r.width() - width_) / 2;

    const bool clip = !r.contains(QRectF(r.x() + xoff, r.y() + yoff, width_, height_));
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
}

CaptionStyle::CaptionStyle()
{
    // Only styles known to draw text as one plain painter call are sped up; Fusion draws
    // disabled text that way too, in the palette's disabled colours.
    const QString name = baseStyle()->name().toLower();
    plainDrawItemText_ = name == QLatin1String("fusion") || name == QLatin1String("windows");
    plainDisabledText_ = name == QLatin1String("fusion");
}

void CaptionStyle::drawItemText(QPainter *painter, const QRect &rect, int flags,
                                const QPalette &pal, bool enabled, const QString &text,
                                QPalette::ColorRole textRole) const
{
    const QFont &font = painter->font();
    if (!plainDrawItemText_ || (!enabled && !plainDisabledText_) ||
        painter->layoutDirection() == Qt::RightToLeft ||
        !CaptionLayout::handles(text, font, flags)) {
        QProxyStyle::drawItemText(painter, rect, flags, pal, enabled, text, textRole);
        return;
    }
    const CaptionLayout *layout = nullptr;
    for (auto it = kept_.rbegin(); it != kept_.rend() && !layout; ++it)
        if ((*it)->fits(text, font, rect.size(), flags))
            layout = it->get();
    if (!layout) {
        if (kept_.size() == keptCaptions)
            kept_.pop_front();
        kept_.push_back(std::make_unique<CaptionLayout>(text, font, rect.size(), flags));
        layout = kept_.back().get();
    }
    const QPen saved = painter->pen();
    if (textRole != QPalette::NoRole)
        painter->setPen(QPen(pal.brush(textRole), saved.widthF()));
    layout->draw(*painter, rect);
    painter->setPen(saved);
}

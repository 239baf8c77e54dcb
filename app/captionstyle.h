#pragma once

#include <QFont>
#include <QProxyStyle>
#include <QRect>
#include <QString>

#include <deque>
#include <memory>

class QTextLayout;

// A caption laid out once and drawn as QPainter::drawText(rect, flags, text) draws it: the
// same lines at the same places, without shaping the text again at every paint.
class CaptionLayout {
public:
    CaptionLayout(const QString &text, const QFont &font, const QSize &size, int flags);
    ~CaptionLayout();
    // Whether it lays out such a caption itself: not right-to-left, justified or decorated
    // text, tabs, mnemonics or length variants. (Tab and mnemonic flags change nothing in a
    // text without tabs or ampersands.)
    static bool handles(const QString &text, const QFont &font, int flags);
    bool fits(const QString &text, const QFont &font, const QSize &size, int flags) const;
    void draw(QPainter &painter, const QRect &rect) const;

private:
    QString text_;
    QFont font_;
    QSize size_;
    int flags_;
    std::unique_ptr<QTextLayout> layout_;
    qreal height_ = 0;
    qreal width_ = 0;
};

// The program's style: Qt's own, with the captions it draws (labels, buttons, options) laid
// out once and kept. The game moves its letter every 10 ms, and each move repaints whatever
// the letter passes over; without this every such repaint shapes those captions again.
class CaptionStyle : public QProxyStyle {
public:
    CaptionStyle();
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &pal,
                      bool enabled, const QString &text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;

private:
    // The captions drawn last, the most recent at the back.
    mutable std::deque<std::unique_ptr<CaptionLayout>> kept_;
    bool plainDrawItemText_;
    bool plainDisabledText_;
};

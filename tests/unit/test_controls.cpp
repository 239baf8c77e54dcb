// The program's style keeps the captions it lays out between paints. Whatever the caption and
// whatever changes, a control must look exactly as under Qt's own style, on the first paint
// and on every repaint after it.
#include "app/captionstyle.h"
#include "app/controls.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTest>

#include <functional>
#include <memory>

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void captionsLookAsUnderQtsStyle_data();
    void captionsLookAsUnderQtsStyle();
};

namespace {

enum class Kind { Label, Button, Option };

QWidget *makeControl(Kind kind, QWidget *parent)
{
    switch (kind) {
    case Kind::Label: {
        // As the windows' labels are set up.
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::Button: return new QPushButton(parent);
    case Kind::Option: return new QRadioButton(parent);
    }
    return nullptr;
}

void setCaption(QWidget *w, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
}

// Pixels of a widget as the window shows them, background included.
QImage shot(QWidget *w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

using Change = std::function<void(QWidget *)>;

} // namespace

void TestControls::captionsLookAsUnderQtsStyle_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Change>("change");
    const QString wrapped = QStringLiteral("游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存"
                                           "即可显示 下次打开时就可以读取");
    const std::pair<const char *, Change> changes[] = {
        {"caption", [](QWidget *w) { setCaption(w, QStringLiteral("总分:120")); }},
        {"caption after repaints",
         [](QWidget *w) {
             w->grab();
             w->grab();
             setCaption(w, QStringLiteral("开始"));
         }},
        {"wrapped caption", [wrapped](QWidget *w) { setCaption(w, wrapped); }},
        {"line breaks and tabs",
         [](QWidget *w) { setCaption(w, QStringLiteral("第一行\r\n第\t二行 三")); }},
        {"ampersand", [](QWidget *w) { setCaption(w, QStringLiteral("保存 && 退出 &A")); }},
        {"more than fits",
         [](QWidget *w) { setCaption(w, QStringLiteral("长").repeated(300)); }},
        {"one long word",
         [](QWidget *w) {
             setCaption(w, QStringLiteral("W").repeated(80) + QStringLiteral(" end"));
         }},
        {"fore colour",
         [](QWidget *w) {
             QPalette p = w->palette();
             p.setColor(w->foregroundRole(), QColor(200, 30, 40));
             w->setPalette(p);
         }},
        {"disabled", [](QWidget *w) { w->setEnabled(false); }},
        {"narrower", [](QWidget *w) { w->resize(60, w->height()); }},
        {"font", [](QWidget *w) { w->setFont(songFont(15)); }},
        {"emptied", [](QWidget *w) { setCaption(w, QString()); }},
    };
    const std::pair<const char *, Kind> kinds[] = {
        {"label", Kind::Label}, {"button", Kind::Button}, {"option", Kind::Option}};
    for (const auto &[kindName, kind] : kinds)
        for (const auto &[changeName, change] : changes)
            QTest::addRow("%s: %s", kindName, changeName) << kind << change;
}

void TestControls::captionsLookAsUnderQtsStyle()
{
    QFETCH(Kind, kind);
    QFETCH(Change, change);
    CaptionStyle caching;
    std::unique_ptr<QStyle> plain(QStyleFactory::create(caching.baseStyle()->name()));
    QVERIFY(plain);

    QWidget window;
    window.resize(400, 200);
    // Clear of the window's corner, where the pointer rests and would light one of them.
    QWidget *ours = makeControl(kind, &window);
    QWidget *theirs = makeControl(kind, &window);
    ours->setStyle(&caching);
    theirs->setStyle(plain.get());
    ours->setGeometry(30, 40, 160, 65);
    theirs->setGeometry(220, 40, 160, 65);
    // The window's opening focus would land on one of them only.
    ours->setFocusPolicy(Qt::NoFocus);
    theirs->setFocusPolicy(Qt::NoFocus);
    setCaption(ours, QStringLiteral("A"));
    setCaption(theirs, QStringLiteral("A"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The first paint after a change lays the caption out, the next one reuses it.
    for (const char *step : {"before", "after the change"}) {
        if (QByteArray(step) != "before") {
            change(ours);
            change(theirs);
        }
        for (int round = 1; round <= 2; ++round)
            QVERIFY2(shot(ours) == shot(theirs),
                     qPrintable(QStringLiteral("%1, paint %2").arg(QLatin1String(step)).arg(round)));
    }
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"

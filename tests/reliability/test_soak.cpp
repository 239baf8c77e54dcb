// A seeded random user at every window under virtual time: windows opened and closed, clicks
// anywhere, keys (letters, Backspace, Delete, Enter, Ctrl chords), pastes of up to 100 000
// characters, input-method commits, focus moves, resizes, the tray icon, and time passing.
// After every event: no runtime-error box, every result caption in its proper form, the live
// test's text never shorter from the keyboard, the leaderboard's copies equal to their
// sources, and the score file holding exactly the caption of the last game window closed.
//
// KELVANE_SOAK_EVENTS sets the number of events (20 000 by default; `make soak` runs
// 200 000) and KELVANE_SOAK_SEED the seed. A failure names the seed, the event and the last
// actions, so that the same run can be replayed.
#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"
#include "forms/form5.h"
#include "forms/form6.h"
#include "forms/form7.h"
#include "runtime/controls.h"
#include "scores/scorefile.h"
#include "tests/support/testprogram.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <map>
#include <optional>
#include <random>
#include <set>

namespace {

const QString emptyTextMessage = QStringLiteral("请在文本框中输入文字或字母！");

QtMessageHandler previousHandler = nullptr;
// Warnings Qt gave since the last check: each is a misuse of Qt by the program.
QStringList qtWarnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The offscreen platform says so every time a window is brought to the front.
    if (message == QLatin1String("This plugin does not support raise()"))
        return;
    if (type == QtWarningMsg || type == QtCriticalMsg)
        qtWarnings << message;
    previousHandler(type, context, message);
}

// The forms of every result caption, and of the other captions that code writes.
struct CaptionRule {
    const char *form;
    const char *label;
    const char *pattern;
};

// A number as the program joins it to text: whole, decimal without the leading 0, or in
// exponent form.
#define NUMBER "-?(?:\\d+|\\d*\\.\\d+|\\d(?:\\.\\d+)?E[-+]\\d+)"
const CaptionRule captionRules[] = {
    {"Form1", "Label3", "|\\d{1,2}:\\d{2}:\\d{2}(?: ?[AaPp][Mm])?"},
    {"Form5", "Label1", "|\\d+"},
    {"Form5", "Label4", "|你的打字速度测试成绩为" NUMBER "秒/个"},
    {"Form4", "Label1", "录入字符 \\d+ 个"},
    {"Form4", "Label2", "|用时 \\d+ 分 [1-5]?\\d 秒"},
    {"Form4", "Label3", "|录入速度 \\d+ 字符/分钟"},
    {"Form2", "lblstart", "|(?:[01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"},
    {"Form2", "lblend", "|(?:[01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"},
    {"Form2", "lblused", "|(?:[01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"},
    {"Form2", "Label6", "|(?:100|[1-9]?\\d)?\\.\\d%"},
    {"Form2", "Label7", "|(?:30|[12]?\\d)?字符/秒"},
    {"Form3", "Label1", "|(?:分数|总分:)\\d+"},
    {"Form3", "Label2", "|[A-Z]"},
    {"Form6", "Label1", "分数|(?:分数|总分:)\\d+|"},
    {"Form6", "Label2", "分数|你的打字速度测试成绩为" NUMBER "秒/个|"},
    {"Form6", "Label3", "分数|录入速度 \\d+ 字符/分钟|"},
    {"Form6", "Label4", "分数|(?:30|[12]?\\d)?字符/秒|"},
    {"Form6", "Label9", "|(?:100|[1-9]?\\d)?\\.\\d%"},
};
#undef NUMBER

// What the leaderboard's buttons copy: button, its label, the source window and label.
struct Copy {
    const char *button;
    const char *label;
    const char *sourceForm;
    const char *sourceLabel;
};
const Copy copies[] = {
    {"Command2", "Label2", "Form5", "Label4"},
    {"Command3", "Label3", "Form4", "Label3"},
    {"Command4", "Label4", "Form2", "Label7"},
    {"Command4", "Label9", "Form2", "Label6"},
};

// Buttons that end the program; pressed only now and then, since each end starts the
// program afresh.
bool endsTheProgram(const QString &form, const QString &button)
{
    return (form == QLatin1String("Form1") && button == QLatin1String("C")) ||
           (form == QLatin1String("Form4") && button == QLatin1String("Command2"));
}

class Soak {
public:
    explicit Soak(std::uint64_t seed) : rng_(seed)
    {
        for (const CaptionRule &rule : captionRules)
            patterns_.emplace_back(QLatin1String("^(?:") + QString::fromUtf8(rule.pattern) +
                                   QLatin1String(")$"));
        captionsSeen_.resize(patterns_.size());
        startProgram();
    }

    // Runs one random event and checks the program after it; returns what broke, if anything.
    QString step();
    QString recentActions() const { return log_.join(QLatin1String("\n  ")); }
    int sessions() const { return sessions_; }
    // What the run reached: how many different captions each checked label showed, and how
    // many games were saved on closing.
    QString coverage() const;
    qint64 virtualMs() const { return virtualMs_ + p_->time->elapsedMs(); }

private:
    // Random helpers.
    int below(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng_)); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <typename T> T &pick(const std::vector<T *> &v)
    {
        return *v[size_t(below(int(v.size())))];
    }
    QString randomText(int length, bool lineBreaks);

    void startProgram();
    void note(const QString &action);
    std::vector<Form *> forms();
    std::vector<Form *> visibleForms();
    Form *formNamed(const QString &name);
    QWidget *keyTarget();
    // A label of a loaded form, found by its layout name.
    Label *label(Form &form, const char *name);

    // Events.
    QString clickButton();
    void clickAnywhere();
    void pressKey();
    void typeText();
    void paste();
    void imeCommit();
    void moveFocus();
    void advanceTime();
    void closeWindow();
    void openFromMainWindow();
    void hitTheLetter();
    void finishTheLetters();
    void trayEvent();
    void resizeWindow();

    // Checks.
    QString check();
    QString checkCaptions();
    QString checkScoreFile();
    QString checkLiveTextOnlyGrows();
    QString checkTextBoxes();
    QString afterEnd();

    std::mt19937_64 rng_;
    std::unique_ptr<TestProgram> p_;
    int sessions_ = 0;
    qint64 virtualMs_ = 0;
    size_t messagesSeen_ = 0;
    // The caption of the last game window closed with a caption; none before.
    std::optional<QString> saved_;
    // The live test's text length last seen, and whether a handler may have emptied it since.
    qsizetype liveLength_ = -1;
    bool liveMayShrink_ = true;
    // The live test's start button the soak listens to: its click empties the text.
    QPointer<QAbstractButton> liveStart_;
    QStringList log_;
    int sinceEvents_ = 0;
    std::vector<QRegularExpression> patterns_;
    std::map<QString, QPointer<Label>> labels_;
    std::vector<std::set<QString>> captionsSeen_;
    int gamesSaved_ = 0;
};

void Soak::startProgram()
{
    if (p_) {
        virtualMs_ += p_->time->elapsedMs();
        p_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    p_ = std::make_unique<TestProgram>();
    ++sessions_;
    messagesSeen_ = 0;
    saved_.reset();
    liveLength_ = -1;
    liveMayShrink_ = true;
    (*p_)->start();
    note(QStringLiteral("program started (session %1)").arg(sessions_));
}

QString Soak::coverage() const
{
    QStringList parts;
    for (size_t i = 0; i < std::size(captionRules); ++i)
        parts << QStringLiteral("%1.%2 %3")
                     .arg(QLatin1String(captionRules[i].form), QLatin1String(captionRules[i].label))
                     .arg(captionsSeen_[i].size());
    return QStringLiteral("games saved %1; different captions: %2")
        .arg(gamesSaved_)
        .arg(parts.join(QLatin1String(", ")));
}

void Soak::note(const QString &action)
{
    log_.append(action);
    if (log_.size() > 40)
        log_.removeFirst();
}

std::vector<Form *> Soak::forms()
{
    Forms &p = **p_;
    return {&p.form1(), &p.form2(), &p.form3(), &p.form4(), &p.form5(), &p.form6(), &p.form7()};
}

std::vector<Form *> Soak::visibleForms()
{
    std::vector<Form *> v;
    for (Form *f : forms())
        if (f->isVisible())
            v.push_back(f);
    return v;
}

Form *Soak::formNamed(const QString &name)
{
    for (Form *f : forms())
        if (f->name() == name)
            return f;
    return nullptr;
}

Label *Soak::label(Form &form, const char *name)
{
    // Looked up once per loading of the form: the checks read these after every event.
    QPointer<Label> &found = labels_[form.name() + QLatin1Char('.') + QLatin1String(name)];
    if (found.isNull() || found->window() != &form.window())
        found = form.window().findChild<Label *>(QLatin1String(name));
    return found.data();
}

QWidget *Soak::keyTarget()
{
    if (QWidget *w = QApplication::focusWidget())
        return w;
    return QApplication::activeWindow();
}

QString Soak::randomText(int length, bool lineBreaks)
{
    static const char16_t odd[] = {u'\t',  u'\0',  0xFFFD, 0x0301, 0x3000,
                                   0x20AC, 0x00E9, 0x200B, 0xFEFF, 0x1D2B};
    QString text;
    text.reserve(length + 8);
    // Each text has a character of its own: mostly Chinese, mostly ASCII, or anything.
    const int flavour = below(3);
    while (text.size() < length) {
        const int r = below(100);
        if (lineBreaks && r < 3) {
            static const char *const breaks[] = {"\n", "\r\n", "\r"};
            text += QLatin1String(breaks[below(3)]);
        } else if ((flavour == 0 && r < 80) || (flavour == 2 && r < 30)) {
            text += QChar(char16_t(0x4E00 + below(0x9FA5 - 0x4E00)));
        } else if ((flavour == 1 && r < 95) || (flavour == 2 && r < 75)) {
            text += QChar(char16_t(32 + below(95)));
        } else if (r < 97) {
            text += QChar(odd[below(int(std::size(odd)))]);
        } else {
            // A character outside the basic plane: a surrogate pair, two code units.
            const char32_t c = char32_t(0x1F600 + below(80));
            text += QString::fromUcs4(&c, 1);
        }
    }
    return text;
}

// --- Events

QString Soak::clickButton()
{
    const std::vector<Form *> shown = visibleForms();
    if (shown.empty())
        return {};
    Form &form = pick(shown);
    std::vector<QAbstractButton *> buttons;
    for (QAbstractButton *b : form.window().findChildren<QAbstractButton *>())
        if (b->isEnabled() && b->isVisible())
            buttons.push_back(b);
    if (buttons.empty())
        return {};
    QAbstractButton &button = pick(buttons);
    const QString name = button.objectName();
    if (endsTheProgram(form.name(), name) && !chance(0.02))
        return {};
    note(QStringLiteral("click %1.%2").arg(form.name(), name));
    QTest::mouseClick(&button, Qt::LeftButton);

    // The leaderboard copies its sources as they stand.
    if (form.name() == QLatin1String("Form6") && form.isLoaded()) {
        for (const Copy &c : copies) {
            if (name != QLatin1String(c.button))
                continue;
            Form *source = formNamed(QLatin1String(c.sourceForm));
            const QString copied = label(form, c.label)->Caption();
            const QString original = label(*source, c.sourceLabel)->Caption();
            if (copied != original)
                return QStringLiteral("leaderboard %1 shows \"%2\" but %3.%4 shows \"%5\"")
                    .arg(QLatin1String(c.label), copied, QLatin1String(c.sourceForm),
                         QLatin1String(c.sourceLabel), original);
        }
        if (name == QLatin1String("Command1")) {
            const QString shownScore = label(form, "Label1")->Caption();
            if (shownScore != saved_.value_or(QString()))
                return QStringLiteral(
                           "leaderboard shows the game score \"%1\", the file holds \"%2\"")
                    .arg(shownScore, saved_.value_or(QString()));
        }
    }
    return {};
}

void Soak::clickAnywhere()
{
    const std::vector<Form *> shown = visibleForms();
    if (shown.empty())
        return;
    Form &form = pick(shown);
    FormWindow &w = form.window();
    const QPoint at(below(qMax(1, w.width())), below(qMax(1, w.height())));
    QWidget *target = w.childAt(at);
    if (target == nullptr)
        target = &w;
    const QPoint local = target->mapFrom(&w, at);
    static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::LeftButton,
                                              Qt::RightButton, Qt::MiddleButton};
    const Qt::MouseButton button = buttons[below(5)];
    const Qt::KeyboardModifiers mods = chance(0.2) ? Qt::ShiftModifier : Qt::NoModifier;
    note(QStringLiteral("click %1 at (%2,%3) on %4 with button %5")
             .arg(form.name())
             .arg(at.x())
             .arg(at.y())
             .arg(target->objectName())
             .arg(int(button)));
    if (chance(0.15))
        QTest::mouseDClick(target, button, mods, local);
    else
        QTest::mouseClick(target, button, mods, local);
}

void Soak::pressKey()
{
    QWidget *target = keyTarget();
    if (target == nullptr)
        return;
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    const int kind = below(100);
    if (kind < 45) {
        const int letter = below(26);
        key = Qt::Key(Qt::Key_A + letter);
        const bool upper = chance(0.3);
        if (upper && chance(0.5))
            mods = Qt::ShiftModifier; // otherwise Caps Lock
        text = QString(QChar(char16_t((upper ? 'A' : 'a') + letter)));
    } else if (kind < 52) {
        const int digit = below(10);
        key = Qt::Key(Qt::Key_0 + digit);
        text = QString(QChar(char16_t('0' + digit)));
        if (chance(0.3))
            mods = Qt::KeypadModifier;
    } else if (kind < 62) {
        key = Qt::Key_Backspace;
        text = QStringLiteral("\b");
    } else if (kind < 70) {
        key = Qt::Key_Delete;
    } else if (kind < 77) {
        key = chance(0.8) ? Qt::Key_Return : Qt::Key_Enter;
        text = QStringLiteral("\r");
    } else if (kind < 88) {
        // Ctrl chords: select all, copy, paste, cut, undo, redo, delete a word.
        static const Qt::Key chords[] = {Qt::Key_A,         Qt::Key_C,      Qt::Key_V,
                                         Qt::Key_X,         Qt::Key_Z,      Qt::Key_Y,
                                         Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return,
                                         Qt::Key_Home,      Qt::Key_End,    Qt::Key_Insert};
        key = chords[below(int(std::size(chords)))];
        mods = Qt::ControlModifier;
        if (chance(0.2))
            mods |= Qt::ShiftModifier;
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QString(QChar(char16_t(key - Qt::Key_A + 1)));
    } else {
        // Moving and selecting, leaving, and keys that type nothing.
        static const Qt::Key others[] = {
            Qt::Key_Left,  Qt::Key_Right,  Qt::Key_Up,     Qt::Key_Down,    Qt::Key_Home,
            Qt::Key_End,   Qt::Key_PageUp, Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Escape,
            Qt::Key_Space, Qt::Key_F5,     Qt::Key_Insert, Qt::Key_Shift};
        key = others[below(int(std::size(others)))];
        if (key == Qt::Key_Escape)
            text = QStringLiteral("\x1b");
        else if (key == Qt::Key_Space)
            text = QStringLiteral(" ");
        else if (key == Qt::Key_Tab)
            text = QStringLiteral("\t");
        if (chance(0.3))
            mods = Qt::ShiftModifier;
        if (chance(0.05))
            mods |= Qt::AltModifier;
    }
    note(QStringLiteral("key %1 mods %2 to %3")
             .arg(QKeySequence(key).toString())
             .arg(int(mods), 0, 16)
             .arg(target->objectName()));
    QTest::sendKeyEvent(QTest::Click, target, key, text, mods);
}

void Soak::typeText()
{
    QWidget *target = keyTarget();
    if (target == nullptr)
        return;
    const QString text = randomText(1 + below(12), false);
    note(QStringLiteral("type %1 characters to %2").arg(text.size()).arg(target->objectName()));
    for (QChar ch : text) {
        // The way a keyboard layout sends a character it has no key code for.
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

void Soak::paste()
{
    QWidget *target = keyTarget();
    if (target == nullptr)
        return;
    const int length = chance(0.03) ? 1 + below(100'000) : below(300);
    QApplication::clipboard()->setText(randomText(length, chance(0.7)));
    note(QStringLiteral("paste %1 characters to %2").arg(length).arg(target->objectName()));
    if (chance(0.8))
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_V, QStringLiteral("\x16"),
                            Qt::ControlModifier);
    else
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_Insert, QString(), Qt::ShiftModifier);
}

void Soak::imeCommit()
{
    QWidget *target = keyTarget();
    if (target == nullptr)
        return;
    // A word or two, now and then a whole sentence.
    const QString text = randomText(1 + below(chance(0.1) ? 40 : 6), false);
    note(QStringLiteral("input method commits %1 characters to %2")
             .arg(text.size())
             .arg(target->objectName()));
    if (chance(0.4)) {
        // A composition first, shown in the box until the commit replaces it.
        QInputMethodEvent composing(QStringLiteral("zhong"), {});
        QApplication::sendEvent(target, &composing);
        if (chance(0.2))
            return; // left composing: the next event interrupts it
    }
    input::imeCommit(target, text);
}

void Soak::moveFocus()
{
    const std::vector<Form *> shown = visibleForms();
    if (shown.empty())
        return;
    Form &form = pick(shown);
    if (chance(0.5)) {
        note(QStringLiteral("activate %1").arg(form.name()));
        form.window().raise();
        QApplication::setActiveWindow(&form.window());
        return;
    }
    std::vector<QWidget *> focusable;
    for (QWidget *w : form.window().findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus && w->isEnabled() && w->isVisible())
            focusable.push_back(w);
    if (focusable.empty())
        return;
    QWidget &w = pick(focusable);
    note(QStringLiteral("focus %1.%2").arg(form.name(), w.objectName()));
    QApplication::setActiveWindow(&form.window());
    w.setFocus(Qt::MouseFocusReason);
}

void Soak::advanceTime()
{
    const int kind = below(100);
    qint64 ms;
    if (kind < 60)
        ms = 1 + below(60);
    else if (kind < 90)
        ms = 100 + below(3000);
    else if (kind < 99)
        ms = 1000 * (5 + below(120));
    else
        ms = 1000 * (600 + below(3600));
    note(QStringLiteral("advance %1 ms").arg(ms));
    p_->advance(ms);
}

void Soak::closeWindow()
{
    const std::vector<Form *> shown = visibleForms();
    if (shown.empty())
        return;
    Form &form = pick(shown);
    // Without the main window nothing can be opened any more; users close it rarely.
    if (form.name() == QLatin1String("Form1") && !chance(0.1))
        return;
    if (form.name() == QLatin1String("Form3")) {
        // Closing the game saves its caption; an empty one (no game since it opened) leaves
        // the stored score as it is.
        const QString caption = label(form, "Label1")->Caption();
        if (!caption.isEmpty()) {
            saved_ = caption;
            ++gamesSaved_;
        }
    }
    note(QStringLiteral("close %1").arg(form.name()));
    form.window().close();
}

void Soak::openFromMainWindow()
{
    Form1 &main = (*p_)->form1();
    if (!main.isVisible())
        return;
    static const char *const buttons[] = {"Command1", "Command2", "Command3",
                                          "Command4", "Command5", "Command6"};
    const char *name = buttons[below(6)];
    note(QStringLiteral("open from Form1.%1").arg(QLatin1String(name)));
    QTest::mouseClick(main.window().findChild<QAbstractButton *>(QLatin1String(name)),
                      Qt::LeftButton);
    // Showing a window asks for it to become the active one; let that happen.
    QCoreApplication::processEvents();
}

void Soak::hitTheLetter()
{
    Form3 &game = (*p_)->form3();
    if (!game.isVisible())
        return;
    const QString letter = label(game, "Label2")->Caption();
    if (letter.size() != 1)
        return;
    note(QStringLiteral("press the falling letter %1").arg(letter));
    QApplication::setActiveWindow(&game.window());
    QWidget *target = keyTarget();
    if (target == nullptr)
        return;
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key(Qt::Key_A + (letter[0].unicode() - 'A')),
                        letter.toLower(), Qt::NoModifier);
}

// Types into the English test's typing box up to the length of the letter box, mostly the
// right letters, then one key more, which evaluates.
void Soak::finishTheLetters()
{
    Form2 &english = (*p_)->form2();
    if (!english.isVisible())
        return;
    const QString letters = english.ui().Text1->Text();
    const qsizetype missing = letters.size() - english.ui().Text2->Text().size();
    if (letters.isEmpty() || missing < 0 || missing > 100)
        return;
    note(QStringLiteral("finish the English test: %1 letters and a key").arg(missing));
    QApplication::setActiveWindow(&english.window());
    if (!english.ui().Text2->hasFocus() || chance(0.3))
        english.ui().Text2->setFocus(Qt::MouseFocusReason);
    p_->advance(below(40'000));
    QString typed;
    for (qsizetype i = letters.size() - missing; i < letters.size(); ++i)
        typed += chance(0.8) ? letters[i] : QChar(char16_t('a' + below(26)));
    input::type(english.ui().Text2, typed + QChar(char16_t('a' + below(26))));
}

void Soak::trayEvent()
{
    static const int codes[] = {512, 513, 514, 515, 515, 516, 517, 518, 519, 520};
    const int code = codes[below(int(std::size(codes)))];
    if (chance(0.3) && (*p_)->form1().isVisible()) {
        // A real mouse movement over the main window at the column that reads as a double click.
        FormWindow &w = (*p_)->form1().window();
        note(QStringLiteral("mouse moves over Form1 at x=%1").arg(code));
        QTest::mouseMove(&w, QPoint(code, below(qMax(1, w.height()))));
        return;
    }
    note(QStringLiteral("tray icon event %1").arg(code));
    p_->tray->raise(code);
}

void Soak::resizeWindow()
{
    const std::vector<Form *> shown = visibleForms();
    if (shown.empty())
        return;
    Form &form = pick(shown);
    const QSize size(1 + below(900), 1 + below(700));
    note(
        QStringLiteral("resize %1 to %2x%3").arg(form.name()).arg(size.width()).arg(size.height()));
    form.window().resize(size);
}

// --- Checks

QString Soak::checkCaptions()
{
    for (size_t i = 0; i < std::size(captionRules); ++i) {
        const CaptionRule &rule = captionRules[i];
        Form *form = formNamed(QLatin1String(rule.form));
        if (!form->isLoaded())
            continue;
        const Label *l = label(*form, rule.label);
        if (l == nullptr)
            return QStringLiteral("%1 has no %2")
                .arg(QLatin1String(rule.form), QLatin1String(rule.label));
        if (captionsSeen_[i].size() < 1000)
            captionsSeen_[i].insert(l->Caption());
        if (!patterns_[i].match(l->Caption()).hasMatch())
            return QStringLiteral("%1.%2 shows \"%3\"")
                .arg(QLatin1String(rule.form), QLatin1String(rule.label), l->Caption().left(200));
    }
    Form4 &live = (*p_)->form4();
    if (live.isLoaded()) {
        const QString expected =
            QStringLiteral("录入字符 %1 个").arg(live.ui().Text1->TextLength());
        if (live.ui().Label1->Caption() != expected)
            return QStringLiteral("Form4.Label1 shows \"%1\" for a text of %2 characters")
                .arg(live.ui().Label1->Caption())
                .arg(live.ui().Text1->TextLength());
    }
    return {};
}

QString Soak::checkLiveTextOnlyGrows()
{
    Form4 &live = (*p_)->form4();
    if (!live.isLoaded()) {
        liveLength_ = -1;
        return {};
    }
    // However it is pressed (a click, the space bar), the start button empties the text.
    if (liveStart_ != live.ui().Command1) {
        liveStart_ = live.ui().Command1;
        QObject::connect(liveStart_, &QAbstractButton::clicked, liveStart_,
                         [this] { liveMayShrink_ = true; });
    }
    const qsizetype length = live.ui().Text1->TextLength();
    if (!liveMayShrink_ && liveLength_ >= 0 && length < liveLength_)
        return QStringLiteral("the live test's text went from %1 to %2 characters")
            .arg(liveLength_)
            .arg(length);
    liveLength_ = length;
    liveMayShrink_ = false;
    return {};
}

// Whatever was done to the typing boxes, the length they report is that of the text they
// hold, line breaks counting two.
QString Soak::checkTextBoxes()
{
    std::vector<std::pair<QString, TextBox *>> boxes;
    if ((*p_)->form4().isLoaded())
        boxes.emplace_back(QStringLiteral("Form4"), (*p_)->form4().ui().Text1);
    if ((*p_)->form5().isLoaded())
        boxes.emplace_back(QStringLiteral("Form5"), (*p_)->form5().ui().Text1);
    for (const auto &[name, box] : boxes)
        if (box->TextLength() != box->Text().size())
            return QStringLiteral("%1.Text1 reports %2 characters and holds %3")
                .arg(name)
                .arg(box->TextLength())
                .arg(box->Text().size());
    return {};
}

QString Soak::checkScoreFile()
{
    TestProgram &p = *p_;
    const QByteArray bytes = p.scoreBytes();
    if (!saved_) {
        if (!bytes.isNull())
            return QStringLiteral("a score file exists though no game window was closed");
        return {};
    }
    if (bytes.isNull())
        return QStringLiteral("no score file after the game window closed with \"%1\"")
            .arg(*saved_);
    if (bytes != scorefile::contents(*saved_))
        return QStringLiteral("the score file does not hold \"%1\"").arg(*saved_);
    const QString read = p.module1().ReadIniValue(
        QStringLiteral("config"), QStringLiteral("label1"), p.module1().scoreFilePath());
    if (read != *saved_)
        return QStringLiteral("ReadIniValue gives \"%1\", the game saved \"%2\"")
            .arg(read, *saved_);
    return {};
}

QString Soak::afterEnd()
{
    if (p_->exit->lastCode != 0)
        return QStringLiteral("the program ended with code %1").arg(p_->exit->lastCode);
    for (Form *f : forms())
        if (f->isLoaded())
            return QStringLiteral("%1 is still loaded after the end").arg(f->name());
    if (p_->time->activeTimers() != 0)
        return QStringLiteral("%1 timers still run after the end").arg(p_->time->activeTimers());
    if (QString problem = checkScoreFile(); !problem.isEmpty())
        return problem;
    startProgram();
    return {};
}

QString Soak::check()
{
    if (!qtWarnings.isEmpty())
        return QStringLiteral("Qt warned: %1").arg(qtWarnings.takeFirst());
    const std::vector<RecordingMessageBox::Shown> &shown = p_->messages->shown;
    for (; messagesSeen_ < shown.size(); ++messagesSeen_)
        if (shown[messagesSeen_].text != emptyTextMessage)
            return QStringLiteral("message box: %1").arg(shown[messagesSeen_].text);
    if (p_->exit->calls > 0)
        return afterEnd();
    if (p_->time->activeTimers() > 7)
        return QStringLiteral("%1 timers running").arg(p_->time->activeTimers());
    if (QString problem = checkCaptions(); !problem.isEmpty())
        return problem;
    if (QString problem = checkTextBoxes(); !problem.isEmpty())
        return problem;
    if (QString problem = checkLiveTextOnlyGrows(); !problem.isEmpty())
        return problem;
    if (QString problem = checkScoreFile(); !problem.isEmpty())
        return problem;
    // Nothing left on screen and no tray icon to bring the main window back: the user can
    // only kill the program and start it again.
    if (visibleForms().empty() && !p_->tray->isShown()) {
        note(QStringLiteral("nothing left to use: program killed"));
        startProgram();
    }
    return {};
}

QString Soak::step()
{
    const int kind = below(1000);
    QString problem;
    if (visibleForms().empty())
        trayEvent(); // all the user can reach
    else if (kind < 170)
        problem = clickButton();
    else if (kind < 230)
        clickAnywhere();
    else if (kind < 450)
        pressKey();
    else if (kind < 530)
        typeText();
    else if (kind < 570)
        paste();
    else if (kind < 630)
        imeCommit();
    else if (kind < 690)
        moveFocus();
    else if (kind < 840)
        advanceTime();
    else if (kind < 875)
        closeWindow();
    else if (kind < 935)
        openFromMainWindow();
    else if (kind < 955)
        hitTheLetter();
    else if (kind < 975)
        finishTheLetters();
    else if (kind < 985)
        trayEvent();
    else
        resizeWindow();
    // Now and then the event loop runs, as it would between a user's actions: pending
    // activations, paints and the deletion of closed windows.
    if (++sinceEvents_ >= 16) {
        sinceEvents_ = 0;
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (!problem.isEmpty())
        return problem;
    return check();
}

std::uint64_t fromEnvironment(const char *name, std::uint64_t fallback)
{
    bool ok = false;
    const std::uint64_t v = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? v : fallback;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void randomUser();
};

void TestSoak::randomUser()
{
    const std::uint64_t seed = fromEnvironment("KELVANE_SOAK_SEED", 936);
    const std::uint64_t events = fromEnvironment("KELVANE_SOAK_EVENTS", 20'000);
    qInfo("soak: seed %llu, %llu events", static_cast<unsigned long long>(seed),
          static_cast<unsigned long long>(events));
    previousHandler = qInstallMessageHandler(collectWarnings);
    const auto restore = qScopeGuard([] { qInstallMessageHandler(previousHandler); });
    Soak soak(seed);
    for (std::uint64_t i = 1; i <= events; ++i) {
        const QString problem = soak.step();
        if (!problem.isEmpty())
            QFAIL(qPrintable(QStringLiteral("event %1: %2\nreplay with KELVANE_SOAK_SEED=%3 "
                                            "KELVANE_SOAK_EVENTS=%4\nlast actions:\n  %5")
                                 .arg(i)
                                 .arg(problem)
                                 .arg(seed)
                                 .arg(i)
                                 .arg(soak.recentActions())));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("event %1 failed; replay with KELVANE_SOAK_SEED=%2 "
                                            "KELVANE_SOAK_EVENTS=%3\nlast actions:\n  %4")
                                 .arg(i)
                                 .arg(seed)
                                 .arg(i)
                                 .arg(soak.recentActions())));
    }
    qInfo("soak: %llu events over %lld s of virtual time in %d program runs, seed %llu",
          static_cast<unsigned long long>(events), soak.virtualMs() / 1000, soak.sessions(),
          static_cast<unsigned long long>(seed));
    qInfo("soak: %s", qPrintable(soak.coverage()));
}

QTEST_MAIN(TestSoak)
#include "test_soak.moc"

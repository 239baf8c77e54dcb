#include "testprogram.h"

#include "forms/forms.h"
#include "runtime/controls.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

TestProgram::TestProgram()
{
    Services s;
    auto t = std::make_unique<VirtualTime>();
    auto r = std::make_unique<ScriptedRandom>();
    auto m = std::make_unique<RecordingMessageBox>();
    auto e = std::make_unique<RecordingExit>();
    auto n = std::make_unique<FakeNotifyIcon>();
    auto f = std::make_unique<FakeFiles>(QStringLiteral("/portable/kelvane"),
                                         QStringLiteral("/home/player"));
    auto se = std::make_unique<FakeSessionEnd>();
    time = t.get();
    random = r.get();
    messages = m.get();
    exit = e.get();
    tray = n.get();
    files = f.get();
    session = se.get();
    s.time = std::move(t);
    s.random = std::move(r);
    s.messageBox = std::move(m);
    s.exit = std::move(e);
    s.notifyIcon = std::move(n);
    s.files = std::move(f);
    s.sessionEnd = std::move(se);
    s.icon = featherIcon();
    program_ = std::make_unique<Program>(std::move(s));
    module1_ = std::make_unique<Module1>(*files, scorefile::Folders{programDir(), userDataDir()});
    forms_ = std::make_unique<Forms>(*program_, *module1_);
}

TestProgram::~TestProgram()
{
    forms_.reset();
    module1_.reset();
    program_.reset();
    // Windows closed by the user are deleted on the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString TestProgram::userDataDir() const
{
    return files->home + QStringLiteral("/.local/share/kelvane");
}

namespace input {

void click(CommandButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

void type(QWidget *widget, const QString &text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 128 && ch.isPrint()) {
            QTest::keyClicks(widget, QString(ch));
        } else if (ch == QLatin1Char('\n')) {
            QTest::keyClick(widget, Qt::Key_Return);
        } else {
            // QTest::keyClicks refuses non-ASCII: send the event with its text by hand.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &release);
        }
    }
}

void imeCommit(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

void activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace input

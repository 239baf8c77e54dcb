// Hiding the program to the notification area and bringing it back, through the main
// window's button and an in-memory notification area.
#include "forms/form1.h"
#include "forms/form5.h"
#include "platform/tray.h"
#include "runtime/controls.h"
#include "runtime/trayicondata.h"
#include "tests/support/testprogram.h"
#include "values/convert.h"

#include <QTest>
#include <QtEndian>

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void recordAsPassedToTheShell();
    void tipLeavesAsGbkCutAt64Bytes_data();
    void tipLeavesAsGbkCutAt64Bytes();
    void minimiseHidesAndKeepsTheProgramRunning();
    void leftDoubleClickRestoresThenRemovesTheIcon();
    void otherIconEventsAreIgnored_data();
    void otherIconEventsAreIgnored();
    void minimisingAgainUsesTheSameIdentifier();
    void realMouseMoveOverTheWindow_data();
    void realMouseMoveOverTheWindow();
    void withoutANotificationAreaTheWindowIsMinimised();
    void endRemovesTheIcon_data();
    void endRemovesTheIcon();
    void activationsBecomeShellEventCodes_data();
    void activationsBecomeShellEventCodes();
};

namespace {

QByteArray le32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// Starts the program and clicks "缩小到托盘".
void minimise(TestProgram &p)
{
    p->start();
    input::click(p->form1().ui().a);
}

} // namespace

void TestTray::recordAsPassedToTheShell()
{
    TestProgram p;
    minimise(p);
    QCOMPARE(p.tray->requests.size(), size_t(1));
    const FakeNotifyIcon::Request &add = p.tray->requests[0];
    QCOMPARE(add.message, NotifyIcon::Add);
    const TrayIconData &d = add.data;
    QCOMPARE(d.cbSize, 88u);
    QCOMPARE(d.hWnd, std::uint32_t(p->form1().window().winId()));
    QVERIFY(d.hWnd != 0);
    QCOMPARE(d.uID, 1u);
    QCOMPARE(d.uFlags, 7u);
    QCOMPARE(d.uCallbackMessage, 512u);
    QCOMPARE(d.hIcon, std::uint32_t(p->form1().window().windowIcon().cacheKey()));
    const QString tip = QStringLiteral("Kelvane") + QChar(u'\0') + QString(56, QLatin1Char(' '));
    QCOMPARE(d.szTip, tip);

    const QByteArray expected = le32(88) + le32(d.hWnd) + le32(1) + le32(7) + le32(512) +
                                le32(d.hIcon) + QByteArray("Kelvane", 7) + QByteArray(1, '\0') +
                                QByteArray(56, ' ');
    QCOMPARE(d.toAnsi(), expected);
    QCOMPARE(d.toAnsi().size(), 88);
    QCOMPARE(d.shownTip(), QStringLiteral("Kelvane"));
    QCOMPARE(p.tray->icons.at({d.hWnd, 1u}), QStringLiteral("Kelvane"));
}

void TestTray::tipLeavesAsGbkCutAt64Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("tipBytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("chinese two bytes each")
        << QStringLiteral("打字") + QChar(u'\0')
        << QByteArray("\xB4\xF2\xD7\xD6") + QByteArray(1, '\0') + QByteArray(59, ' ')
        << QStringLiteral("打字");
    QTest::newRow("40 chinese characters are cut at 64 bytes")
        << QString(40, QChar(u'打')) << QByteArray("\xB4\xF2").repeated(32)
        << QString(32, QChar(u'打'));
    QTest::newRow("no NUL shows the whole field")
        << QStringLiteral("Kelvane") << QByteArray("Kelvane") + QByteArray(57, ' ')
        << QStringLiteral("Kelvane") + QString(57, QLatin1Char(' '));
    QTest::newRow("longer than the field is cut at 64 characters")
        << QString(70, QLatin1Char('k')) << QByteArray(64, 'k') << QString(64, QLatin1Char('k'));
}

void TestTray::tipLeavesAsGbkCutAt64Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, tipBytes);
    QFETCH(QString, shown);
    TrayIconData d;
    d.setTip(text);
    QCOMPARE(d.szTip.size(), 64);
    const QByteArray ansi = d.toAnsi();
    QCOMPARE(ansi.size(), 88);
    QCOMPARE(ansi.mid(24), tipBytes);
    QCOMPARE(d.shownTip(), shown);
}

void TestTray::minimiseHidesAndKeepsTheProgramRunning()
{
    TestProgram p;
    p->start();
    input::click(p->form1().ui().Command1);
    const int timers = p.time->activeTimers();
    input::click(p->form1().ui().a);

    QVERIFY(p->form1().isLoaded());
    QVERIFY(!p->form1().isVisible());
    QVERIFY(p.tray->isShown());
    QVERIFY(p.tray->requests.back().succeeded);
    // The other window stays open and usable, and every timer keeps running.
    QVERIFY(p->form5().isVisible());
    QCOMPARE(p.time->activeTimers(), timers);
    p.advance(1000);
    QVERIFY(!p->form1().ui().Label3->Caption().isEmpty());
    QCOMPARE(p->form5().ui().Label1->Caption(), QStringLiteral("1"));
}

void TestTray::leftDoubleClickRestoresThenRemovesTheIcon()
{
    TestProgram p;
    minimise(p);
    const TrayIconData added = p.tray->requests[0].data;
    QVERIFY(p.tray->raise(515));
    QVERIFY(p->form1().isVisible());
    QVERIFY(!p.tray->isShown());
    QCOMPARE(p.tray->requests.size(), size_t(2));
    const FakeNotifyIcon::Request &del = p.tray->requests[1];
    QCOMPARE(del.message, NotifyIcon::Delete);
    QVERIFY(del.succeeded);
    QCOMPARE(del.data.toAnsi(), added.toAnsi());
}

void TestTray::otherIconEventsAreIgnored_data()
{
    QTest::addColumn<int>("eventCode");
    QTest::newRow("hover") << 512;
    QTest::newRow("left button down") << 513;
    QTest::newRow("left button up") << 514;
    QTest::newRow("right button down") << 516;
    QTest::newRow("right button up") << 517;
    QTest::newRow("right double click") << 518;
    QTest::newRow("middle button down") << 519;
    QTest::newRow("middle button up") << 520;
}

void TestTray::otherIconEventsAreIgnored()
{
    QFETCH(int, eventCode);
    TestProgram p;
    minimise(p);
    QVERIFY(p.tray->raise(eventCode));
    QVERIFY(!p->form1().isVisible());
    QVERIFY(p.tray->isShown());
    QCOMPARE(p.tray->requests.size(), size_t(1));
}

void TestTray::minimisingAgainUsesTheSameIdentifier()
{
    TestProgram p;
    minimise(p);
    p.tray->raise(515);
    input::click(p->form1().ui().a);
    QVERIFY(!p->form1().isVisible());
    QCOMPARE(p.tray->requests.size(), size_t(3));
    const FakeNotifyIcon::Request &again = p.tray->requests[2];
    QCOMPARE(again.message, NotifyIcon::Add);
    QVERIFY(again.succeeded);
    QCOMPARE(again.data.uID, 1u);
    QCOMPARE(again.data.toAnsi(), p.tray->requests[0].data.toAnsi());
    QVERIFY(p.tray->raise(515));
    QVERIFY(p->form1().isVisible());
    QVERIFY(!p.tray->isShown());
}

void TestTray::realMouseMoveOverTheWindow_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("passes");
    // Row 40 px lies on the bare surface between the top buttons and the banner.
    QTest::newRow("column 515 passes") << 515 << 40 << true;
    QTest::newRow("column 514") << 514 << 40 << false;
    QTest::newRow("column 516") << 516 << 40 << false;
    QTest::newRow("column 100") << 100 << 40 << false;
    // The handler is the bare surface's: a label keeps the moves over it.
    QTest::newRow("column 515 over the red notice") << 515 << 170 << false;
}

void TestTray::realMouseMoveOverTheWindow()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, passes);
    TestProgram p;
    minimise(p);
    p.tray->raise(515);
    FormWindow &w = p->form1().window();
    input::activate(&w);
    const size_t before = p.tray->requests.size();
    QTest::mouseMove(&w, QPoint(x, y));
    QCOMPARE(p.tray->requests.size(), before + (passes ? 1 : 0));
    if (passes) {
        // A delete request for icon 1, which fails: no icon is there.
        const FakeNotifyIcon::Request &del = p.tray->requests.back();
        QCOMPARE(del.message, NotifyIcon::Delete);
        QCOMPARE(del.data.uID, 1u);
        QVERIFY(!del.succeeded);
    }
    QVERIFY(p->form1().isVisible());
    QVERIFY(!p.program().hasEnded());
}

void TestTray::withoutANotificationAreaTheWindowIsMinimised()
{
    TestProgram p;
    p.tray->available = false;
    p->start();
    const int timers = p.time->activeTimers();
    input::click(p->form1().ui().a);
    QVERIFY(!p.tray->isShown());
    QCOMPARE(p.tray->requests.size(), size_t(1));
    QVERIFY(!p.tray->requests[0].succeeded);
    // Still on the task bar, so the user can bring it back.
    QVERIFY(p->form1().isVisible());
    QVERIFY(p->form1().window().windowState() & Qt::WindowMinimized);
    QCOMPARE(p.time->activeTimers(), timers);
    QCOMPARE(p.messages->shown.size(), size_t(0));
}

void TestTray::endRemovesTheIcon_data()
{
    QTest::addColumn<bool>("runtimeError");
    QTest::newRow("End from another window") << false;
    QTest::newRow("a runtime error ends the program") << true;
}

void TestTray::endRemovesTheIcon()
{
    QFETCH(bool, runtimeError);
    TestProgram p;
    minimise(p);
    input::click(p->form1().ui().Command1);
    p.program().dispatch([&] {
        if (runtimeError)
            throw convert::Overflow();
        p.program().end();
    });
    QVERIFY(p.program().hasEnded());
    QCOMPARE(p.exit->calls, 1);
    QVERIFY(!p.tray->isShown());
    QCOMPARE(p.tray->requests.back().message, NotifyIcon::Delete);
    QVERIFY(p.tray->requests.back().succeeded);
}

void TestTray::activationsBecomeShellEventCodes_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<TrayHost>("host");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("restores");
    const auto xembed = TrayHost::XEmbed;
    const auto sni = TrayHost::StatusNotifier;
    QTest::newRow("xembed click") << QSystemTrayIcon::Trigger << xembed << 514 << false;
    QTest::newRow("xembed double click") << QSystemTrayIcon::DoubleClick << xembed << 515 << true;
    QTest::newRow("xembed context") << QSystemTrayIcon::Context << xembed << 517 << false;
    QTest::newRow("xembed middle click") << QSystemTrayIcon::MiddleClick << xembed << 520 << false;
    QTest::newRow("xembed unknown") << QSystemTrayIcon::Unknown << xembed << 0 << false;
    // No double click over D-Bus: the host's left click, Activate, is the way back.
    QTest::newRow("sni activate") << QSystemTrayIcon::Trigger << sni << 515 << true;
    QTest::newRow("sni context menu") << QSystemTrayIcon::Context << sni << 517 << false;
    QTest::newRow("sni secondary activate") << QSystemTrayIcon::MiddleClick << sni << 520 << false;
    QTest::newRow("sni unknown") << QSystemTrayIcon::Unknown << sni << 0 << false;
}

void TestTray::activationsBecomeShellEventCodes()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(TrayHost, host);
    QFETCH(int, code);
    QFETCH(bool, restores);
    QCOMPARE(trayEventCode(reason, host), code);
    // Only the double click's code comes through the main window's test.
    TestProgram p;
    minimise(p);
    if (code != 0)
        p.tray->raise(code);
    QCOMPARE(p->form1().isVisible(), restores);
}

QTEST_MAIN(TestTray)
#include "test_tray.moc"

#include "platform/startup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <csignal>
#include <unistd.h>

void ignoreWriteSignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category, file, function;
    int line;
    QString text;
};

// A message handler is a plain function, so what it needs lives here, for the few
// milliseconds QApplication takes to start.
QtMessageHandler previousHandler = nullptr;
QList<HeldMessage> heldMessages;

void startupHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // QGuiApplication's one fatal message when no platform plugin could start.
    if (type == QtFatalMsg &&
        text.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        static const char line[] = "kelvane: 无法连接到图形显示，程序无法启动。"
                                   " Cannot connect to a display; the program cannot start.\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof line - 1);
        ::_exit(1);
    }
    if (type == QtFatalMsg) {
        previousHandler(type, context, text);
        return;
    }
    heldMessages.append(
        {type, context.category, context.file, context.function, context.line, text});
}

} // namespace

NoDisplayGuard::NoDisplayGuard() { previousHandler = qInstallMessageHandler(startupHandler); }

NoDisplayGuard::~NoDisplayGuard()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &m : std::as_const(heldMessages)) {
        const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                         m.category.constData());
        previousHandler(m.type, context, m.text);
    }
    heldMessages.clear();
}

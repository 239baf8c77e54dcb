#include "forms/forms.h"
#include "forms/module1.h"
#include "platform/qtservices.h"
#include "platform/startup.h"
#include "runtime/program.h"

#include <QApplication>

#include <optional>

int main(int argc, char *argv[])
{
    ignoreWriteSignals();
    std::optional<NoDisplayGuard> noDisplay(std::in_place);
    QApplication app(argc, argv);
    noDisplay.reset();
    // The StatusNotifier item's Id and Title, and the class in WM_CLASS (the desktop entry's
    // StartupWMClass). The score file's folder has a fixed name of its own.
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    loadQtChineseTranslation(app);
    // Wayland desktops find a window's icon and name through its desktop entry, by this id.
    QApplication::setDesktopFileName(QStringLiteral("io.github.kelvane.Kelvane"));
    // A hidden window still counts as loaded, so the program decides when it ends.
    QApplication::setQuitOnLastWindowClosed(false);

    Program program(realServices());
    Module1 module1(program.files(),
                    Module1::systemFolders(program.files(), KELVANE_INSTALL_BINDIR));
    Forms forms(program, module1);
    forms.start();
    // A failure while the main window loads has already ended the program.
    if (program.hasEnded())
        return 1;
    return QApplication::exec();
}

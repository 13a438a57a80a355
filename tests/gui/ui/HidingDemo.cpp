// Nimbra's main window with hiding started straight away for an exit given on the command
// line, before the service handshake exists to offer one: for looking at the tray as a
// user does.
//
//   nimbra_hiding_demo EXITHOST EXITPORT USER KEY

#include "platform/Host.h"
#include "skin/Icons.h"
#include "ui/TfrmMain.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: nimbra_hiding_demo EXITHOST EXITPORT USER KEY\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    skin::initResources();
    TfrmMain frmMain(platform::systemHost());
    QObject::connect(&frmMain, &TfrmMain::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!frmMain.program().InitMain()) {
        return 1;
    }
    frmMain.program().warden()->DiruDO(argv[1], argv[2], argv[3], argv[4]);
    return QApplication::exec();
}

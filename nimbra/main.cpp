#include "core/Global.h"
#include "platform/Host.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationRequest.h"
#include "skin/Icons.h"
#include "ui/TfrmMain.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char* argv[])
{
    // One copy per user: a second start ends at once, before anything is shown. A lock
    // that cannot be taken at all only means the rule cannot be enforced.
    const platform::InstanceLock lock = platform::acquireSingleInstance(global::kMutexName);
    if (lock == platform::InstanceLock::HeldElsewhere) {
        return 0;
    }
    if (lock == platform::InstanceLock::Unavailable) {
        std::fprintf(stderr, "nimbra: the single-instance lock could not be taken; starting anyway\n");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(global::kAppTitle));
    // The program lives in the tray: hiding its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    skin::initResources();
    QApplication::setWindowIcon(skin::programIcon());

    TfrmMain frmMain(platform::systemHost());
    // A service under trial (a test, a staging service) is named in the environment and
    // asked instead of the built-in addresses.
    if (const char* service = std::getenv("NIMBRA_SERVICE"); service != nullptr && *service != '\0') {
        frmMain.program().setServiceAddresses({service});
    }
    QObject::connect(&frmMain, &TfrmMain::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    // The session manager asks before the user logs off.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
                     [&frmMain](QSessionManager&) { frmMain.QueryEndSession(); });
    // Without a session manager the end of the session, like `kill`, arrives as a signal.
    // Taken before the start-up, so a request that comes early is answered once the
    // program runs instead of ending it on the spot with the browsers still pointed at it.
    std::unique_ptr<QSocketNotifier> terminationRequest;
    if (const int descriptor = platform::terminationRequestDescriptor(); descriptor >= 0) {
        terminationRequest = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        QObject::connect(terminationRequest.get(), &QSocketNotifier::activated, &frmMain, [&] {
            terminationRequest->setEnabled(false); // once is enough
            frmMain.QueryEndSession();
        });
    }
    if (!frmMain.program().InitMain()) {
        return 1;
    }
    // Asked to end while the start-up waited on a dialog: it has closed already.
    if (frmMain.isClosing()) {
        return 0;
    }
    return QApplication::exec();
}

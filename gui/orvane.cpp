// Orvane's window. The data files sit in the program folder, the folder of the executable itself
// (symbolic links such as /usr/bin/orvane resolved); app/SettingsPath.h says where the settings
// file is.
#include "foundation/AppState.h"
#include "gui/AppIdentity.h"
#include "gui/ConnectGuarded.h"
#include "gui/main/CloseOnSignals.h"
#include "gui/main/TfrmMain.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orvane::SetApplicationIdentity();
    // applicationDirPath is the folder of /proc/self/exe, the real executable.
    const std::string appDir =
        QFile::encodeName(QApplication::applicationDirPath()).toStdString() + '/';
    orvane::TfrmMain window(orvane::TheAppState(), appDir);
    orvane::ConnectGuarded(&window, &orvane::TfrmMain::Closed, &app, window.Messages(),
                           [] { QCoreApplication::quit(); });
    orvane::CloseOnSignals(window);
    window.show();
    return QApplication::exec();
}

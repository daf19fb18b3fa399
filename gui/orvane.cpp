// Orvane's window. The data files and the settings file sit beside the executable.
#include "foundation/AppState.h"
#include "gui/ConnectGuarded.h"
#include "gui/main/TfrmMain.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setApplicationDisplayName("Orvane");
    const std::string appDir = QFile::encodeName(QApplication::applicationDirPath()).toStdString() + '/';
    orvane::TfrmMain window(orvane::TheAppState(), appDir);
    orvane::ConnectGuarded(&window, &orvane::TfrmMain::Closed, &app, window.Messages(),
                           [] { QCoreApplication::quit(); });
    window.show();
    return QApplication::exec();
}

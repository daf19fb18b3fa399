// Orvane's window. The data files sit in the program folder, the folder of the executable itself
// (symbolic links such as /usr/bin/orvane resolved); app/SettingsPath.h says where the settings
// file is.
#include "app/UiLanguage.h"
#include "foundation/AppState.h"
#include "gui/AppIdentity.h"
#include "gui/ConnectGuarded.h"
#include "gui/main/CloseOnSignals.h"
#include "gui/main/TfrmMain.h"

#include <QApplication>
#include <QFile>

#include <iostream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orvane::SetApplicationIdentity();
    // applicationDirPath is the folder of /proc/self/exe, the real executable.
    const std::string appDir =
        QFile::encodeName(QApplication::applicationDirPath()).toStdString() + '/';
    // After QApplication, which sets the locale from the environment; before any window.
    const QStringList args = QApplication::arguments();
    std::optional<orvane::Language> language;
    if (const auto at = args.indexOf("--lang"); at > 0) {
        const std::string code = at + 1 < args.size() ? args[at + 1].toStdString() : "";
        language = orvane::ParseLanguage(code);
        if (!language || code.empty()) {
            std::cerr << "orvane: --lang takes en or zh, not '" << code << "'\n";
            return 2;
        }
    }
    if (!orvane::StartLanguage(language, appDir, appDir))
        std::cerr << "orvane: no English catalogue in " << appDir << "locale\n";
    orvane::TfrmMain window(orvane::TheAppState(), appDir);
    orvane::ConnectGuarded(&window, &orvane::TfrmMain::Closed, &app, window.Messages(),
                           [] { QCoreApplication::quit(); });
    orvane::CloseOnSignals(window);
    window.show();
    return QApplication::exec();
}

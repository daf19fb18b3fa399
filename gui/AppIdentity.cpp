#include "gui/AppIdentity.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

namespace orvane {

void SetApplicationIdentity()
{
    QApplication::setApplicationName("Orvane");
    QApplication::setApplicationDisplayName("Orvane");
    QApplication::setDesktopFileName("orvane");
    // Every size the icon is drawn in at build time, compiled in (gui/CMakeLists.txt).
    QIcon icon;
    QDirIterator sizes(":/icons/hicolor", {"orvane.png"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    QApplication::setWindowIcon(icon);
}

} // namespace orvane

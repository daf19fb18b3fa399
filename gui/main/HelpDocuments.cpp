#include "gui/main/HelpDocuments.h"

#include "foundation/Translate.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace orvane {
namespace {

bool Exists(const std::string& path)
{
    return QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(path)));
}

std::string DocumentPath(const std::string& appDir, HelpDocument document)
{
    if (document == HelpDocument::Pdf)
        return appDir + "Tovik_Usermenu.pdf";
    const std::string chm = appDir + "Help.chm";
    return Exists(chm) ? chm : appDir + "help/index.html";
}

} // namespace

void OpenHelpDocument(const std::string& appDir, HelpDocument document, OperatorMessages& messages)
{
    const std::string path = DocumentPath(appDir, document);
    if (!Exists(path)) {
        messages.Show(MessageKind::Error, Tr("找不到帮助文件 ") + path);
        return;
    }
    // False when the desktop has no program for the file (xdg-open missing, for one).
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!QDesktopServices::openUrl(url))
        messages.Show(MessageKind::Error, Tr("无法打开帮助文件 ") + path + Tr("：没有能打开它的程序"));
}

} // namespace orvane

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

std::string WrittenDocumentPath(const std::string& appDir, HelpDocument document)
{
    if (document == HelpDocument::Pdf)
        return appDir + "Tovik_Usermenu.pdf";
    const std::string chm = appDir + "Help.chm";
    return Exists(chm) ? chm : appDir + "help/index.html";
}

// The manual of the running language; the written (Chinese) one when that is missing.
std::string DocumentPath(const std::string& appDir, HelpDocument document)
{
    if (CurrentLanguage() == Language::English) {
        const std::string english = appDir + (document == HelpDocument::Pdf
                                                  ? "Tovik_Usermenu_en.pdf"
                                                  : "help/en/index.html");
        if (Exists(english))
            return english;
    }
    return WrittenDocumentPath(appDir, document);
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

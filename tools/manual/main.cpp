// orvane-manual [--lang en] PDF HTML_DIR MARKDOWN...: builds the operator's manual from its Markdown
// chapters, in the order given, into the PDF the Help PDF item opens and into HTML_DIR/index.html
// with its pictures in HTML_DIR/pictures/. Pictures are named relative to the chapter that shows
// them. Each chapter (level-1 heading) starts a page; Qt numbers the pages in the footer. The
// language (Chinese unless --lang says otherwise) chooses the title and the body font, which the
// PDF embeds.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <iostream>
#include <map>

namespace {

constexpr double kMaxPictureWidth = 560; // document pixels: the text width of an A4 page, about
constexpr double kMaxPictureHeight = 760;

struct Language {
    QString code;
    QString title;
    QStringList fonts; // the first one installed is the body font; CJK last, for any stray glyph
};

const Language kLanguages[] = {
    {"zh", "Orvane 操作手册", {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "sans-serif"}},
    {"en", "Orvane Operator's Manual",
     {"DejaVu Sans", "Noto Sans", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "sans-serif"}},
};

[[noreturn]] void Fail(const QString& what)
{
    std::cerr << "orvane-manual: " << what.toStdString() << '\n';
    std::exit(1);
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail("cannot read " + path);
    return QString::fromUtf8(file.readAll());
}

// A translated manual shows its language's screenshots (screenshots/en/main-window.png); until one
// is taken, the picture of the same name without the language folder stands in.
QString FindPicture(const QDir& dir, const QString& name, const Language& language)
{
    const QString file = QFileInfo(dir.filePath(name)).canonicalFilePath();
    QStringList parts = name.split('/');
    if (!file.isEmpty() || !parts.removeOne(language.code))
        return file;
    return QFileInfo(dir.filePath(parts.join('/'))).canonicalFilePath();
}

// The chapters joined, every picture renamed "pictures/<file name>" and its file remembered.
QString JoinChapters(const QStringList& chapters, const Language& language,
                     std::map<QString, QString>& pictures)
{
    static const QRegularExpression picture(R"(!\[([^\]]*)\]\(([^)\s]+)\))");
    QString text;
    for (const QString& chapter : chapters) {
        const QDir dir = QFileInfo(chapter).dir();
        const QString body = ReadText(chapter);
        QString out;
        qsizetype last = 0;
        for (auto it = picture.globalMatch(body); it.hasNext();) {
            const auto m = it.next();
            const QString file = FindPicture(dir, m.captured(2), language);
            if (file.isEmpty())
                Fail(chapter + ": no picture " + m.captured(2));
            const QString name = "pictures/" + QFileInfo(file).fileName();
            if (auto [at, added] = pictures.emplace(name, file); !added && at->second != file)
                Fail(chapter + ": two pictures named " + name);
            out += body.mid(last, m.capturedStart() - last);
            out += "![" + m.captured(1) + "](" + name + ")";
            last = m.capturedEnd();
        }
        text += out + body.mid(last) + "\n\n";
    }
    return text;
}

// Headings: a chapter starts a page; the levels differ in size.
void ArrangeHeading(const QTextBlock& block)
{
    const int level = block.blockFormat().headingLevel();
    if (level < 1 || level > 3)
        return;
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    if (level == 1 && block.position() > 0)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    format.setTopMargin(level == 1 ? 0 : 14);
    format.setBottomMargin(6);
    cursor.setBlockFormat(format);
    cursor.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat chars;
    chars.setFontPointSize(level == 1 ? 20 : level == 2 ? 14 : 11.5);
    chars.setFontWeight(QFont::Bold);
    chars.setForeground(QColor(20, 60, 120));
    cursor.mergeCharFormat(chars);
}

// Tables span the text width, with thin rules and a shaded header row.
void ArrangeTables(QTextFrame* frame)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setBorder(0.5);
            format.setBorderBrush(QColor(150, 150, 150));
            format.setBorderCollapse(true);
            format.setHeaderRowCount(1);
            table->setFormat(format);
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(0, column);
                QTextCharFormat shade = cell.format();
                shade.setBackground(QColor(225, 232, 242));
                cell.setFormat(shade);
            }
        }
        ArrangeTables(child);
    }
}

// Code blocks (commands, file contents) on a grey ground.
void ArrangeCode(const QTextBlock& block)
{
    if (!block.blockFormat().hasProperty(QTextFormat::BlockCodeFence))
        return;
    QTextBlockFormat format = block.blockFormat();
    format.setBackground(QColor(240, 240, 240));
    format.setLeftMargin(8);
    QTextCursor(block).setBlockFormat(format);
}

// Pictures fit the page; headings, code and tables as above.
void Arrange(QTextDocument& doc)
{
    ArrangeTables(doc.rootFrame());
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        ArrangeHeading(block);
        ArrangeCode(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture =
                doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
            const double scale = std::min({1.0, kMaxPictureWidth / picture.width(),
                                           kMaxPictureHeight / picture.height()});
            image.setWidth(picture.width() * scale);
            image.setHeight(picture.height() * scale);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

void WritePdf(QTextDocument& doc, const QString& path, const QString& title)
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    pdf.setTitle(title);
    pdf.setCreator("orvane-manual");
    doc.print(&pdf);
}

void WriteHtml(const QTextDocument& doc, const QString& dir,
               const std::map<QString, QString>& pictures)
{
    if (!QDir().mkpath(dir + "/pictures"))
        Fail("cannot create " + dir + "/pictures");
    for (const auto& [name, file] : pictures) {
        QFile::remove(dir + "/" + name);
        if (!QFile::copy(file, dir + "/" + name))
            Fail("cannot write " + dir + "/" + name);
    }
    QFile index(dir + "/index.html");
    if (!index.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        index.write(doc.toHtml().toUtf8()) < 0)
        Fail("cannot write " + index.fileName());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    const Language* language = &kLanguages[0];
    if (args.size() >= 2 && args[0] == "--lang") {
        const auto found = std::ranges::find(kLanguages, args[1], &Language::code);
        language = found == std::end(kLanguages) ? nullptr : &*found;
        args = args.mid(2);
    }
    if (!language || args.size() < 3) {
        std::cerr << "usage: orvane-manual [--lang zh|en] PDF HTML_DIR MARKDOWN...\n";
        return 2;
    }
    std::map<QString, QString> pictures;
    const QString markdown = JoinChapters(args.mid(2), *language, pictures);

    QTextDocument doc;
    QFont font;
    font.setFamilies(language->fonts);
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub); // clears what was set before
    doc.setMetaInformation(QTextDocument::DocumentTitle, language->title);
    for (const auto& [name, file] : pictures) {
        const QImage picture(file);
        if (picture.isNull())
            Fail("cannot read the picture " + file);
        doc.addResource(QTextDocument::ImageResource, QUrl(name), picture);
    }
    Arrange(doc);
    WritePdf(doc, args[0], language->title);
    WriteHtml(doc, args[1], pictures);
    return 0;
}

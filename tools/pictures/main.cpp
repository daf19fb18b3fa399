// orvane-pictures DATA_DIR OUT_DIR: draws the package picture of every entry of the selection tree
// into OUT_DIR/<stem>.bmp, sized for the dialog's 369 x 329 picture area: the 20-pin package from
// above with its pin-1 mark, and the names (from DATA_DIR/device.name) of the models that show it.
// orvane-pictures --icon OUT_DIR N...: draws the application's icon N x N pixels large for each N,
// as OUT_DIR/<N>x<N>/apps/orvane.png (the icon theme's layout).
#include "catalogue/Catalogue.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <iostream>
#include <map>

namespace {

constexpr int kWidth = 369;
constexpr int kHeight = 329;
constexpr int kPinsPerSide = 10; // every model ships in the 20-pin package

void DrawPackage(QPainter& p, const QString& title, const QStringList& models)
{
    p.fillRect(0, 0, kWidth, kHeight, Qt::white);
    p.setRenderHint(QPainter::Antialiasing);

    const QRect body(110, 40, 150, 230);
    const int pitch = body.height() / kPinsPerSide;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(200, 200, 200));
    for (int i = 0; i < kPinsPerSide; ++i) {
        const int y = body.top() + pitch * i + pitch / 2 - 4;
        p.drawRect(body.left() - 22, y, 22, 8);  // pins 1..10 down the left
        p.drawRect(body.right() + 1, y, 22, 8);  // pins 20..11 down the right
    }
    p.setBrush(QColor(45, 45, 50));
    p.drawRoundedRect(body, 6, 6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(body.left() + 20, body.top() + 20), 7, 7); // pin-1 mark
    p.drawChord(QRect(body.center().x() - 14, body.top() - 14, 28, 28), 180 * 16, 180 * 16);

    QFont small("sans-serif");
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(Qt::black);
    const int top = body.top() + pitch / 2 - 8;
    const int bottom = body.bottom() - pitch / 2 - 8;
    p.drawText(QRect(body.left() - 60, top, 34, 16), Qt::AlignRight, "1");
    p.drawText(QRect(body.right() + 26, top, 34, 16), Qt::AlignLeft, "20");
    p.drawText(QRect(body.left() - 60, bottom, 34, 16), Qt::AlignRight, "10");
    p.drawText(QRect(body.right() + 26, bottom, 34, 16), Qt::AlignLeft, "11");

    QFont bold("sans-serif");
    bold.setPixelSize(16);
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.drawText(body, Qt::AlignCenter, title);
    p.setPen(QColor(128, 0, 128));
    p.drawText(QRect(0, 8, kWidth, 24), Qt::AlignCenter, "20-pin");
    p.drawText(QRect(0, 284, kWidth, 40), Qt::AlignCenter | Qt::TextWordWrap, models.join("  "));
}

// A chip on a round blue tile with a download arrow above it, in lines that stay crisp at 16 px.
QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0; // one pixel of the 16 px icon
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 98, 170));
    p.drawRoundedRect(QRectF(0, 0, size, size), 3 * u, 3 * u);

    const QRectF body(4 * u, 7 * u, 8 * u, 7 * u);
    p.setBrush(QColor(230, 233, 238));
    for (int i = 0; i < 3; ++i) {
        const qreal y = body.top() + (1 + 2 * i) * u;
        p.drawRect(QRectF(body.left() - 2 * u, y, 2 * u, u));  // pins on the left
        p.drawRect(QRectF(body.right(), y, 2 * u, u));         // and on the right
    }
    p.setBrush(QColor(40, 40, 46));
    p.drawRect(body);
    p.setBrush(QColor(230, 233, 238));
    p.drawEllipse(QPointF(body.left() + 1.5 * u, body.top() + 1.5 * u), 0.7 * u, 0.7 * u);

    QPolygonF arrow; // the image going down into the chip
    arrow << QPointF(7 * u, 1.5 * u) << QPointF(9 * u, 1.5 * u) << QPointF(9 * u, 3.5 * u)
          << QPointF(11 * u, 3.5 * u) << QPointF(8 * u, 6.5 * u) << QPointF(5 * u, 3.5 * u)
          << QPointF(7 * u, 3.5 * u);
    p.setBrush(QColor(255, 200, 40));
    p.drawPolygon(arrow);
    return image;
}

int DrawIcons(const QString& outDir, const QStringList& sizes)
{
    for (const QString& text : sizes) {
        const int size = text.toInt();
        if (size < 16 || size > 1024) {
            std::cerr << "orvane-pictures: no icon size: " << text.toStdString() << '\n';
            return 2;
        }
        const QString dir = QString("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir) || !DrawIcon(size).save(dir + "/orvane.png", "PNG")) {
            std::cerr << "orvane-pictures: cannot write " << dir.toStdString() << "/orvane.png\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() >= 3 && args[1] == "--icon")
        return DrawIcons(args[2], args.mid(3));
    if (argc != 3) {
        std::cerr << "usage: orvane-pictures DATA_DIR OUT_DIR | --icon OUT_DIR N...\n";
        return 2;
    }
    orvane::AppState names;
    names.AppDir = std::string(argv[1]) + "/";
    try {
        orvane::LoadModelNames(names);
    } catch (const std::exception& e) {
        std::cerr << "orvane-pictures: " << e.what() << '\n';
        return 1;
    }

    std::map<std::string, QStringList> modelsOf{{orvane::kDefaultPicture, {}}};
    for (const orvane::SlotInfo& slot : orvane::SlotTable())
        if (slot.picture)
            modelsOf[slot.picture].append(
                QString::fromUtf8(names.ModelName[static_cast<std::size_t>(slot.slot)]));

    for (const auto& [stem, models] : modelsOf) {
        QImage image(kWidth, kHeight, QImage::Format_RGB888);
        QPainter painter(&image);
        const QString title =
            stem == orvane::kDefaultPicture ? "MCU" : QString::fromStdString(stem).toUpper();
        DrawPackage(painter, title, models);
        painter.end();
        const QString file =
            QString::fromUtf8(argv[2]) + "/" + QString::fromStdString(stem) + ".bmp";
        if (!image.save(file, "BMP")) {
            std::cerr << "orvane-pictures: cannot write " << file.toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}

#include "browser/image_list.h"

#include <QColor>
#include <QImage>
#include <QPainter>

namespace lumbrook::browser {
namespace {

// The pictures are drawn on the mask colour, which then becomes transparent, as an image
// list with a mask colour shows them.
const QColor kMaskColour(192, 192, 192);
const QColor kFolderYellow(255, 204, 51);
const QColor kFolderShade(204, 153, 0);
constexpr int kSize = 16;

// A picture of the mask colour only, to draw on.
QImage Canvas() {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(kMaskColour);
    return image;
}

void DrawClosedFolder(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(kFolderShade);
    p.drawRect(1, 3, 6, 2);  // the tab
    p.setBrush(kFolderYellow);
    p.drawRect(1, 4, 13, 9);
}

void DrawOpenFolder(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(kFolderShade);
    p.drawRect(1, 3, 6, 2);
    p.drawRect(1, 4, 12, 9);  // the back of the folder
    p.setBrush(kFolderYellow);
    const QPoint front[] = {{1, 13}, {4, 7}, {15, 7}, {12, 13}};  // the front, tilted open
    p.drawPolygon(front, 4);
}

void DrawSpotSet(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(0, 1, 15, 13);  // the plate's outline
    p.setPen(Qt::NoPen);
    for (int column = 0; column < 3; ++column) {
        p.setBrush(column == 0 ? QColor(Qt::red) : QColor(128, 128, 128));
        for (int row = 0; row < 3; ++row)
            p.drawEllipse(2 + column * 4, 3 + row * 4, 3, 3);
    }
}

// The picture with every pixel of the mask colour made transparent.
QPixmap Masked(const QImage& image) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        for (int x = 0; x < masked.width(); ++x) {
            if (masked.pixelColor(x, y) == kMaskColour)
                masked.setPixelColor(x, y, Qt::transparent);
        }
    }
    return QPixmap::fromImage(masked);
}

}  // namespace

QPixmap TreePicture(const QString& key) {
    QImage image = Canvas();
    {
        QPainter painter(&image);
        if (key == kOpenFolderPicture)
            DrawOpenFolder(painter);
        else if (key == kClosedFolderPicture)
            DrawClosedFolder(painter);
        else if (key == kSpotSetPicture)
            DrawSpotSet(painter);
        else
            return {};
    }
    return Masked(image);
}

QIcon TreeIcon(const QString& key) {
    // A selected node shows its own picture unchanged: without a picture of its own for the
    // selected mode, the style would draw one tinted with the highlight colour.
    const QPixmap picture = TreePicture(key);
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        icon.addPixmap(picture, mode, QIcon::Off);
        icon.addPixmap(picture, mode, QIcon::On);
    }
    return icon;
}

}  // namespace lumbrook::browser

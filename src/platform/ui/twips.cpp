#include "platform/ui/twips.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace lumbrook::platform {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kDefaultDotsPerInch = 96;

const QScreen* PrimaryScreen() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    return QGuiApplication::primaryScreen();
}

}  // namespace

int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

int TwipsToPixelsX(int twips) {
    const QScreen* screen = PrimaryScreen();
    return TwipsToPixels(twips,
                         screen != nullptr ? screen->logicalDotsPerInchX() : kDefaultDotsPerInch);
}

int TwipsToPixelsY(int twips) {
    const QScreen* screen = PrimaryScreen();
    return TwipsToPixels(twips,
                         screen != nullptr ? screen->logicalDotsPerInchY() : kDefaultDotsPerInch);
}

void PlaceInTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                        TwipsToPixelsY(height));
}

void UseDialogFont(QWidget* window) {
    QFont small = window->font();
    small.setPixelSize(TwipsToPixelsY(165));  // 8 points: 11 pixels at 96 dots per inch
    window->setFont(small);
}

}  // namespace lumbrook::platform

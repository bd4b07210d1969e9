#include "browser/value_text.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <cstdio>
#include <cstdlib>

namespace lumbrook::browser {
namespace {

// Up to 15 significant digits, as the platform writes a double, without an exponent for
// the masses and times a grid shows. The decimal point is the C library's: Qt sets the
// numeric locale from the environment when it starts, so a comma locale shows a comma.
QString RealText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return QString::fromLatin1(text);
}

}  // namespace

QString ValueText(const database::Value& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return QString::number(*integer);
    if (const auto* real = std::get_if<double>(&value))
        return RealText(*real);
    if (const auto* text = std::get_if<std::string>(&value))
        return QString::fromStdString(*text);
    if (const auto* when = std::get_if<database::DateTime>(&value)) {
        const QDateTime dateTime(QDate(when->year, when->month, when->day),
                                 QTime(when->hour, when->minute, when->second));
        return QLocale().toString(dateTime, QLocale::ShortFormat);
    }
    return {};  // NULL
}

}  // namespace lumbrook::browser

#include "browser/value_text.h"

#include "database/listing_text.h"

namespace lumbrook::browser {

QString ValueText(const database::Value& value) {
    return QString::fromStdString(database::DisplayText(value));
}

}  // namespace lumbrook::browser

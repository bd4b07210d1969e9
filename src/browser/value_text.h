// The text a database value shows as in the window: database::DisplayText's, as a QString.
#pragma once

#include <QString>

#include "database/value.h"

namespace lumbrook::browser {

QString ValueText(const database::Value& value);

}  // namespace lumbrook::browser

// The text a database value shows as, in the platform's default text form: nothing for
// NULL, plain decimal for numbers, the locale's short date and time for a date-time.
#pragma once

#include <QString>

#include "database/value.h"

namespace lumbrook::browser {

QString ValueText(const database::Value& value);

}  // namespace lumbrook::browser

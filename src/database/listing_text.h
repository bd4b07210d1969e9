// How the data browser's lists show database values to people, free of any window library,
// so that the window and a command-line listing show the same text.
#pragma once

#include <string>

#include "database/value.h"

namespace lumbrook::database {

// A value in the platform's default text form: nothing for NULL, plain decimal for an
// integer, up to 15 significant digits for a real number (with the C library's decimal
// point), the text itself, and for a date and time the locale's date and time
// representations (strftime's "%x %X", after the LC_TIME category of the process's locale;
// in the C locale "YYYY-MM-DD HH:MM:SS").
std::string DisplayText(const Value& value);

// One entry of the job-run list: the position counted from 1, ": Job run ", the job run's
// id, "; ", its finish time, "; ", its operating mode. A NULL adds nothing; its separators
// stay.
std::string JobRunEntryText(long position, const Value& jobRunId, const Value& finishTime,
                            const Value& opMode);

}  // namespace lumbrook::database

// ActivatePrevInstance: brings the window of the instance that is already running to the
// front, for a browser that has found it is not the first.
#pragma once

namespace lumbrook::util {

// The caller has already decided that another instance runs. Renames this process's
// application title to "unwanted instance" for good, then asks the instance that carries the
// old title to restore and raise its window; when it cannot be reached, says so in a message
// box captioned with the new title. Returns whether the other instance answered, so that the
// caller can tell the user what became of the start; reports nothing else.
bool ActivatePrevInstance();

// The title this process takes on, and the message shown when the other one cannot be found.
inline constexpr const char* kUnwantedInstanceTitle = "unwanted instance";
inline constexpr const char* kPrevInstanceNotFound =
    "There appears to be another instance of this application running, but I can't find it to "
    "restore it";

}  // namespace lumbrook::util

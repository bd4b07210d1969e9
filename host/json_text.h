// The JSON the host writes for scripts (`list --format json`, `export --json`), made by
// nlohmann-json rather than by hand.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace lumbrook::host {

// A JSON value whose members keep the order they were set in.
using Json = nlohmann::ordered_json;

// `value` as JSON text on one line. JSON is UTF-8 whatever the database or the file system
// holds: each byte of a string that is not part of a UTF-8 character becomes U+FFFD.
std::string JsonText(const Json& value);

}  // namespace lumbrook::host

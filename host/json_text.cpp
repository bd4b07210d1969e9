#include "json_text.h"

namespace lumbrook::host {

std::string JsonText(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace lumbrook::host

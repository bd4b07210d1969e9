// The platform's case-insensitive comparison of names, for callers that see the registry only
// through its C interface (the command-line host): the same rule the hive applies to its key
// and value names.
#include "lumbrook/registry.h"
#include "platform/registry/hive.h"

extern "C" int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    using lumbrook::platform::registry::NameLess;
    using lumbrook::platform::registry::NamesEqual;
    const std::string_view a = lpString1 != nullptr ? lpString1 : "";
    const std::string_view b = lpString2 != nullptr ? lpString2 : "";
    if (NamesEqual(a, b))
        return 0;
    return NameLess()(a, b) ? -1 : 1;
}

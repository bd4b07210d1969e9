// libFuzzer target: the "Filter" preference reader and the whole-number reader on any text.
// Every filter value must be a finite number, since the export writes them into SQL as
// decimal text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/filter_fields.h"
#include "settings/text_to_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumbrook::settings;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FilterValues values = ReadFilterFields(text);
    if (!std::isfinite(values.minMass) || !std::isfinite(values.maxMass) ||
        !std::isfinite(values.s2n)) {
        __builtin_trap();
    }
    if (const auto number = ReadWholeNumber(text)) {
        if (!std::isfinite(*number))
            __builtin_trap();
        (void)RoundToInt32(*number);
    }
    return 0;
}

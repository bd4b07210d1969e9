#include "util/string_builder.h"

#include <cassert>
#include <cstddef>

namespace lumbrook::util {

void clsStringBuilder::Allocate() {
    aStrings.assign(static_cast<std::size_t>(lInitialCapacity), std::string());
    lCapacity = lInitialCapacity;
    bAllocated = true;
}

void clsStringBuilder::Grow() {
    // Linear growth keeps the slot count predictable. reserve allocates exactly the slots
    // asked for (resize alone would let the vector double), and resize keeps the contents.
    const auto slots = static_cast<std::size_t>(lCapacity) + static_cast<std::size_t>(lGrowthRate);
    aStrings.reserve(slots);
    aStrings.resize(slots);
    lCapacity += lGrowthRate;
}

void clsStringBuilder::Add(const std::string& szString) {
    if (!bAllocated)
        Allocate();
    if (lCount + 1 > lCapacity)
        Grow();
    assert(lCount < lCapacity);
    aStrings[static_cast<std::size_t>(lCount)] = szString;
    ++lCount;
}

std::string clsStringBuilder::GetContent() const {
    std::size_t length = 0;
    for (std::int32_t i = 0; i < lCount; ++i)
        length += aStrings[static_cast<std::size_t>(i)].size();
    std::string content;
    content.reserve(length);
    // The empty slots past lCount add nothing, so only the filled ones are visited.
    for (std::int32_t i = 0; i < lCount; ++i)
        content += aStrings[static_cast<std::size_t>(i)];
    return content;
}

}  // namespace lumbrook::util

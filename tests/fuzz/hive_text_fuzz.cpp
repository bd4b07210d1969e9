// libFuzzer target: the hive file reader on any bytes. Whatever it accepts must be written
// back as text that it reads to the same tree, written the same way again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/hive_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumbrook::platform::registry;
    const ParseResult parsed =
        ParseHiveText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.ok)
        return 0;
    const std::string written = WriteHiveText(parsed.root, "");
    const ParseResult again = ParseHiveText(written);
    if (!again.ok || WriteHiveText(again.root, "") != written)
        __builtin_trap();
    return 0;
}

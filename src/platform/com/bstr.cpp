// The platform's BSTR allocator: every BSTR that hosts and the server hand each other is
// allocated and freed here, in the one platform library of the process.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "lumbrook/com.h"

namespace {

// A BSTR is preceded by its length in bytes; the text is followed by one NUL character that
// the length does not count.
constexpr std::size_t kHeader = sizeof(uint32_t);
// Longest text a 32-bit byte length can describe.
constexpr std::size_t kMaxChars = (UINT32_MAX - kHeader - sizeof(OLECHAR)) / sizeof(OLECHAR);

uint32_t* HeaderOf(BSTR text) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kHeader);
}

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxChars)
        return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(ui) * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kHeader + bytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    const auto length = static_cast<uint32_t>(bytes);
    std::memcpy(block, &length, sizeof length);
    auto* text = reinterpret_cast<OLECHAR*>(block + kHeader);
    if (strIn != nullptr) {
        std::memcpy(text, strIn, bytes);
    } else {
        std::memset(text, 0, bytes);
    }
    text[ui] = 0;
    return text;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr)
        return nullptr;
    UINT length = 0;
    while (psz[length] != 0)
        ++length;
    return SysAllocStringLen(psz, length);
}

void SysFreeString(BSTR bstrString) {
    if (bstrString != nullptr)
        std::free(HeaderOf(bstrString));
}

UINT SysStringByteLen(BSTR bstr) {
    return bstr == nullptr ? 0 : *HeaderOf(bstr);
}

UINT SysStringLen(BSTR pbstr) {
    return SysStringByteLen(pbstr) / sizeof(OLECHAR);
}

}  // extern "C"

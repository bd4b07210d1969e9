/*
 * C++ only: BSTR text for hosts and for Lumbrook itself, header only so that the platform
 * library's interface stays its C functions: an owning wrapper, and a BSTR made from and read
 * as the program's UTF-8 text (converted as lumbrook/utf16.h converts).
 */
#ifndef LUMBROOK_BSTR_H
#define LUMBROOK_BSTR_H

#ifndef __cplusplus
#error "lumbrook/bstr.h is for C++; C code calls SysAllocString and SysFreeString itself"
#endif

#include <string>
#include <string_view>
#include <utility>

#include "lumbrook/com.h"
#include "lumbrook/utf16.h"

namespace lumbrook::platform {

// A new BSTR holding `text` (UTF-8), embedded NULs included; nullptr only when out of memory.
inline BSTR BstrFromUtf8(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// The text of a BSTR as UTF-8, embedded NULs included; a null BSTR is the empty string.
inline std::string Utf8FromBstr(BSTR text) {
    return Utf16ToUtf8(std::u16string_view(text == nullptr ? u"" : text, SysStringLen(text)));
}

// Owns one BSTR and frees it.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::string_view text) : value_(BstrFromUtf8(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }

    BSTR get() const { return value_; }
    // Frees the held string and gives the address to fill, for out-parameters.
    BSTR* out() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR release() { return std::exchange(value_, nullptr); }
    std::string Utf8() const { return Utf8FromBstr(value_); }

  private:
    BSTR value_ = nullptr;
};

}  // namespace lumbrook::platform

#endif /* LUMBROOK_BSTR_H */

// BSTR helpers for C++ code: an owning wrapper and the UTF-8 conversions.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "lumbrook/com.h"

namespace lumbrook::platform {

// A new BSTR holding `text` (UTF-8), embedded NULs included; nullptr only when out of memory.
BSTR BstrFromUtf8(std::string_view text);

// The text of a BSTR as UTF-8, embedded NULs included; a null BSTR is the empty string.
std::string Utf8FromBstr(BSTR text);

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

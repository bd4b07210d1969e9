/*
 * C++ only: an owning interface pointer for hosts and for Lumbrook itself. Header only, so
 * that the platform library's interface stays its C functions.
 */
#ifndef LUMBROOK_COM_PTR_H
#define LUMBROOK_COM_PTR_H

#ifndef __cplusplus
#error "lumbrook/com_ptr.h is for C++; C code calls AddRef and Release itself"
#endif

#include <utility>

#include "lumbrook/com.h"

namespace lumbrook::platform {

// Releases what it holds, AddRefs on copy.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already owns.
    static ComPtr Adopt(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_ != nullptr)
            p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (p_ != nullptr)
            std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Releases what is held and gives the address to fill, for out-parameters.
    T** out() {
        reset();
        return &p_;
    }
    void** out_void() { return reinterpret_cast<void**>(out()); }
    T* release() { return std::exchange(p_, nullptr); }

  private:
    T* p_ = nullptr;
};

}  // namespace lumbrook::platform

#endif /* LUMBROOK_COM_PTR_H */

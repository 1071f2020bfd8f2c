#pragma once
// RAII for raw Win32 handles in code that calls Windows directly (the companion
// library, the wrapper, the renderer). Closing keeps the thread's last error.

#include <utility>

#include "core/win32/Windows.h"

namespace vtl::win32 {

template <class Traits>
class WinHandle {
  public:
    using Value = typename Traits::Value;

    WinHandle() noexcept = default;
    explicit WinHandle(Value value) noexcept : value_(value) {}
    ~WinHandle() { reset(); }
    WinHandle(const WinHandle&) = delete;
    WinHandle& operator=(const WinHandle&) = delete;
    WinHandle(WinHandle&& other) noexcept : value_(other.release()) {}
    WinHandle& operator=(WinHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    explicit operator bool() const noexcept { return !Traits::IsEmpty(value_); }
    [[nodiscard]] Value get() const noexcept { return value_; }
    [[nodiscard]] Value release() noexcept { return std::exchange(value_, Traits::Empty()); }
    void reset(Value value = Traits::Empty()) noexcept {
        if (!Traits::IsEmpty(value_)) {
            const DWORD lastError = GetLastError();
            Traits::Close(value_);
            SetLastError(lastError);
        }
        value_ = value;
    }
    // For out-parameters: closes what is held, then exposes the slot.
    Value* put() noexcept {
        reset();
        return &value_;
    }

  private:
    Value value_ = Traits::Empty();
};

struct KernelHandleTraits {  // NULL and INVALID_HANDLE_VALUE are both empty
    using Value = HANDLE;
    static Value Empty() noexcept { return nullptr; }
    static bool IsEmpty(Value v) noexcept { return v == nullptr || v == INVALID_HANDLE_VALUE; }
    static void Close(Value v) noexcept { ::CloseHandle(v); }
};
struct ScHandleTraits {
    using Value = SC_HANDLE;
    static Value Empty() noexcept { return nullptr; }
    static bool IsEmpty(Value v) noexcept { return v == nullptr; }
    static void Close(Value v) noexcept { ::CloseServiceHandle(v); }
};
struct RegKeyHandleTraits {  // predefined roots are never closed
    using Value = HKEY;
    static Value Empty() noexcept { return nullptr; }
    static bool IsEmpty(Value v) noexcept { return v == nullptr; }
    static void Close(Value v) noexcept {
        if ((reinterpret_cast<ULONG_PTR>(v) & 0x80000000) == 0) ::RegCloseKey(v);
    }
};
struct LibraryHandleTraits {
    using Value = HMODULE;
    static Value Empty() noexcept { return nullptr; }
    static bool IsEmpty(Value v) noexcept { return v == nullptr; }
    static void Close(Value v) noexcept { ::FreeLibrary(v); }
};

using UniqueKernelHandle = WinHandle<KernelHandleTraits>;
using UniqueScHandle = WinHandle<ScHandleTraits>;
using UniqueRegKey = WinHandle<RegKeyHandleTraits>;
using UniqueLibrary = WinHandle<LibraryHandleTraits>;

}  // namespace vtl::win32

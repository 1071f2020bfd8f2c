#pragma once
// Move-only owner of one platform handle. The platform that issued a handle closes
// it; closing an empty handle is harmless, so every path may simply let it go.

#include <cstdint>
#include <utility>

namespace vtl {

template <class Traits>
class UniqueHandle {
  public:
    using Owner = typename Traits::Owner;
    using Value = std::uintptr_t;

    UniqueHandle() noexcept = default;
    UniqueHandle(Owner* owner, Value value) noexcept : owner_(owner), value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : owner_(std::exchange(other.owner_, nullptr)), value_(std::exchange(other.value_, 0)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            owner_ = std::exchange(other.owner_, nullptr);
            value_ = std::exchange(other.value_, 0);
        }
        return *this;
    }

    explicit operator bool() const noexcept { return value_ != 0; }
    [[nodiscard]] Value get() const noexcept { return value_; }
    [[nodiscard]] Owner* owner() const noexcept { return owner_; }

    // Gives up ownership without closing.
    [[nodiscard]] Value release() noexcept {
        owner_ = nullptr;
        return std::exchange(value_, 0);
    }

    void reset() noexcept {
        if (value_ != 0 && owner_ != nullptr) Traits::Close(*owner_, value_);
        owner_ = nullptr;
        value_ = 0;
    }

  private:
    Owner* owner_ = nullptr;
    Value value_ = 0;
};

}  // namespace vtl

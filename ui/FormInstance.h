#pragma once
// One instance of a form class, created on first use and created anew on the first
// use after it was unloaded, so that each opening starts from the design state
// (the way the system's windows behave). Do not call Get() from a handler of the
// same form after unloading it: that would destroy the running form.

#include <functional>
#include <memory>
#include <utility>

#include "ui/Form.h"

namespace vtl::ui {

template <class T>
class FormInstance {
  public:
    explicit FormInstance(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) {}

    // The live instance; a fresh one when there was none or the last was unloaded.
    T& Get() {
        if (!form_ || form_->WasUnloaded()) {
            form_.reset();
            form_ = make_();
        }
        return *form_;
    }
    T* operator->() { return &Get(); }
    T& operator*() { return Get(); }
    // The instance if one exists, without creating or renewing it.
    [[nodiscard]] T* Existing() const noexcept { return form_.get(); }

  private:
    std::function<std::unique_ptr<T>()> make_;
    std::unique_ptr<T> form_;
};

}  // namespace vtl::ui

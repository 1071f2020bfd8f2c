#pragma once
// Small helpers the properties dialog's handlers share.

#include <string>
#include <string_view>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ListControls.h"

namespace vtl {

// Runs an event handler; a failure inside ends it quietly.
template <class Handler>
void Quietly(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        // Nothing is shown or logged: the event's handling just ends.
    }
}

// Overwrites a text in place before it goes (a password).
inline void WipeString(std::string& text) noexcept {
    volatile char* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i)
        p[i] = '\0';
    text.clear();
}

// Empties a text box that held a password.
inline void WipeText(ui::TextBox& box) {
    box.SetText({});
}

// The hourglass on a form while a handler blocks it, the normal pointer after.
class Hourglass {
  public:
    explicit Hourglass(ui::Form& form) : form_(form) {
        form_.SetMousePointer(ui::MousePointer::Hourglass);
    }
    ~Hourglass() {
        try {
            form_.SetMousePointer(ui::MousePointer::Default);
        } catch (...) {
            // The handler is over; the pointer stays as it is.
        }
    }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

  private:
    ui::Form& form_;
};

// Layout shared by the dialogs, in twips.
inline constexpr int kDialogMargin = 120;
inline constexpr int kDialogButtonWidth = 1125;
inline constexpr int kDialogButtonHeight = 345;

// Whether two plain computer names name the same computer.
[[nodiscard]] inline bool SameComputer(std::string_view a, std::string_view b) noexcept {
    return !a.empty() && ui::EqualsIgnoreCase(a, b);
}

}  // namespace vtl

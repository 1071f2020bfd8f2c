#pragma once
// The menu tree of a form. A top-level item is a menu of the menu bar, unless it is
// invisible: then it is a pop-up menu that the form shows with Form::PopupMenu.
// A caption of "-" makes an item a separator. Access keys are marked with & in
// captions; a shortcut (F1, F5, Ctrl+...) runs the item's Click from anywhere in the
// form. A key hint is a key that one control answers to with the item's command
// (Del in a list): the menu shows it as it shows a shortcut, but it is no
// shortcut, so the form's other controls keep the key.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/Observer.h"

namespace vtl::ui {

class Form;

// Key codes are the Windows virtual-key numbers.
struct Shortcut {
    std::uint16_t key = 0;  // 0: none
    bool ctrl = false;
    bool shift = false;
    bool alt = false;

    [[nodiscard]] static constexpr Shortcut F(int n) noexcept {
        return Shortcut{static_cast<std::uint16_t>(0x70 + n - 1)};
    }
    [[nodiscard]] static constexpr Shortcut Ctrl(char letter) noexcept {
        return Shortcut{static_cast<std::uint16_t>(letter), true};
    }
    explicit operator bool() const noexcept { return key != 0; }
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};
// "F5", "Ctrl+S", "Shift+Del", ...; empty for none.
[[nodiscard]] std::string ShortcutText(const Shortcut& shortcut);

class MenuItem : public UiObject {
  public:
    // A top-level menu of form.
    MenuItem(Form& form, std::string name, std::string caption, Shortcut shortcut = {});
    // An item of a menu.
    MenuItem(MenuItem& parent, std::string name, std::string caption, Shortcut shortcut = {});
    ~MenuItem() override;

    [[nodiscard]] Form& OwnerForm() const noexcept { return form_; }
    [[nodiscard]] MenuItem* ParentItem() const noexcept { return parent_; }
    [[nodiscard]] const std::vector<MenuItem*>& Items() const noexcept { return items_; }

    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    [[nodiscard]] bool IsSeparator() const noexcept { return caption_ == "-"; }
    [[nodiscard]] const Shortcut& GetShortcut() const noexcept { return shortcut_; }
    [[nodiscard]] const Shortcut& KeyHint() const noexcept { return keyHint_; }
    void SetKeyHint(Shortcut key);
    // What the menu shows after the caption: the shortcut, else the key hint.
    [[nodiscard]] const Shortcut& ShownKey() const noexcept {
        return shortcut_ ? shortcut_ : keyHint_;
    }
    [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    [[nodiscard]] bool Checked() const noexcept { return checked_; }
    void SetChecked(bool checked);
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    // User action: choose the item (from the menu, a pop-up or its shortcut). Runs
    // onClick when the item and every menu above it are enabled, and it is no
    // separator. A pop-up menu's own invisibility does not count.
    bool Click();

    std::function<void()> onClick;

  private:
    Form& form_;
    MenuItem* parent_ = nullptr;
    std::vector<MenuItem*> items_;
    std::string caption_;
    Shortcut shortcut_;
    Shortcut keyHint_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
};

}  // namespace vtl::ui

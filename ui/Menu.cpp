#include "ui/Menu.h"

#include <algorithm>
#include <array>
#include <utility>

#include "ui/Form.h"

namespace vtl::ui {

namespace {
struct KeyName {
    std::uint16_t key;
    std::string_view name;
};
constexpr std::array<KeyName, 14> kKeyNames = {{
    {0x08, "Bksp"},
    {0x09, "Tab"},
    {0x0D, "Enter"},
    {0x1B, "Esc"},
    {0x20, "Space"},
    {0x21, "PgUp"},
    {0x22, "PgDn"},
    {0x23, "End"},
    {0x24, "Home"},
    {0x2D, "Ins"},
    {0x2E, "Del"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
}};
}  // namespace

std::string ShortcutText(const Shortcut& shortcut) {
    if (!shortcut) return {};
    std::string text;
    if (shortcut.ctrl) text += "Ctrl+";
    if (shortcut.shift) text += "Shift+";
    if (shortcut.alt) text += "Alt+";
    const std::uint16_t key = shortcut.key;
    if (key >= 0x70 && key <= 0x87) {
        text.push_back('F');
        text.append(std::to_string(key - 0x70 + 1));
    } else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        text.push_back(static_cast<char>(key));
    } else {
        const auto* it = std::find_if(kKeyNames.begin(), kKeyNames.end(),
                                      [key](const KeyName& k) { return k.key == key; });
        if (it != kKeyNames.end()) {
            text.append(it->name);
        } else {
            text.push_back('#');
            text.append(std::to_string(key));
        }
    }
    return text;
}

MenuItem::MenuItem(Form& form, std::string name, std::string caption, Shortcut shortcut)
    : UiObject(std::move(name)), form_(form), caption_(std::move(caption)), shortcut_(shortcut) {
    form_.menus_.push_back(this);
}

MenuItem::MenuItem(MenuItem& parent, std::string name, std::string caption, Shortcut shortcut)
    : UiObject(std::move(name)),
      form_(parent.form_),
      parent_(&parent),
      caption_(std::move(caption)),
      shortcut_(shortcut) {
    parent.items_.push_back(this);
}

MenuItem::~MenuItem() {
    Notify(ChangeKind::Destroyed);
    auto& list = parent_ != nullptr ? parent_->items_ : form_.menus_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void MenuItem::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void MenuItem::SetKeyHint(Shortcut key) {
    if (key == keyHint_) return;
    keyHint_ = key;
    Notify(ChangeKind::Caption);
}

void MenuItem::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Notify(ChangeKind::Enabled);
}

void MenuItem::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Notify(ChangeKind::Checked);
}

void MenuItem::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Notify(ChangeKind::Visible);
}

bool MenuItem::Click() {
    if (IsSeparator()) return false;
    for (const MenuItem* m = this; m != nullptr; m = m->parent_) {
        if (!m->enabled_) return false;
        // A pop-up menu is an invisible top-level menu; its items are reachable.
        if (!m->visible_ && m->parent_ != nullptr) return false;
    }
    if (onClick) onClick();
    return true;
}

}  // namespace vtl::ui

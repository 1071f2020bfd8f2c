#include "ui/Control.h"

#include <algorithm>
#include <utility>

#include "ui/Form.h"

namespace vtl::ui {

namespace {
int CountControls(const Container& container) {
    int n = 0;
    for (Control* child : container.Children()) {
        ++n;
        if (auto* nested = dynamic_cast<Container*>(child)) n += CountControls(*nested);
    }
    return n;
}
}  // namespace

Control::Control(Container& parent, std::string name, int index)
    : UiObject(std::move(name)),
      parent_(parent),
      index_(index),
      tabIndex_(CountControls(parent.OwnerForm())) {
    parent_.children_.push_back(this);
}

Control::~Control() {
    Notify(ChangeKind::Destroyed);
    auto& siblings = parent_.children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    Form& form = parent_.OwnerForm();
    if (form.focusRequest_ == this) form.focusRequest_ = nullptr;
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Notify(ChangeKind::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Notify(ChangeKind::Visible);
}

bool Control::Reachable() const noexcept {
    if (!enabled_ || !visible_) return false;
    const Control* container = parent_.AsControl();
    return container == nullptr || container->Reachable();
}

void Control::Move(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Notify(ChangeKind::Bounds);
}

void Control::SetToolTipText(std::string text) {
    if (text == toolTip_) return;
    toolTip_ = std::move(text);
    Notify(ChangeKind::ToolTip);
}

void Control::SetTabIndex(int index) {
    if (index == tabIndex_) return;
    tabIndex_ = index;
    Notify(ChangeKind::TabIndex);
}

void Control::SetTabStop(bool tabStop) {
    if (tabStop == tabStop_) return;
    tabStop_ = tabStop;
    Notify(ChangeKind::Style);
}

void Control::SetBackColor(std::optional<Color> color) {
    if (color == backColor_) return;
    backColor_ = color;
    Notify(ChangeKind::BackColor);
}

void Control::SetFocus() {
    OwnerForm().focusRequest_ = this;
    Notify(ChangeKind::Focus);
}

bool Control::HasFocusRequest() const noexcept {
    return OwnerForm().FocusRequest() == this;
}

// ---------------------------------------------------------------------------

Label::Label(Container& parent, std::string name, std::string caption, int index)
    : Control(parent, std::move(name), index), caption_(std::move(caption)) {
    SetTabStop(false);
}

void Label::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void Label::SetAlignment(Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Notify(ChangeKind::Style);
}

TextBox::TextBox(Container& parent, std::string name, std::string text, int index)
    : Control(parent, std::move(name), index), text_(std::move(text)) {}

void TextBox::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    Notify(ChangeKind::Caption);
}

void TextBox::SetMultiLine(bool multiLine) {
    if (multiLine == multiLine_) return;
    multiLine_ = multiLine;
    Notify(ChangeKind::Style);
}

void TextBox::SetPasswordChar(char c) {
    if (c == passwordChar_) return;
    passwordChar_ = c;
    Notify(ChangeKind::Style);
}

void TextBox::SetMaxLength(int characters) {
    characters = std::max(characters, 0);
    if (characters == maxLength_) return;
    maxLength_ = characters;
    Notify(ChangeKind::Style);
}

void TextBox::SetLocked(bool locked) {
    if (locked == locked_) return;
    locked_ = locked;
    Notify(ChangeKind::Style);
}

namespace {
// Cuts a UTF-8 text to at most n characters.
std::string CutCharacters(std::string text, int n) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (count == n) {
                text.resize(i);
                break;
            }
            ++count;
        }
    }
    return text;
}
}  // namespace

void TextBox::TypeText(std::string text) {
    if (!Reachable() || locked_) return;
    if (maxLength_ > 0) text = CutCharacters(std::move(text), maxLength_);
    if (text == text_) return;
    SetText(std::move(text));
    if (onChange) onChange();
}

CommandButton::CommandButton(Container& parent, std::string name, std::string caption, int index)
    : Control(parent, std::move(name), index), caption_(std::move(caption)) {}

void CommandButton::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void CommandButton::SetDefault(bool isDefault) {
    if (isDefault == default_) return;
    // One default button per form.
    if (isDefault) {
        for (Control* c : OwnerForm().AllControls()) {
            if (auto* b = dynamic_cast<CommandButton*>(c); b != nullptr && b != this)
                b->SetDefault(false);
        }
    }
    default_ = isDefault;
    Notify(ChangeKind::Style);
}

void CommandButton::SetCancel(bool isCancel) {
    if (isCancel == cancel_) return;
    if (isCancel) {
        for (Control* c : OwnerForm().AllControls()) {
            if (auto* b = dynamic_cast<CommandButton*>(c); b != nullptr && b != this)
                b->SetCancel(false);
        }
    }
    cancel_ = isCancel;
    Notify(ChangeKind::Style);
}

bool CommandButton::Click() {
    if (!Reachable()) return false;
    if (onClick) onClick();
    return true;
}

CheckBox::CheckBox(Container& parent, std::string name, std::string caption, int index)
    : Control(parent, std::move(name), index), caption_(std::move(caption)) {}

void CheckBox::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void CheckBox::SetValue(CheckValue value) {
    if (value == value_) return;
    value_ = value;
    Notify(ChangeKind::Value);
}

bool CheckBox::Click() {
    if (!Reachable()) return false;
    SetValue(value_ == CheckValue::Unchecked ? CheckValue::Checked : CheckValue::Unchecked);
    if (onClick) onClick();
    return true;
}

OptionButton::OptionButton(Container& parent, std::string name, std::string caption, int index)
    : Control(parent, std::move(name), index), caption_(std::move(caption)) {}

void OptionButton::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void OptionButton::SetValue(bool value) {
    if (value) {
        for (Control* sibling : Parent().Children()) {
            if (auto* o = dynamic_cast<OptionButton*>(sibling); o != nullptr && o != this)
                o->SetValue(false);
        }
    }
    if (value == value_) return;
    value_ = value;
    Notify(ChangeKind::Value);
}

bool OptionButton::Click() {
    if (!Reachable()) return false;
    SetValue(true);
    if (onClick) onClick();
    return true;
}

Line::Line(Container& parent, std::string name, int x1, int y1, int x2, int y2)
    : Control(parent, std::move(name)) {
    SetTabStop(false);
    Move(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) - std::min(x1, x2),
         std::max(y1, y2) - std::min(y1, y2));
}

Frame::Frame(Container& parent, std::string name, std::string caption, int index)
    : Control(parent, std::move(name), index), caption_(std::move(caption)) {
    SetTabStop(false);
}

void Frame::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

PictureBox::PictureBox(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    SetTabStop(false);
}

void PictureBox::SetPicture(std::string imageKey) {
    if (imageKey == picture_) return;
    picture_ = std::move(imageKey);
    Notify(ChangeKind::Value);
}

void PictureBox::SetBorderStyle(BorderStyle border) {
    if (border == border_) return;
    border_ = border;
    Notify(ChangeKind::Style);
}

}  // namespace vtl::ui

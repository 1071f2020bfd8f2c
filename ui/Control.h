#pragma once
// Controls: small models of the common controls a form holds. Positions and sizes
// are in twips (1440 per inch), relative to the control's container. A control
// registers itself with its container (a form, a frame or a picture box) when it is
// constructed, so a form's controls are known in declaration order, which is also
// the default tab order.
//
// Two kinds of member change a control:
// - Setters (SetCaption, SetEnabled, ...) store and notify the observer; they never
//   raise the control's events.
// - User actions (Click, Select..., Type...) do what the user's gesture does: they
//   change the state as the gesture would and raise the events. The renderer calls
//   them for real input; native tests call them to play the user. They do nothing
//   on a disabled or hidden control, as a user cannot reach one.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Observer.h"

namespace vtl::ui {

class Control;
class Form;

// Colours as the system stores them: 0x00BBGGRR, or 0x800000nn for system colour nn.
using Color = std::uint32_t;
inline constexpr Color kColorButtonFace = 0x8000000F;
inline constexpr Color kColorWindow = 0x80000005;

enum class MouseButton : int { None = 0, Left = 1, Right = 2, Middle = 4 };
// Shift state bits of mouse events.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Holds child controls: a form, a frame, a picture box.
class Container {
  public:
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // Direct children in declaration order.
    [[nodiscard]] const std::vector<Control*>& Children() const noexcept { return children_; }
    // The form this container belongs to (itself for a form).
    [[nodiscard]] virtual Form& OwnerForm() noexcept = 0;
    // The control that is this container, or nullptr for a form.
    [[nodiscard]] virtual Control* AsControl() noexcept = 0;

  protected:
    Container() = default;
    ~Container() = default;

  private:
    friend class Control;
    std::vector<Control*> children_;
};

class Control : public UiObject {
  public:
    [[nodiscard]] Container& Parent() const noexcept { return parent_; }
    [[nodiscard]] Form& OwnerForm() const noexcept { return parent_.OwnerForm(); }
    // Index in a control array (cmdNav(1)), or -1.
    [[nodiscard]] int Index() const noexcept { return index_; }

    [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    // Enabled and visible, and so are all its containers.
    [[nodiscard]] bool Reachable() const noexcept;

    [[nodiscard]] int Left() const noexcept { return left_; }
    [[nodiscard]] int Top() const noexcept { return top_; }
    [[nodiscard]] int Width() const noexcept { return width_; }
    [[nodiscard]] int Height() const noexcept { return height_; }
    void SetLeft(int twips) { Move(twips, top_, width_, height_); }
    void SetTop(int twips) { Move(left_, twips, width_, height_); }
    // Negative sizes are stored as 0.
    void SetWidth(int twips) { Move(left_, top_, twips, height_); }
    void SetHeight(int twips) { Move(left_, top_, width_, twips); }
    void Move(int left, int top, int width, int height);

    [[nodiscard]] const std::string& ToolTipText() const noexcept { return toolTip_; }
    void SetToolTipText(std::string text);
    [[nodiscard]] int TabIndex() const noexcept { return tabIndex_; }
    void SetTabIndex(int index);
    [[nodiscard]] bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool tabStop);
    // Empty: the control's own default colour.
    [[nodiscard]] std::optional<Color> BackColor() const noexcept { return backColor_; }
    void SetBackColor(std::optional<Color> color);

    // Asks for the keyboard focus (the renderer gives it; a test reads HasFocusRequest).
    void SetFocus();
    // Paints the control now, for text shown before a long blocking operation.
    void Refresh() { Notify(ChangeKind::Repaint); }

    // The last control that asked for the focus on this control's form.
    [[nodiscard]] bool HasFocusRequest() const noexcept;

  protected:
    Control(Container& parent, std::string name, int index = -1);
    ~Control() override;

  private:
    Container& parent_;
    int index_;
    bool enabled_ = true;
    bool visible_ = true;
    bool tabStop_ = true;
    int left_ = 0;
    int top_ = 0;
    int width_ = 1215;
    int height_ = 375;
    int tabIndex_;
    std::string toolTip_;
    std::optional<Color> backColor_;
};

// ---------------------------------------------------------------------------
enum class Alignment : int { Left = 0, Right = 1, Center = 2 };

class Label : public Control {
  public:
    Label(Container& parent, std::string name, std::string caption = {}, int index = -1);
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    // Lines are joined with CR (13) alone.
    void SetCaption(std::string caption);
    [[nodiscard]] Alignment GetAlignment() const noexcept { return alignment_; }
    void SetAlignment(Alignment alignment);

    std::function<void()> onClick;
    std::function<void()> onDblClick;

  private:
    std::string caption_;
    Alignment alignment_ = Alignment::Left;
};

class TextBox : public Control {
  public:
    TextBox(Container& parent, std::string name, std::string text = {}, int index = -1);
    [[nodiscard]] const std::string& Text() const noexcept { return text_; }
    void SetText(std::string text);

    // Style: set before the form is loaded.
    [[nodiscard]] bool MultiLine() const noexcept { return multiLine_; }
    void SetMultiLine(bool multiLine);
    // 0: none; otherwise the character shown for each typed one ('*').
    [[nodiscard]] char PasswordChar() const noexcept { return passwordChar_; }
    void SetPasswordChar(char c);
    // 0: no limit; in characters.
    [[nodiscard]] int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int characters);
    // Read-only for the user; code may still set the text.
    [[nodiscard]] bool Locked() const noexcept { return locked_; }
    void SetLocked(bool locked);

    // User action: the user replaces the text (typing, pasting). Honours Locked and
    // MaxLength; raises onChange when the text changed.
    void TypeText(std::string text);

    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;

  private:
    std::string text_;
    bool multiLine_ = false;
    char passwordChar_ = 0;
    int maxLength_ = 0;
    bool locked_ = false;
};

class CommandButton : public Control {
  public:
    CommandButton(Container& parent, std::string name, std::string caption = {}, int index = -1);
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    // Enter presses the default button, Esc the cancel button of the form.
    [[nodiscard]] bool Default() const noexcept { return default_; }
    void SetDefault(bool isDefault);
    [[nodiscard]] bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool isCancel);

    // User action: press the button. Returns whether onClick ran.
    bool Click();

    std::function<void()> onClick;

  private:
    std::string caption_;
    bool default_ = false;
    bool cancel_ = false;
};

enum class CheckValue : int { Unchecked = 0, Checked = 1, Grayed = 2 };

class CheckBox : public Control {
  public:
    CheckBox(Container& parent, std::string name, std::string caption = {}, int index = -1);
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    [[nodiscard]] CheckValue Value() const noexcept { return value_; }
    void SetValue(CheckValue value);

    // User action: a click ticks an unticked box and clears a ticked or grey one.
    bool Click();

    std::function<void()> onClick;

  private:
    std::string caption_;
    CheckValue value_ = CheckValue::Unchecked;
};

// Option buttons of one container form one group: at most one is selected.
class OptionButton : public Control {
  public:
    OptionButton(Container& parent, std::string name, std::string caption = {}, int index = -1);
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    [[nodiscard]] bool Value() const noexcept { return value_; }
    // true clears the other option buttons of the same container.
    void SetValue(bool value);

    // User action: select this option (raises onClick even when it was selected).
    bool Click();

    std::function<void()> onClick;

  private:
    std::string caption_;
    bool value_ = false;
};

// A separator line (x1,y1)-(x2,y2) in twips; horizontal or vertical.
class Line : public Control {
  public:
    Line(Container& parent, std::string name, int x1, int y1, int x2, int y2);
};

// ---------------------------------------------------------------------------
// Containers.

class Frame : public Control, public Container {
  public:
    Frame(Container& parent, std::string name, std::string caption = {}, int index = -1);
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    [[nodiscard]] Form& OwnerForm() noexcept override { return Control::OwnerForm(); }
    [[nodiscard]] Control* AsControl() noexcept override { return this; }

  private:
    std::string caption_;
};

enum class BorderStyle : int { None = 0, FixedSingle = 1 };

// A panel that may show a picture (an image key the renderer maps to artwork) and
// holds other controls.
class PictureBox : public Control, public Container {
  public:
    PictureBox(Container& parent, std::string name, int index = -1);
    // Image key ("Splash", "AppIcon"); empty for none.
    [[nodiscard]] const std::string& Picture() const noexcept { return picture_; }
    void SetPicture(std::string imageKey);
    [[nodiscard]] BorderStyle GetBorderStyle() const noexcept { return border_; }
    void SetBorderStyle(BorderStyle border);
    [[nodiscard]] Form& OwnerForm() noexcept override { return Control::OwnerForm(); }
    [[nodiscard]] Control* AsControl() noexcept override { return this; }

    std::function<void()> onClick;

  private:
    std::string picture_;
    BorderStyle border_ = BorderStyle::FixedSingle;
};

}  // namespace vtl::ui

#pragma once
// The base of every window. A form is an ordinary class deriving from Form, with its
// controls and menu items as members (declared in tab order) and its event handlers
// as member functions named as the system names them, wired in its constructor:
//
//   class frmErrorMsg : public ui::Form {
//     public:
//       explicit frmErrorMsg(ui::UiHost& host) : Form(host, "frmErrorMsg") {
//           onResize = [this] { Form_Resize(); };
//           lvErrors.onDblClick = [this] { lvErrors_DblClick(); };
//       }
//       ui::ListView lvErrors{*this, "lvErrors"};
//     ...
//   };
//
// Life of a form: constructed (design state, not loaded) -> Load (onLoad runs once)
// -> Show / ShowModal / Hide any number of times -> Unload (onQueryUnload may
// cancel, then onUnload may cancel; then the window goes) -> may be loaded again.
// Unload keeps the C++ object and its models as they are; a form that must open in
// its design state again is destroyed and recreated by its owner (FormInstance).
//
// Sizes are twips. Left/Top/Width/Height are the outer frame; ScaleWidth and
// ScaleHeight the inner (client) area below the menu bar, which the host measures.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Control.h"
#include "ui/Prompter.h"
#include "ui/UiHost.h"

namespace vtl::ui {

class MenuItem;
class UiHost;

enum class WindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };
enum class FormBorderStyle : int {
    None = 0,
    FixedSingle = 1,
    Sizable = 2,
    FixedDialog = 3,
    FixedToolWindow = 4,
    SizableToolWindow = 5,
};
enum class StartUpPosition : int { Manual = 0, CenterOwner = 1, CenterScreen = 2, Default = 3 };
enum class MousePointer : int { Default = 0, Arrow = 1, Hourglass = 11 };
// Why a form is asked to unload.
enum class UnloadMode : int {
    ControlMenu = 0,
    Code = 1,
    AppWindows = 2,
    TaskManager = 3,
    OwnerClosing = 5
};

class Form : public UiObject, public Container {
  public:
    Form(UiHost& host, std::string name);
    ~Form() override;

    [[nodiscard]] UiHost& Host() const noexcept { return host_; }
    [[nodiscard]] Form& OwnerForm() noexcept override { return *this; }
    [[nodiscard]] Control* AsControl() noexcept override { return nullptr; }

    // --- Properties ---
    [[nodiscard]] const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption);
    [[nodiscard]] int Left() const noexcept { return left_; }
    [[nodiscard]] int Top() const noexcept { return top_; }
    [[nodiscard]] int Width() const noexcept { return width_; }
    [[nodiscard]] int Height() const noexcept { return height_; }
    void SetLeft(int twips) { Move(twips, top_, width_, height_); }
    void SetTop(int twips) { Move(left_, twips, width_, height_); }
    void SetWidth(int twips) { Move(left_, top_, twips, height_); }
    void SetHeight(int twips) { Move(left_, top_, width_, twips); }
    // Moves and sizes the window; onResize runs when the size changed.
    void Move(int left, int top, int width, int height);
    // The inner area in twips.
    [[nodiscard]] int ScaleWidth() const noexcept { return scaleWidth_; }
    [[nodiscard]] int ScaleHeight() const noexcept { return scaleHeight_; }

    [[nodiscard]] WindowState GetWindowState() const noexcept { return windowState_; }
    // onResize runs when the state changed.
    void SetWindowState(WindowState state);
    [[nodiscard]] FormBorderStyle GetBorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(FormBorderStyle style);  // before loading
    [[nodiscard]] StartUpPosition GetStartUpPosition() const noexcept { return startUp_; }
    void SetStartUpPosition(StartUpPosition position);  // before loading
    [[nodiscard]] bool ControlBox() const noexcept { return controlBox_; }
    void SetControlBox(bool controlBox);  // before loading
    [[nodiscard]] bool MinButton() const noexcept { return minButton_; }
    [[nodiscard]] bool MaxButton() const noexcept { return maxButton_; }
    void SetMinMaxButtons(bool minButton, bool maxButton);  // before loading
    [[nodiscard]] bool ShowInTaskbar() const noexcept { return showInTaskbar_; }
    void SetShowInTaskbar(bool show);  // before loading
    // Image key of the window's icon ("AppIcon"); empty: the program's icon.
    [[nodiscard]] const std::string& Icon() const noexcept { return icon_; }
    void SetIcon(std::string imageKey);
    [[nodiscard]] MousePointer GetMousePointer() const noexcept { return mousePointer_; }
    // Takes effect at once, also while a handler blocks the window.
    void SetMousePointer(MousePointer pointer);

    // --- Life ---
    [[nodiscard]] bool Loaded() const noexcept { return loaded_; }
    // Was loaded, and has been unloaded since.
    [[nodiscard]] bool WasUnloaded() const noexcept { return unloaded_; }
    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    [[nodiscard]] bool Modal() const noexcept { return modal_; }
    // Loads the form if needed (onLoad runs once per load).
    void Load();
    // Loads if needed and shows the form modeless, owned by owner (or none); a shown
    // form comes to the front. onActivate runs when it becomes the active form.
    void Show(Form* owner = nullptr);
    // Loads if needed, shows the form modal over owner and returns when it has been
    // hidden or unloaded.
    void ShowModal(Form* owner = nullptr);
    void Hide();
    // Asks onQueryUnload, then onUnload; either may cancel. Returns whether the form
    // was unloaded (true also for a form that was not loaded).
    bool Unload(UnloadMode mode = UnloadMode::Code);
    // Paints the window now (before a long load).
    void Refresh();

    // Shows a pop-up menu (an invisible top-level menu item of this form) at the
    // mouse pointer, or at a place (a row of a list, or a control: a menu asked
    // for from the keyboard); the chosen item's Click runs before this returns.
    void PopupMenu(MenuItem& menu);
    void PopupMenu(MenuItem& menu, const PopupPlace& place);

    // --- Convenience over the host ---
    // A message box; an empty title means the application's title.
    MsgResult MsgBox(std::string_view text, MsgButtons buttons = MsgButtons::OK,
                     MsgIcon icon = MsgIcon::None, std::string_view title = {});
    [[nodiscard]] Prompter& Prompts() const;

    // --- Menus and focus ---
    [[nodiscard]] const std::vector<MenuItem*>& Menus() const noexcept { return menus_; }
    // The control that last asked for the focus, or nullptr.
    [[nodiscard]] Control* FocusRequest() const noexcept { return focusRequest_; }
    // The form's controls at every depth, in declaration order.
    [[nodiscard]] std::vector<Control*> AllControls() const;

    // --- Events ---
    std::function<void()> onLoad;
    std::function<void()> onActivate;
    std::function<void()> onDeactivate;
    std::function<void()> onResize;
    std::function<void(bool& cancel, UnloadMode mode)> onQueryUnload;
    std::function<void(bool& cancel)> onUnload;

    // --- For the host and the renderer ---
    // The window's real frame and inner size after a move, a resize or a state
    // change; runs onResize when the size or state changed.
    void ApplyViewFrame(int left, int top, int width, int height, int scaleWidth, int scaleHeight,
                        WindowState state);
    // Host bookkeeping.
    void SetShownState(bool visible, bool modal);
    void RaiseActivate();
    void RaiseDeactivate();
    // Non-client allowance used when no renderer measures the window.
    void SetFrameAllowance(int horizontalTwips, int verticalTwips);
    // What the last Move or SetWindowState asked for; the renderer applies it when
    // told of a Bounds or WindowState change, then reports the result through
    // ApplyViewFrame. Without a renderer the request is stored as it is.
    struct Bounds {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    [[nodiscard]] const Bounds& RequestedBounds() const noexcept { return requested_; }
    [[nodiscard]] WindowState RequestedWindowState() const noexcept { return requestedState_; }

  private:
    friend class Control;
    friend class MenuItem;
    void RecomputeScale();
    void RaiseResize();

    UiHost& host_;
    std::string caption_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 4800;
    int height_ = 3600;
    int scaleWidth_ = 0;
    int scaleHeight_ = 0;
    int frameX_ = 120;
    int frameY_ = 420;
    WindowState windowState_ = WindowState::Normal;
    FormBorderStyle borderStyle_ = FormBorderStyle::Sizable;
    StartUpPosition startUp_ = StartUpPosition::Default;
    bool controlBox_ = true;
    bool minButton_ = true;
    bool maxButton_ = true;
    bool showInTaskbar_ = true;
    std::string icon_;
    MousePointer mousePointer_ = MousePointer::Default;
    bool loaded_ = false;
    bool loading_ = false;
    bool unloaded_ = false;
    bool unloading_ = false;
    bool hostLoading_ = false;
    bool shownSinceLoad_ = false;
    Bounds requested_;
    WindowState requestedState_ = WindowState::Normal;
    bool visible_ = false;
    bool modal_ = false;
    std::vector<MenuItem*> menus_;
    Control* focusRequest_ = nullptr;
};

}  // namespace vtl::ui

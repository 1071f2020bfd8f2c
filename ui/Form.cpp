#include "ui/Form.h"

#include <algorithm>
#include <utility>

#include "ui/Menu.h"
#include "ui/UiHost.h"

namespace vtl::ui {

namespace {
// Clears a flag when a scope ends, also by an exception.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

void Collect(const Container& container, std::vector<Control*>& out) {
    for (Control* child : container.Children()) {
        out.push_back(child);
        if (auto* nested = dynamic_cast<Container*>(child)) Collect(*nested, out);
    }
}
}  // namespace

Form::Form(UiHost& host, std::string name) : UiObject(std::move(name)), host_(host) {
    RecomputeScale();
}

Form::~Form() {
    if (loaded_) {
        loaded_ = false;
        visible_ = false;
        host_.FormUnloaded(*this);
    }
    Notify(ChangeKind::Destroyed);
}

void Form::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(ChangeKind::Caption);
}

void Form::RecomputeScale() {
    int frameX = frameX_;
    int frameY = frameY_;
    if (borderStyle_ == FormBorderStyle::None) {
        frameX = 0;
        frameY = 0;
    } else if (std::any_of(menus_.begin(), menus_.end(),
                           [](const MenuItem* m) { return m->Visible(); })) {
        frameY += 300;
    }
    scaleWidth_ = std::max(width_ - frameX, 0);
    scaleHeight_ = std::max(height_ - frameY, 0);
}

void Form::RaiseResize() {
    if (loaded_ && !hostLoading_ && onResize) onResize();
}

void Form::Move(int left, int top, int width, int height) {
    requested_ = Bounds{left, top, std::max(width, 0), std::max(height, 0)};
    if (Observer() != nullptr) {
        Notify(ChangeKind::Bounds);
        return;
    }
    const bool resized = requested_.width != width_ || requested_.height != height_;
    left_ = requested_.left;
    top_ = requested_.top;
    width_ = requested_.width;
    height_ = requested_.height;
    RecomputeScale();
    if (resized) RaiseResize();
}

void Form::SetWindowState(WindowState state) {
    requestedState_ = state;
    if (Observer() != nullptr) {
        Notify(ChangeKind::WindowState);
        return;
    }
    if (state == windowState_) return;
    windowState_ = state;
    RaiseResize();
}

void Form::ApplyViewFrame(int left, int top, int width, int height, int scaleWidth, int scaleHeight,
                          WindowState state) {
    const bool changed = width != width_ || height != height_ || scaleWidth != scaleWidth_ ||
                         scaleHeight != scaleHeight_ || state != windowState_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    scaleWidth_ = scaleWidth;
    scaleHeight_ = scaleHeight;
    windowState_ = state;
    requested_ = Bounds{left, top, width, height};
    requestedState_ = state;
    if (changed) RaiseResize();
}

void Form::SetFrameAllowance(int horizontalTwips, int verticalTwips) {
    frameX_ = horizontalTwips;
    frameY_ = verticalTwips;
    RecomputeScale();
}

void Form::SetBorderStyle(FormBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    if (style == FormBorderStyle::None || style == FormBorderStyle::FixedDialog) {
        minButton_ = false;
        maxButton_ = false;
    }
    RecomputeScale();
    Notify(ChangeKind::Style);
}

void Form::SetStartUpPosition(StartUpPosition position) {
    startUp_ = position;
}

void Form::SetControlBox(bool controlBox) {
    if (controlBox == controlBox_) return;
    controlBox_ = controlBox;
    Notify(ChangeKind::Style);
}

void Form::SetMinMaxButtons(bool minButton, bool maxButton) {
    minButton_ = minButton;
    maxButton_ = maxButton;
    Notify(ChangeKind::Style);
}

void Form::SetShowInTaskbar(bool show) {
    showInTaskbar_ = show;
    Notify(ChangeKind::Style);
}

void Form::SetIcon(std::string imageKey) {
    if (imageKey == icon_) return;
    icon_ = std::move(imageKey);
    Notify(ChangeKind::Icon);
}

void Form::SetMousePointer(MousePointer pointer) {
    if (pointer == mousePointer_) return;
    mousePointer_ = pointer;
    Notify(ChangeKind::MousePointer);
}

void Form::Load() {
    if (loaded_ || host_.Ending()) return;
    loaded_ = true;
    unloaded_ = false;
    shownSinceLoad_ = false;
    RecomputeScale();
    {
        FlagScope hostLoading(hostLoading_);
        host_.FormLoaded(*this);
    }
    FlagScope loading(loading_);
    if (onLoad) onLoad();
}

void Form::Show(Form* owner) {
    Load();
    if (!loaded_ || host_.Ending()) return;
    visible_ = true;
    modal_ = false;
    host_.ShowForm(*this, owner);
    if (!shownSinceLoad_ && loaded_) {
        shownSinceLoad_ = true;
        RaiseResize();
    }
}

void Form::ShowModal(Form* owner) {
    Load();
    if (!loaded_ || host_.Ending()) return;
    visible_ = true;
    modal_ = true;
    if (!shownSinceLoad_) {
        shownSinceLoad_ = true;
        RaiseResize();
    }
    host_.ShowFormModal(*this, owner);
    modal_ = false;
}

void Form::Hide() {
    if (!loaded_ || !visible_) {
        visible_ = false;
        return;
    }
    visible_ = false;
    host_.HideForm(*this);
}

bool Form::Unload(UnloadMode mode) {
    if (!loaded_) return true;
    if (unloading_) return false;
    FlagScope unloading(unloading_);
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel, mode);
    if (cancel || !loaded_) return !loaded_;
    if (onUnload) onUnload(cancel);
    if (cancel || !loaded_) return !loaded_;
    loaded_ = false;
    visible_ = false;
    unloaded_ = true;
    focusRequest_ = nullptr;
    host_.FormUnloaded(*this);
    return true;
}

void Form::Refresh() {
    Notify(ChangeKind::Repaint);
}

void Form::PopupMenu(MenuItem& menu) {
    if (!loaded_ || host_.Ending()) return;
    host_.PopupMenu(*this, menu, nullptr);
}

void Form::PopupMenu(MenuItem& menu, const PopupPlace& place) {
    if (!loaded_ || host_.Ending()) return;
    host_.PopupMenu(*this, menu, &place);
}

MsgResult Form::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                       std::string_view title) {
    return host_.Prompts().MsgBox(text, buttons, icon,
                                  title.empty() ? std::string_view(host_.AppTitle()) : title);
}

Prompter& Form::Prompts() const {
    return host_.Prompts();
}

std::vector<Control*> Form::AllControls() const {
    std::vector<Control*> out;
    Collect(*this, out);
    return out;
}

void Form::SetShownState(bool visible, bool modal) {
    visible_ = visible;
    modal_ = modal;
}

void Form::RaiseActivate() {
    if (loaded_ && onActivate) onActivate();
}

void Form::RaiseDeactivate() {
    if (loaded_ && onDeactivate) onDeactivate();
}

}  // namespace vtl::ui

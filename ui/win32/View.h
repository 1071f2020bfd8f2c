#pragma once
// The native side of one control model: a View creates its window(s) from the
// model's current state, applies each change in place, and turns user input into
// the model's user actions. Views live inside a FormWindow.

#include <memory>
#include <string>

#include "core/win32/Windows.h"
#include "ui/Observer.h"

namespace vtl::ui {
class Control;
class ImageList;
}  // namespace vtl::ui

namespace vtl::ui::win32 {

class FormWindow;

class View {
  public:
    View(FormWindow& owner, Control& model) : owner_(owner), model_(&model) {}
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    [[nodiscard]] Control& Model() const noexcept { return *model_; }
    [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
    // Where the model's children go (containers), or nullptr.
    [[nodiscard]] virtual HWND ChildParent() const noexcept { return nullptr; }

    virtual void Create(HWND parent) = 0;
    virtual void Apply(const Change& change);
    virtual bool OnCommand(WORD /*code*/, WORD /*id*/) { return false; }
    virtual bool OnNotify(NMHDR& /*nm*/, LRESULT& /*result*/) { return false; }
    virtual void OnImageList(const ImageList* /*changed*/) {}
    virtual void OnTimer() {}
    // Alt and a character: true when the control took it as its access key.
    virtual bool OnMnemonic(wchar_t /*character*/) { return false; }
    // Where a pop-up menu asked for from the keyboard comes up, in the control's
    // client coordinates: a list puts it below the row's text.
    [[nodiscard]] virtual POINT PopupPoint(ListRowId /*row*/) const { return POINT{0, 0}; }
    // After the form's inner size changed.
    virtual void Layout() {}
    // The window's DPI changed from oldDpi: new font, place and sizes. Image lists
    // come again afterwards through OnImageList.
    virtual void OnDpiChanged(int oldDpi);
    // The model is going away: drop every reference to it.
    void Detach() noexcept { model_ = nullptr; }

  protected:
    // Creates the control window at the model's place with the common state.
    HWND CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                     HWND parent, int extraHeightPx = 0);
    void AddToolTip();
    // Puts the control at the model's place, in pixels at the window's DPI.
    void PlaceAtModel();
    [[nodiscard]] bool Alive() const noexcept;
    virtual void OnBoundsApplied() {}
    // Pixels at 96 DPI added to the model's height (a combo box's drop-down).
    [[nodiscard]] virtual int ExtraHeightPx() const noexcept { return 0; }

    FormWindow& owner_;
    Control* model_;
    HWND hwnd_ = nullptr;
    int id_ = 0;
    bool applying_ = false;  // our own change is echoing back from the control
    bool ownsHandle_ = true;
};

// The views of the control kinds, by the model's type.
std::unique_ptr<View> MakeView(FormWindow& owner, Control& model);

}  // namespace vtl::ui::win32

#pragma once
// The top-level window of one loaded form, and the native controls of its models.
// It observes the form, every control and every menu item, and updates the native
// controls in place for each change; user input comes back to the models through
// their user-action members. The list view is a normal (not owner-data) report list
// whose item order always equals the model's row order; each item's lParam is its
// row id. Twips become pixels at the window's own DPI; on WM_DPICHANGED the window
// takes the suggested frame and every control is laid out again at the new DPI.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/win32/Windows.h"
// After Windows.h.
#include <commctrl.h>
#include "ui/Observer.h"
#include "ui/UiHost.h"
#include "ui/win32/Artwork.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Window.h"

namespace vtl::ui {
class Control;
class Form;
class ImageList;
class MenuItem;
class CommandButton;
}  // namespace vtl::ui

namespace vtl::ui::win32 {

class Win32Host;
class View;

class FormWindow : public Window, private ChangeObserver {
  public:
    FormWindow(Win32Host& host, Form& form);
    ~FormWindow() override;

    [[nodiscard]] Form* Model() const noexcept { return form_; }
    [[nodiscard]] HACCEL Accelerators() const noexcept { return accel_; }
    // Alt and a character that a control without a dialog access key of its
    // own (a tab strip's tab) answers to; true when one took it.
    bool HandleMnemonic(wchar_t character);
    [[nodiscard]] Win32Host& Host() const noexcept { return host_; }

    void SetOwner(HWND owner) noexcept;
    // Shows the window (placing it the first time) and brings it to the front.
    void ShowNow();
    void HideNow();
    // Detaches from every model and destroys the window; the object may live on
    // until no message of it is being handled.
    void Close();
    // Runs a pop-up menu at the pointer, or at a place of a control (a menu asked
    // for from the keyboard); returns the chosen item or nullptr.
    MenuItem* TrackPopup(MenuItem& menu, const PopupPlace* place);

    // --- The window's DPI, for the views ---
    [[nodiscard]] int Dpi() const noexcept { return dpi_; }
    [[nodiscard]] int ToPixels(int twips) const noexcept { return TwipsToPixels(twips, dpi_); }
    [[nodiscard]] int ToTwips(int pixels) const noexcept { return PixelsToTwips(pixels, dpi_); }
    // A size given in pixels at 96 DPI, at the window's DPI.
    [[nodiscard]] int Scaled(int designPixels) const noexcept {
        return ScaleToDpi(designPixels, kDesignDpi, dpi_);
    }
    [[nodiscard]] int Metric(int index) const noexcept { return SystemMetricForDpi(index, dpi_); }
    // The message font at the window's DPI.
    [[nodiscard]] HFONT Font() const noexcept { return font_; }
    // An artwork icon of that size (nullptr if there is none), kept while the window lives.
    HICON ArtworkIcon(std::string_view key, int size);

    // --- For the views ---
    HIMAGELIST ImagesFor(const ImageList* model);
    void RegisterHandle(HWND hwnd, View* view);
    void UnregisterHandle(HWND hwnd);
    int NextControlId() noexcept { return nextId_++; }
    HWND ToolTip() const noexcept { return tooltip_; }
    void RegisterTimer(UINT_PTR id, View* view) { timerViews_[id] = view; }
    // An image list's images changed: rebuild it and give it to its users.
    void ImagesChanged(const ImageList* model);
    [[nodiscard]] bool Live() const noexcept { return form_ != nullptr; }
    // Routes the messages a container panel receives from its children.
    LRESULT RouteFromPanel(UINT msg, WPARAM wp, LPARAM lp, bool& handled);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void OnChanged(UiObject& object, const Change& change) override;
    void CreateViews(const std::vector<Control*>& controls, HWND parent);
    void ApplyFormChange(const Change& change);
    void RebuildMenu();
    void ReportFrame();
    void LayoutBars();
    void PlaceFirstTime();
    void SetFormIcons();
    // Lays the window out again at dpi, in the frame given (or its own, scaled).
    void ChangeDpi(int dpi, const RECT* suggested);
    CommandButton* FindButton(bool wantDefault) const;
    LRESULT OnCommand(WPARAM wp, LPARAM lp);
    LRESULT OnNotify(LPARAM lp, bool& handled);
    HBRUSH BrushFor(HWND control, HDC dc);
    void ForgetView(View* view);

    Win32Host& host_;
    Form* form_;
    int dpi_;
    HFONT font_ = nullptr;
    std::map<std::pair<std::string, int>, UniqueIcon> icons_;
    std::vector<std::unique_ptr<View>> views_;
    std::unordered_map<const UiObject*, View*> byModel_;
    std::unordered_map<HWND, View*> byHandle_;
    std::map<const ImageList*, HIMAGELIST> images_;
    std::map<unsigned, MenuItem*> menuIds_;
    HMENU menuBar_ = nullptr;
    HACCEL accel_ = nullptr;
    HWND tooltip_ = nullptr;
    std::map<COLORREF, HBRUSH> brushes_;
    std::unordered_map<UINT_PTR, View*> timerViews_;
    int nextId_ = 1000;
    bool placed_ = false;
    bool reporting_ = false;
    bool reportAgain_ = false;
};

}  // namespace vtl::ui::win32

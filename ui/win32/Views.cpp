
#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "ui/Bars.h"
#include "ui/Control.h"
#include "ui/ImageList.h"
#include "ui/LineBreaks.h"
#include "ui/ListControls.h"
#include "ui/ListView.h"
#include "ui/Timer.h"
#include "ui/win32/Artwork.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/View.h"
#include "ui/win32/Window.h"

namespace vtl::ui::win32 {

namespace {
using vtl::win32::Narrow;
using vtl::win32::Widen;

// Reentrancy guard for changes we make to a control ourselves.
class Applying {
  public:
    explicit Applying(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~Applying() { flag_ = previous_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

  private:
    bool& flag_;
    bool previous_;
};

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return SendMessageW(hwnd, msg, wp, lp);
}

int ShiftState() {
    int shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) shift |= kAltMask;
    return shift;
}
}  // namespace

// ---------------------------------------------------------------------------
// View

View::~View() {
    if (hwnd_ != nullptr) {
        owner_.UnregisterHandle(hwnd_);
        if (ownsHandle_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
}

bool View::Alive() const noexcept {
    return model_ != nullptr && owner_.Live();
}

HWND View::CreateChild(const wchar_t* className, const std::wstring& text, DWORD style,
                       DWORD exStyle, HWND parent, int extraHeightPx) {
    const FormWindow& w = owner_;
    const Control& m = *model_;
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (m.Visible()) style |= WS_VISIBLE;
    if (!m.Enabled()) style |= WS_DISABLED;
    id_ = owner_.NextControlId();
    hwnd_ = CreateWindowExW(
        exStyle, className, text.c_str(), style, w.ToPixels(m.Left()), w.ToPixels(m.Top()),
        w.ToPixels(m.Width()), w.ToPixels(m.Height()) + w.Scaled(extraHeightPx), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ != nullptr) {
        Send(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(w.Font()), FALSE);
        owner_.RegisterHandle(hwnd_, this);
        AddToolTip();
    }
    return hwnd_;
}

void View::AddToolTip() {
    if (hwnd_ == nullptr || owner_.ToolTip() == nullptr) return;
    std::wstring text = Widen(model_->ToolTipText());
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(hwnd_);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = text.data();
    const bool exists =
        Send(owner_.ToolTip(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
    ti.lpszText = text.data();
    if (text.empty()) {
        if (exists) Send(owner_.ToolTip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    } else if (exists) {
        Send(owner_.ToolTip(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        Send(owner_.ToolTip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void View::PlaceAtModel() {
    const FormWindow& w = owner_;
    const Control& m = *model_;
    SetWindowPos(hwnd_, nullptr, w.ToPixels(m.Left()), w.ToPixels(m.Top()), w.ToPixels(m.Width()),
                 w.ToPixels(m.Height()) + w.Scaled(ExtraHeightPx()), SWP_NOZORDER | SWP_NOACTIVATE);
    OnBoundsApplied();
}

void View::OnDpiChanged(int /*oldDpi*/) {
    if (hwnd_ == nullptr || !Alive()) return;
    Send(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(owner_.Font()), TRUE);
    PlaceAtModel();
}

void View::Apply(const Change& change) {
    if (hwnd_ == nullptr) return;
    const Control& m = *model_;
    switch (change.kind) {
        case ChangeKind::Enabled:
            EnableWindow(hwnd_, m.Enabled());
            break;
        case ChangeKind::Visible:
            ShowWindow(hwnd_, m.Visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case ChangeKind::Bounds:
            PlaceAtModel();
            break;
        case ChangeKind::ToolTip:
            AddToolTip();
            break;
        case ChangeKind::Focus:
            if (IsWindowVisible(GetAncestor(hwnd_, GA_ROOT))) SetFocus(hwnd_);
            break;
        case ChangeKind::Repaint:
            RedrawWindow(hwnd_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
            break;
        case ChangeKind::BackColor:
            InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        default:
            break;
    }
}

namespace {

// ---------------------------------------------------------------------------
// Containers: a panel window of our own that passes its children's messages on.

class PanelWindow : public Window {
  public:
    explicit PanelWindow(FormWindow& owner) : owner_(owner) {}
    ~PanelWindow() override { DestroyHandle(); }
    bool Make(HWND parent, DWORD style, DWORD exStyle, int x, int y, int w, int h, int id) {
        RegisterClassOnce(L"VtlPanel", GetSysColorBrush(COLOR_BTNFACE));
        return Create(L"VtlPanel", L"", style, exStyle, x, y, w, h, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    }
    // A bitmap, or else an icon of 32 pixels at 96 DPI; both grow with the DPI.
    void SetPicture(std::string_view key) {
        bitmap_.reset();
        icon_ = nullptr;
        if (!key.empty()) {
            bitmap_ = LoadArtworkBitmap(key);
            if (!bitmap_) icon_ = owner_.ArtworkIcon(key, owner_.Scaled(kIconSize));
        }
        if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_COMMAND:
            case WM_NOTIFY:
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORLISTBOX: {
                bool handled = false;
                const LRESULT r = owner_.RouteFromPanel(msg, wp, lp, handled);
                if (handled) return r;
                break;
            }
            case WM_PAINT:
                if (bitmap_ || icon_ != nullptr) {
                    PAINTSTRUCT ps;
                    HDC dc = BeginPaint(Handle(), &ps);
                    if (bitmap_) {
                        HDC mem = CreateCompatibleDC(dc);
                        const HGDIOBJ old = SelectObject(mem, bitmap_.get());
                        BITMAP bm{};
                        GetObjectW(bitmap_.get(), sizeof(bm), &bm);
                        if (owner_.Dpi() == kDesignDpi) {
                            BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
                        } else {
                            SetStretchBltMode(dc, HALFTONE);
                            SetBrushOrgEx(dc, 0, 0, nullptr);
                            StretchBlt(dc, 0, 0, owner_.Scaled(bm.bmWidth),
                                       owner_.Scaled(bm.bmHeight), mem, 0, 0, bm.bmWidth,
                                       bm.bmHeight, SRCCOPY);
                        }
                        SelectObject(mem, old);
                        DeleteDC(mem);
                    } else {
                        const int size = owner_.Scaled(kIconSize);
                        DrawIconEx(dc, 0, 0, icon_, size, size, 0, nullptr, DI_NORMAL);
                    }
                    EndPaint(Handle(), &ps);
                    return 0;
                }
                break;
            default:
                break;
        }
        return Default(msg, wp, lp);
    }

  private:
    static constexpr int kIconSize = 32;
    FormWindow& owner_;
    UniqueBitmap bitmap_;
    HICON icon_ = nullptr;
};

class ContainerView : public View {
  public:
    ContainerView(FormWindow& owner, Control& model) : View(owner, model), panel_(owner) {}
    ~ContainerView() override {
        if (hwnd_ != nullptr) owner_.UnregisterHandle(hwnd_);
        hwnd_ = nullptr;  // the panel object destroys its own window
    }
    HWND ChildParent() const noexcept override { return hwnd_; }

  protected:
    // clipChildren: the panel paints around its children, not under them.
    void MakePanel(HWND parent, DWORD exStyle, bool clipChildren = true) {
        const FormWindow& w = owner_;
        const Control& m = *model_;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (clipChildren ? WS_CLIPCHILDREN : 0);
        if (m.Visible()) style |= WS_VISIBLE;
        if (!m.Enabled()) style |= WS_DISABLED;
        id_ = owner_.NextControlId();
        panel_.Make(parent, style, exStyle | WS_EX_CONTROLPARENT, w.ToPixels(m.Left()),
                    w.ToPixels(m.Top()), w.ToPixels(m.Width()), w.ToPixels(m.Height()), id_);
        hwnd_ = panel_.Handle();
        if (hwnd_ != nullptr) {
            Send(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(w.Font()), FALSE);
            owner_.RegisterHandle(hwnd_, this);
        }
    }
    PanelWindow panel_;
};

class FrameView : public ContainerView {
  public:
    using ContainerView::ContainerView;
    ~FrameView() override {
        if (box_ != nullptr) owner_.UnregisterHandle(box_);
    }
    void Create(HWND parent) override {
        // The group box below the frame's controls draws its edge and caption
        // only; the panel paints the inside under it, as a dialog does.
        MakePanel(parent, 0, false);
        if (hwnd_ == nullptr) return;
        const auto& frame = static_cast<const Frame&>(*model_);
        RECT rc{};
        GetClientRect(hwnd_, &rc);
        box_ =
            CreateWindowExW(0, L"BUTTON", Widen(frame.Caption()).c_str(),
                            WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_CLIPSIBLINGS, 0, 0, rc.right,
                            rc.bottom, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        Send(box_, WM_SETFONT, reinterpret_cast<WPARAM>(owner_.Font()), FALSE);
        // The box lies under the frame's controls.
        SetWindowPos(box_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void Apply(const Change& change) override {
        if (change.kind == ChangeKind::Caption && box_ != nullptr) {
            SetWindowTextW(box_, Widen(static_cast<const Frame&>(*model_).Caption()).c_str());
            return;
        }
        View::Apply(change);
    }
    void OnDpiChanged(int oldDpi) override {
        if (box_ != nullptr) Send(box_, WM_SETFONT, reinterpret_cast<WPARAM>(owner_.Font()), TRUE);
        View::OnDpiChanged(oldDpi);
    }

  protected:
    void OnBoundsApplied() override {
        RECT rc{};
        GetClientRect(hwnd_, &rc);
        if (box_ != nullptr)
            SetWindowPos(box_, nullptr, 0, 0, rc.right, rc.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }

  private:
    HWND box_ = nullptr;
};

class PictureView : public ContainerView {
  public:
    using ContainerView::ContainerView;
    void Create(HWND parent) override {
        const auto& pic = static_cast<const PictureBox&>(*model_);
        MakePanel(parent, pic.GetBorderStyle() == BorderStyle::FixedSingle ? WS_EX_CLIENTEDGE : 0);
        panel_.SetPicture(pic.Picture());
    }
    void Apply(const Change& change) override {
        if (change.kind == ChangeKind::Value) {
            panel_.SetPicture(static_cast<const PictureBox&>(*model_).Picture());
            return;
        }
        View::Apply(change);
    }
    void OnDpiChanged(int oldDpi) override {
        View::OnDpiChanged(oldDpi);
        if (Alive()) panel_.SetPicture(static_cast<const PictureBox&>(*model_).Picture());
    }
};

// ---------------------------------------------------------------------------
// Simple controls.

class LabelView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        const auto& m = static_cast<const Label&>(*model_);
        CreateChild(L"STATIC", Widen(ToCrLf(m.Caption())), AlignStyle(m.GetAlignment()), 0, parent);
    }
    void Apply(const Change& change) override {
        const auto& m = static_cast<const Label&>(*model_);
        if (change.kind == ChangeKind::Caption) {
            SetWindowTextW(hwnd_, Widen(ToCrLf(m.Caption())).c_str());
        } else if (change.kind == ChangeKind::Style) {
            LONG_PTR style =
                GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
            SetWindowLongPtrW(hwnd_, GWL_STYLE, style | AlignStyle(m.GetAlignment()));
            InvalidateRect(hwnd_, nullptr, TRUE);
        } else {
            View::Apply(change);
        }
    }

  private:
    static DWORD AlignStyle(Alignment a) {
        return a == Alignment::Right ? SS_RIGHT : a == Alignment::Center ? SS_CENTER : SS_LEFT;
    }
};

class LineView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        const bool vertical = model_->Height() > model_->Width();
        CreateChild(L"STATIC", L"", vertical ? SS_ETCHEDVERT : SS_ETCHEDHORZ, 0, parent);
    }
};

class TextBoxView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        const auto& m = static_cast<const TextBox&>(*model_);
        DWORD style =
            WS_TABSTOP | (m.MultiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL
                                        : ES_AUTOHSCROLL);
        if (m.PasswordChar() != 0) style |= ES_PASSWORD;
        if (m.Locked()) style |= ES_READONLY;
        {
            Applying a(applying_);
            CreateChild(L"EDIT", Widen(Shown(m)), style, WS_EX_CLIENTEDGE, parent);
        }
        ApplyStyle();
    }
    void Apply(const Change& change) override {
        const auto& m = static_cast<const TextBox&>(*model_);
        if (change.kind == ChangeKind::Caption) {
            if (Narrow(WindowText(hwnd_)) == Shown(m)) return;
            Applying a(applying_);
            SetWindowTextW(hwnd_, Widen(Shown(m)).c_str());
        } else if (change.kind == ChangeKind::Style) {
            ApplyStyle();
        } else {
            View::Apply(change);
        }
    }
    bool OnCommand(WORD code, WORD) override {
        if (code != EN_CHANGE || applying_ || !Alive()) return code == EN_CHANGE;
        auto& m = static_cast<TextBox&>(*model_);
        std::string text = Narrow(WindowText(hwnd_));
        if (m.MultiLine()) text = ToCr(text);
        m.TypeText(std::move(text));
        return true;
    }

  private:
    static std::string Shown(const TextBox& m) {
        return m.MultiLine() ? ToCrLf(m.Text()) : m.Text();
    }
    void ApplyStyle() {
        const auto& m = static_cast<const TextBox&>(*model_);
        Send(hwnd_, EM_SETLIMITTEXT, static_cast<WPARAM>(m.MaxLength()));
        Send(hwnd_, EM_SETREADONLY, m.Locked() ? TRUE : FALSE);
        if (!m.MultiLine()) {
            Send(hwnd_, EM_SETPASSWORDCHAR,
                 m.PasswordChar() != 0
                     ? static_cast<WPARAM>(static_cast<unsigned char>(m.PasswordChar()))
                     : 0);
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
    }
};

enum class ButtonKind { Command, Check, Option };

class ButtonView : public View {
  public:
    ButtonView(FormWindow& owner, Control& model, ButtonKind kind)
        : View(owner, model), kind_(kind) {}
    void Create(HWND parent) override {
        DWORD style = WS_TABSTOP;
        if (kind_ == ButtonKind::Command) {
            style |= static_cast<const CommandButton&>(*model_).Default() ? BS_DEFPUSHBUTTON
                                                                          : BS_PUSHBUTTON;
        } else if (kind_ == ButtonKind::Check) {
            style |= BS_CHECKBOX;
        } else {
            style |= BS_RADIOBUTTON;
        }
        CreateChild(L"BUTTON", Widen(Caption()), style, 0, parent);
        ApplyValue();
    }
    void Apply(const Change& change) override {
        switch (change.kind) {
            case ChangeKind::Caption:
                SetWindowTextW(hwnd_, Widen(Caption()).c_str());
                break;
            case ChangeKind::Value:
                ApplyValue();
                break;
            case ChangeKind::Style:
                if (kind_ == ButtonKind::Command) {
                    const bool def = static_cast<const CommandButton&>(*model_).Default();
                    Send(hwnd_, BM_SETSTYLE, def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
                }
                break;
            default:
                View::Apply(change);
        }
    }
    bool OnCommand(WORD code, WORD) override {
        if (code != BN_CLICKED) return false;
        if (!Alive()) return true;
        switch (kind_) {
            case ButtonKind::Command:
                static_cast<CommandButton&>(*model_).Click();
                break;
            case ButtonKind::Check:
                static_cast<CheckBox&>(*model_).Click();
                break;
            case ButtonKind::Option:
                static_cast<OptionButton&>(*model_).Click();
                break;
        }
        return true;
    }

  private:
    std::string Caption() const {
        switch (kind_) {
            case ButtonKind::Command:
                return static_cast<const CommandButton&>(*model_).Caption();
            case ButtonKind::Check:
                return static_cast<const CheckBox&>(*model_).Caption();
            case ButtonKind::Option:
                return static_cast<const OptionButton&>(*model_).Caption();
        }
        return {};
    }
    void ApplyValue() {
        if (kind_ == ButtonKind::Check) {
            const CheckValue v = static_cast<const CheckBox&>(*model_).Value();
            Send(hwnd_, BM_SETCHECK,
                 v == CheckValue::Checked  ? BST_CHECKED
                 : v == CheckValue::Grayed ? BST_INDETERMINATE
                                           : BST_UNCHECKED);
        } else if (kind_ == ButtonKind::Option) {
            Send(hwnd_, BM_SETCHECK,
                 static_cast<const OptionButton&>(*model_).Value() ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    ButtonKind kind_;
};

// ---------------------------------------------------------------------------
// Lists.

class ComboView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        const auto& m = static_cast<const ComboBox&>(*model_);
        const DWORD style =
            WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
            (m.Style() == ComboStyle::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
        CreateChild(L"COMBOBOX", L"", style, 0, parent, ExtraHeightPx());
        Applying a(applying_);
        for (int i = 0; i < m.ListCount(); ++i)
            Send(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(m.List(i)).c_str()));
        ApplyValue();
    }
    void Apply(const Change& change) override {
        const auto& m = static_cast<const ComboBox&>(*model_);
        Applying a(applying_);
        switch (change.kind) {
            case ChangeKind::ItemInserted:
                Send(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(change.index),
                     reinterpret_cast<LPARAM>(Widen(m.List(change.index)).c_str()));
                break;
            case ChangeKind::ItemRemoved:
                Send(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(change.index));
                break;
            case ChangeKind::ItemsCleared:
                Send(hwnd_, CB_RESETCONTENT);
                break;
            case ChangeKind::Value:
                ApplyValue();
                break;
            default:
                View::Apply(change);
        }
    }
    bool OnCommand(WORD code, WORD) override {
        if (applying_ || !Alive()) return true;
        auto& m = static_cast<ComboBox&>(*model_);
        if (code == CBN_SELCHANGE) {
            const int index = static_cast<int>(Send(hwnd_, CB_GETCURSEL));
            if (!m.SelectItem(index) && Alive()) {
                Applying a(applying_);
                ApplyValue();
            }
            return true;
        }
        if (code == CBN_EDITCHANGE) {
            m.TypeText(Narrow(WindowText(hwnd_)));
            return true;
        }
        return false;
    }

  protected:
    int ExtraHeightPx() const noexcept override { return 200; }

  private:
    void ApplyValue() {
        const auto& m = static_cast<const ComboBox&>(*model_);
        Send(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(m.ListIndex()));
        if (m.Style() == ComboStyle::DropDownCombo && Narrow(WindowText(hwnd_)) != m.Text())
            SetWindowTextW(hwnd_, Widen(m.Text()).c_str());
    }
};

class ListBoxView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        const auto& m = static_cast<const ListBox&>(*model_);
        DWORD style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        if (m.GetMultiSelect() == MultiSelect::Simple) style |= LBS_MULTIPLESEL;
        if (m.GetMultiSelect() == MultiSelect::Extended) style |= LBS_EXTENDEDSEL;
        CreateChild(L"LISTBOX", L"", style, WS_EX_CLIENTEDGE, parent);
        for (int i = 0; i < m.ListCount(); ++i) {
            Send(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(m.List(i)).c_str()));
            if (m.Selected(i)) Select(i, true);
        }
        if (m.GetMultiSelect() == MultiSelect::None) Send(hwnd_, LB_SETCURSEL, m.ListIndex());
    }
    void Apply(const Change& change) override {
        const auto& m = static_cast<const ListBox&>(*model_);
        switch (change.kind) {
            case ChangeKind::ItemInserted:
                Send(hwnd_, LB_INSERTSTRING, static_cast<WPARAM>(change.index),
                     reinterpret_cast<LPARAM>(Widen(m.List(change.index)).c_str()));
                break;
            case ChangeKind::ItemRemoved:
                Send(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(change.index));
                break;
            case ChangeKind::ItemsCleared:
                Send(hwnd_, LB_RESETCONTENT);
                break;
            case ChangeKind::ItemSelection:
                Select(change.index, m.Selected(change.index));
                break;
            case ChangeKind::Value:
                if (m.GetMultiSelect() == MultiSelect::None) {
                    Send(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(m.ListIndex()));
                } else if (m.ListIndex() >= 0) {
                    Send(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(m.ListIndex()), FALSE);
                }
                break;
            default:
                View::Apply(change);
        }
    }
    bool OnCommand(WORD code, WORD) override {
        if (!Alive()) return true;
        auto& m = static_cast<ListBox&>(*model_);
        if (code == LBN_SELCHANGE) {
            const int count = m.ListCount();
            if (m.GetMultiSelect() == MultiSelect::None) {
                const int current = static_cast<int>(Send(hwnd_, LB_GETCURSEL));
                for (int i = 0; i < count; ++i)
                    m.ApplyViewSelection(i, i == current);
                m.ApplyViewListIndex(current);
            } else {
                for (int i = 0; i < count; ++i)
                    m.ApplyViewSelection(i, Send(hwnd_, LB_GETSEL, static_cast<WPARAM>(i)) > 0);
                m.ApplyViewListIndex(static_cast<int>(Send(hwnd_, LB_GETCARETINDEX)));
            }
            m.RaiseClick();
            return true;
        }
        if (code == LBN_DBLCLK) {
            m.DblClickItem(static_cast<int>(Send(hwnd_, LB_GETCARETINDEX)));
            return true;
        }
        return false;
    }

  private:
    void Select(int index, bool selected) {
        const auto& m = static_cast<const ListBox&>(*model_);
        if (m.GetMultiSelect() == MultiSelect::None) {
            if (selected) Send(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index));
        } else {
            Send(hwnd_, LB_SETSEL, selected ? TRUE : FALSE, index);
        }
    }
};

// The report list. Item order equals the model's row order; lParam is the row id.
class ListViewView : public View {
  public:
    using View::View;
    ~ListViewView() override {
        if (hwnd_ != nullptr && IsWindow(hwnd_))
            RemoveWindowSubclass(hwnd_, &ListViewView::Proc, 1);
    }
    void Create(HWND parent) override {
        CreateChild(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_SHAREIMAGELISTS | Styles(),
                    WS_EX_CLIENTEDGE, parent);
        if (hwnd_ == nullptr) return;
        SetWindowSubclass(hwnd_, &ListViewView::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
        ApplyExtendedStyles();
        OnImageList(List().SmallIcons());
        const ListView& m = List();
        for (int c = 0; c < m.ColumnCount(); ++c)
            InsertColumn(c);
        ShowSortArrow();
        InsertShownRows();
    }
    void Apply(const Change& change) override {
        ListView& m = List();
        Applying a(applying_);
        switch (change.kind) {
            case ChangeKind::Columns:
                if (change.index >= ColumnCountShown()) {
                    InsertColumn(change.index);
                    const std::vector<ListRowId>& rows = m.ShownRows();
                    for (std::size_t p = 0; p < rows.size(); ++p)
                        SetCell(static_cast<int>(p), rows[p], change.index);
                    ShowSortArrow();
                } else {
                    LVCOLUMNW col{};
                    std::wstring caption = Widen(m.Column(change.index).caption);
                    col.mask = LVCF_TEXT | LVCF_WIDTH;
                    col.pszText = caption.data();
                    col.cx = owner_.ToPixels(m.Column(change.index).width);
                    Send(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(change.index),
                         reinterpret_cast<LPARAM>(&col));
                }
                break;
            case ChangeKind::RowInserted:
                InsertRow(change.index, change.row);
                break;
            case ChangeKind::RowRemoved: {
                Send(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(change.index));
                // The list may move its focus to a neighbour; the model says where it is.
                const int shown = static_cast<int>(
                    Send(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
                if (shown >= 0 && RowOf(shown) != m.FocusedRow()) SetState(shown, 0, LVIS_FOCUSED);
                break;
            }
            case ChangeKind::RowText:
                SetCell(m.ShownPositionOf(change.row), change.row, change.column);
                break;
            case ChangeKind::RowIcon: {
                LVITEMW item{};
                item.mask = LVIF_IMAGE;
                item.iItem = m.ShownPositionOf(change.row);
                if (item.iItem < 0) break;
                item.iImage = Image(m.SmallIcon(change.row));
                Send(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
                break;
            }
            case ChangeKind::RowSelection:
                SetState(m.ShownPositionOf(change.row), m.Selected(change.row) ? LVIS_SELECTED : 0,
                         LVIS_SELECTED);
                break;
            case ChangeKind::RowFocus: {
                const int shown = static_cast<int>(
                    Send(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
                if (shown >= 0) SetState(shown, 0, LVIS_FOCUSED);
                if (change.row) SetState(m.ShownPositionOf(change.row), LVIS_FOCUSED, LVIS_FOCUSED);
                break;
            }
            case ChangeKind::RowsCleared:
                Send(hwnd_, LVM_DELETEALLITEMS);
                break;
            case ChangeKind::RowsSorted:
                Send(hwnd_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&m),
                     reinterpret_cast<LPARAM>(&ListViewView::ByModelPosition));
                ShowSortArrow();
                break;
            case ChangeKind::RowsFiltered:
                Send(hwnd_, LVM_DELETEALLITEMS);
                InsertShownRows();
                RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
                break;
            case ChangeKind::BeginUpdate:
                Send(hwnd_, WM_SETREDRAW, FALSE);
                break;
            case ChangeKind::EndUpdate:
                Send(hwnd_, WM_SETREDRAW, TRUE);
                RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                break;
            case ChangeKind::Style: {
                const LONG_PTR kept =
                    GetWindowLongPtrW(hwnd_, GWL_STYLE) &
                    ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
                SetWindowLongPtrW(hwnd_, GWL_STYLE, kept | static_cast<LONG_PTR>(Styles()));
                ApplyExtendedStyles();
                break;
            }
            case ChangeKind::ImageList:
                OnImageList(m.SmallIcons());
                break;
            default:
                View::Apply(change);
        }
    }
    void OnDpiChanged(int oldDpi) override {
        View::OnDpiChanged(oldDpi);
        // Columns keep the width the user gave them, at the new DPI.
        for (int c = 0; c < ColumnCountShown(); ++c) {
            const int width =
                static_cast<int>(Send(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c)));
            Send(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c),
                 MAKELPARAM(ScaleToDpi(width, oldDpi, owner_.Dpi()), 0));
        }
    }
    void OnImageList(const ImageList* changed) override {
        if (changed == nullptr || changed != List().SmallIcons()) return;
        Send(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL,
             reinterpret_cast<LPARAM>(owner_.ImagesFor(changed)));
    }
    bool OnNotify(NMHDR& nm, LRESULT& result) override {
        result = 0;
        if (!Alive()) return true;
        ListView& m = List();
        switch (nm.code) {
            case LVN_ITEMCHANGED: {
                if (applying_) return true;
                const auto& lv = reinterpret_cast<const NMLISTVIEW&>(nm);
                if ((lv.uChanged & LVIF_STATE) == 0) return true;
                if (lv.iItem < 0) {
                    SyncStates();
                    return true;
                }
                const ListRowId row = RowOf(lv.iItem);
                const UINT changed = lv.uOldState ^ lv.uNewState;
                if (changed & LVIS_SELECTED)
                    m.ApplyViewSelection(row, (lv.uNewState & LVIS_SELECTED) != 0);
                if (changed & LVIS_FOCUSED) {
                    if (lv.uNewState & LVIS_FOCUSED) {
                        m.ApplyViewFocus(row);
                    } else if (m.FocusedRow() == row) {
                        m.ApplyViewFocus(ListRowId{});
                    }
                }
                return true;
            }
            case NM_CLICK: {
                const auto& ia = reinterpret_cast<const NMITEMACTIVATE&>(nm);
                const ListRowId row = ia.iItem >= 0 ? RowOf(ia.iItem) : ListRowId{};
                if (row) m.RaiseItemClick(row);
                return true;
            }
            case NM_DBLCLK:
                m.DblClick();
                return true;
            case LVN_COLUMNCLICK:
                m.ClickColumn(reinterpret_cast<const NMLISTVIEW&>(nm).iSubItem);
                return true;
            default:
                return false;
        }
    }
    POINT PopupPoint(ListRowId row) const override {
        RECT r{};
        r.left = LVIR_LABEL;
        const int item = List().ShownPositionOf(row);
        if (item < 0 ||
            !Send(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r)))
            return POINT{0, 0};
        return POINT{r.left, r.bottom};
    }

  private:
    ListView& List() const { return static_cast<ListView&>(*model_); }

    DWORD Styles() const {
        const ListView& m = List();
        DWORD style = 0;
        switch (m.View()) {
            case ListViewMode::Icon:
                style |= LVS_ICON;
                break;
            case ListViewMode::SmallIcon:
                style |= LVS_SMALLICON;
                break;
            case ListViewMode::List:
                style |= LVS_LIST;
                break;
            case ListViewMode::Report:
                style |= LVS_REPORT;
                break;
        }
        if (!m.MultiSelect()) style |= LVS_SINGLESEL;
        if (!m.HideSelection()) style |= LVS_SHOWSELALWAYS;
        return style;
    }
    void ApplyExtendedStyles() {
        const ListView& m = List();
        DWORD ex = LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;
        if (m.FullRowSelect()) ex |= LVS_EX_FULLROWSELECT;
        if (m.GridLines()) ex |= LVS_EX_GRIDLINES;
        Send(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE,
             LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, ex);
    }
    int ColumnCountShown() const {
        const HWND header = reinterpret_cast<HWND>(Send(hwnd_, LVM_GETHEADER));
        return header != nullptr ? static_cast<int>(Send(header, HDM_GETITEMCOUNT)) : 0;
    }
    void InsertColumn(int index) {
        const ListColumn& c = List().Column(index);
        std::wstring caption = Widen(c.caption);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        col.fmt = LVCFMT_LEFT;
        col.pszText = caption.data();
        col.cx = owner_.ToPixels(c.width);
        col.iSubItem = index;
        Send(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
    }
    // The header's arrow on the column the rows were last sorted by.
    void ShowSortArrow() {
        const ListView& m = List();
        const HWND header = reinterpret_cast<HWND>(Send(hwnd_, LVM_GETHEADER));
        if (header == nullptr) return;
        const int count = static_cast<int>(Send(header, HDM_GETITEMCOUNT));
        for (int c = 0; c < count; ++c) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            if (!Send(header, HDM_GETITEMW, static_cast<WPARAM>(c),
                      reinterpret_cast<LPARAM>(&item)))
                continue;
            int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
            if (m.Sorted() && c == m.SortKey())
                format |= m.GetSortOrder() == SortOrder::Ascending ? HDF_SORTUP : HDF_SORTDOWN;
            if (format == item.fmt) continue;
            item.fmt = format;
            Send(header, HDM_SETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        }
    }
    // The items anew: the shown rows, painted once.
    void InsertShownRows() {
        const std::vector<ListRowId>& rows = List().ShownRows();
        Send(hwnd_, WM_SETREDRAW, FALSE);
        for (std::size_t p = 0; p < rows.size(); ++p)
            InsertRow(static_cast<int>(p), rows[p]);
        Send(hwnd_, WM_SETREDRAW, TRUE);
    }
    // A key for the model: true when its handler took it. Enter and Esc, which the
    // dialog manager would turn into the default and cancel buttons, go there
    // when the handler leaves them.
    bool OnKey(UINT msg, WPARAM key) {
        if (!Alive() || !List().onKeyDown) return false;
        if (msg == WM_SYSKEYDOWN && key != VK_F10) return false;  // Alt and a key: the menu's
        if (List().KeyDown(static_cast<int>(key), ShiftState())) return true;
        if (key == VK_RETURN || key == VK_ESCAPE) {
            const HWND root = GetAncestor(hwnd_, GA_ROOT);
            PostMessageW(root, WM_COMMAND, key == VK_RETURN ? IDOK : IDCANCEL, 0);
            return true;
        }
        return false;
    }
    static int Image(int icon) { return icon > 0 ? icon - 1 : I_IMAGENONE; }
    void InsertRow(int position, ListRowId row) {
        const ListView& m = List();
        std::wstring text = Widen(OneLine(m.Text(row, 0)));
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
        item.iItem = position;
        item.pszText = text.data();
        item.iImage = Image(m.SmallIcon(row));
        item.lParam = static_cast<LPARAM>(row.value);
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state =
            (m.Selected(row) ? LVIS_SELECTED : 0) | (m.FocusedRow() == row ? LVIS_FOCUSED : 0);
        Applying a(applying_);
        const int at =
            static_cast<int>(Send(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) return;
        for (int c = 1; c < m.ColumnCount(); ++c)
            SetCell(at, row, c);
    }
    void SetCell(int position, ListRowId row, int column) {
        if (position < 0) return;
        std::wstring text = Widen(OneLine(List().Text(row, column)));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        Send(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(position),
             reinterpret_cast<LPARAM>(&item));
    }
    void SetState(int position, UINT state, UINT mask) {
        if (position < 0) return;
        LVITEMW item{};
        item.state = state;
        item.stateMask = mask;
        Applying a(applying_);
        Send(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(position),
             reinterpret_cast<LPARAM>(&item));
    }
    ListRowId RowOf(int position) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = position;
        if (!Send(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
        return ListRowId{static_cast<std::uint32_t>(item.lParam)};
    }
    // After a change the control reported for all items at once.
    void SyncStates() {
        ListView& m = List();
        const int count = static_cast<int>(Send(hwnd_, LVM_GETITEMCOUNT));
        for (int p = 0; p < count; ++p) {
            const UINT state = static_cast<UINT>(Send(
                hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(p), LVIS_SELECTED | LVIS_FOCUSED));
            const ListRowId row = RowOf(p);
            m.ApplyViewSelection(row, (state & LVIS_SELECTED) != 0);
            if (state & LVIS_FOCUSED) m.ApplyViewFocus(row);
        }
    }
    static int CALLBACK ByModelPosition(LPARAM a, LPARAM b, LPARAM list) {
        const auto& m = *reinterpret_cast<const ListView*>(list);
        return m.PositionOf(ListRowId{static_cast<std::uint32_t>(a)}) -
               m.PositionOf(ListRowId{static_cast<std::uint32_t>(b)});
    }
    ListMouseEvent MouseEvent(MouseButton button, LPARAM lp) const {
        const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        LVHITTESTINFO hit{};
        hit.pt = pt;
        const int item =
            static_cast<int>(Send(hwnd_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        ListMouseEvent e;
        e.button = button;
        e.shift = ShiftState();
        e.x = owner_.ToTwips(pt.x);
        e.y = owner_.ToTwips(pt.y);
        if (item >= 0 && (hit.flags & LVHT_ONITEM) != 0) e.row = RowOf(item);
        return e;
    }
    static MouseButton ButtonOf(UINT msg) {
        switch (msg) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
                return MouseButton::Left;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_RBUTTONDBLCLK:
                return MouseButton::Right;
            default:
                return MouseButton::Middle;
        }
    }
    static int VirtualKey(MouseButton b) {
        return b == MouseButton::Left    ? VK_LBUTTON
               : b == MouseButton::Right ? VK_RBUTTON
                                         : VK_MBUTTON;
    }
    // The list runs its own loop on a button press and swallows the release; the
    // release is reported when the press returns with the button up.
    LRESULT OnMouse(UINT msg, WPARAM wp, LPARAM lp) {
        const MouseButton b = ButtonOf(msg);
        const int slot = b == MouseButton::Left ? 0 : b == MouseButton::Right ? 1 : 2;
        switch (msg) {
            case WM_LBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK: {
                const ListMouseEvent down = MouseEvent(b, lp);
                const bool press = msg != WM_LBUTTONDBLCLK && msg != WM_RBUTTONDBLCLK;
                // A left press goes to the form first; a right press after the list
                // has selected the row under it (the form may show a menu then).
                if (press && b != MouseButton::Right && Alive()) List().MouseDown(down);
                pendingUp_[slot] = true;
                const LRESULT r = DefSubclassProc(hwnd_, msg, wp, lp);
                if (!Alive()) return r;
                if (press && b == MouseButton::Right) List().MouseDown(down);
                // The release is reported now if the list's loop swallowed it; if it is
                // still on its way, it is reported when it comes.
                const UINT upMessage = b == MouseButton::Left    ? WM_LBUTTONUP
                                       : b == MouseButton::Right ? WM_RBUTTONUP
                                                                 : WM_MBUTTONUP;
                MSG queued{};
                const bool upQueued =
                    PeekMessageW(&queued, hwnd_, upMessage, upMessage, PM_NOREMOVE) != 0;
                if (Alive() && pendingUp_[slot] && !upQueued && GetKeyState(VirtualKey(b)) >= 0) {
                    pendingUp_[slot] = false;
                    List().MouseUp(MouseEvent(b, lp));
                }
                return r;
            }
            default: {  // a release
                const LRESULT r = DefSubclassProc(hwnd_, msg, wp, lp);
                if (Alive() && pendingUp_[slot]) {
                    pendingUp_[slot] = false;
                    List().MouseUp(MouseEvent(b, lp));
                }
                return r;
            }
        }
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR data) {
        auto* self = reinterpret_cast<ListViewView*>(data);
        try {
            switch (msg) {
                case WM_LBUTTONDOWN:
                case WM_LBUTTONUP:
                case WM_LBUTTONDBLCLK:
                case WM_RBUTTONDOWN:
                case WM_RBUTTONUP:
                case WM_RBUTTONDBLCLK:
                case WM_MBUTTONDOWN:
                case WM_MBUTTONUP:
                    return self->OnMouse(msg, wp, lp);
                case WM_GETDLGCODE: {
                    // A list whose model answers keys takes Enter and Esc itself.
                    const auto* key = reinterpret_cast<const MSG*>(lp);
                    if (self->Alive() && self->List().onKeyDown && key != nullptr &&
                        key->message == WM_KEYDOWN &&
                        (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
                        return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
                    break;
                }
                case WM_KEYDOWN:
                case WM_SYSKEYDOWN:
                    if (self->OnKey(msg, wp)) return 0;
                    break;
                case WM_CONTEXTMENU:
                    // From the keyboard (no point): its key already went to the model.
                    if (lp == -1 && self->Alive() && self->List().onKeyDown) return 0;
                    break;
                case WM_NCDESTROY:
                    RemoveWindowSubclass(hwnd, &ListViewView::Proc, 1);
                    break;
                default:
                    break;
            }
        } catch (...) {
            return 0;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

    bool pendingUp_[3] = {false, false, false};
};

// ---------------------------------------------------------------------------
// Bars.

class ToolbarView : public View {
  public:
    using View::View;
    ~ToolbarView() override {
        if (tips_ != nullptr) owner_.UnregisterHandle(tips_);
    }
    void Create(HWND parent) override {
        CreateChild(TOOLBARCLASSNAMEW, L"",
                    TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST | CCS_NORESIZE |
                        CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_TRANSPARENT,
                    0, parent);
        if (hwnd_ == nullptr) return;
        Send(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
        Send(hwnd_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
        tips_ = reinterpret_cast<HWND>(Send(hwnd_, TB_GETTOOLTIPS));
        if (tips_ != nullptr) owner_.RegisterHandle(tips_, this);
        OnImageList(Bar().Images());
        for (int i = 0; i < Bar().ButtonCount(); ++i)
            InsertButton(i);
    }
    void Apply(const Change& change) override {
        switch (change.kind) {
            case ChangeKind::ItemInserted:
                InsertButton(change.index);
                break;
            case ChangeKind::ItemChanged:
                UpdateButton(change.index);
                break;
            case ChangeKind::ImageList:
                OnImageList(Bar().Images());
                break;
            default:
                View::Apply(change);
        }
    }
    void OnDpiChanged(int oldDpi) override {
        View::OnDpiChanged(oldDpi);
        Send(hwnd_, TB_AUTOSIZE);
    }
    void OnImageList(const ImageList* changed) override {
        if (changed == nullptr || changed != Bar().Images()) return;
        Send(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(owner_.ImagesFor(changed)));
        Send(hwnd_, TB_AUTOSIZE);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    bool OnCommand(WORD, WORD id) override {
        if (Alive()) Bar().ClickButton(static_cast<int>(id) - kFirstCommand);
        return true;
    }
    bool OnNotify(NMHDR& nm, LRESULT& result) override {
        result = 0;
        if (nm.code != TTN_GETDISPINFOW || !Alive()) return false;
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(nm);
        const int index = static_cast<int>(nm.idFrom) - kFirstCommand;
        if (index < 0 || index >= Bar().ButtonCount()) return true;
        tipText_ = Widen(Bar().Button(index).toolTip);
        info.lpszText = tipText_.data();
        info.hinst = nullptr;
        return true;
    }

  private:
    static constexpr int kFirstCommand = 100;
    Toolbar& Bar() const { return static_cast<Toolbar&>(*model_); }
    void InsertButton(int index) {
        const ToolbarButton& b = Bar().Button(index);
        std::wstring caption = Widen(b.caption);
        TBBUTTON tb{};
        tb.iBitmap = b.image > 0 ? b.image - 1 : I_IMAGENONE;
        tb.idCommand = kFirstCommand + index;
        tb.fsState =
            static_cast<BYTE>((b.enabled ? TBSTATE_ENABLED : 0) | (b.visible ? 0 : TBSTATE_HIDDEN));
        tb.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | (caption.empty() ? 0 : BTNS_SHOWTEXT);
        tb.iString = caption.empty() ? -1 : reinterpret_cast<INT_PTR>(caption.c_str());
        Send(hwnd_, TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tb));
        Send(hwnd_, TB_AUTOSIZE);
    }
    void UpdateButton(int index) {
        const ToolbarButton& b = Bar().Button(index);
        std::wstring caption = Widen(b.caption);
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_STATE | TBIF_IMAGE | TBIF_TEXT;
        info.fsState =
            static_cast<BYTE>((b.enabled ? TBSTATE_ENABLED : 0) | (b.visible ? 0 : TBSTATE_HIDDEN));
        info.iImage = b.image > 0 ? b.image - 1 : I_IMAGENONE;
        info.pszText = caption.data();
        Send(hwnd_, TB_SETBUTTONINFOW, static_cast<WPARAM>(kFirstCommand + index),
             reinterpret_cast<LPARAM>(&info));
    }
    HWND tips_ = nullptr;
    std::wstring tipText_;
};

class StatusBarView : public View {
  public:
    using View::View;
    void Create(HWND parent) override {
        CreateChild(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, parent);
        if (hwnd_ == nullptr) return;
        Layout();
    }
    void Apply(const Change& change) override {
        switch (change.kind) {
            case ChangeKind::ItemInserted:
                Layout();
                break;
            case ChangeKind::ItemChanged:
                SetParts();
                Fill(change.index);
                // Progress texts must show while the program works without pausing.
                UpdateWindow(hwnd_);
                break;
            case ChangeKind::ImageList:
                for (int i = 0; i < Bar().PanelCount(); ++i)
                    Fill(i);
                break;
            case ChangeKind::Bounds:
                Layout();
                break;
            default:
                View::Apply(change);
        }
    }
    void OnImageList(const ImageList* changed) override {
        if (changed != nullptr && changed == Bar().Images())
            for (int i = 0; i < Bar().PanelCount(); ++i)
                Fill(i);
    }
    void OnDpiChanged(int oldDpi) override {
        View::OnDpiChanged(oldDpi);
        Layout();
    }
    void Layout() override {
        if (hwnd_ == nullptr) return;
        Send(hwnd_, WM_SIZE);
        SetParts();
        for (int i = 0; i < Bar().PanelCount(); ++i)
            Fill(i);
    }

  private:
    StatusBar& Bar() const { return static_cast<StatusBar&>(*model_); }
    void SetParts() {
        const StatusBar& m = Bar();
        const int n = m.PanelCount();
        if (n == 0) return;
        RECT rc{};
        GetClientRect(hwnd_, &rc);
        const FormWindow& w = owner_;
        int fixed = 0, springs = 0;
        for (int i = 0; i < n; ++i) {
            if (m.Panel(i).autoSize == PanelAutoSize::Spring) {
                ++springs;
            } else {
                fixed += w.ToPixels(m.Panel(i).width);
            }
        }
        const int grip = w.Metric(SM_CXVSCROLL);
        const int free = std::max(static_cast<int>(rc.right) - grip - fixed, 0);
        std::vector<int> edges;
        int x = 0;
        for (int i = 0; i < n; ++i) {
            const StatusPanel& p = m.Panel(i);
            int width = w.ToPixels(p.width);
            if (p.autoSize == PanelAutoSize::Spring)
                width = std::max(free / springs, w.ToPixels(p.minWidth));
            x += width;
            edges.push_back(i == n - 1 ? -1 : x);
        }
        Send(hwnd_, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
    }
    void Fill(int index) {
        const StatusBar& m = Bar();
        if (index < 0 || index >= m.PanelCount()) return;
        const StatusPanel& p = m.Panel(index);
        Send(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(index),
             reinterpret_cast<LPARAM>(Widen(p.text).c_str()));
        HICON icon = nullptr;
        if (p.image > 0 && m.Images() != nullptr)
            icon = owner_.ArtworkIcon(m.Images()->Key(p.image),
                                      ArtworkIconSize(m.Images()->ImageWidth(), owner_.Dpi()));
        Send(hwnd_, SB_SETICON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(icon));
    }
};

class TabStripView : public View {
  public:
    using View::View;
    ~TabStripView() override {
        if (tips_ != nullptr) owner_.UnregisterHandle(tips_);
    }
    void Create(HWND parent) override {
        CreateChild(WC_TABCONTROLW, L"", WS_TABSTOP | TCS_TOOLTIPS, 0, parent);
        if (hwnd_ == nullptr) return;
        tips_ = reinterpret_cast<HWND>(Send(hwnd_, TCM_GETTOOLTIPS));
        if (tips_ != nullptr) owner_.RegisterHandle(tips_, this);
        for (int i = 0; i < Strip().TabCount(); ++i)
            InsertTab(i);
        Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(Strip().SelectedIndex()));
    }
    void Apply(const Change& change) override {
        switch (change.kind) {
            case ChangeKind::ItemInserted:
                InsertTab(change.index);
                break;
            case ChangeKind::Value:
                Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(Strip().SelectedIndex()));
                break;
            default:
                View::Apply(change);
        }
    }
    bool OnNotify(NMHDR& nm, LRESULT& result) override {
        result = 0;
        if (!Alive()) return true;
        if (nm.code == TCN_SELCHANGE) {
            const int index = static_cast<int>(Send(hwnd_, TCM_GETCURSEL));
            if (!Strip().SelectTab(index) && Alive())
                Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(Strip().SelectedIndex()));
            return true;
        }
        if (nm.code == TTN_GETDISPINFOW) {
            auto& info = reinterpret_cast<NMTTDISPINFOW&>(nm);
            const int index = static_cast<int>(nm.idFrom);
            if (index >= 0 && index < Strip().TabCount()) {
                tipText_ = Widen(Strip().GetTab(index).toolTip);
                info.lpszText = tipText_.data();
            }
            return true;
        }
        return false;
    }

    bool OnMnemonic(wchar_t character) override {
        if (!Alive()) return false;
        for (int i = 0; i < Strip().TabCount(); ++i) {
            const std::wstring caption = Widen(Strip().GetTab(i).caption);
            const auto amp = caption.find(L'&');
            if (amp == std::wstring::npos || amp + 1 >= caption.size()) continue;
            if (CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(caption[amp + 1]))) !=
                CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(character))))
                continue;
            Strip().SelectTab(i);
            if (Alive()) Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(Strip().SelectedIndex()));
            return true;
        }
        return false;
    }

  private:
    TabStrip& Strip() const { return static_cast<TabStrip&>(*model_); }
    void InsertTab(int index) {
        std::wstring caption = Widen(Strip().GetTab(index).caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        Send(hwnd_, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    HWND tips_ = nullptr;
    std::wstring tipText_;
};

// ---------------------------------------------------------------------------
// Controls without a window.

class TimerView : public View {
  public:
    using View::View;
    ~TimerView() override { Stop(); }
    void Create(HWND) override {
        id_ = owner_.NextControlId();
        owner_.RegisterTimer(static_cast<UINT_PTR>(id_), this);
        Arm();
    }
    void Apply(const Change& change) override {
        if (change.kind == ChangeKind::Enabled || change.kind == ChangeKind::Interval) Arm();
    }
    void OnTimer() override {
        if (Alive()) static_cast<Timer&>(*model_).Tick();
    }

  private:
    void Arm() {
        const auto& t = static_cast<const Timer&>(*model_);
        if (t.Running()) {
            // Setting it again restarts the interval, as enabling a timer does.
            SetTimer(owner_.Handle(), static_cast<UINT_PTR>(id_), t.Interval(), nullptr);
        } else {
            Stop();
        }
    }
    void Stop() {
        if (owner_.Handle() != nullptr) KillTimer(owner_.Handle(), static_cast<UINT_PTR>(id_));
    }
};

class ImageListView : public View {
  public:
    using View::View;
    void Create(HWND) override {}
    void Apply(const Change& change) override {
        if (change.kind == ChangeKind::ImageList)
            owner_.ImagesChanged(static_cast<const ImageList*>(model_));
    }
};

class NoView : public View {
  public:
    using View::View;
    void Create(HWND) override {}
    void Apply(const Change&) override {}
};

}  // namespace

std::unique_ptr<View> MakeView(FormWindow& owner, Control& model) {
    Control* m = &model;
    if (dynamic_cast<ListView*>(m)) return std::make_unique<ListViewView>(owner, model);
    if (dynamic_cast<Label*>(m)) return std::make_unique<LabelView>(owner, model);
    if (dynamic_cast<TextBox*>(m)) return std::make_unique<TextBoxView>(owner, model);
    if (dynamic_cast<CommandButton*>(m))
        return std::make_unique<ButtonView>(owner, model, ButtonKind::Command);
    if (dynamic_cast<CheckBox*>(m))
        return std::make_unique<ButtonView>(owner, model, ButtonKind::Check);
    if (dynamic_cast<OptionButton*>(m))
        return std::make_unique<ButtonView>(owner, model, ButtonKind::Option);
    if (dynamic_cast<ComboBox*>(m)) return std::make_unique<ComboView>(owner, model);
    if (dynamic_cast<ListBox*>(m)) return std::make_unique<ListBoxView>(owner, model);
    if (dynamic_cast<Toolbar*>(m)) return std::make_unique<ToolbarView>(owner, model);
    if (dynamic_cast<StatusBar*>(m)) return std::make_unique<StatusBarView>(owner, model);
    if (dynamic_cast<TabStrip*>(m)) return std::make_unique<TabStripView>(owner, model);
    if (dynamic_cast<Frame*>(m)) return std::make_unique<FrameView>(owner, model);
    if (dynamic_cast<PictureBox*>(m)) return std::make_unique<PictureView>(owner, model);
    if (dynamic_cast<Line*>(m)) return std::make_unique<LineView>(owner, model);
    if (dynamic_cast<Timer*>(m)) return std::make_unique<TimerView>(owner, model);
    if (dynamic_cast<ImageList*>(m)) return std::make_unique<ImageListView>(owner, model);
    return std::make_unique<NoView>(owner, model);
}

}  // namespace vtl::ui::win32

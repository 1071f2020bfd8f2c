#include "ui/win32/FormWindow.h"

#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

#include "core/win32/WinString.h"
#include "ui/Bars.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"
#include "ui/win32/Artwork.h"
#include "ui/win32/View.h"
#include "ui/win32/Win32Host.h"

namespace vtl::ui::win32 {

namespace {
using vtl::win32::Widen;

constexpr unsigned kFirstMenuId = 40000;
constexpr UINT kActivateMessage = WM_APP + 1;

struct FrameStyle {
    DWORD style;
    DWORD exStyle;
};

FrameStyle StyleOf(const Form& form) {
    DWORD style = WS_CLIPCHILDREN;
    DWORD ex = WS_EX_CONTROLPARENT;
    switch (form.GetBorderStyle()) {
        case FormBorderStyle::None:
            style |= WS_POPUP;
            break;
        case FormBorderStyle::FixedSingle:
            style |= WS_OVERLAPPED | WS_CAPTION;
            break;
        case FormBorderStyle::Sizable:
            style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
            break;
        case FormBorderStyle::FixedDialog:
            style |= WS_POPUP | WS_CAPTION;
            ex |= WS_EX_DLGMODALFRAME;
            break;
        case FormBorderStyle::FixedToolWindow:
            style |= WS_POPUP | WS_CAPTION;
            ex |= WS_EX_TOOLWINDOW;
            break;
        case FormBorderStyle::SizableToolWindow:
            style |= WS_POPUP | WS_CAPTION | WS_THICKFRAME;
            ex |= WS_EX_TOOLWINDOW;
            break;
    }
    if (form.GetBorderStyle() != FormBorderStyle::None && form.ControlBox()) {
        style |= WS_SYSMENU;
        if (form.MinButton()) style |= WS_MINIMIZEBOX;
        if (form.MaxButton()) style |= WS_MAXIMIZEBOX;
    }
    return {style, ex};
}

std::wstring MenuText(const MenuItem& item) {
    std::wstring text = Widen(item.Caption());
    if (item.ShownKey()) text += L"\t" + Widen(ShortcutText(item.ShownKey()));
    return text;
}

void ForEachMenuItem(const std::vector<MenuItem*>& items, const std::function<void(MenuItem&)>& f) {
    for (MenuItem* m : items) {
        f(*m);
        ForEachMenuItem(m->Items(), f);
    }
}
}  // namespace

FormWindow::FormWindow(Win32Host& host, Form& form) : host_(host), form_(&form), dpi_(SystemDpi()) {
    RegisterClassOnce(L"VtlForm", GetSysColorBrush(COLOR_BTNFACE), CS_DBLCLKS);
    const FrameStyle fs = StyleOf(form);
    Create(L"VtlForm", Widen(form.Caption()), fs.style, fs.exStyle, CW_USEDEFAULT, CW_USEDEFAULT,
           ToPixels(form.Width()), ToPixels(form.Height()), nullptr, nullptr);
    if (Handle() == nullptr) return;
    // The window may have come up on a monitor of another DPI than the system's.
    if (const int dpi = WindowDpi(Handle()); dpi != dpi_) {
        dpi_ = dpi;
        SetWindowPos(Handle(), nullptr, 0, 0, ToPixels(form.Width()), ToPixels(form.Height()),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    font_ = CreateMessageFont(dpi_);
    if (font_ == nullptr) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SetFormIcons();
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateViews(form.Children(), Handle());
    RebuildMenu();
    form.SetObserver(this);
    ForEachMenuItem(form.Menus(), [this](MenuItem& m) { m.SetObserver(this); });
    ReportFrame();
}

FormWindow::~FormWindow() {
    Close();
    views_.clear();
    for (auto& [model, list] : images_)
        ImageList_Destroy(list);
    for (auto& [color, brush] : brushes_)
        DeleteObject(brush);
    DeleteObject(font_);  // harmless for the stock font
}

void FormWindow::CreateViews(const std::vector<Control*>& controls, HWND parent) {
    // Windows go into the tab order by TabIndex; tab strips lie under everything,
    // since the pages placed on them are separate panels.
    std::vector<Control*> ordered(controls);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
        return a->TabIndex() < b->TabIndex();
    });
    HWND previous = HWND_TOP;
    for (Control* c : ordered) {
        std::unique_ptr<View> view = MakeView(*this, *c);
        View* v = view.get();
        views_.push_back(std::move(view));
        byModel_[c] = v;
        v->Create(parent);
        c->SetObserver(this);
        if (v->Handle() != nullptr) {
            if (dynamic_cast<TabStrip*>(c) != nullptr) {
                SetWindowPos(v->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            } else {
                SetWindowPos(v->Handle(), previous, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                previous = v->Handle();
            }
        }
        if (auto* container = dynamic_cast<Container*>(c); container != nullptr && v->ChildParent())
            CreateViews(container->Children(), v->ChildParent());
    }
}

void FormWindow::RegisterHandle(HWND hwnd, View* view) {
    byHandle_[hwnd] = view;
}

void FormWindow::UnregisterHandle(HWND hwnd) {
    byHandle_.erase(hwnd);
}

HIMAGELIST FormWindow::ImagesFor(const ImageList* model) {
    if (model == nullptr) return nullptr;
    auto it = images_.find(model);
    if (it != images_.end()) return it->second;
    const HIMAGELIST list =
        CreateArtworkImageList(*model, ArtworkIconSize(model->ImageWidth(), dpi_),
                               ArtworkIconSize(model->ImageHeight(), dpi_));
    images_[model] = list;
    return list;
}

HICON FormWindow::ArtworkIcon(std::string_view key, int size) {
    if (key.empty()) return nullptr;
    auto [it, added] = icons_.try_emplace({std::string(key), size});
    if (added) it->second = LoadArtworkIcon(key, size, size);
    return it->second.get();
}

void FormWindow::ImagesChanged(const ImageList* model) {
    auto it = images_.find(model);
    HIMAGELIST old = nullptr;
    if (it != images_.end()) {
        old = it->second;
        images_.erase(it);
    }
    for (auto& v : views_)
        v->OnImageList(model);
    if (old != nullptr) ImageList_Destroy(old);
}

bool FormWindow::HandleMnemonic(wchar_t character) {
    for (auto& view : views_) {
        if (view->Handle() != nullptr && IsWindowVisible(view->Handle()) &&
            IsWindowEnabled(view->Handle()) && view->OnMnemonic(character))
            return true;
    }
    return false;
}

void FormWindow::ForgetView(View* view) {
    for (auto it = byHandle_.begin(); it != byHandle_.end();) {
        it = it->second == view ? byHandle_.erase(it) : std::next(it);
    }
    for (auto it = timerViews_.begin(); it != timerViews_.end();) {
        it = it->second == view ? timerViews_.erase(it) : std::next(it);
    }
    for (auto it = byModel_.begin(); it != byModel_.end();) {
        it = it->second == view ? byModel_.erase(it) : std::next(it);
    }
    views_.erase(std::remove_if(views_.begin(), views_.end(),
                                [view](const std::unique_ptr<View>& v) { return v.get() == view; }),
                 views_.end());
}

// --- Changes from the models ---

void FormWindow::OnChanged(UiObject& object, const Change& change) {
    if (form_ == nullptr) return;
    if (&object == form_) {
        ApplyFormChange(change);
        return;
    }
    if (auto* item = dynamic_cast<MenuItem*>(&object)) {
        if (change.kind == ChangeKind::Destroyed) {
            for (auto it = menuIds_.begin(); it != menuIds_.end();) {
                it = it->second == item ? menuIds_.erase(it) : std::next(it);
            }
            return;
        }
        // Enabled and checked items change in place; anything else rebuilds the bar.
        if (change.kind == ChangeKind::Enabled || change.kind == ChangeKind::Checked) {
            for (const auto& [id, m] : menuIds_) {
                if (m != item || menuBar_ == nullptr) continue;
                EnableMenuItem(menuBar_, id,
                               MF_BYCOMMAND | (item->Enabled() ? MF_ENABLED : MF_GRAYED));
                CheckMenuItem(menuBar_, id,
                              MF_BYCOMMAND | (item->Checked() ? MF_CHECKED : MF_UNCHECKED));
                return;
            }
        }
        RebuildMenu();
        return;
    }
    auto it = byModel_.find(&object);
    if (it == byModel_.end()) return;
    View* view = it->second;
    if (change.kind == ChangeKind::Destroyed) {
        view->Detach();
        ForgetView(view);
        return;
    }
    view->Apply(change);
}

void FormWindow::ApplyFormChange(const Change& change) {
    Form& f = *form_;
    switch (change.kind) {
        case ChangeKind::Caption:
            SetWindowTextW(Handle(), Widen(f.Caption()).c_str());
            break;
        case ChangeKind::Bounds: {
            const Form::Bounds& b = f.RequestedBounds();
            WINDOWPLACEMENT wp{};
            wp.length = sizeof(wp);
            GetWindowPlacement(Handle(), &wp);
            const RECT r{ToPixels(b.left), ToPixels(b.top), ToPixels(b.left + b.width),
                         ToPixels(b.top + b.height)};
            if (IsIconic(Handle()) || IsZoomed(Handle())) {
                wp.rcNormalPosition = r;
                SetWindowPlacement(Handle(), &wp);
            } else {
                SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            placed_ = true;
            ReportFrame();
            break;
        }
        case ChangeKind::WindowState: {
            if (!IsWindowVisible(Handle())) {
                // Applied when shown; the model takes it now.
                f.ApplyViewFrame(f.Left(), f.Top(), f.Width(), f.Height(), f.ScaleWidth(),
                                 f.ScaleHeight(), f.RequestedWindowState());
                break;
            }
            const WindowState s = f.RequestedWindowState();
            ShowWindow(Handle(), s == WindowState::Minimized   ? SW_MINIMIZE
                                 : s == WindowState::Maximized ? SW_MAXIMIZE
                                                               : SW_RESTORE);
            ReportFrame();
            break;
        }
        case ChangeKind::Icon:
            SetFormIcons();
            break;
        case ChangeKind::MousePointer:
            SetCursor(LoadCursorW(
                nullptr, f.GetMousePointer() == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
            break;
        case ChangeKind::Repaint:
            RedrawWindow(Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
            break;
        case ChangeKind::Destroyed:
            Close();
            break;
        default:
            break;
    }
}

namespace {

// Appends the visible items of a menu model to a Win32 menu, sub-menus included.
// Each command gets the next id in ids; with accels, its shortcut becomes an
// accelerator.
void AppendMenuItems(HMENU menu, const std::vector<MenuItem*>& items,
                     std::map<unsigned, MenuItem*>& ids, unsigned& next,
                     std::vector<ACCEL>* accels) {
    for (MenuItem* item : items) {
        if (!item->Visible()) continue;
        if (item->IsSeparator()) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT state = (item->Enabled() ? MF_ENABLED : MF_GRAYED) |
                           (item->Checked() ? MF_CHECKED : MF_UNCHECKED);
        if (!item->Items().empty()) {
            HMENU sub = CreatePopupMenu();
            AppendMenuItems(sub, item->Items(), ids, next, accels);
            AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(sub),
                        MenuText(*item).c_str());
            continue;
        }
        const unsigned id = next++;
        ids[id] = item;
        AppendMenuW(menu, MF_STRING | state, id, MenuText(*item).c_str());
        const Shortcut& s = item->GetShortcut();
        if (accels != nullptr && s) {
            ACCEL a{};
            a.fVirt = static_cast<BYTE>(FVIRTKEY | (s.ctrl ? FCONTROL : 0) |
                                        (s.shift ? FSHIFT : 0) | (s.alt ? FALT : 0));
            a.key = s.key;
            a.cmd = static_cast<WORD>(id);
            accels->push_back(a);
        }
    }
}

}  // namespace

void FormWindow::RebuildMenu() {
    if (form_ == nullptr || Handle() == nullptr) return;
    std::map<unsigned, MenuItem*> ids;
    unsigned next = kFirstMenuId;
    std::vector<ACCEL> accels;
    HMENU bar = nullptr;
    const bool anyVisible = std::any_of(form_->Menus().begin(), form_->Menus().end(),
                                        [](const MenuItem* m) { return m->Visible(); });
    if (anyVisible) {
        bar = CreateMenu();
        AppendMenuItems(bar, form_->Menus(), ids, next, &accels);
    }
    HMENU old = menuBar_;
    menuBar_ = bar;
    menuIds_ = std::move(ids);
    SetMenu(Handle(), bar);
    if (old != nullptr) DestroyMenu(old);
    if (accel_ != nullptr) DestroyAcceleratorTable(accel_);
    accel_ = accels.empty()
                 ? nullptr
                 : CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
    DrawMenuBar(Handle());
}

MenuItem* FormWindow::TrackPopup(MenuItem& menu, const PopupPlace* place) {
    HMENU popup = CreatePopupMenu();
    std::map<unsigned, MenuItem*> ids;
    unsigned next = 1;
    AppendMenuItems(popup, menu.Items(), ids, next, nullptr);
    POINT pt{};
    const auto at = place != nullptr ? byModel_.find(place->control) : byModel_.end();
    if (at != byModel_.end() && at->second->Handle() != nullptr) {
        pt = at->second->PopupPoint(place->row);
        ClientToScreen(at->second->Handle(), &pt);
    } else {
        GetCursorPos(&pt);
    }
    SetForegroundWindow(Handle());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                         pt.x, pt.y, Handle(), nullptr));
    DestroyMenu(popup);
    auto it = ids.find(chosen);
    return it != ids.end() ? it->second : nullptr;
}

// --- Frame ---

void FormWindow::ReportFrame() {
    if (form_ == nullptr || Handle() == nullptr) return;
    // A size change can arrive while the last one is being reported (the resize
    // handler moves controls, and Wine may handle window events then): report again
    // afterwards instead of losing it.
    if (reporting_) {
        reportAgain_ = true;
        return;
    }
    struct Reporting {
        bool& flag;
        explicit Reporting(bool& f) : flag(f) { flag = true; }
        ~Reporting() { flag = false; }
        Reporting(const Reporting&) = delete;
        Reporting& operator=(const Reporting&) = delete;
    } reporting(reporting_);  // a failing resize handler must not stop later reports
    int rounds = 0;
    do {
        reportAgain_ = false;
        RECT outer{};
        WindowState state = WindowState::Normal;
        if (IsIconic(Handle())) {
            state = WindowState::Minimized;
            WINDOWPLACEMENT wp{};
            wp.length = sizeof(wp);
            GetWindowPlacement(Handle(), &wp);
            outer = wp.rcNormalPosition;
        } else {
            if (IsZoomed(Handle())) state = WindowState::Maximized;
            GetWindowRect(Handle(), &outer);
        }
        RECT inner{};
        GetClientRect(Handle(), &inner);
        LayoutBars();
        Form& f = *form_;
        const int scaleWidth =
            state == WindowState::Minimized ? f.ScaleWidth() : ToTwips(inner.right);
        const int scaleHeight =
            state == WindowState::Minimized ? f.ScaleHeight() : ToTwips(inner.bottom);
        f.ApplyViewFrame(ToTwips(outer.left), ToTwips(outer.top), ToTwips(outer.right - outer.left),
                         ToTwips(outer.bottom - outer.top), scaleWidth, scaleHeight, state);
    } while (reportAgain_ && form_ != nullptr && ++rounds < 8);
}

void FormWindow::LayoutBars() {
    for (auto& v : views_)
        v->Layout();
}

void FormWindow::PlaceFirstTime() {
    if (placed_ || form_ == nullptr) return;
    placed_ = true;
    const Form& f = *form_;
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT area{};
    HWND owner = GetWindow(Handle(), GW_OWNER);
    switch (f.GetStartUpPosition()) {
        case StartUpPosition::Manual:
            SetWindowPos(Handle(), nullptr, ToPixels(f.Left()), ToPixels(f.Top()), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        case StartUpPosition::CenterOwner:
            if (owner != nullptr && IsWindowVisible(owner)) {
                GetWindowRect(owner, &area);
                break;
            }
            [[fallthrough]];
        case StartUpPosition::CenterScreen:
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
            break;
        case StartUpPosition::Default:
            return;
    }
    SetWindowPos(Handle(), nullptr, area.left + ((area.right - area.left) - w) / 2,
                 area.top + ((area.bottom - area.top) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::SetFormIcons() {
    if (form_ == nullptr || form_->Icon().empty()) return;
    SendMessageW(Handle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(ArtworkIcon(form_->Icon(), Metric(SM_CXICON))));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(ArtworkIcon(form_->Icon(), Metric(SM_CXSMICON))));
}

void FormWindow::ChangeDpi(int dpi, const RECT* suggested) {
    if (form_ == nullptr || Handle() == nullptr || dpi <= 0) return;
    const int old = dpi_;
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    if (suggested != nullptr) {
        frame = *suggested;
    } else {
        frame.right = frame.left + ScaleToDpi(frame.right - frame.left, old, dpi);
        frame.bottom = frame.top + ScaleToDpi(frame.bottom - frame.top, old, dpi);
    }
    if (dpi != old) {
        dpi_ = dpi;
        const HFONT oldFont = font_;
        font_ = CreateMessageFont(dpi);
        if (font_ == nullptr) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        for (auto& v : views_)
            v->OnDpiChanged(old);
        // Every image list again, in the size for the new DPI, to each of its users.
        std::vector<const ImageList*> lists;
        for (const auto& [model, list] : images_)
            lists.push_back(model);
        for (const ImageList* model : lists)
            ImagesChanged(model);
        SetFormIcons();
        if (oldFont != font_) DeleteObject(oldFont);
    }
    SetWindowPos(Handle(), nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ReportFrame();
    RedrawWindow(Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void FormWindow::SetOwner(HWND owner) noexcept {
    if (Handle() != nullptr)
        SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void FormWindow::ShowNow() {
    if (Handle() == nullptr || form_ == nullptr) return;
    PlaceFirstTime();
    const WindowState s = form_->RequestedWindowState();
    if (!IsWindowVisible(Handle())) {
        ShowWindow(Handle(), s == WindowState::Minimized   ? SW_SHOWMINIMIZED
                             : s == WindowState::Maximized ? SW_SHOWMAXIMIZED
                                                           : SW_SHOWNORMAL);
    }
    if (form_ == nullptr) return;
    SetForegroundWindow(Handle());
    BringWindowToTop(Handle());
    if (Control* c = form_->FocusRequest()) {
        auto it = byModel_.find(c);
        if (it != byModel_.end() && it->second->Handle() != nullptr) SetFocus(it->second->Handle());
    }
    ReportFrame();
    UpdateWindow(Handle());
}

void FormWindow::HideNow() {
    if (Handle() != nullptr) ShowWindow(Handle(), SW_HIDE);
}

void FormWindow::Close() {
    if (form_ != nullptr) {
        form_->SetObserver(nullptr);
        ForEachMenuItem(form_->Menus(), [](MenuItem& m) { m.SetObserver(nullptr); });
        for (auto& v : views_) {
            if (Control* c = &v->Model(); byModel_.count(c) != 0) c->SetObserver(nullptr);
            v->Detach();
        }
        byModel_.clear();
        form_ = nullptr;
    }
    for (const auto& [id, view] : timerViews_) {
        if (Handle() != nullptr) KillTimer(Handle(), id);
    }
    timerViews_.clear();
    if (accel_ != nullptr) {
        DestroyAcceleratorTable(accel_);
        accel_ = nullptr;
    }
    DestroyHandle();
    menuBar_ = nullptr;  // destroyed with the window
    menuIds_.clear();
    tooltip_ = nullptr;
}

// --- Messages ---

CommandButton* FormWindow::FindButton(bool wantDefault) const {
    if (form_ == nullptr) return nullptr;
    for (Control* c : form_->AllControls()) {
        auto* b = dynamic_cast<CommandButton*>(c);
        if (b != nullptr && (wantDefault ? b->Default() : b->Cancel())) return b;
    }
    return nullptr;
}

LRESULT FormWindow::OnCommand(WPARAM wp, LPARAM lp) {
    const WORD id = LOWORD(wp);
    const WORD code = HIWORD(wp);
    const auto source = reinterpret_cast<HWND>(lp);
    if (source != nullptr) {
        auto it = byHandle_.find(source);
        if (it != byHandle_.end()) {
            it->second->OnCommand(code, id);
            return 0;
        }
    }
    if (id == IDOK || id == IDCANCEL) {
        // Enter and Esc, as the dialog manager reports them.
        if (CommandButton* b = FindButton(id == IDOK)) b->Click();
        return 0;
    }
    auto m = menuIds_.find(id);
    if (m != menuIds_.end()) m->second->Click();
    return 0;
}

LRESULT FormWindow::OnNotify(LPARAM lp, bool& handled) {
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    auto it = byHandle_.find(nm->hwndFrom);
    LRESULT result = 0;
    handled = it != byHandle_.end() && it->second->OnNotify(*nm, result);
    return result;
}

HBRUSH FormWindow::BrushFor(HWND control, HDC dc) {
    auto it = byHandle_.find(control);
    if (it == byHandle_.end() || form_ == nullptr) return nullptr;
    const std::optional<Color> color = it->second->Model().BackColor();
    if (!color) return nullptr;
    COLORREF rgb;
    if ((*color & 0x80000000u) != 0) {
        rgb = GetSysColor(static_cast<int>(*color & 0xFF));
    } else {
        rgb = static_cast<COLORREF>(*color & 0xFFFFFF);
    }
    SetBkColor(dc, rgb);
    auto b = brushes_.find(rgb);
    if (b != brushes_.end()) return b->second;
    HBRUSH brush = CreateSolidBrush(rgb);
    brushes_[rgb] = brush;
    return brush;
}

LRESULT FormWindow::RouteFromPanel(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    if (form_ == nullptr) return 0;
    switch (msg) {
        case WM_COMMAND:
            handled = true;
            return OnCommand(wp, lp);
        case WM_NOTIFY:
            return OnNotify(lp, handled);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            HBRUSH b = BrushFor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp));
            handled = b != nullptr;
            return reinterpret_cast<LRESULT>(b);
        }
        default:
            return 0;
    }
}

LRESULT FormWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (form_ == nullptr) return Default(msg, wp, lp);
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: {
            bool handled = false;
            const LRESULT r = RouteFromPanel(msg, wp, lp, handled);
            if (handled) return r;
            break;
        }
        case WM_SIZE:
        case WM_MOVE:
            ReportFrame();
            return 0;
        case WM_NCCREATE:
            EnableNonClientScaling(Handle());
            break;
        case WM_DPICHANGED:
            ChangeDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_CLOSE:
            form_->Unload(UnloadMode::ControlMenu);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) {
                // Activate runs after the message that activated the window.
                PostMessageW(Handle(), kActivateMessage, 0, 0);
            }
            break;
        case kActivateMessage:
            if (GetActiveWindow() == Handle() && IsWindowVisible(Handle()))
                host_.OnActivated(*form_);
            return 0;
        case WM_TIMER: {
            auto it = timerViews_.find(static_cast<UINT_PTR>(wp));
            if (it != timerViews_.end()) it->second->OnTimer();
            return 0;
        }
        case WM_SETCURSOR:
            if (form_->GetMousePointer() == MousePointer::Hourglass) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case DM_GETDEFID: {
            CommandButton* b = FindButton(true);
            if (b == nullptr) break;
            auto it = byModel_.find(b);
            if (it == byModel_.end() || it->second->Handle() == nullptr) break;
            return MAKELRESULT(GetDlgCtrlID(it->second->Handle()), DC_HASDEFID);
        }
        default:
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace vtl::ui::win32

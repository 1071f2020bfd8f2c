#include "ui/win32/Win32Host.h"

#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Prompter.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Win32Prompter.h"

namespace vtl::ui::win32 {

namespace {
using vtl::win32::Narrow;
using vtl::win32::UniqueRegKey;
using vtl::win32::Widen;

std::wstring SettingsKey(std::string_view app, std::string_view section) {
    return L"Software\\" + Widen(app) + L"\\" + Widen(section);
}
}  // namespace

Win32Host::Win32Host(std::string appTitle, std::unique_ptr<Prompter> prompter)
    : appTitle_(std::move(appTitle)), prompter_(std::move(prompter)) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&icc);
    if (!prompter_) prompter_ = std::make_unique<Win32Prompter>(*this);
    postWindow_ = std::make_unique<PostWindow>(*this);
}

Win32Host::~Win32Host() {
    postWindow_.reset();
    for (auto& [form, window] : windows_)
        window->Close();
    windows_.clear();
    graveyard_.clear();
}

FormWindow* Win32Host::WindowOf(const Form* form) const noexcept {
    if (form == nullptr) return nullptr;
    auto it = windows_.find(form);
    return it != windows_.end() ? it->second.get() : nullptr;
}

HWND Win32Host::ActiveWindowHandle() const noexcept {
    const HWND active = GetActiveWindow();
    if (active != nullptr) return active;
    FormWindow* w = WindowOf(active_);
    return w != nullptr ? w->Handle() : nullptr;
}

void Win32Host::Wake() noexcept {
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

// --- Message loop ---

void Win32Host::Dispatch(MSG& msg) {
    const HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    for (const auto& [form, window] : windows_) {
        if (window->Handle() == nullptr || window->Handle() != root) continue;
        if (window->Accelerators() != nullptr &&
            TranslateAcceleratorW(root, window->Accelerators(), &msg))
            return;
        if (msg.message == WM_SYSCHAR && window->HandleMnemonic(static_cast<wchar_t>(msg.wParam)))
            return;
        if (IsDialogMessageW(root, &msg)) return;
        break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32Host::CollectGarbage() {
    if (Window::DispatchDepth() == 0) graveyard_.clear();
}

void Win32Host::DoEvents() {
    MSG msg{};
    while (!quit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit_ = true;
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        Dispatch(msg);
    }
    CollectGarbage();
}

int Win32Host::Run(Form* main) {
    while (!ending_ && !quit_) {
        if (main != nullptr && !main->Loaded()) break;
        if (open_.empty()) break;
        MSG msg{};
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit_ = true;
            exitCode_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
            break;
        }
        Dispatch(msg);
        CollectGarbage();
    }
    // What is still open goes without unload events.
    for (auto& [form, window] : windows_) {
        window->Close();
        graveyard_.push_back(std::move(window));
    }
    windows_.clear();
    active_ = nullptr;
    CollectGarbage();
    return exitCode_;
}

// --- Forms ---

void Win32Host::FormLoaded(Form& form) {
    open_.push_back(&form);
    windows_[&form] = std::make_unique<FormWindow>(*this, form);
}

void Win32Host::ShowForm(Form& form, Form* owner) {
    FormWindow* w = WindowOf(&form);
    if (w == nullptr) return;
    if (owner != nullptr) {
        if (FormWindow* o = WindowOf(owner)) w->SetOwner(o->Handle());
    }
    w->ShowNow();
}

void Win32Host::ShowFormModal(Form& form, Form* owner) {
    FormWindow* w = WindowOf(&form);
    if (w == nullptr) return;
    FormWindow* ownerWindow = WindowOf(owner != nullptr ? owner : active_);
    const HWND ownerHandle = ownerWindow != nullptr ? ownerWindow->Handle() : nullptr;
    w->SetOwner(ownerHandle);
    // Every other window of the program waits while the modal form is up.
    ModalSession session{&form, {}};
    for (const auto& [f, window] : windows_) {
        const HWND h = window->Handle();
        if (f != &form && h != nullptr && IsWindowEnabled(h) && IsWindowVisible(h)) {
            EnableWindow(h, FALSE);
            session.disabled.push_back(h);
        }
    }
    modal_.push_back(std::move(session));
    w->ShowNow();
    while (form.Loaded() && form.Visible() && !ending_ && !quit_) {
        MSG msg{};
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit_ = true;
            exitCode_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
            PostQuitMessage(exitCode_);
            break;
        }
        Dispatch(msg);
        CollectGarbage();
    }
    EndModalSession(form);
    if (ownerHandle != nullptr && IsWindow(ownerHandle) && IsWindowVisible(ownerHandle))
        SetForegroundWindow(ownerHandle);
}

void Win32Host::EndModalSession(Form& form) {
    auto it = std::find_if(modal_.begin(), modal_.end(),
                           [&](const ModalSession& s) { return s.form == &form; });
    if (it == modal_.end()) return;
    for (HWND h : it->disabled) {
        if (IsWindow(h)) EnableWindow(h, TRUE);
    }
    modal_.erase(it);
}

void Win32Host::HideForm(Form& form) {
    // The owner comes back before the modal window goes, so it keeps the activation.
    EndModalSession(form);
    if (FormWindow* w = WindowOf(&form)) w->HideNow();
    if (active_ == &form) active_ = nullptr;
    Wake();
}

void Win32Host::FormUnloaded(Form& form) {
    EndModalSession(form);
    open_.erase(std::remove(open_.begin(), open_.end(), &form), open_.end());
    if (active_ == &form) active_ = nullptr;
    auto it = windows_.find(&form);
    if (it != windows_.end()) {
        std::unique_ptr<FormWindow> window = std::move(it->second);
        windows_.erase(it);
        window->Close();
        graveyard_.push_back(std::move(window));
    }
    Wake();
}

void Win32Host::OnActivated(Form& form) {
    if (active_ == &form) return;
    Form* previous = active_;
    active_ = &form;
    if (previous != nullptr && previous->Loaded()) previous->RaiseDeactivate();
    if (active_ == &form && form.Loaded()) form.RaiseActivate();
}

void Win32Host::PopupMenu(Form& form, MenuItem& menu, const PopupPlace* place) {
    FormWindow* w = WindowOf(&form);
    if (w == nullptr) return;
    if (MenuItem* chosen = w->TrackPopup(menu, place)) chosen->Click();
}

bool Win32Host::SetClipboardText(std::string_view text) {
    const std::wstring wide = Widen(text);
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    if (void* data = GlobalLock(memory)) {
        std::memcpy(data, wide.c_str(), bytes);
        GlobalUnlock(memory);
    }
    // Another program may hold the clipboard for a moment (a reader, a clipboard
    // manager): a few tries before the user is told.
    FormWindow* owner = WindowOf(active_);
    bool open = false;
    for (int attempt = 0; attempt < 10 && !open; ++attempt) {
        if (attempt > 0) Sleep(20);
        open = OpenClipboard(owner != nullptr ? owner->Handle() : nullptr) != FALSE;
    }
    if (!open) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it took it.
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(memory);
    return taken;
}

void Win32Host::EndProgram() {
    ending_ = true;
    for (ModalSession& s : modal_) {
        for (HWND h : s.disabled) {
            if (IsWindow(h)) EnableWindow(h, TRUE);
        }
    }
    modal_.clear();
    for (const auto& [form, window] : windows_)
        window->HideNow();
    Wake();
}

// --- Settings ---

void Win32Host::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view value) {
    UniqueRegKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, k.put(),
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring data = Widen(value);
    RegSetValueExW(k.get(), Widen(key).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::string> Win32Host::GetSetting(std::string_view app, std::string_view section,
                                                 std::string_view key) const {
    UniqueRegKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      k.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Widen(key);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(bytes / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0')
        data.pop_back();
    return Narrow(data);
}

// --- Tasks posted from other threads ---

// A message-only window: its message reaches the thread's message loop and every
// modal loop on the way, which a thread message would not.
class Win32Host::PostWindow final : public Window {
  public:
    static constexpr UINT kRunPosted = WM_APP + 0x56;
    explicit PostWindow(Win32Host& host) : host_(host) {
        RegisterClassOnce(L"VtlPostWindow", nullptr);
        Create(L"VtlPostWindow", L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != kRunPosted) return Default(msg, wp, lp);
        host_.RunPosted();
        return 0;
    }

  private:
    Win32Host& host_;
};

void Win32Host::Post(std::function<void()> task) {
    const std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(task));
    // One message at a time runs one task: other messages get their turn between
    // two tasks. A message that could not be posted is tried again next time.
    if (!postPending_)
        postPending_ = PostMessageW(postWindow_->Handle(), PostWindow::kRunPosted, 0, 0) != FALSE;
}

void Win32Host::RunPosted() {
    std::function<void()> task;
    {
        const std::lock_guard lock(postMutex_);
        postPending_ = false;
        if (posted_.empty()) return;
        task = std::move(posted_.front());
        posted_.pop_front();
        // Posted before the task runs, so a modal loop inside it runs the next.
        if (!posted_.empty())
            postPending_ =
                PostMessageW(postWindow_->Handle(), PostWindow::kRunPosted, 0, 0) != FALSE;
    }
    try {
        task();
    } catch (...) {
        // A failing task ends quietly, as an event handler does.
    }
}

}  // namespace vtl::ui::win32

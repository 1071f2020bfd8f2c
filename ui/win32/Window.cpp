#include "ui/win32/Window.h"

#include <exception>

namespace vtl::ui::win32 {

namespace {
thread_local int t_depth = 0;

class DepthScope {
  public:
    DepthScope() noexcept { ++t_depth; }
    ~DepthScope() { --t_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};
}  // namespace

int Window::DispatchDepth() noexcept {
    return t_depth;
}

Window::~Window() {
    DestroyHandle();
}

Window* Window::FromHandle(HWND hwnd) noexcept {
    return hwnd != nullptr ? reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))
                           : nullptr;
}

void Window::RegisterClassOnce(const wchar_t* className, HBRUSH background, UINT style) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &Window::Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, L"ART_APPICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"ART_APPICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    RegisterClassExW(&wc);
}

bool Window::Create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    CreateWindowExW(exStyle, className, title.c_str(), style, x, y, width, height, parent, menuOrId,
                    GetModuleHandleW(nullptr), this);
    return hwnd_ != nullptr;
}

void Window::DestroyHandle() noexcept {
    if (hwnd_ != nullptr) {
        const HWND hwnd = hwnd_;
        DestroyWindow(hwnd);  // WM_NCDESTROY clears hwnd_
        hwnd_ = nullptr;
    }
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return Default(msg, wp, lp);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = FromHandle(hwnd);
    }
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    const DepthScope depth;
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wp, lp);
    } catch (const std::exception&) {
        // A failing handler ends quietly, as the program's handlers do.
        result = 0;
    } catch (...) {
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

}  // namespace vtl::ui::win32

#include "ui/win32/Dpi.h"

namespace vtl::ui::win32 {

namespace {

// A module's export of that name, or nullptr where this Windows lacks it. Function
// pointers go through void (*)(), which converts to any other without a warning.
template <class Fn>
Fn ExportOf(HMODULE module, const char* name) noexcept {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
template <class Fn>
Fn UserExport(const char* name) noexcept {
    return ExportOf<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using EnableNonClientDpiScalingFn = BOOL(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// Windows 8.1 knows a monitor's DPI (shcore.dll, kept loaded for the program's
// life) but not yet a window's.
GetDpiForMonitorFn MonitorDpiCall() noexcept {
    return ExportOf<GetDpiForMonitorFn>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
}

int DeviceDpi() noexcept {
    int dpi = kDesignDpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int SystemDpi() noexcept {
    static const auto getDpiForSystem = UserExport<GetDpiForSystemFn>("GetDpiForSystem");
    if (getDpiForSystem != nullptr) {
        const UINT dpi = getDpiForSystem();
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return DeviceDpi();
}

int WindowDpi(HWND window) noexcept {
    static const auto getDpiForWindow = UserExport<GetDpiForWindowFn>("GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    } else if (window != nullptr) {
        static const auto getDpiForMonitor = MonitorDpiCall();
        UINT x = 0, y = 0;
        if (getDpiForMonitor != nullptr &&
            getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x,
                             &y) == S_OK &&
            x > 0)
            return static_cast<int>(x);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) noexcept {
    static const auto forDpi = UserExport<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) return forDpi(index, static_cast<UINT>(dpi));
    return ScaleToDpi(GetSystemMetrics(index), SystemDpi(), dpi);
}

HFONT CreateMessageFont(int dpi) noexcept {
    static const auto forDpi =
        UserExport<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    HFONT font = nullptr;
    if (forDpi != nullptr &&
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0, static_cast<UINT>(dpi))) {
        font = CreateFontIndirectW(&ncm.lfMessageFont);
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
        // The system's answer is at the system DPI.
        ncm.lfMessageFont.lfHeight = ScaleToDpi(ncm.lfMessageFont.lfHeight, SystemDpi(), dpi);
        font = CreateFontIndirectW(&ncm.lfMessageFont);
    }
    return font;
}

void EnableNonClientScaling(HWND window) noexcept {
    static const auto enable = UserExport<EnableNonClientDpiScalingFn>("EnableNonClientDpiScaling");
    if (enable != nullptr) enable(window);
}

}  // namespace vtl::ui::win32

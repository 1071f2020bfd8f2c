#pragma once
// Dots per inch of a window. Every window converts twips and 96-DPI design sizes
// at its own DPI, which under per-monitor awareness is its monitor's and changes
// when the window moves to another monitor (WM_DPICHANGED).
//
// The arithmetic is plain C++. The calls that Windows 7 lacks (GetDpiForWindow,
// GetDpiForSystem, GetSystemMetricsForDpi, SystemParametersInfoForDpi,
// EnableNonClientDpiScaling; GetDpiForMonitor of Windows 8.1) are looked up at run
// time; without them everything falls back to the system DPI, which on Windows 7
// is the DPI of every window.

#include <cstdint>

#include "core/win32/Windows.h"

namespace vtl::ui::win32 {

inline constexpr int kTwipsPerInch = 1440;
// The DPI at which design sizes in pixels (icons, paddings) are given.
inline constexpr int kDesignDpi = 96;

// value * numerator / denominator, rounded half away from zero as MulDiv rounds,
// without overflow; 0 for a denominator of 0.
[[nodiscard]] constexpr int MulDivRounded(int value, int numerator, int denominator) noexcept {
    if (denominator == 0) return 0;
    std::int64_t n = static_cast<std::int64_t>(value) * numerator;
    std::int64_t d = denominator;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    return static_cast<int>(n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d));
}

[[nodiscard]] constexpr int TwipsToPixels(int twips, int dpi) noexcept {
    return MulDivRounded(twips, dpi, kTwipsPerInch);
}
[[nodiscard]] constexpr int PixelsToTwips(int pixels, int dpi) noexcept {
    return MulDivRounded(pixels, kTwipsPerInch, dpi);
}
// A size in pixels at one DPI, at another: design sizes, widths the user chose.
[[nodiscard]] constexpr int ScaleToDpi(int pixels, int fromDpi, int toDpi) noexcept {
    return MulDivRounded(pixels, toDpi, fromDpi);
}

// The sizes every icon of the artwork is drawn in (ui/win32/res/artgen.cpp).
inline constexpr int kArtworkSizes[] = {16, 20, 24, 32};

// The artwork size for an image of designSize pixels at 96 DPI shown at dpi: the
// largest drawn size that fits the scaled size, so an icon is never stretched
// (16 gives 16 at 96 DPI, 20 at 120, 24 at 144, 32 at 192), and never less than
// the smallest drawn size.
[[nodiscard]] constexpr int ArtworkIconSize(int designSize, int dpi) noexcept {
    const int wanted = ScaleToDpi(designSize, kDesignDpi, dpi);
    int best = kArtworkSizes[0];
    for (int size : kArtworkSizes) {
        if (size <= wanted) best = size;
    }
    return best;
}

// --- The system's answers, with fallbacks where a call is missing ---

// The DPI of the system (the primary monitor's when the program started).
[[nodiscard]] int SystemDpi() noexcept;
// The DPI of a window (its monitor's under per-monitor awareness).
[[nodiscard]] int WindowDpi(HWND window) noexcept;
// GetSystemMetrics at a DPI.
[[nodiscard]] int SystemMetricForDpi(int index, int dpi) noexcept;
// A new font of the system's message font at a DPI; the caller owns it.
[[nodiscard]] HFONT CreateMessageFont(int dpi) noexcept;
// Lets Windows scale a top-level window's frame and menu bar with its DPI where
// the process is only per-monitor aware (v1); call it during WM_NCCREATE.
void EnableNonClientScaling(HWND window) noexcept;

}  // namespace vtl::ui::win32

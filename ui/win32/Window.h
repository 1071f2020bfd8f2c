#pragma once
// The one small base of our window classes: it registers the class, stores `this`
// at creation, forwards messages to HandleMessage, and owns the HWND. No exception
// leaves a window procedure: one that reaches it ends that message's handling.

#include <string>

#include "core/win32/Windows.h"

namespace vtl::ui::win32 {

class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
    // The Window object of an HWND created by this base, or nullptr.
    [[nodiscard]] static Window* FromHandle(HWND hwnd) noexcept;
    // How many of our window procedures are running on this thread: objects whose
    // window was destroyed while handling a message are freed only at depth 0.
    [[nodiscard]] static int DispatchDepth() noexcept;

  protected:
    // Registers the class once per process (class name, background brush, cursor).
    static void RegisterClassOnce(const wchar_t* className, HBRUSH background, UINT style = 0);
    bool Create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                int x, int y, int width, int height, HWND parent, HMENU menuOrId);
    void DestroyHandle() noexcept;
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

}  // namespace vtl::ui::win32

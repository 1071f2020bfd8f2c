#pragma once
// Drives a running program's windows from outside, as a test would through the
// screen: finds windows, reads list views and status bars of another process (with
// buffers allocated in that process), presses keys, clicks toolbar buttons, chooses
// menu items, answers message boxes, moves and closes windows, waits with timeouts,
// and saves screenshots as PNG files.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"

namespace vtl::guitest {

// A program started for a test; it is ended when the object goes, if still running.
class Process {
  public:
    // commandLine: the program's path (quoted as needed) and its arguments.
    [[nodiscard]] static std::optional<Process> Start(const std::wstring& commandLine);
    Process(Process&&) noexcept = default;
    Process& operator=(Process&&) noexcept = default;
    ~Process();

    [[nodiscard]] DWORD Id() const noexcept { return id_; }
    [[nodiscard]] bool WaitForExit(DWORD timeoutMs) const;
    [[nodiscard]] std::optional<DWORD> ExitCode() const;
    void Terminate() const;

  private:
    Process() = default;
    vtl::win32::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// Polls condition until it holds or timeoutMs passed; true if it held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 25);

// The full path of a file beside the running test program.
[[nodiscard]] std::wstring BesideThisProgram(std::wstring_view fileName);

// --- Windows ---
[[nodiscard]] std::wstring ClassName(HWND hwnd);
// The window's text, read across processes (WM_GETTEXT).
[[nodiscard]] std::wstring Text(HWND hwnd);
// A visible top-level window of process (0: any) with that class and title (empty:
// any), or nullptr.
[[nodiscard]] HWND FindTopWindow(DWORD processId, std::wstring_view className,
                                 std::wstring_view title = {});
[[nodiscard]] HWND WaitForTopWindow(DWORD processId, std::wstring_view className,
                                    std::wstring_view title, DWORD timeoutMs);
// Descendants of parent with that class (empty: any), depth first in z order.
[[nodiscard]] std::vector<HWND> Descendants(HWND parent, std::wstring_view className = {});
// The n-th descendant of that class, or nullptr.
[[nodiscard]] HWND FindChild(HWND parent, std::wstring_view className, int n = 0);
// The window of a descendant whose text is text (buttons, labels).
[[nodiscard]] HWND FindChildByText(HWND parent, std::wstring_view className,
                                   std::wstring_view text);
[[nodiscard]] RECT WindowRect(HWND hwnd);
[[nodiscard]] RECT ClientRect(HWND hwnd);

// --- Controls of another process ---
using Rows = std::vector<std::vector<std::wstring>>;
// Every row and sub-item of a report list view.
[[nodiscard]] Rows ReadListView(HWND listView);
[[nodiscard]] std::vector<std::wstring> ReadListViewColumns(HWND listView);
[[nodiscard]] int ListViewCount(HWND listView);
[[nodiscard]] std::vector<int> ListViewSelection(HWND listView);
// Selects one row (and focuses it), as a click does, through the list's messages.
bool SelectListViewRow(HWND listView, int row);
// A row's bounds in the list's client area (empty if there is no such row).
[[nodiscard]] RECT ListViewItemRect(HWND listView, int row);
[[nodiscard]] std::vector<std::wstring> ReadStatusBar(HWND statusBar);
struct ToolbarButtonInfo {
    int command = 0;
    bool enabled = false;
    std::wstring text;
};
[[nodiscard]] std::vector<ToolbarButtonInfo> ReadToolbar(HWND toolbar);
// Items of a combo box or list box; selected gets the combo's selected index (-1
// none), if given.
[[nodiscard]] std::vector<std::wstring> ReadComboBox(HWND combo, int* selected = nullptr);
[[nodiscard]] std::vector<std::wstring> ReadListBox(HWND list);
// Picks an item as the user does: the selection changes and the owner is told.
bool SelectComboItem(HWND combo, int index);
// Clicks a tab of a tab control (a press and release in its middle).
bool ClickTab(HWND tabControl, int index);
// Replaces an edit box's text as typing does (the owner is told of the change).
bool TypeIntoEdit(HWND edit, std::wstring_view text);
// Presses the button: the toolbar's owner gets its command, as from a click.
bool ClickToolbarButton(HWND toolbar, int index);
bool ClickButton(HWND button);

// --- Input ---
// Posts a key press and release to the window that has the keyboard focus in
// window's thread (or to window itself).
bool PressKey(HWND window, UINT virtualKey);
// Clicks a row (press and release in its first column): it is selected and the
// list takes the focus. The double click adds a double click and a release.
bool ClickListViewRow(HWND listView, int row);
bool DoubleClickListViewRow(HWND listView, int row);
// Presses a key with modifiers held (VK_CONTROL, VK_SHIFT) as the keyboard does,
// into the focused control of window's program, brought to the foreground.
bool PressKeyChord(HWND window, std::initializer_list<WORD> modifiers, WORD key);
// Chooses a menu item of window's menu bar by its captions with their access keys
// ("&View|&Refresh"). Where this process can read the menu (Windows) the item's
// command is posted, and false means no such enabled item; where it cannot (Wine
// keeps menus in their process) the access keys are pressed instead.
bool ChooseMenuItem(HWND window, std::wstring_view path);

// --- Windows of another process ---
// A message box (#32770 with the text control 65535) of process, or nullptr.
[[nodiscard]] HWND FindMessageBox(DWORD processId);
[[nodiscard]] std::wstring MessageBoxText(HWND box);
bool AnswerMessageBox(HWND box, int buttonId);
bool MoveWindowTo(HWND window, int x, int y, int width, int height);
// Asks the window to close (WM_CLOSE), as its close box does.
bool CloseTopWindow(HWND window);

// --- Wine ---
// Under Xvfb there is no window manager, and Wine waits up to 2 s for one each time
// a window is hidden or closed. Makes program (a file name such as
// L"vtl_ui_demo.exe"; empty: this program) create unmanaged windows, which need no
// window manager, from its next start on (Wine's per-program setting, so other
// programs of the prefix keep their managed windows).
void UseUnmanagedWindows(std::wstring_view program = {});

// --- Pictures ---
// Saves the screen (or a window's part of it) as a 24-bit PNG file.
bool SaveScreenshot(const std::filesystem::path& file, HWND window = nullptr);

}  // namespace vtl::guitest

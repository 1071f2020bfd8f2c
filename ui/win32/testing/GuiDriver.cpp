#include "ui/win32/testing/GuiDriver.h"

#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>

#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>

namespace vtl::guitest {

namespace {
using vtl::win32::UniqueKernelHandle;

// Memory in another process, for messages whose arguments point to buffers.
class RemoteMemory {
  public:
    RemoteMemory(HWND window, std::size_t bytes) : bytes_(bytes) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_.reset(OpenProcess(
            PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
            FALSE, pid));
        if (process_)
            address_ = VirtualAllocEx(process_.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_ != nullptr) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    explicit operator bool() const noexcept { return address_ != nullptr; }
    [[nodiscard]] char* At(std::size_t offset) const noexcept {
        return static_cast<char*>(address_) + offset;
    }
    bool Write(std::size_t offset, const void* data, std::size_t n) const {
        SIZE_T done = 0;
        return offset + n <= bytes_ &&
               WriteProcessMemory(process_.get(), At(offset), data, n, &done) && done == n;
    }
    bool Read(std::size_t offset, void* data, std::size_t n) const {
        SIZE_T done = 0;
        return offset + n <= bytes_ &&
               ReadProcessMemory(process_.get(), At(offset), data, n, &done) && done == n;
    }
    std::wstring ReadText(std::size_t offset, std::size_t maxChars) const {
        std::wstring text(maxChars, L'\0');
        if (!Read(offset, text.data(), maxChars * sizeof(wchar_t))) return {};
        text.resize(wcsnlen(text.c_str(), maxChars));
        return text;
    }
    // Sends msg with a pointer to offset at and reads the text the control wrote at
    // textAt (empty if it wrote none).
    std::wstring SendForText(HWND to, UINT msg, WPARAM wp, std::size_t at, std::size_t textAt,
                             std::size_t maxChars) const {
        const wchar_t nul = L'\0';
        Write(textAt, &nul, sizeof(nul));
        SendMessageW(to, msg, wp, reinterpret_cast<LPARAM>(At(at)));
        return ReadText(textAt, maxChars);
    }

  private:
    UniqueKernelHandle process_;
    void* address_ = nullptr;
    std::size_t bytes_;
};

constexpr std::size_t kTextChars = 2048;

std::wstring StripMenuText(std::wstring_view caption) {
    std::wstring out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'\t') break;
        if (caption[i] == L'&') {
            if (i + 1 < caption.size() && caption[i + 1] == L'&') out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    while (!out.empty() && out.back() == L' ')
        out.pop_back();
    return out;
}

// Visible top-level windows of a process (0: any) with that class (empty: any), in
// z order.
std::vector<HWND> TopWindows(DWORD processId, std::wstring_view className) {
    struct Search {
        DWORD pid;
        std::wstring_view cls;
        std::vector<HWND> found;
    } s{processId, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if ((s.pid == 0 || pid == s.pid) && IsWindowVisible(hwnd) &&
                (s.cls.empty() || ClassName(hwnd) == s.cls))
                s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The RECT a message writes into the buffer it is given (which holds in first).
std::optional<RECT> AskForRect(HWND window, UINT msg, WPARAM wp, const RECT& in = {}) {
    RemoteMemory mem(window, sizeof(RECT));
    RECT r = in;
    if (!mem || !mem.Write(0, &r, sizeof(r)) ||
        !SendMessageW(window, msg, wp, reinterpret_cast<LPARAM>(mem.At(0))) ||
        !mem.Read(0, &r, sizeof(r)))
        return std::nullopt;
    return r;
}

// A point in a row's first column, in the list's client area (0 if none).
LPARAM RowPoint(HWND listView, int row) {
    const std::optional<RECT> r =
        AskForRect(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), RECT{LVIR_LABEL, 0, 0, 0});
    return r ? MAKELPARAM(r->left + 8, (r->top + r->bottom) / 2) : 0;
}

HWND ListHeader(HWND listView) {
    return reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
}

int HeaderCount(HWND header) {
    return header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// The access key of each caption of a path ("&View|&Refresh" -> v, r).
std::optional<std::wstring> AccessKeys(std::wstring_view path) {
    std::wstring keys;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = path.find(L'|', start);
        const std::wstring_view name =
            path.substr(start, bar == std::wstring_view::npos ? bar : bar - start);
        wchar_t key = 0;
        for (std::size_t i = 0; i + 1 < name.size(); ++i) {
            if (name[i] == L'&' && name[i + 1] != L'&') {
                key = static_cast<wchar_t>(towlower(name[i + 1]));
                break;
            }
            if (name[i] == L'&') ++i;
        }
        if (key == 0) return std::nullopt;
        keys += key;
        if (bar == std::wstring_view::npos) return keys;
        start = bar + 1;
    }
}

// Item texts: the system copies these messages' strings across processes itself.
std::vector<std::wstring> ReadItems(HWND control, UINT countMsg, UINT lengthMsg, UINT textMsg) {
    std::vector<std::wstring> items;
    const int n = static_cast<int>(SendMessageW(control, countMsg, 0, 0));
    for (int i = 0; i < n; ++i) {
        const auto length = SendMessageW(control, lengthMsg, static_cast<WPARAM>(i), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied = SendMessageW(control, textMsg, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
        items.push_back(std::move(text));
    }
    return items;
}

// A left press and release at a point of window's client area (0: none, false).
bool PressAndRelease(HWND window, LPARAM at) {
    return at != 0 && PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
           PostMessageW(window, WM_LBUTTONUP, 0, at);
}

// This program's full path.
std::wstring ThisProgram() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

}  // namespace

// --- Process ---

std::optional<Process> Process::Start(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return std::nullopt;
    CloseHandle(pi.hThread);
    Process p;
    p.process_.reset(pi.hProcess);
    p.id_ = pi.dwProcessId;
    return p;
}

Process::~Process() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) Terminate();
}

bool Process::WaitForExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_.get(), &code) || code == STILL_ACTIVE)
        return std::nullopt;
    return code;
}

void Process::Terminate() const {
    if (process_) {
        TerminateProcess(process_.get(), 255);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

std::wstring BesideThisProgram(std::wstring_view fileName) {
    const std::wstring path = ThisProgram();
    const std::size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash + 1) + std::wstring(fileName);
}

// --- Windows ---

std::wstring ClassName(HWND hwnd) {
    std::wstring name(256, L'\0');
    name.resize(static_cast<std::size_t>(std::max(GetClassNameW(hwnd, name.data(), 256), 0)));
    return name;
}

std::wstring Text(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(copied);
    return text;
}

HWND FindTopWindow(DWORD processId, std::wstring_view className, std::wstring_view title) {
    for (HWND hwnd : TopWindows(processId, className))
        if (title.empty() || Text(hwnd) == title) return hwnd;
    return nullptr;
}

HWND WaitForTopWindow(DWORD processId, std::wstring_view className, std::wstring_view title,
                      DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(processId, className, title)) != nullptr; },
            timeoutMs);
    return found;
}

std::vector<HWND> Descendants(HWND parent, std::wstring_view className) {
    std::vector<HWND> out;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (className.empty() || ClassName(child) == className) out.push_back(child);
        const std::vector<HWND> below = Descendants(child, className);
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

HWND FindChild(HWND parent, std::wstring_view className, int n) {
    const std::vector<HWND> all = Descendants(parent, className);
    return n >= 0 && n < static_cast<int>(all.size()) ? all[n] : nullptr;
}

HWND FindChildByText(HWND parent, std::wstring_view className, std::wstring_view text) {
    for (HWND h : Descendants(parent, className)) {
        if (Text(h) == text) return h;
    }
    return nullptr;
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

// --- Controls of another process ---

int ListViewCount(HWND listView) {
    return static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<std::wstring> ReadListViewColumns(HWND listView) {
    std::vector<std::wstring> columns;
    const HWND header = ListHeader(listView);
    RemoteMemory mem(listView, sizeof(HDITEMW) + kTextChars * sizeof(wchar_t));
    for (int c = 0, n = HeaderCount(header); mem && c < n; ++c) {
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(mem.At(sizeof(HDITEMW)));
        item.cchTextMax = static_cast<int>(kTextChars);
        mem.Write(0, &item, sizeof(item));
        columns.push_back(mem.SendForText(header, HDM_GETITEMW, static_cast<WPARAM>(c), 0,
                                          sizeof(HDITEMW), kTextChars));
    }
    return columns;
}

Rows ReadListView(HWND listView) {
    Rows rows;
    const int columns = std::max(HeaderCount(ListHeader(listView)), 1);
    RemoteMemory mem(listView, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    for (int i = 0, count = ListViewCount(listView); mem && i < count; ++i) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) {
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = reinterpret_cast<wchar_t*>(mem.At(sizeof(LVITEMW)));
            item.cchTextMax = static_cast<int>(kTextChars);
            mem.Write(0, &item, sizeof(item));
            const auto n = static_cast<std::size_t>(
                SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(mem.At(0))));
            row.push_back(mem.ReadText(sizeof(LVITEMW), std::min(n, kTextChars)));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<int> ListViewSelection(HWND listView) {
    std::vector<int> selected;
    int i = -1;
    while ((i = static_cast<int>(SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                              LVNI_SELECTED))) >= 0)
        selected.push_back(i);
    return selected;
}

RECT ListViewItemRect(HWND listView, int row) {
    return AskForRect(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      RECT{LVIR_BOUNDS, 0, 0, 0})
        .value_or(RECT{});
}

bool SelectListViewRow(HWND listView, int row) {
    RemoteMemory mem(listView, sizeof(LVITEMW));
    if (!mem) return false;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    mem.Write(0, &item, sizeof(item));
    SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(mem.At(0)));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    mem.Write(0, &item, sizeof(item));
    return SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(mem.At(0))) != 0;
}

std::vector<std::wstring> ReadStatusBar(HWND statusBar) {
    std::vector<std::wstring> texts;
    const int parts = static_cast<int>(SendMessageW(statusBar, SB_GETPARTS, 0, 0));
    RemoteMemory mem(statusBar, kTextChars * sizeof(wchar_t));
    for (int i = 0; mem && i < parts; ++i) {
        const auto length = static_cast<std::size_t>(
            LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0)));
        texts.push_back(mem.SendForText(statusBar, SB_GETTEXTW, static_cast<WPARAM>(i), 0, 0,
                                        std::min(length + 1, kTextChars)));
    }
    return texts;
}

std::vector<ToolbarButtonInfo> ReadToolbar(HWND toolbar) {
    std::vector<ToolbarButtonInfo> buttons;
    const int n = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    RemoteMemory mem(toolbar, sizeof(TBBUTTON) + kTextChars * sizeof(wchar_t));
    for (int i = 0; mem && i < n; ++i) {
        if (!SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(mem.At(0))))
            continue;
        TBBUTTON tb{};
        mem.Read(0, &tb, sizeof(tb));
        ToolbarButtonInfo info;
        info.command = tb.idCommand;
        info.enabled = (SendMessageW(toolbar, TB_GETSTATE, static_cast<WPARAM>(tb.idCommand), 0) &
                        TBSTATE_ENABLED) != 0;
        info.text = mem.SendForText(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(tb.idCommand),
                                    sizeof(TBBUTTON), sizeof(TBBUTTON), kTextChars);
        buttons.push_back(std::move(info));
    }
    return buttons;
}

std::vector<std::wstring> ReadComboBox(HWND combo, int* selected) {
    if (selected != nullptr) *selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return ReadItems(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::wstring> ReadListBox(HWND list) {
    return ReadItems(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

bool SelectComboItem(HWND combo, int index) {
    if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) return false;
    return PostMessageW(GetParent(combo), WM_COMMAND,
                        MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo)) != 0;
}

bool ClickTab(HWND tabControl, int index) {
    const std::optional<RECT> rect =
        AskForRect(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index));
    if (!rect) return false;
    return PressAndRelease(
        tabControl, MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2));
}

bool TypeIntoEdit(HWND edit, std::wstring_view text) {
    // EM_REPLACESEL's string is copied across processes by the system.
    const std::wstring copy(text);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(copy.c_str()));
    return true;
}

bool ClickToolbarButton(HWND toolbar, int index) {
    const std::vector<ToolbarButtonInfo> buttons = ReadToolbar(toolbar);
    if (index < 0 || index >= static_cast<int>(buttons.size()) || !buttons[index].enabled)
        return false;
    return PostMessageW(GetParent(toolbar), WM_COMMAND,
                        MAKEWPARAM(buttons[index].command, BN_CLICKED),
                        reinterpret_cast<LPARAM>(toolbar)) != 0;
}

bool ClickButton(HWND button) {
    return button != nullptr && IsWindowEnabled(button) &&
           PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

// --- Input ---

bool PressKey(HWND window, UINT virtualKey) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = window;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) target = info.hwndFocus;
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (1LL << 30) | (1LL << 31);
    return PostMessageW(target, WM_KEYDOWN, virtualKey, down) &&
           PostMessageW(target, WM_KEYUP, virtualKey, up);
}

bool ClickListViewRow(HWND listView, int row) {
    return PressAndRelease(listView, RowPoint(listView, row));
}

bool DoubleClickListViewRow(HWND listView, int row) {
    const LPARAM at = RowPoint(listView, row);
    return ClickListViewRow(listView, row) &&
           PostMessageW(listView, WM_LBUTTONDBLCLK, MK_LBUTTON, at) &&
           PostMessageW(listView, WM_LBUTTONUP, 0, at);
}

bool PressKeyChord(HWND window, std::initializer_list<WORD> modifiers, WORD key) {
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD m : modifiers)
        add(m, false);
    add(key, false);
    add(key, true);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
        add(*m, true);
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

bool ChooseMenuItem(HWND window, std::wstring_view path) {
    HMENU menu = GetMenu(window);
    if (menu != nullptr && GetMenuItemCount(menu) > 0) {
        // Menus this process can read (Windows): the item's command, as a click sends it.
        std::wstring_view rest = path;
        while (menu != nullptr) {
            const std::size_t bar = rest.find(L'|');
            const std::wstring_view name = rest.substr(0, bar);
            const int n = GetMenuItemCount(menu);
            int found = -1;
            for (int i = 0; i < n && found < 0; ++i) {
                std::wstring caption(512, L'\0');
                caption.resize(static_cast<std::size_t>(std::max(
                    GetMenuStringW(menu, static_cast<UINT>(i), caption.data(), 512, MF_BYPOSITION),
                    0)));
                if (StripMenuText(caption) == StripMenuText(name)) found = i;
            }
            if (found < 0 || (GetMenuState(menu, static_cast<UINT>(found), MF_BYPOSITION) &
                              (MF_GRAYED | MF_DISABLED)) != 0)
                return false;
            if (bar == std::wstring_view::npos) {
                const UINT id = GetMenuItemID(menu, found);
                if (id == static_cast<UINT>(-1)) return false;
                return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0;
            }
            menu = GetSubMenu(menu, found);
            rest = rest.substr(bar + 1);
        }
        return false;
    }
    // Wine keeps a menu inside its process: open the bar with the first access key
    // and pick the rest as the keyboard does.
    const std::optional<std::wstring> keys = AccessKeys(path);
    if (!keys || !IsWindow(window)) return false;
    if (!PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, (*keys)[0])) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    for (std::size_t i = 1; i < keys->size(); ++i) {
        // A key typed before its menu is open would go to the menu above it.
        const bool open = WaitFor([&] { return TopWindows(pid, L"#32768").size() >= i; }, 5000);
        if (!open || !PostMessageW(window, WM_CHAR, (*keys)[i], 1)) return false;
    }
    return true;
}

// --- Windows of another process ---

HWND FindMessageBox(DWORD processId) {
    for (HWND hwnd : TopWindows(processId, L"#32770"))
        if (GetDlgItem(hwnd, 0xFFFF) != nullptr) return hwnd;
    return nullptr;
}

std::wstring MessageBoxText(HWND box) {
    const HWND text = GetDlgItem(box, 0xFFFF);
    return text != nullptr ? Text(text) : std::wstring();
}

bool AnswerMessageBox(HWND box, int buttonId) {
    const HWND button = GetDlgItem(box, buttonId);
    return button != nullptr && PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool MoveWindowTo(HWND window, int x, int y, int width, int height) {
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

bool CloseTopWindow(HWND window) {
    return PostMessageW(window, WM_CLOSE, 0, 0) != 0;
}

// --- Wine ---

void UseUnmanagedWindows(std::wstring_view program) {
    std::wstring name(program);
    if (name.empty()) name = ThisProgram().substr(ThisProgram().find_last_of(L"\\/") + 1);
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name + L"\\X11 Driver";
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t no[] = L"N";
    RegSetValueExW(handle, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof(no));
    RegCloseKey(handle);
}

// --- Pictures ---

namespace {
std::uint32_t Crc(const std::uint8_t* data, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& data) {
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc(png.data() + start, png.size() - start) ^ 0xFFFFFFFFu);
}

// A PNG of rows of RGB bytes, stored without compression (deflate's stored blocks).
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto* row = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        raw.insert(raw.end(), row, row + static_cast<std::size_t>(width) * 3);
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        const bool last = pos + n >= raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
        if (last) break;
    }
    PutBig32(z, (b << 16) | a);
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutBig32(ihdr, static_cast<std::uint32_t>(width));
    PutBig32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}
}  // namespace

bool SaveScreenshot(const std::filesystem::path& file, HWND window) {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr) GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib != nullptr && mem != nullptr) {
        const HGDIOBJ old = SelectObject(mem, dib);
        ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(mem, old);
        if (ok) {
            std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
            const auto* px = static_cast<const std::uint8_t*>(bits);
            for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
                rgb[i * 3] = px[i * 4 + 2];
                rgb[i * 3 + 1] = px[i * 4 + 1];
                rgb[i * 3 + 2] = px[i * 4];
            }
            const std::vector<std::uint8_t> png = EncodePng(w, h, rgb);
            std::error_code ec;
            std::filesystem::create_directories(file.parent_path(), ec);
            std::ofstream out(file, std::ios::binary);
            out.write(reinterpret_cast<const char*>(png.data()),
                      static_cast<std::streamsize>(png.size()));
            ok = static_cast<bool>(out);
        }
    }
    if (dib != nullptr) DeleteObject(dib);
    if (mem != nullptr) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace vtl::guitest

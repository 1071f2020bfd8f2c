#include "ui/win32/Win32Prompter.h"

#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "core/win32/WinString.h"
#include "ui/Form.h"
#include "ui/LineBreaks.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Win32Host.h"

namespace vtl::ui::win32 {

namespace {
using vtl::win32::Narrow;
using vtl::win32::Widen;

// Frees a shell item list.
struct ItemList {
    PIDLIST_ABSOLUTE pidl = nullptr;
    ItemList() = default;
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    ~ItemList() {
        if (pidl != nullptr) CoTaskMemFree(pidl);
    }
};

struct ComputerBrowse {
    std::optional<std::string> typed;
    std::wstring invalidNote;
};

// Watches the dialog's OK: a name typed into its edit box is taken when it is a
// plain computer name, refused with a note otherwise. The shell's own validation
// (BFFM_VALIDATEFAILED) does the same where it exists; this also covers shells that
// return only the selected tree item (Wine).
LRESULT CALLBACK ComputerDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) {
    try {
        auto* state = reinterpret_cast<ComputerBrowse*>(data);
        if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
            const HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
            if (edit != nullptr && IsWindowVisible(edit)) {
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(static_cast<std::size_t>(
                    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                if (!text.empty()) {
                    state->typed = PlainComputerName(Narrow(text));
                    if (!state->typed) {
                        MessageBoxW(dialog, state->invalidNote.c_str(), nullptr,
                                    MB_OK | MB_ICONEXCLAMATION);
                        return 0;
                    }
                }
            }
        } else if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(dialog, &ComputerDialogProc, 1);
        }
    } catch (...) {
        return 0;
    }
    return DefSubclassProc(dialog, msg, wp, lp);
}

// A shell that offers no edit box for a typed name (Wine's shows only "My Network
// Places" and hides OK) gets one above its tree, and its OK back.
void AddNameBox(HWND dialog) {
    HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    const HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    if ((edit == nullptr || !IsWindowVisible(edit)) && tree != nullptr) {
        RECT r{};
        GetWindowRect(tree, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
        HDC dc = GetDC(dialog);
        const HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
        const int dpi = WindowDpi(dialog);
        const int h = tm.tmHeight + ScaleToDpi(8, kDesignDpi, dpi);
        const int gap = ScaleToDpi(6, kDesignDpi, dpi);
        SetWindowPos(tree, nullptr, r.left, r.top + h + gap, r.right - r.left,
                     std::max(static_cast<int>(r.bottom - r.top) - h - gap, h), SWP_NOZORDER);
        edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, r.left, r.top,
                               r.right - r.left, h, dialog, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
        if (edit != nullptr) {
            SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Computer name"));
            // Tab goes from the box to the tree below it: the box comes first.
            const HWND beforeTree = GetWindow(tree, GW_HWNDPREV);
            SetWindowPos(edit, beforeTree != nullptr ? beforeTree : HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE);
            SetFocus(edit);
        }
    }
    const HWND ok = GetDlgItem(dialog, IDOK);
    if (ok != nullptr) {
        ShowWindow(ok, SW_SHOW);
        EnableWindow(ok, TRUE);
    }
}

int CALLBACK ComputerCallback(HWND dialog, UINT msg, LPARAM lp, LPARAM data) {
    try {
        auto* state = reinterpret_cast<ComputerBrowse*>(data);
        switch (msg) {
            case BFFM_INITIALIZED:
                SetWindowSubclass(dialog, &ComputerDialogProc, 1, static_cast<DWORD_PTR>(data));
                AddNameBox(dialog);
                SendMessageW(dialog, BFFM_ENABLEOK, 0, TRUE);
                return 0;
            case BFFM_SELCHANGED:
                // With nothing to pick on the network, OK must still take a typed name.
                SendMessageW(dialog, BFFM_ENABLEOK, 0, TRUE);
                return 0;
            case BFFM_VALIDATEFAILEDW: {
                const auto* text = reinterpret_cast<const wchar_t*>(lp);
                state->typed = PlainComputerName(Narrow(text != nullptr ? text : L""));
                if (state->typed) return 0;  // close the dialog with this name
                MessageBoxW(dialog, state->invalidNote.c_str(), nullptr,
                            MB_OK | MB_ICONEXCLAMATION);
                return 1;  // keep it open
            }
            default:
                return 0;
        }
    } catch (...) {
        return 0;
    }
}

std::wstring FilterString(std::string_view filter) {
    // "Text|*.txt|All|*.*" -> "Text\0*.txt\0All\0*.*\0\0"
    std::wstring out = Widen(filter);
    for (wchar_t& c : out) {
        if (c == L'|') c = L'\0';
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}
}  // namespace

std::optional<std::string> PlainComputerName(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\0'))
        --e;
    text = text.substr(b, e - b);
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    while (!text.empty() && text.front() == '\\')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 255) return std::nullopt;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
            case ',':
            case ' ':
                return std::nullopt;
            default:
                break;
        }
    }
    return std::string(text);
}

Win32Prompter::~Win32Prompter() {
    if (oleInitialized_) OleUninitialize();
}

void Win32Prompter::EnsureOle() {
    if (!oleInitialized_) oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
}

HWND Win32Prompter::OwnerOf(const Form* owner) const {
    if (owner != nullptr) {
        if (FormWindow* w = host_.WindowOf(owner)) return w->Handle();
    }
    return host_.ActiveWindowHandle();
}

MsgResult Win32Prompter::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                std::string_view title) {
    const std::wstring wtext = Widen(ToCrLf(text));
    const std::wstring wtitle = Widen(title.empty() ? std::string_view(host_.AppTitle()) : title);
    const HWND owner = host_.ActiveWindowHandle();
    UINT flags = static_cast<UINT>(buttons) | static_cast<UINT>(icon);
    if (owner == nullptr) flags |= MB_TASKMODAL;
    const int r = MessageBoxW(owner, wtext.c_str(), wtitle.c_str(), flags);
    return r == 0 ? MsgResult::Cancel : static_cast<MsgResult>(r);
}

std::optional<std::string> Win32Prompter::BrowseForComputer(const Form* owner,
                                                            std::string_view title) {
    EnsureOle();
    ItemList root;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &root.pidl))) root.pidl = nullptr;
    ComputerBrowse state;
    state.invalidNote = L"Type the name of a computer, without backslashes.";
    std::wstring display(MAX_PATH + 1, L'\0');
    const std::wstring wtitle = Widen(title);
    BROWSEINFOW bi{};
    bi.hwndOwner = OwnerOf(owner);
    bi.pidlRoot = root.pidl;
    bi.pszDisplayName = display.data();
    bi.lpszTitle = wtitle.c_str();
    bi.ulFlags = BIF_BROWSEFORCOMPUTER | BIF_EDITBOX | BIF_VALIDATE;
    bi.lpfn = &ComputerCallback;
    bi.lParam = reinterpret_cast<LPARAM>(&state);
    ItemList chosen;
    chosen.pidl = SHBrowseForFolderW(&bi);
    if (chosen.pidl == nullptr && !state.typed) return std::nullopt;  // cancelled
    if (state.typed) return state.typed;
    display.resize(wcsnlen(display.c_str(), display.size()));
    return PlainComputerName(Narrow(display));
}

std::optional<std::string> Win32Prompter::BrowseForFolder(const Form* owner,
                                                          const FolderRequest& request) {
    EnsureOle();
    ItemList root;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(request.root), &root.pidl)))
        root.pidl = nullptr;
    std::wstring display(MAX_PATH + 1, L'\0');
    const std::wstring wtitle = Widen(request.title);
    BROWSEINFOW bi{};
    bi.hwndOwner = OwnerOf(owner);
    bi.pidlRoot = root.pidl;
    bi.pszDisplayName = display.data();
    bi.lpszTitle = wtitle.c_str();
    bi.ulFlags = request.onlyFileSystemFolders ? BIF_RETURNONLYFSDIRS : 0;
    ItemList chosen;
    chosen.pidl = SHBrowseForFolderW(&bi);
    if (chosen.pidl == nullptr) return std::nullopt;
    std::wstring path(32768, L'\0');
    if (!SHGetPathFromIDListEx(chosen.pidl, path.data(), static_cast<DWORD>(path.size()),
                               GPFIDL_DEFAULT))
        return std::nullopt;
    path.resize(wcsnlen(path.c_str(), path.size()));
    return Narrow(path);
}

namespace {
// The common dialog's buffers and shared fields for both file dialogs.
struct FileDialog {
    std::wstring filter, title, initialDir, defaultExt, file;
    OPENFILENAMEW ofn{};
    FileDialog(HWND owner, std::string_view filterText, std::string_view titleText,
               std::string_view dir, std::string_view fileName, std::string_view ext)
        : filter(FilterString(filterText)),
          title(Widen(titleText)),
          initialDir(Widen(dir)),
          defaultExt(Widen(ext)),
          file(Widen(fileName)) {
        file.resize(32768, L'\0');
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filterText.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
        ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
        ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    }
    std::string Chosen() {
        file.resize(wcsnlen(file.c_str(), file.size()));
        return Narrow(file);
    }
};
}  // namespace

std::optional<std::string> Win32Prompter::OpenFile(const Form* owner,
                                                   const OpenFileRequest& request) {
    FileDialog dialog(OwnerOf(owner), request.filter, request.title, request.initialDir,
                      request.fileName, {});
    dialog.ofn.Flags |= (request.fileMustExist ? OFN_FILEMUSTEXIST : 0) |
                        (request.pathMustExist ? OFN_PATHMUSTEXIST : 0);
    if (!GetOpenFileNameW(&dialog.ofn)) return std::nullopt;
    return dialog.Chosen();
}

std::optional<std::string> Win32Prompter::SaveFile(const Form* owner,
                                                   const SaveFileRequest& request) {
    FileDialog dialog(OwnerOf(owner), request.filter, request.title, request.initialDir,
                      request.fileName, request.defaultExt);
    dialog.ofn.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameW(&dialog.ofn)) return std::nullopt;
    return dialog.Chosen();
}

bool Win32Prompter::ShowHelp(const Form* owner, std::string_view helpFile, std::uint32_t command) {
    std::wstring path = Widen(helpFile);
    // A file named without a folder lies beside the program.
    if (path.find_first_of(L"\\/:") == std::wstring::npos) {
        std::wstring exe(32768, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        exe.resize(n);
        const std::size_t slash = exe.find_last_of(L"\\/");
        if (slash != std::wstring::npos) path = exe.substr(0, slash + 1) + path;
    }
    const HWND h = OwnerOf(owner);
    if (WinHelpW(h, path.c_str(), command, 0)) return true;
    const std::wstring text = L"No help viewer could open " + Widen(helpFile) + L".";
    MessageBoxW(h, text.c_str(), Widen(host_.AppTitle()).c_str(), MB_OK | MB_ICONINFORMATION);
    return false;
}

}  // namespace vtl::ui::win32

// Vantrel.exe as a user starts it, under Xvfb and Wine, read and driven from
// another process through window messages: its list against the service
// manager, a service started elsewhere, F5, resizing, closing and the settings
// it writes. VantrelSim.exe shows the simulated network in the same windows.
// Screenshots go to build/windows/artifacts/.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/ServiceRow.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/win32/testing/DirectServices.h"
#include "main/win32/testing/GuiTestService.h"
#include "main/win32/testing/VantrelGui.h"
#include "ui/win32/testing/GuiDriver.h"

#include <commctrl.h>

namespace vtl::guitest {
namespace {

using vtl::win32::Narrow;
using vtl::win32::UniqueKernelHandle;
using vtl::win32::UniqueScHandle;
using vtl::win32::Widen;

constexpr DWORD kTimeout = kGuiTimeout;
// Two ticks of the periodic refresh and some room for Wine.
constexpr DWORD kTickWait = 6000;

// The settings the program wrote, "-" for one it did not.
std::vector<std::wstring> Settings(std::initializer_list<const wchar_t*> names) {
    std::vector<std::wstring> values;
    for (const wchar_t* name : names) {
        std::wstring value(256, L'\0');
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        const bool read =
            RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantrel\\Settings", name, RRF_RT_REG_SZ,
                         nullptr, value.data(), &bytes) == ERROR_SUCCESS;
        value.resize(read ? bytes / sizeof(wchar_t) - 1 : 0);
        values.push_back(read ? value : L"-");
    }
    return values;
}

// The image index (0-based) of a row of another process's list view.
int RowImage(HWND listView, int row) {
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    const UniqueKernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return -2;
    void* remote =
        VirtualAllocEx(process.get(), nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr) return -2;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    int image = -2;
    SIZE_T done = 0;
    if (WriteProcessMemory(process.get(), remote, &item, sizeof item, &done) &&
        SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process.get(), remote, &item, sizeof item, &done))
        image = item.iImage;
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return image;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class MainWindowGui : public VantrelGui {
  protected:
    std::wstring StatusOf(const std::string& name) { return Cell(name, kColStatus); }
    std::wstring Count() { return ReadStatusBar(status)[4]; }
    // The message box the program shows next, or nullptr after the timeout.
    HWND NextMessageBox() {
        HWND box = nullptr;
        WaitFor([&] { return (box = FindMessageBox(program->Id())) != nullptr; }, kTimeout);
        return box;
    }
    // A picture of the window (the screen by default) once it has painted.
    void Shot(const char* file, HWND window = nullptr) {
        Sleep(500);
        SaveScreenshot(kArtifacts / file, window);
    }
    // Ends the program by File > Exit or by closing its window, and waits for it.
    void Exit(bool byMenu) {
        ASSERT_TRUE(byMenu ? ChooseMenuItem(form, L"&File|E&xit") : CloseTopWindow(form));
        EXPECT_TRUE(program->WaitForExit(kTimeout));
        program.reset();
    }
    bool SelectOnly(int row) {
        return ClickListViewRow(list, row) &&
               WaitFor([&] { return ListViewSelection(list) == std::vector<int>{row}; }, kTimeout);
    }
};

TEST_F(MainWindowGui, ListsFollowsRefreshesResizesAndWritesItsSettingsOnClose) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel");
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    win32::testing::GuiTestService watched(L"VtlGuiWatch_" + pid);
    ASSERT_TRUE(watched);
    Launch(L"Vantrel.exe");

    // The frame: columns, legend, count.
    EXPECT_EQ(ReadListViewColumns(list),
              (std::vector<std::wstring>{L"Service Name", L"Display Name", L"Status",
                                         L"Startup Type", L"Logon As"}));
    EXPECT_EQ(ReadStatusBar(status),
              (std::vector<std::wstring>{L"Done", L"Running", L"Manual Stopped",
                                         L"Auto Stopped/Disabled", Count()}));
    EXPECT_EQ(FindChild(form, L"ToolbarWindow32", 6) != nullptr, true);  // seven toolbars

    // The rows are the service manager's, sorted by name; states may move between
    // the two readings, so they are compared once two ticks agree.
    std::map<std::string, vtl::win32::testing::DirectService> direct;
    Rows rows;
    for (int attempt = 0; attempt < 5; ++attempt) {
        direct = vtl::win32::testing::ReadServicesDirectly();
        rows = ReadListView(list);
        bool same = rows.size() == direct.size();
        for (const auto& row : rows) {
            const auto it = direct.find(Narrow(row[0]));
            same = same && it != direct.end() &&
                   Narrow(row[kColStatus]) == ServiceStatusText(it->second.state);
        }
        if (same) break;
        Sleep(2500);
    }
    ASSERT_EQ(rows.size(), direct.size());
    EXPECT_EQ(Count(), L"Total Services : " + std::to_wstring(direct.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string name = Narrow(rows[i][0]);
        ASSERT_EQ(direct.count(name), 1u) << name;
        const auto& d = direct.at(name);
        EXPECT_EQ(Narrow(rows[i][1] + L"|" + rows[i][2] + L"|" + rows[i][3] + L"|" + rows[i][4]),
                  CutToChars(d.displayName) + "|" + std::string(ServiceStatusText(d.state)) + "|" +
                      std::string(StartTypeText(d.startType)) + "|" + CutToChars(d.account))
            << name;
        if (i > 0) {
            EXPECT_LE(
                CompareStringOrdinal(rows[i - 1][0].c_str(), -1, rows[i][0].c_str(), -1, TRUE),
                CSTR_EQUAL);
        }
    }
    Shot("vantrel-main.png");

    // A service started by another program: status and icon follow within a tick.
    const int watchedRow = RowOf(watched.Name());
    ASSERT_GE(watchedRow, 0);
    EXPECT_EQ(StatusOf(watched.Name()), L"Stopped");
    EXPECT_EQ(RowImage(list, watchedRow), static_cast<int>(StateIconIndex::Inactive) - 1);
    ASSERT_TRUE(watched.Start());
    EXPECT_TRUE(WaitFor([&] { return StatusOf(watched.Name()) == L"Running"; }, kTickWait))
        << Narrow(StatusOf(watched.Name()));
    EXPECT_EQ(RowImage(list, RowOf(watched.Name())), static_cast<int>(StateIconIndex::Active) - 1);

    // F5: a service installed meanwhile joins the list, in name order, with the count.
    win32::testing::GuiTestService added(L"VtlGuiAdded_" + pid);
    ASSERT_TRUE(added);
    Sleep(300);
    EXPECT_EQ(RowOf(added.Name()), -1);
    ASSERT_TRUE(PressKey(form, VK_F5));
    EXPECT_TRUE(WaitFor([&] { return RowOf(added.Name()) >= 0; }, kTimeout));
    EXPECT_EQ(Count(), L"Total Services : " + std::to_wstring(ListViewCount(list)));
    EXPECT_EQ(StatusOf(added.Name()), L"Stopped");

    // Resizing: the list follows the window (width - 100 twips, height - 1325),
    // but stops above the status bar, which today's frame sizes would hide.
    ASSERT_TRUE(MoveWindowTo(form, 30, 20, 900, 600));
    EXPECT_TRUE(WaitFor(
        [&] {
            const RECT lv = WindowRect(list);
            const RECT bar = WindowRect(status);
            POINT clientBottom{0, ClientRect(form).bottom};
            ClientToScreen(form, &clientBottom);
            const int room = clientBottom.y - MulDiv(375, 96, 1440) - lv.top;
            const int height = std::min(600 - MulDiv(1325, 96, 1440), room);
            return std::abs((lv.right - lv.left) - (900 - MulDiv(100, 96, 1440))) <= 1 &&
                   std::abs((lv.bottom - lv.top) - height) <= 1 && lv.bottom <= bar.top;
        },
        kTimeout))
        << "list " << WindowRect(list).right - WindowRect(list).left << " x "
        << WindowRect(list).bottom - WindowRect(list).top;
    Shot("vantrel-resized.png");

    // Closing writes the window's place and size in twips, and the view.
    const RECT frame = WindowRect(form);
    Exit(false);
    EXPECT_EQ(Settings({L"MainLeft", L"MainTop", L"MainWidth", L"MainHeight", L"ViewMode"}),
              (std::vector<std::wstring>{std::to_wstring(frame.left * 15),
                                         std::to_wstring(frame.top * 15),
                                         std::to_wstring((frame.right - frame.left) * 15),
                                         std::to_wstring((frame.bottom - frame.top) * 15), L"3"}));
}

// Selects a computer in the browse dialog by typing its name.
void BrowseTo(HWND form, DWORD processId, const std::wstring& name) {
    const HWND button = FindChildByText(form, L"Button", L"Select &Computer");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(ClickButton(button));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            dialog = FindTopWindow(processId, L"#32770");
            return dialog != nullptr && FindChild(dialog, L"Edit") != nullptr;
        },
        kTimeout))
        << "no browse dialog";
    ASSERT_TRUE(TypeIntoEdit(FindChild(dialog, L"Edit"), name));
    ASSERT_TRUE(ClickButton(GetDlgItem(dialog, IDOK)));
}

TEST_F(MainWindowGui, TheSimulatedNetworkShowsInTheSameWindowAndItsComputersCanBePicked) {
    Launch(L"VantrelSim.exe");
    const Rows rows = ReadListView(list);
    EXPECT_GT(rows.size(), 100u);
    EXPECT_NE(RowOf("Spooler"), -1);
    EXPECT_EQ(Count(), L"Total Services : " + std::to_wstring(rows.size()));
    const HWND combo = FindChild(form, L"ComboBox");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(Text(combo), L"WS-ADMIN01");
    Shot("vantrelsim-main.png");

    // A double click opens a row's properties (the README's picture); Cancel closes them.
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(RowOf("Spooler")), FALSE);
    ASSERT_TRUE(DoubleClickListViewRow(list, RowOf("Spooler")));
    const HWND properties =
        WaitForTopWindow(program->Id(), L"VtlForm", L"'Spooler' Service Properties", kTimeout);
    ASSERT_NE(properties, nullptr);
    Shot("vantrelsim-properties.png", properties);
    ASSERT_TRUE(ClickButton(FindChildByText(properties, L"Button", L"&Cancel")));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(properties); }, kTimeout));

    // The file server, typed into the browse dialog in lower case: a new entry.
    BrowseTo(form, program->Id(), L"srv-file01");
    EXPECT_TRUE(WaitFor([&] { return Text(combo) == L"srv-file01"; }, kTimeout));
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::vector<std::wstring> panels = ReadStatusBar(status);
            return panels[0] == L"Done" && ListViewCount(list) > 50 &&
                   panels[4] == L"Total Services : " + std::to_wstring(ListViewCount(list)) &&
                   ListViewCount(list) != static_cast<int>(rows.size());
        },
        kTimeout));
    EXPECT_EQ(ReadComboBox(combo), (std::vector<std::wstring>{L"WS-ADMIN01", L"srv-file01"}));

    // The server that does not answer: one message with the network hint and 1722.
    BrowseTo(form, program->Id(), L"\\\\OLD-NT4");
    const HWND box = NextMessageBox();
    ASSERT_NE(box, nullptr);
    const std::wstring text = MessageBoxText(box);
    EXPECT_NE(text.find(L"This may be due to network problems. Please verify network "
                        L"connectivity.  1722"),
              std::wstring::npos)
        << Narrow(text);
    Shot("vantrelsim-unreachable.png");
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(WaitFor(
        [&] { return ListViewCount(list) == 0 && Count() == L"Total Services : 0"; }, kTimeout));
    EXPECT_EQ(Text(combo), L"OLD-NT4");
    Exit(true);  // File > Exit ends it at once
}

// The command line as the system splits it: a computer named there is the one
// listed, after the local one in the box; /? shows the usage box and no window.
TEST_F(MainWindowGui, TheCommandLineOpensOnTheNamedComputerOrShowsTheUsage) {
    // The simulated file server, quoted as a shell may pass it.
    Launch(L"VantrelSim.exe", L"\"\\\\SRV-FILE01\"");
    const HWND combo = FindChild(form, L"ComboBox");
    EXPECT_EQ(ReadComboBox(combo), (std::vector<std::wstring>{L"WS-ADMIN01", L"SRV-FILE01"}));
    EXPECT_EQ(Text(combo), L"SRV-FILE01");
    EXPECT_NE(RowOf("DHCPServer"), -1);  // the file server's own
    Exit(true);

    UseUnmanagedWindows(L"Vantrel.exe");
    program = Process::Start(L"\"" + BesideThisProgram(L"Vantrel.exe") + L"\" /?");
    ASSERT_TRUE(program.has_value());
    const HWND box = NextMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box).rfind(L"Vantrel.exe [\\\\computer | /computer=computer | /?]", 0),
              0u)
        << Narrow(MessageBoxText(box));
    EXPECT_EQ(FindTopWindow(program->Id(), L"VtlForm"), nullptr);
    Shot("vantrel-usage.png", box);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(program->WaitForExit(kTimeout));
    EXPECT_EQ(program->ExitCode(), 0u);
}

TEST_F(MainWindowGui, HelpWithoutAHelpFileSaysWhereItLooked) {
    // A copy of the program in a folder of its own, without the help page.
    const std::filesystem::path folder = kArtifacts / "nohelp";
    std::filesystem::create_directories(folder);
    const std::filesystem::path exe = folder / "Vantrel.exe";
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"Vantrel.exe").c_str(), exe.wstring().c_str(), FALSE));
    UseUnmanagedWindows(L"Vantrel.exe");
    program = Process::Start(L"\"" + exe.wstring() + L"\"");
    ASSERT_TRUE(program.has_value());
    form = WaitForTopWindow(program->Id(), L"VtlForm", L"Vantrel", kTimeout);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(PressKey(form, VK_F1));
    const HWND box = NextMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box), L"Vantrel");
    const std::wstring text = MessageBoxText(box);
    EXPECT_EQ(text.rfind(L"The help file Vtlhelp.hlp was not found in ", 0), 0u) << Narrow(text);
    EXPECT_NE(text.find(L"nohelp\\."), std::wstring::npos) << Narrow(text);
    Shot("vantrel-nohelp.png");
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    Exit(false);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// The manifest compiled into a program, or empty.
std::string ManifestOf(const std::wstring& program) {
    const HMODULE module = LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return {};
    std::string manifest;
    if (const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        const HGLOBAL loaded = LoadResource(module, found);
        const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
        if (bytes != nullptr) manifest.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return manifest;
}

// Vantrel.exe asks for elevation where the user can have it; the simulation runs as
// invoked (a consent prompt would stop unattended runs). Both are per-monitor aware.
TEST(ProgramManifests, AskForTheirExecutionLevelAndPerMonitorDpi) {
    for (const auto& [program, level] : {std::pair{L"Vantrel.exe", "highestAvailable"},
                                         std::pair{L"VantrelSim.exe", "asInvoker"}}) {
        const std::string manifest = ManifestOf(BesideThisProgram(program));
        EXPECT_NE(manifest.find("level=\"" + std::string(level) + "\""), std::string::npos)
            << Narrow(program) << ": " << manifest;
        EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos)
            << Narrow(program);
    }
}

// The system DPI of the programs started while it lives (Wine reads "LogPixels"
// when a program starts); the setting before comes back when it goes, so the
// prefix's other tests keep 96 DPI.
class SystemDpiForNewPrograms {
  public:
    explicit SystemDpiForNewPrograms(DWORD dpi) {
        DWORD bytes = sizeof(before_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &before_,
                            &bytes) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof(dpi)) ==
               ERROR_SUCCESS;
    }
    ~SystemDpiForNewPrograms() {
        if (had_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &before_, sizeof(before_));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
        }
    }
    SystemDpiForNewPrograms(const SystemDpiForNewPrograms&) = delete;
    SystemDpiForNewPrograms& operator=(const SystemDpiForNewPrograms&) = delete;
    explicit operator bool() const noexcept { return set_; }

  private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    DWORD before_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// At 144 DPI twips become pixels at 1.5 times the rate (10 twips a pixel), rows and
// toolbar buttons hold the 24-pixel icons, and the settings stay in twips.
TEST_F(MainWindowGui, At144DpiTheWindowIsLaidOutAtThatDpi) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel");
    {
        const SystemDpiForNewPrograms dpi(144);
        ASSERT_TRUE(dpi);
        Launch(L"Vantrel.exe");
    }
    ASSERT_GT(ListViewCount(list), 0);
    const RECT row = ListViewItemRect(list, 0);
    EXPECT_GE(row.bottom - row.top, 24);
    const HWND toolbar = FindChild(form, L"ToolbarWindow32");
    ASSERT_NE(toolbar, nullptr);
    const int buttonHeight = HIWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GT(buttonHeight, 24);
    EXPECT_LE(buttonHeight, ClientRect(toolbar).bottom);  // not cut off

    // The list follows a resize by the same twips as at 96 DPI.
    ASSERT_TRUE(MoveWindowTo(form, 10, 10, 1250, 760));
    EXPECT_TRUE(WaitFor(
        [&] {
            const RECT lv = WindowRect(list);
            return lv.right - lv.left == 1250 - MulDiv(100, 144, 1440) &&
                   lv.bottom <= WindowRect(status).top;
        },
        kTimeout))
        << "list " << WindowRect(list).right - WindowRect(list).left;
    Shot("vantrel-144dpi.png");
    const RECT frame = WindowRect(form);
    Exit(false);
    EXPECT_EQ(Settings({L"MainWidth", L"MainHeight"}),
              (std::vector<std::wstring>{std::to_wstring((frame.right - frame.left) * 10),
                                         std::to_wstring((frame.bottom - frame.top) * 10)}));

    // The simulated network shows every state icon at that size.
    {
        const SystemDpiForNewPrograms dpi(144);
        Launch(L"VantrelSim.exe");
    }
    ASSERT_TRUE(MoveWindowTo(form, 10, 10, 1250, 760));
    Shot("vantrelsim-144dpi.png");
    Exit(true);
}

// The list by keyboard and the find box, on the real service manager.
TEST_F(MainWindowGui, FindEnterCtrlAAndDeleteWorkTheListByKeyboard) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    win32::testing::GuiTestService first(L"VtlGuiKeysA_" + pid);
    win32::testing::GuiTestService second(L"VtlGuiKeysB_" + pid);
    ASSERT_TRUE(first && second);
    Launch(L"Vantrel.exe");
    const int total = ListViewCount(list);

    // Find, ignoring case: only the two rows, and the count says so.
    const HWND find = FindChild(form, L"Edit");
    ASSERT_NE(find, nullptr);
    ASSERT_TRUE(TypeIntoEdit(find, L"vtlguikeys"));
    ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 2; }, kTimeout));
    EXPECT_EQ(RowOf(first.Name()), 0);
    EXPECT_EQ(Count(), L"Total Services : " + std::to_wstring(total) + L" (2 shown)");

    // Ctrl+A in the list selects both.
    ASSERT_TRUE(SelectOnly(0));
    ASSERT_TRUE(PressKeyChord(list, {VK_CONTROL}, 'A'));
    EXPECT_TRUE(WaitFor(
        [&] {
            return ListViewSelection(list) == std::vector<int>{0, 1};
        },
        kTimeout));
    // Ctrl+C puts both rows on the clipboard, under the header line.
    ASSERT_TRUE(PressKeyChord(list, {VK_CONTROL}, 'C'));
    Sleep(300);
    std::wstring copied;
    EXPECT_TRUE(WaitFor(
        [&] { return (copied = ClipboardText()).find(L"\r\nVtlGuiKeysB_") != std::wstring::npos; },
        kTimeout, 250));  // seldom: the program must find the clipboard free
    EXPECT_EQ(copied.rfind(
                  L"Service Name\tDisplay Name\tStatus\tStartup Type\tLogon As\r\nVtlGuiKeysA_", 0),
              0u)
        << Narrow(copied);
    Shot("vantrel-find.png");

    // Enter opens the properties of the selected row; Esc closes them.
    ASSERT_TRUE(SelectOnly(0));
    ASSERT_TRUE(PressKey(list, VK_RETURN));
    const std::wstring caption = L"'" + Widen(first.Name()) + L"' Service Properties";
    HWND properties = WaitForTopWindow(program->Id(), L"VtlForm", caption, kTimeout);
    ASSERT_NE(properties, nullptr);
    Shot("vantrel-enter-properties.png");
    ASSERT_TRUE(PressKey(properties, VK_ESCAPE));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(properties); }, kTimeout));

    // Delete asks twice, then removes the row; the counts follow.
    ASSERT_TRUE(SelectOnly(1));
    ASSERT_TRUE(PressKey(list, VK_DELETE));
    for (int question = 0; question < 2; ++question) {
        const HWND box = NextMessageBox();
        ASSERT_NE(box, nullptr) << "question " << question;
        ASSERT_TRUE(AnswerMessageBox(box, IDYES));
        WaitFor([&] { return !IsWindow(box); }, kTimeout);
    }
    EXPECT_TRUE(WaitFor([&] { return RowOf(second.Name()) < 0; }, kTimeout));
    EXPECT_TRUE(WaitFor(
        [&] {
            return Count() == L"Total Services : " + std::to_wstring(total - 1) + L" (1 shown)";
        },
        kTimeout))
        << Narrow(Count());

    // An empty find box shows every row again.
    ASSERT_TRUE(TypeIntoEdit(find, L""));
    EXPECT_TRUE(WaitFor([&] { return ListViewCount(list) == total - 1; }, kTimeout));
    EXPECT_EQ(Count(), L"Total Services : " + std::to_wstring(total - 1));
    Exit(false);
}

}  // namespace
}  // namespace vtl::guitest

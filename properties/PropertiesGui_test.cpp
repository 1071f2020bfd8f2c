// Vantrel.exe under Xvfb and Wine, driven from outside: a double click on a
// test service's row opens its properties; each page and the Add Dependencies
// dialog are screenshotted to build/windows/artifacts/; a new startup type and
// description go to the service manager and the list; the dialog's Start and
// Stop run the real service.

#include <gtest/gtest.h>

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
using vtl::win32::UniqueScHandle;

constexpr DWORD kTimeout = kGuiTimeout;

class PropertiesGui : public VantrelGui {
  protected:
    // Opens the properties of a row by a double click.
    HWND OpenByDoubleClick(const std::string& name) {
        const int row = RowOf(name);
        EXPECT_GE(row, 0);
        EXPECT_TRUE(DoubleClickListViewRow(list, row));
        return WaitForTopWindow(program->Id(), L"VtlForm",
                                L"'" + win32::Widen(name) + L"' Service Properties", kTimeout);
    }
    // A button of a window by its caption, once it is shown.
    static HWND Shown(HWND window, const wchar_t* caption) {
        HWND button = nullptr;
        WaitFor(
            [&] {
                button = FindChildByText(window, L"Button", caption);
                return button != nullptr && IsWindowVisible(button);
            },
            kTimeout);
        return button;
    }
};

TEST_F(PropertiesGui, ADoubleClickOpensTheDialogWhosePagesAndOkWork) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    win32::testing::GuiTestService service(L"VtlGuiProps_" + pid, L"--start-ms 300 --stop-ms 300");
    ASSERT_TRUE(service);
    const std::string name = service.Name();
    Launch();

    HWND dialog = OpenByDoubleClick(name);
    ASSERT_NE(dialog, nullptr) << "no properties dialog";
    const HWND tabs = FindChild(dialog, WC_TABCONTROLW);
    ASSERT_NE(tabs, nullptr);
    const HWND displayName = FindChild(dialog, L"Edit", 0);
    EXPECT_EQ(Narrow(Text(displayName)), name + " (GUI test)");
    Sleep(300);
    SaveScreenshot(kArtifacts / "properties-general.png", dialog);

    ASSERT_TRUE(ClickTab(tabs, 1));
    ASSERT_NE(Shown(dialog, L"Local &System Account"), nullptr);
    EXPECT_FALSE(IsWindowVisible(displayName));
    Sleep(300);
    SaveScreenshot(kArtifacts / "properties-logon.png", dialog);

    ASSERT_TRUE(ClickTab(tabs, 2));
    const HWND add = Shown(dialog, L"&Add");
    ASSERT_NE(add, nullptr);
    Sleep(300);
    SaveScreenshot(kArtifacts / "properties-dependencies.png", dialog);

    // Add Dependencies offers every row but the selected one.
    ASSERT_TRUE(ClickButton(add));
    const HWND deps = WaitForTopWindow(program->Id(), L"VtlForm", L"Add Dependencies", kTimeout);
    ASSERT_NE(deps, nullptr);
    const std::vector<std::wstring> offered = ReadListBox(FindChild(deps, L"ListBox"));
    EXPECT_EQ(static_cast<int>(offered.size()), ListViewCount(list) - 1);
    for (const std::wstring& entry : offered)
        EXPECT_NE(Narrow(entry), name);
    Sleep(300);
    SaveScreenshot(kArtifacts / "properties-adddeps.png", deps);
    ASSERT_TRUE(ClickButton(FindChildByText(deps, L"Button", L"&Cancel")));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(deps) || !IsWindowVisible(deps); }, kTimeout));

    // A new startup type and description, then OK.
    ASSERT_TRUE(ClickTab(tabs, 0));
    ASSERT_NE(Shown(dialog, L"&Start"), nullptr);
    ASSERT_TRUE(SelectComboItem(FindChild(dialog, L"ComboBox"), 1));
    ASSERT_TRUE(TypeIntoEdit(FindChild(dialog, L"Edit", 1), L"Set through the dialog"));
    ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"Button", L"OK")));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return Cell(name, kColStartupType) == L"Automatic"; }, kTimeout));
    const auto direct = win32::testing::ReadServicesDirectly();
    ASSERT_EQ(direct.count(name), 1u);
    EXPECT_EQ(direct.at(name).startType, static_cast<std::uint32_t>(SERVICE_AUTO_START));

    // Start and Stop from a new opening of the dialog.
    dialog = OpenByDoubleClick(name);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(Shown(dialog, L"&Start")));
    EXPECT_TRUE(WaitFor([&] { return Cell(name, kColStatus) == L"Running"; }, kTimeout))
        << Narrow(Cell(name, kColStatus));
    // The dialog shows what its start found after half a second; opened again
    // it shows the running service.
    ASSERT_EQ(OpenByDoubleClick(name), dialog);
    const HWND stop = Shown(dialog, L"Sto&p");
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(stop); }, kTimeout));
    Sleep(300);
    SaveScreenshot(kArtifacts / "properties-running.png", dialog);
    ASSERT_TRUE(ClickButton(stop));
    EXPECT_TRUE(WaitFor([&] { return Cell(name, kColStatus) == L"Stopped"; }, kTimeout))
        << Narrow(Cell(name, kColStatus));
    EXPECT_EQ(FindMessageBox(program->Id()), nullptr);

    ASSERT_TRUE(CloseTopWindow(form));
    EXPECT_TRUE(program->WaitForExit(kTimeout)) << "closing the main window ends the program";
    program.reset();
}

}  // namespace
}  // namespace vtl::guitest

// The Win32 backend's registry calls against the real registry (Wine in the
// windows preset), below a test key of HKLM\SOFTWARE removed at the end.

#include <gtest/gtest.h>

#include "core/Registry.h"
#include "core/testing/PlatformChecks.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/Windows.h"

namespace vtl::win32 {
namespace {

using vtl::testing::RegistryKeyGuard;
using vtl::win32::testing::UniqueName;

std::string TestKeyPath(const std::string& stem) {
    return "SOFTWARE\\VantrelTests\\" + UniqueName(stem);
}

class Win32Registry : public ::testing::Test {
  protected:
    void TearDown() override {
        // The shared parent goes when no other run uses it (fails while not empty).
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VantrelTests");
    }
    Win32Platform platform_;
};

TEST_F(Win32Registry, StringsAreStoredAsWideText) {
    // What another program reading the registry sees: UTF-16, zeros as written.
    const RegistryKeyGuard guard(platform_, TestKeyPath("wide"));
    auto [key, error] = platform_.RegCreateKeyEx(LocalMachineKey(), guard.path(), kKeyAllAccess);
    ASSERT_TRUE(key);
    ASSERT_EQ(platform_.RegSetValueEx(key, "Name", kRegSz,
                                      vtl::testing::Bytes("\xCE\xA9x")),  // no terminator
              kErrorSuccess);
    ASSERT_EQ(platform_.RegSetValueEx(key, "Zero", kRegSz,
                                      vtl::testing::Bytes(std::string("\xCE\xA9x\0", 4))),
              kErrorSuccess);
    wchar_t data[8] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    const HKEY raw = reinterpret_cast<HKEY>(key.get());
    ASSERT_EQ(RegQueryValueExW(raw, L"Name", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], L'\x03A9');
    EXPECT_EQ(data[1], L'x');
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(raw, L"Zero", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
}

TEST_F(Win32Registry, ClosingAKeyALibraryOrAServiceHandleKeepsTheLastError) {
    const RegistryKeyGuard guard(platform_, TestKeyPath("close"));
    auto key = platform_.RegCreateKeyEx(LocalMachineKey(), guard.path(), kKeyAllAccess).handle;
    auto library = platform_.LoadLibrary("kernel32.dll").handle;
    auto manager = platform_.OpenSCManager("", kScManagerConnect).handle;
    auto service = platform_.OpenService(manager, "RpcSs", kServiceQueryStatus).handle;
    ASSERT_TRUE(key && library && manager && service);
    SetLastError(4321);
    key.reset();
    library.reset();
    service.reset();
    manager.reset();
    EXPECT_EQ(GetLastError(), 4321u);
}

}  // namespace
}  // namespace vtl::win32

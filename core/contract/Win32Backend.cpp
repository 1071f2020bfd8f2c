#include "core/contract/Win32Backend.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::contract {

namespace {

namespace fs = std::filesystem;
using vtl::win32::Narrow;

// One folder per test process, "%TEMP%\Vantrel Contract <pid>", with a copy of
// the test service; removed when the process ends (what a service still holds
// stays behind).
class ScratchFolder {
  public:
    ScratchFolder()
        : folder_(fs::temp_directory_path(error_) /
                  ("Vantrel Contract " + std::to_string(GetCurrentProcessId()))) {
        fs::create_directories(folder_, error_);
        std::wstring self(MAX_PATH + 1, L'\0');
        self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
        copied_ =
            fs::copy_file(fs::path(self).parent_path() / "VtlTestSvc.exe",
                          folder_ / "VtlTestSvc.exe", fs::copy_options::overwrite_existing, error_);
    }
    ~ScratchFolder() { fs::remove_all(folder_, error_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] std::string Path() const { return Narrow(folder_.wstring()); }
    [[nodiscard]] bool HasTestService() const { return copied_; }

  private:
    std::error_code error_;
    fs::path folder_;
    bool copied_ = false;
};

ScratchFolder& Scratch() {
    static ScratchFolder folder;
    return folder;
}

std::string RegistryComputerName() {
    std::wstring value(256, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(
            HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
            L"ComputerName", RRF_RT_REG_SZ, nullptr, value.data(), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return Narrow(value);
}

class Win32Backend final : public Backend {
  public:
    Win32Backend() : wine_(vtl::win32::testing::IsWine()) {}

    Platform& platform() override { return platform_; }
    std::string LocalMachine() override {
        const char* name = std::getenv("COMPUTERNAME");
        return name != nullptr && *name != '\0' ? std::string(name) : RegistryComputerName();
    }
    std::string TestServiceFolder() override {
        return Scratch().HasTestService() ? Scratch().Path() : platform_.ApplicationFolder();
    }
    std::string ScratchFolder() override { return Scratch().Path(); }
    std::string UniqueName(std::string_view stem) override {
        return vtl::win32::testing::UniqueName(std::string(stem));
    }
    void ForceStop(const std::string& serviceName) override {
        vtl::win32::testing::TerminateServiceProcess(serviceName);
    }
    bool Reproduces(Behaviour behaviour) const override {
        // No test can make a real computer refuse its service manager.
        if (behaviour == Behaviour::ComputerDeniesAccess) return false;
        return !wine_;
    }
    std::string WhyNot(Behaviour behaviour) const override {
        if (wine_) return std::string(WineLimitation(behaviour));
        return "no real computer can be made to refuse access from a test";
    }
    std::optional<std::string> ReadFile(const std::string& path) override {
        std::ifstream file(fs::path(vtl::win32::Widen(path)), std::ios::binary);
        if (!file) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::optional<std::string> ComputerDenyingAccess() override { return std::nullopt; }
    std::optional<std::size_t> OpenHandleCount() const override { return std::nullopt; }

  private:
    bool wine_;
    vtl::win32::Win32Platform platform_;
};

}  // namespace

std::unique_ptr<Backend> MakeWin32Backend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace vtl::contract

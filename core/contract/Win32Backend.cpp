#include "core/contract/Win32Backend.h"

#include <string>

#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace vtl::contract {

namespace {

using vtl::win32::Narrow;
using vtl::win32::UniqueKernelHandle;
using vtl::win32::Widen;

// One folder per test process, "%TEMP%\Vantrel Contract <pid>", with a copy of
// the test service; removed when the process ends (what a service still holds
// stays behind).
class ScratchFolder {
  public:
    ScratchFolder() {
        std::wstring temp(MAX_PATH + 1, L'\0');
        const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
        temp.resize(length);
        if (!temp.empty() && temp.back() == L'\\') temp.pop_back();
        folder_ = temp + L"\\Vantrel Contract " + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        std::wstring self(MAX_PATH + 1, L'\0');
        self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
        const std::wstring bin = self.substr(0, self.find_last_of(L"\\/"));
        copied_ = CopyFileW((bin + L"\\VtlTestSvc.exe").c_str(),
                            (folder_ + L"\\VtlTestSvc.exe").c_str(), FALSE) != FALSE;
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") DeleteFileW((folder_ + L"\\" + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] std::string Path() const { return Narrow(folder_); }
    [[nodiscard]] bool HasTestService() const { return copied_; }

  private:
    std::wstring folder_;
    bool copied_ = false;
};

ScratchFolder& Scratch() {
    static ScratchFolder folder;
    return folder;
}

std::string EnvironmentComputerName() {
    std::wstring value(256, L'\0');
    const DWORD length =
        GetEnvironmentVariableW(L"COMPUTERNAME", value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) return {};
    value.resize(length);
    return Narrow(value);
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
        const std::string name = EnvironmentComputerName();
        return name.empty() ? RegistryComputerName() : name;
    }
    std::string TestServiceFolder() override {
        return Scratch().HasTestService() ? Scratch().Path() : platform_.ApplicationFolder();
    }
    std::string ScratchFolder() override { return Scratch().Path(); }
    std::string UniqueName(std::string_view stem) override {
        return std::string(stem) + "_" + std::to_string(GetCurrentProcessId());
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
        UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!file) return std::nullopt;
        std::string content;
        std::string chunk(4096, '\0');
        DWORD read = 0;
        while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read,
                          nullptr) &&
               read > 0)
            content.append(chunk.data(), read);
        return content;
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

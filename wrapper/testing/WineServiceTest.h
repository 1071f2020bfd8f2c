#pragma once
// Helpers of the tests that run the wrapper and the companion library against
// Wine's real service manager. Every helper that creates something removes it
// in its destructor, so a failing test leaves nothing behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/win32/CompanionAbi.h"
#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"

namespace vtl::testing {

[[nodiscard]] std::wstring BinFolder();  // the folder of the test program
[[nodiscard]] std::wstring ComputerName();
// A name no one else uses: the prefix, this process id and a counter.
[[nodiscard]] std::wstring UniqueServiceName(const std::wstring& prefix);
[[nodiscard]] std::wstring Services(const std::wstring& name);  // its key below HKLM

// A new folder below %TEMP% (its name has a blank), deleted with its content.
class TempFolder {
  public:
    explicit TempFolder(const std::wstring& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] const std::wstring& path() const { return path_; }
    [[nodiscard]] std::wstring operator/(const std::wstring& name) const {
        return path_ + L"\\" + name;
    }

  private:
    std::wstring path_;
};

// Stops (if it runs) and deletes a service by name when it goes.
class ServiceGuard {
  public:
    explicit ServiceGuard(std::wstring name) : name_(std::move(name)) {}
    ~ServiceGuard();
    ServiceGuard(const ServiceGuard&) = delete;
    ServiceGuard& operator=(const ServiceGuard&) = delete;

  private:
    std::wstring name_;
};

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // standard output and error together
};

// Runs a program with exactly this command line, in this folder, and waits. With
// whileRunning, the program has a console of its own and the step runs before the wait.
[[nodiscard]] RunResult RunProcess(const std::wstring& application, const std::wstring& commandLine,
                                   const std::wstring& folder, DWORD timeoutMs = 60000,
                                   const std::function<void(DWORD processId)>& whileRunning = {});
// Whether a run ended with this code and its output holds part.
[[nodiscard]] ::testing::AssertionResult Ran(const RunResult& run, DWORD exitCode,
                                             std::string_view part);

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
[[nodiscard]] std::string ReadFileBytes(const std::wstring& path);  // "" when missing
[[nodiscard]] bool FileExists(const std::wstring& path);
[[nodiscard]] bool CopyInto(const std::wstring& file, const TempFolder& folder);

// Whether text holds part; a failure shows the whole text.
[[nodiscard]] ::testing::AssertionResult Holds(const std::string& text, std::string_view part);
// Waits until the file holds part (see Holds).
[[nodiscard]] ::testing::AssertionResult WaitForText(const std::wstring& path,
                                                     std::string_view part,
                                                     DWORD timeoutMs = 10000);

// Polls every 50 ms until the condition holds or the time is up.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The service's status and configuration; all 0 when they cannot be read.
[[nodiscard]] SERVICE_STATUS QueryStatus(const std::wstring& name);
struct ConfigSummary {
    std::wstring binaryPath;
    DWORD startType = 0;
    DWORD serviceType = 0;
    friend bool operator==(const ConfigSummary&, const ConfigSummary&) = default;
};
[[nodiscard]] ConfigSummary QueryConfig(const std::wstring& name);
[[nodiscard]] DWORD StopService(const std::wstring& name);

// ASCII text for the companion library's arguments.
[[nodiscard]] std::string Ansi(const std::wstring& text);
// The number after prefix in a text ("probe 123 running" -> 123); 0 if none.
[[nodiscard]] DWORD NumberAfter(const std::string& text, const std::string& prefix);
[[nodiscard]] bool ProcessAlive(DWORD processId);

// Creates a service that runs VtlShell.exe from the folder with the program
// (a file in the folder) written to its parameters key, as -install -power does.
// 0 or the error.
[[nodiscard]] DWORD CreateWrappedService(const std::wstring& name, const TempFolder& folder,
                                         const std::wstring& program,
                                         DWORD startType = SERVICE_DEMAND_START);

// Registry values below HKLM: REG_SZ up to its first zero, other types whole.
[[nodiscard]] std::wstring ReadRegString(const std::wstring& key, const std::wstring& value,
                                         DWORD types = RRF_RT_REG_SZ);
void WriteRegDword(const std::wstring& key, const std::wstring& value, DWORD data);
void WriteRegString(const std::wstring& key, const std::wstring& value, const std::wstring& data);

// A folder with VtlShell.exe and the probe, a service name whose guard deletes
// the service, and VtlIns.dll loaded by name as the program loads it.
class WrappedServiceTest : public ::testing::Test {
  protected:
    static constexpr DWORD kWaitMs = 30000;

    void SetUp() override;
    // Starts a service through VtlIns.dll; the start thread's exit code.
    DWORD Start(const std::wstring& name, const char* computer, const char* parameter) {
        return Finish(start_(Ansi(name).c_str(), computer, parameter));
    }
    DWORD Start(const char* computer = nullptr, const char* parameter = nullptr) {
        return Start(name_, computer, parameter);
    }
    // A start thread's exit code once it has ended (the caller of the library
    // never closes the handle; this does, so handles can be counted).
    static DWORD Finish(HANDLE thread);
    [[nodiscard]] static bool WaitForState(const std::wstring& name, DWORD state);  // 30 s
    [[nodiscard]] bool WaitForState(DWORD state) const { return WaitForState(name_, state); }
    [[nodiscard]] DWORD State() const { return QueryStatus(name_).dwCurrentState; }
    [[nodiscard]] ::testing::AssertionResult StopAndWait() const;

    TempFolder folder_{L"vtl shell"};
    std::wstring name_ = UniqueServiceName(L"Vtl Wrapped");
    ServiceGuard guard_{name_};
    vtl::win32::UniqueLibrary library_;
    vtl::win32::VTLStartServiceFn start_ = nullptr;
};

}  // namespace vtl::testing

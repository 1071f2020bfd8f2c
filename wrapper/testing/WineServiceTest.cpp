#include "wrapper/testing/WineServiceTest.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "core/win32/WinString.h"

namespace vtl::testing {

using vtl::win32::UniqueKernelHandle;
using vtl::win32::UniqueRegKey;
using vtl::win32::UniqueScHandle;

std::wstring BinFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring ComputerName() {
    std::wstring name(MAX_COMPUTERNAME_LENGTH + 1, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    GetComputerNameW(name.data(), &size);
    name.resize(size);
    return name;
}

std::wstring UniqueServiceName(const std::wstring& prefix) {
    static std::atomic<int> counter{0};
    return prefix + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

std::wstring Services(const std::wstring& name) {
    return L"SYSTEM\\CurrentControlSet\\Services\\" + name;
}

TempFolder::TempFolder(const std::wstring& prefix)
    : path_((std::filesystem::temp_directory_path() / UniqueServiceName(prefix)).wstring()) {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    std::filesystem::create_directory(path_, error);
}

TempFolder::~TempFolder() {
    // A program that was just killed may still hold a file for a moment.
    std::error_code error;
    for (int i = 0; i < 20 && (std::filesystem::remove_all(path_, error), FileExists(path_)); ++i)
        Sleep(100);
}

namespace {

// A service opened by name, with the manager it was opened through.
struct OpenedService {
    UniqueScHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    UniqueScHandle service;
};

OpenedService Open(const std::wstring& name, DWORD access) {
    OpenedService opened;
    opened.service.reset(OpenServiceW(opened.manager.get(), name.c_str(), access));
    return opened;
}

}  // namespace

ServiceGuard::~ServiceGuard() {
    if (StopService(name_) == 0) {
        (void)WaitUntil(
            [&] {
                const DWORD state = QueryStatus(name_).dwCurrentState;
                return state == 0 || state == SERVICE_STOPPED;
            },
            20000);
    }
    if (const auto opened = Open(name_, DELETE); opened.service)
        DeleteService(opened.service.get());
}

RunResult RunProcess(const std::wstring& application, const std::wstring& commandLine,
                     const std::wstring& folder, DWORD timeoutMs,
                     const std::function<void(DWORD processId)>& whileRunning) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return result;
    UniqueKernelHandle read(readRaw);
    UniqueKernelHandle write(writeRaw);
    SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    UniqueKernelHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = startup.hStdError = write.get();
    std::wstring line = commandLine;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                        whileRunning ? CREATE_NO_WINDOW : 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        result.output = "CreateProcess failed: " + std::to_string(GetLastError());
        return result;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    write.reset();
    std::string output;
    std::thread reader([&] {
        std::vector<char> buffer(4096);
        DWORD got = 0;
        while (
            ReadFile(read.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
            got > 0)
            output.append(buffer.data(), got);
    });
    if (whileRunning) whileRunning(info.dwProcessId);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 0xDEAD);
    WaitForSingleObject(process.get(), 5000);
    GetExitCodeProcess(process.get(), &result.exitCode);
    reader.join();
    result.output = std::move(output);
    return result;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::string ReadFileBytes(const std::wstring& path) {
    // Shared for deletion too: the wrapper renames a log that a test may be reading.
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    std::vector<char> buffer(65536);
    DWORD got = 0;
    while (file &&
           ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got > 0)
        bytes.append(buffer.data(), got);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::wstring& file, const TempFolder& folder) {
    return CopyFileW(file.c_str(), (folder / file.substr(file.find_last_of(L'\\') + 1)).c_str(),
                     FALSE) != FALSE;
}

::testing::AssertionResult Holds(const std::string& text, std::string_view part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

::testing::AssertionResult Ran(const RunResult& run, DWORD exitCode, std::string_view part) {
    if (run.exitCode != exitCode)
        return ::testing::AssertionFailure()
               << "exit code " << run.exitCode << ", not " << exitCode << ":\n"
               << run.output;
    return Holds(run.output, part);
}

::testing::AssertionResult WaitForText(const std::wstring& path, std::string_view part,
                                       DWORD timeoutMs) {
    (void)WaitUntil([&] { return static_cast<bool>(Holds(ReadFileBytes(path), part)); }, timeoutMs);
    return Holds(ReadFileBytes(path), part);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG begin = GetTickCount64();
    while (true) {
        if (condition()) return true;
        if (GetTickCount64() - begin >= timeoutMs) return false;
        Sleep(50);
    }
}

SERVICE_STATUS QueryStatus(const std::wstring& name) {
    SERVICE_STATUS status{};
    const auto opened = Open(name, SERVICE_QUERY_STATUS);
    if (!opened.service || !QueryServiceStatus(opened.service.get(), &status)) return {};
    return status;
}

ConfigSummary QueryConfig(const std::wstring& name) {
    const auto opened = Open(name, SERVICE_QUERY_CONFIG);
    DWORD needed = 0;
    QueryServiceConfigW(opened.service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + 16);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!opened.service || !QueryServiceConfigW(opened.service.get(), config,
                                                static_cast<DWORD>(buffer.size()), &needed))
        return {};
    return {config->lpBinaryPathName ? config->lpBinaryPathName : L"", config->dwStartType,
            config->dwServiceType};
}

DWORD StopService(const std::wstring& name) {
    const auto opened = Open(name, SERVICE_STOP);
    if (!opened.service) return GetLastError();
    SERVICE_STATUS status{};
    return ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status) ? 0 : GetLastError();
}

std::string Ansi(const std::wstring& text) {
    return vtl::win32::Narrow(text);
}

DWORD NumberAfter(const std::string& text, const std::string& prefix) {
    const auto at = text.find(prefix);
    if (at == std::string::npos) return 0;
    return static_cast<DWORD>(std::strtoul(text.c_str() + at + prefix.size(), nullptr, 10));
}

bool ProcessAlive(DWORD processId) {
    UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

DWORD CreateWrappedService(const std::wstring& name, const TempFolder& folder,
                           const std::wstring& program, DWORD startType) {
    UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) return GetLastError();
    const std::wstring path = L"\"" + (folder / L"VtlShell.exe") + L"\"";
    UniqueScHandle service(CreateServiceW(manager.get(), name.c_str(), name.c_str(),
                                          SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, startType,
                                          SERVICE_ERROR_NORMAL, path.c_str(), nullptr, nullptr,
                                          nullptr, nullptr, nullptr));
    if (!service) return GetLastError();
    WriteRegString(Services(name) + L"\\parameters", L"Application", folder / program);
    return 0;
}

std::wstring ReadRegString(const std::wstring& key, const std::wstring& value, DWORD types) {
    std::vector<wchar_t> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), types, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    const std::wstring whole(buffer.data(), size / sizeof(wchar_t));
    return types == RRF_RT_REG_SZ ? whole.c_str() : whole;
}

namespace {

void WriteRegValue(const std::wstring& key, const std::wstring& value, DWORD type, const void* data,
                   std::size_t size) {
    UniqueRegKey handle;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        handle.put(), nullptr) == ERROR_SUCCESS)
        RegSetValueExW(handle.get(), value.c_str(), 0, type, static_cast<const BYTE*>(data),
                       static_cast<DWORD>(size));
}

}  // namespace

void WriteRegDword(const std::wstring& key, const std::wstring& value, DWORD data) {
    WriteRegValue(key, value, REG_DWORD, &data, sizeof data);
}

void WriteRegString(const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    WriteRegValue(key, value, REG_SZ, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
}

void WrappedServiceTest::SetUp() {
    ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlShell.exe", folder_));
    ASSERT_TRUE(CopyInto(BinFolder() + L"\\VtlChildProbe.exe", folder_));
    library_.reset(LoadLibraryW(vtl::win32::kCompanionLibraryName));
    ASSERT_TRUE(library_) << GetLastError();
    start_ = reinterpret_cast<vtl::win32::VTLStartServiceFn>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), vtl::win32::kStartServiceExport)));
    ASSERT_NE(start_, nullptr);
}

DWORD WrappedServiceTest::Finish(HANDLE raw) {
    UniqueKernelHandle thread(raw);
    EXPECT_TRUE(thread);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(WaitUntil(
        [&] { return GetExitCodeThread(thread.get(), &code) && code != STILL_ACTIVE; }, kWaitMs));
    return code;
}

bool WrappedServiceTest::WaitForState(const std::wstring& name, DWORD state) {
    return WaitUntil([&] { return QueryStatus(name).dwCurrentState == state; }, kWaitMs);
}

::testing::AssertionResult WrappedServiceTest::StopAndWait() const {
    if (const DWORD error = StopService(name_); error != 0)
        return ::testing::AssertionFailure() << "the stop request failed with " << error;
    if (!WaitForState(SERVICE_STOPPED)) return ::testing::AssertionFailure() << "still " << State();
    return ::testing::AssertionSuccess();
}

}  // namespace vtl::testing

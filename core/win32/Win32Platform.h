#pragma once
// The platform over the real Win32 calls: the wide functions of advapi32,
// kernel32 and netapi32, with UTF-8 texts on the interface's side. Handle
// values are the real SC_HANDLE, HKEY, HMODULE and HANDLE values.

#include <string>
#include <utility>

#include "core/Platform.h"

namespace vtl::win32 {

class Win32Platform final : public Platform {
  public:
    // companionPath: the companion library to load; empty: VtlIns.dll in the
    // application's folder.
    explicit Win32Platform(std::string companionPath = {})
        : companionPath_(std::move(companionPath)) {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // ServiceManagerApi
    Opened<ScManagerHandle> OpenSCManager(const std::string& machine,
                                          std::uint32_t access) override;
    Opened<ServiceHandle> OpenService(const ScManagerHandle& manager,
                                      const std::string& serviceName,
                                      std::uint32_t access) override;
    void CloseServiceHandle(std::uintptr_t handle) noexcept override;
    [[nodiscard]] std::uint32_t EnumRecordSize() const noexcept override;
    EnumResult EnumServicesStatus(const ScManagerHandle& manager, std::uint32_t serviceType,
                                  std::uint32_t serviceState, std::uint32_t bufferBytes) override;
    EnumResult EnumDependentServices(const ServiceHandle& service, std::uint32_t serviceState,
                                     std::uint32_t bufferBytes) override;
    ConfigResult QueryServiceConfig(const ServiceHandle& service,
                                    std::uint32_t bufferBytes) override;
    DescriptionResult QueryServiceDescription(const ServiceHandle& service,
                                              std::uint32_t bufferBytes) override;
    [[nodiscard]] ErrorCode QueryServiceStatus(const ServiceHandle& service,
                                               ServiceStatus& status) override;
    [[nodiscard]] ErrorCode ChangeServiceConfig(const ServiceHandle& service,
                                                const ConfigChange& change) override;
    [[nodiscard]] ErrorCode ChangeServiceDescription(const ServiceHandle& service,
                                                     const std::string& description) override;
    [[nodiscard]] ErrorCode StartService(const ServiceHandle& service,
                                         const std::vector<std::string>& arguments) override;
    [[nodiscard]] ErrorCode ControlService(const ServiceHandle& service, std::uint32_t control,
                                           ServiceStatus& status) override;
    Created CreateService(const ScManagerHandle& manager, const CreateArgs& args) override;
    [[nodiscard]] ErrorCode DeleteService(const ServiceHandle& service) override;

    // RegistryApi
    Opened<RegKey> RegConnectRegistry(const std::string& machine, std::uintptr_t root) override;
    Opened<RegKey> RegOpenKeyEx(const RegKey& parent, const std::string& subKey,
                                std::uint32_t access) override;
    Opened<RegKey> RegCreateKeyEx(const RegKey& parent, const std::string& subKey,
                                  std::uint32_t access) override;
    ValueResult RegQueryValueEx(const RegKey& key, const std::string& valueName,
                                std::uint32_t bufferBytes) override;
    [[nodiscard]] ErrorCode RegSetValueEx(const RegKey& key, const std::string& valueName,
                                          std::uint32_t type,
                                          const std::vector<std::uint8_t>& data) override;
    [[nodiscard]] ErrorCode RegDeleteValue(const RegKey& key,
                                           const std::string& valueName) override;
    [[nodiscard]] ErrorCode RegDeleteTree(const RegKey& parent, const std::string& subKey) override;
    void RegCloseKey(std::uintptr_t key) noexcept override;

    // SystemApi
    ComputerName GetComputerName() override;
    AccountLookup LookupAccountName(const std::string& systemName,
                                    const std::string& accountName) override;
    std::vector<std::string> GetLogicalDriveStrings() override;
    std::uint32_t GetDriveType(const std::string& rootPath) override;
    ShareList NetShareEnum(const std::string& server) override;
    [[nodiscard]] ErrorCode CopyFile(const std::string& from, const std::string& to,
                                     bool failIfExists) override;
    [[nodiscard]] ErrorCode WriteFile(const std::string& path, const std::string& content) override;
    [[nodiscard]] bool FileExists(const std::string& path) override;
    [[nodiscard]] ErrorCode CreateDirectory(const std::string& path) override;
    std::string ApplicationFolder() override;
    EncodedText EncodeText(const std::string& utf8, CodePage page) override;
    std::string FormatMessage(ErrorCode code) override;
    Opened<LibraryHandle> LoadLibrary(const std::string& name) override;
    [[nodiscard]] bool HasProcAddress(const LibraryHandle& library,
                                      const std::string& exportName) override;
    void FreeLibrary(std::uintptr_t library) noexcept override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t TickCount() override;

    // StartLibraryApi
    Opened<ThreadHandle> VTLStartService(const std::string& serviceName,
                                         const std::string& computerName,
                                         const std::optional<std::string>& parameter) override;
    ExitCode GetExitCodeThread(const ThreadHandle& thread) override;
    std::uint32_t fnLogRight(const std::string& computerName,
                             const std::vector<std::uint8_t>& sid) override;
    void CloseHandle(std::uintptr_t handle) noexcept override;

  private:
    // Loads VtlIns.dll from the application's folder once and resolves an export;
    // nullptr with 126 (no library) or 127 (no export) in error.
    using AnyFunction = void (*)();
    AnyFunction CompanionExport(const char* exportName, ErrorCode& error);

    // The companion library stays loaded for the life of the process: the start
    // threads it spawns run its code long after VTLStartService has returned.
    // A failed load is tried again at the next call.
    std::string companionPath_;
    void* companion_ = nullptr;
};

}  // namespace vtl::win32

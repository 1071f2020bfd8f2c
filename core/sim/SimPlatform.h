#pragma once
// The platform interface over a simulated network, as a program running on one
// of its computers sees it. Made by SimNetwork::PlatformFor; not used directly.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Platform.h"

namespace vtl::sim {

class SimNetwork;
class SimComputer;

class SimPlatform final : public Platform {
  public:
    SimPlatform(SimNetwork& network, SimComputer& local);

    [[nodiscard]] SimComputer& Local() const { return local_; }

    // ServiceManagerApi
    Opened<ScManagerHandle> OpenSCManager(const std::string& machine,
                                          std::uint32_t access) override;
    Opened<ServiceHandle> OpenService(const ScManagerHandle& manager,
                                      const std::string& serviceName,
                                      std::uint32_t access) override;
    void CloseServiceHandle(std::uintptr_t handle) noexcept override;
    [[nodiscard]] std::uint32_t EnumRecordSize() const noexcept override { return 48; }
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
    friend class SimNetwork;

    // StartService for a start thread: the start goes on without blocking; the
    // thread hears of its end through the network.
    ErrorCode StartServiceForThread(const ServiceHandle& service,
                                    const std::vector<std::string>& arguments,
                                    std::uint64_t threadId);

    // The open service or key behind a handle; empty members when the handle is
    // not one of that kind.
    struct ServiceRef;
    struct KeyRef;
    [[nodiscard]] ServiceRef ServiceOf(const ServiceHandle& handle) const;
    [[nodiscard]] KeyRef KeyOf(const RegKey& key) const;

    // The computer a machine argument names ("" or "\\NAME" or "NAME"); null
    // when there is none.
    SimComputer* Resolve(const std::string& machine) const;
    struct PathTarget {
        SimComputer* computer = nullptr;
        std::string path;  // local to that computer, normalized
        ErrorCode error = kErrorSuccess;
    };
    PathTarget ResolvePath(const std::string& path) const;
    // LookupAccountName's answer on a computer, without a call of its own.
    [[nodiscard]] AccountLookup ResolveAccount(const SimComputer& computer,
                                               const std::string& accountName) const;

    SimNetwork& network_;
    SimComputer& local_;
};

}  // namespace vtl::sim

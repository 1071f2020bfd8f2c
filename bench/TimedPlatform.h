#pragma once
// A platform that forwards every call to another one and measures the time
// spent inside the service-manager, registry and account calls the windows
// make, so that a benchmark can tell the program's own time from the platform's.

#include <chrono>
#include <cstdint>

#include "core/Platform.h"

namespace vtl::bench {

class TimedPlatform final : public Platform {
    // Runs a call of the inner platform, adding its time to the time inside.
    template <class Call>
    auto Timed(Call&& call) {
        const auto start = std::chrono::steady_clock::now();
        auto result = call();
        inside_ += std::chrono::steady_clock::now() - start;
        ++calls_;
        return result;
    }

  public:
    explicit TimedPlatform(Platform& inner) : inner_(inner) {}

    [[nodiscard]] std::chrono::nanoseconds TimeInside() const noexcept { return inside_; }
    [[nodiscard]] std::uint64_t Calls() const noexcept { return calls_; }
    void Reset() noexcept {
        inside_ = {};
        calls_ = 0;
    }

    // ServiceManagerApi: the calls of the list, timed; handles are re-issued so
    // that closing them comes back here too.
    Opened<ScManagerHandle> OpenSCManager(const std::string& machine,
                                          std::uint32_t access) override;
    Opened<ServiceHandle> OpenService(const ScManagerHandle& manager,
                                      const std::string& serviceName,
                                      std::uint32_t access) override;
    void CloseServiceHandle(std::uintptr_t handle) noexcept override;
    [[nodiscard]] std::uint32_t EnumRecordSize() const noexcept override {
        return inner_.EnumRecordSize();
    }
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

    // The calls of the registry, the accounts and the companion library's
    // logon right, timed; the rest is forwarded as it is.
    Opened<RegKey> RegConnectRegistry(const std::string& machine, std::uintptr_t root) override {
        return Timed([&] { return inner_.RegConnectRegistry(machine, root); });
    }
    Opened<RegKey> RegOpenKeyEx(const RegKey& parent, const std::string& subKey,
                                std::uint32_t access) override {
        return Timed([&] { return inner_.RegOpenKeyEx(parent, subKey, access); });
    }
    Opened<RegKey> RegCreateKeyEx(const RegKey& parent, const std::string& subKey,
                                  std::uint32_t access) override {
        return Timed([&] { return inner_.RegCreateKeyEx(parent, subKey, access); });
    }
    ValueResult RegQueryValueEx(const RegKey& key, const std::string& valueName,
                                std::uint32_t bufferBytes) override {
        return Timed([&] { return inner_.RegQueryValueEx(key, valueName, bufferBytes); });
    }
    [[nodiscard]] ErrorCode RegSetValueEx(const RegKey& key, const std::string& valueName,
                                          std::uint32_t type,
                                          const std::vector<std::uint8_t>& data) override {
        return Timed([&] { return inner_.RegSetValueEx(key, valueName, type, data); });
    }
    [[nodiscard]] ErrorCode RegDeleteValue(const RegKey& key,
                                           const std::string& valueName) override {
        return inner_.RegDeleteValue(key, valueName);
    }
    [[nodiscard]] ErrorCode RegDeleteTree(const RegKey& parent,
                                          const std::string& subKey) override {
        return inner_.RegDeleteTree(parent, subKey);
    }
    void RegCloseKey(std::uintptr_t key) noexcept override { inner_.RegCloseKey(key); }

    ComputerName GetComputerName() override {
        return Timed([&] { return inner_.GetComputerName(); });
    }
    AccountLookup LookupAccountName(const std::string& systemName,
                                    const std::string& accountName) override {
        return Timed([&] { return inner_.LookupAccountName(systemName, accountName); });
    }
    std::vector<std::string> GetLogicalDriveStrings() override {
        return inner_.GetLogicalDriveStrings();
    }
    std::uint32_t GetDriveType(const std::string& rootPath) override {
        return inner_.GetDriveType(rootPath);
    }
    ShareList NetShareEnum(const std::string& server) override {
        return inner_.NetShareEnum(server);
    }
    [[nodiscard]] ErrorCode CopyFile(const std::string& from, const std::string& to,
                                     bool failIfExists) override {
        return inner_.CopyFile(from, to, failIfExists);
    }
    [[nodiscard]] ErrorCode WriteFile(const std::string& path,
                                      const std::string& content) override {
        return inner_.WriteFile(path, content);
    }
    [[nodiscard]] bool FileExists(const std::string& path) override {
        return inner_.FileExists(path);
    }
    [[nodiscard]] ErrorCode CreateDirectory(const std::string& path) override {
        return inner_.CreateDirectory(path);
    }
    std::string ApplicationFolder() override { return inner_.ApplicationFolder(); }
    EncodedText EncodeText(const std::string& utf8, CodePage page) override {
        return inner_.EncodeText(utf8, page);
    }
    std::string FormatMessage(ErrorCode code) override { return inner_.FormatMessage(code); }
    Opened<LibraryHandle> LoadLibrary(const std::string& name) override {
        return Timed([&] { return inner_.LoadLibrary(name); });
    }
    [[nodiscard]] bool HasProcAddress(const LibraryHandle& library,
                                      const std::string& exportName) override {
        return Timed([&] { return inner_.HasProcAddress(library, exportName); });
    }
    void FreeLibrary(std::uintptr_t library) noexcept override { inner_.FreeLibrary(library); }
    void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
    std::uint64_t TickCount() override { return inner_.TickCount(); }

    Opened<ThreadHandle> VTLStartService(const std::string& serviceName,
                                         const std::string& computerName,
                                         const std::optional<std::string>& parameter) override {
        return inner_.VTLStartService(serviceName, computerName, parameter);
    }
    ExitCode GetExitCodeThread(const ThreadHandle& thread) override {
        return inner_.GetExitCodeThread(thread);
    }
    std::uint32_t fnLogRight(const std::string& computerName,
                             const std::vector<std::uint8_t>& sid) override {
        return Timed([&] { return inner_.fnLogRight(computerName, sid); });
    }
    void CloseHandle(std::uintptr_t handle) noexcept override { inner_.CloseHandle(handle); }

  private:
    // Handles of ours carry the inner platform's values.
    [[nodiscard]] ScManagerHandle Inner(const ScManagerHandle& handle) const;
    [[nodiscard]] ServiceHandle Inner(const ServiceHandle& handle) const;

    Platform& inner_;
    std::chrono::nanoseconds inside_{};
    std::uint64_t calls_ = 0;
};

}  // namespace vtl::bench

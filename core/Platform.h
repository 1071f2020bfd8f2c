#pragma once
// The platform the program runs on, one interface per family of Windows calls.
// Two backends implement it: core/win32 (the real calls, wide functions) and
// core/sim (simulated Windows computers on a virtual clock).
//
// Rules every backend keeps:
// - Errors are Win32 error codes exactly as Windows reports them; 0 is success.
// - Strings are owned UTF-8 texts. Registry string data (REG_SZ, REG_EXPAND_SZ,
//   REG_MULTI_SZ) travels as UTF-8 bytes, with whatever terminating zeros the
//   value holds; other types travel as their raw bytes.
// - Buffer sizes are the caller's: a call given a size too small fails as Windows
//   does (122 or 234) and reports the bytes needed, so the sizing protocols of
//   core/ServiceCalls.h run unchanged over both backends.
// - Time passes only through Sleep and TickCount.
// - An operation a backend does not offer yet fails with kErrorCallNotImplemented.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Handles.h"
#include "core/ServiceTypes.h"

namespace vtl {

class ServiceManagerApi;
class RegistryApi;
class SystemApi;
class StartLibraryApi;

struct ScManagerHandleTraits {
    using Owner = ServiceManagerApi;
    static void Close(Owner& owner, std::uintptr_t value) noexcept;
};
struct ServiceHandleTraits {
    using Owner = ServiceManagerApi;
    static void Close(Owner& owner, std::uintptr_t value) noexcept;
};
struct RegKeyTraits {
    using Owner = RegistryApi;
    static void Close(Owner& owner, std::uintptr_t value) noexcept;
};
struct LibraryHandleTraits {
    using Owner = SystemApi;
    static void Close(Owner& owner, std::uintptr_t value) noexcept;
};
struct ThreadHandleTraits {
    using Owner = StartLibraryApi;
    static void Close(Owner& owner, std::uintptr_t value) noexcept;
};

using ScManagerHandle = UniqueHandle<ScManagerHandleTraits>;  // an open service manager
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;      // an open service
using RegKey = UniqueHandle<RegKeyTraits>;
using LibraryHandle = UniqueHandle<LibraryHandleTraits>;
using ThreadHandle = UniqueHandle<ThreadHandleTraits>;  // a start thread of the companion library

// A handle with the error of the call that tried to open it.
template <class Handle>
struct [[nodiscard]] Opened {
    Handle handle;
    ErrorCode error = kErrorSuccess;
};

// ---------------------------------------------------------------------------
// Service control manager (advapi32).
class ServiceManagerApi {
  public:
    virtual ~ServiceManagerApi() = default;

    struct EnumResult {
        ErrorCode error = kErrorSuccess;
        std::uint32_t bytesNeeded = 0;  // set when error is kErrorMoreData
        std::vector<EnumServiceStatus> entries;
    };
    struct ConfigResult {
        ErrorCode error = kErrorSuccess;
        std::uint32_t bytesNeeded = 0;  // set when error is kErrorInsufficientBuffer
        ServiceConfig config;
    };
    struct DescriptionResult {
        ErrorCode error = kErrorSuccess;
        std::uint32_t bytesNeeded = 0;
        std::string description;
    };
    // ChangeServiceConfig: kServiceNoChange and std::nullopt leave a field alone.
    struct ConfigChange {
        std::uint32_t serviceType = kServiceNoChange;
        std::uint32_t startType = kServiceNoChange;
        std::uint32_t errorControl = kServiceNoChange;
        std::optional<std::string> binaryPathName;
        std::optional<std::string> loadOrderGroup;
        std::optional<std::vector<std::string>> dependencies;
        std::optional<std::string> serviceStartName;
        std::optional<std::string> password;
        std::optional<std::string> displayName;
    };
    struct CreateArgs {
        std::string serviceName;
        std::string displayName;
        std::uint32_t desiredAccess = kServiceAllAccess;
        std::uint32_t serviceType = kServiceWin32OwnProcess;
        std::uint32_t startType = kServiceDemandStart;
        std::uint32_t errorControl = kServiceErrorNormal;
        std::string binaryPathName;
        std::optional<std::string> loadOrderGroup;
        bool wantTagId = false;
        std::optional<std::vector<std::string>> dependencies;
        std::optional<std::string> serviceStartName;  // nullopt: LocalSystem
        std::optional<std::string> password;
    };
    struct Created {
        ServiceHandle handle;
        ErrorCode error = kErrorSuccess;
        std::uint32_t tagId = 0;
    };

    // machine: "\\NAME", "NAME" or "" for the local computer.
    virtual Opened<ScManagerHandle> OpenSCManager(const std::string& machine,
                                                  std::uint32_t access) = 0;
    virtual Opened<ServiceHandle> OpenService(const ScManagerHandle& manager,
                                              const std::string& serviceName,
                                              std::uint32_t access) = 0;
    // Called by the handles; either kind of handle.
    virtual void CloseServiceHandle(std::uintptr_t handle) noexcept = 0;

    // Size in bytes of one enumeration record as this platform lays it out
    // (ENUM_SERVICE_STATUS: 36 bytes on 32-bit Windows, 48 on 64-bit).
    [[nodiscard]] virtual std::uint32_t EnumRecordSize() const noexcept = 0;
    // bufferBytes is the size of the caller's buffer; 0 asks for the size only.
    virtual EnumResult EnumServicesStatus(const ScManagerHandle& manager, std::uint32_t serviceType,
                                          std::uint32_t serviceState,
                                          std::uint32_t bufferBytes) = 0;
    virtual EnumResult EnumDependentServices(const ServiceHandle& service,
                                             std::uint32_t serviceState,
                                             std::uint32_t bufferBytes) = 0;

    virtual ConfigResult QueryServiceConfig(const ServiceHandle& service,
                                            std::uint32_t bufferBytes) = 0;
    // QueryServiceConfig2 with SERVICE_CONFIG_DESCRIPTION.
    virtual DescriptionResult QueryServiceDescription(const ServiceHandle& service,
                                                      std::uint32_t bufferBytes) = 0;
    [[nodiscard]] virtual ErrorCode QueryServiceStatus(const ServiceHandle& service,
                                                       ServiceStatus& status) = 0;

    [[nodiscard]] virtual ErrorCode ChangeServiceConfig(const ServiceHandle& service,
                                                        const ConfigChange& change) = 0;
    // ChangeServiceConfig2 with SERVICE_CONFIG_DESCRIPTION; "" deletes the description.
    [[nodiscard]] virtual ErrorCode ChangeServiceDescription(const ServiceHandle& service,
                                                             const std::string& description) = 0;

    [[nodiscard]] virtual ErrorCode StartService(const ServiceHandle& service,
                                                 const std::vector<std::string>& arguments) = 0;
    // Fills status wherever Windows does (success, 1051, 1052, 1061, 1062).
    [[nodiscard]] virtual ErrorCode ControlService(const ServiceHandle& service,
                                                   std::uint32_t control,
                                                   ServiceStatus& status) = 0;

    virtual Created CreateService(const ScManagerHandle& manager, const CreateArgs& args) = 0;
    [[nodiscard]] virtual ErrorCode DeleteService(const ServiceHandle& service) = 0;
};

// ---------------------------------------------------------------------------
// Registry, local and remote (advapi32).
inline constexpr std::uintptr_t kHKeyLocalMachine = 0x80000002;
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// The local HKEY_LOCAL_MACHINE; predefined keys are never closed.
inline RegKey LocalMachineKey() {
    return RegKey(nullptr, kHKeyLocalMachine);
}

class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    struct ValueResult {
        ErrorCode error = kErrorSuccess;
        std::uint32_t type = kRegNone;
        std::uint32_t bytesNeeded = 0;  // size of the value's data
        std::vector<std::uint8_t> data;
    };

    // machine: "\\NAME", "NAME" or "" for the local computer; root: kHKeyLocalMachine.
    virtual Opened<RegKey> RegConnectRegistry(const std::string& machine, std::uintptr_t root) = 0;
    virtual Opened<RegKey> RegOpenKeyEx(const RegKey& parent, const std::string& subKey,
                                        std::uint32_t access) = 0;
    // Creates missing keys along the path (REG_OPTION_NON_VOLATILE).
    virtual Opened<RegKey> RegCreateKeyEx(const RegKey& parent, const std::string& subKey,
                                          std::uint32_t access) = 0;
    // bufferBytes too small for the data: kErrorMoreData with bytesNeeded.
    virtual ValueResult RegQueryValueEx(const RegKey& key, const std::string& valueName,
                                        std::uint32_t bufferBytes) = 0;
    [[nodiscard]] virtual ErrorCode RegSetValueEx(const RegKey& key, const std::string& valueName,
                                                  std::uint32_t type,
                                                  const std::vector<std::uint8_t>& data) = 0;
    [[nodiscard]] virtual ErrorCode RegDeleteValue(const RegKey& key,
                                                   const std::string& valueName) = 0;
    // Deletes a key with everything below it.
    [[nodiscard]] virtual ErrorCode RegDeleteTree(const RegKey& parent,
                                                  const std::string& subKey) = 0;
    virtual void RegCloseKey(std::uintptr_t key) noexcept = 0;
};

// ---------------------------------------------------------------------------
// The local system: names, accounts, files, drives and shares, message texts,
// libraries, time (kernel32, netapi32).
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdRom = 5;
inline constexpr std::uint32_t kDriveRamDisk = 6;
inline constexpr std::uint32_t kStypeDiskTree = 0;
inline constexpr std::uint32_t kStypeSpecial = 0x80000000;

// The code pages of the system's 8-bit texts: CP_ACP (what programs write files
// in) and CP_OEMCP (what the console, and so the command interpreter, reads).
enum class CodePage { Ansi, Oem };

class SystemApi {
  public:
    virtual ~SystemApi() = default;

    struct ComputerName {
        ErrorCode error = kErrorSuccess;
        std::string name;
    };
    struct AccountLookup {
        ErrorCode error = kErrorSuccess;
        std::vector<std::uint8_t> sid;
        std::string domain;
        std::uint32_t use = 0;  // SID_NAME_USE
    };
    struct ShareInfo {
        std::string netName;
        std::uint32_t type = kStypeDiskTree;
        std::string remark;
    };
    struct ShareList {
        ErrorCode error = kErrorSuccess;
        std::vector<ShareInfo> shares;
    };
    struct EncodedText {
        ErrorCode error = kErrorSuccess;
        std::string bytes;
    };

    virtual ComputerName GetComputerName() = 0;
    virtual AccountLookup LookupAccountName(const std::string& systemName,
                                            const std::string& accountName) = 0;

    // "C:\", "D:\", ... of the local computer.
    virtual std::vector<std::string> GetLogicalDriveStrings() = 0;
    virtual std::uint32_t GetDriveType(const std::string& rootPath) = 0;
    // server: "\\NAME" or "NAME". Level 502: name, type, remark of every share.
    virtual ShareList NetShareEnum(const std::string& server) = 0;

    [[nodiscard]] virtual ErrorCode CopyFile(const std::string& from, const std::string& to,
                                             bool failIfExists) = 0;
    // Creates or replaces a file with the given bytes.
    [[nodiscard]] virtual ErrorCode WriteFile(const std::string& path,
                                              const std::string& content) = 0;
    // Whether a file (not a folder) of that path exists.
    [[nodiscard]] virtual bool FileExists(const std::string& path) = 0;
    [[nodiscard]] virtual ErrorCode CreateDirectory(const std::string& path) = 0;
    // Folder of the running program, without a trailing backslash.
    virtual std::string ApplicationFolder() = 0;

    // WideCharToMultiByte without best-fit guesses: the text in the code page;
    // kErrorNoUnicodeTranslation when a character has no byte sequence there.
    virtual EncodedText EncodeText(const std::string& utf8, CodePage page) = 0;

    // FormatMessage(FROM_SYSTEM | IGNORE_INSERTS, language 0): the text with its
    // closing line break; empty when the system has no message for the code.
    virtual std::string FormatMessage(ErrorCode code) = 0;

    virtual Opened<LibraryHandle> LoadLibrary(const std::string& name) = 0;
    [[nodiscard]] virtual bool HasProcAddress(const LibraryHandle& library,
                                              const std::string& exportName) = 0;
    virtual void FreeLibrary(std::uintptr_t library) noexcept = 0;

    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start (GetTickCount64).
    virtual std::uint64_t TickCount() = 0;
};

// ---------------------------------------------------------------------------
// The companion library VtlIns.dll and its start threads.
class StartLibraryApi {
  public:
    virtual ~StartLibraryApi() = default;

    struct ExitCode {
        ErrorCode error = kErrorSuccess;  // of GetExitCodeThread itself
        std::uint32_t code = 0;
    };

    // VTLStartService(service, computer, parameter): the start thread's handle,
    // or an empty handle with the reason (library or export missing).
    virtual Opened<ThreadHandle> VTLStartService(const std::string& serviceName,
                                                 const std::string& computerName,
                                                 const std::optional<std::string>& parameter) = 0;
    virtual ExitCode GetExitCodeThread(const ThreadHandle& thread) = 0;
    // fnLogRight(computer, sid): 0 when the account may now log on as a service.
    virtual std::uint32_t fnLogRight(const std::string& computerName,
                                     const std::vector<std::uint8_t>& sid) = 0;
    virtual void CloseHandle(std::uintptr_t handle) noexcept = 0;
};

// Everything a window needs from the computer it runs on.
class Platform : public ServiceManagerApi,
                 public RegistryApi,
                 public SystemApi,
                 public StartLibraryApi {};

inline void ScManagerHandleTraits::Close(ServiceManagerApi& owner, std::uintptr_t value) noexcept {
    owner.CloseServiceHandle(value);
}
inline void ServiceHandleTraits::Close(ServiceManagerApi& owner, std::uintptr_t value) noexcept {
    owner.CloseServiceHandle(value);
}
inline void RegKeyTraits::Close(RegistryApi& owner, std::uintptr_t value) noexcept {
    owner.RegCloseKey(value);
}
inline void LibraryHandleTraits::Close(SystemApi& owner, std::uintptr_t value) noexcept {
    owner.FreeLibrary(value);
}
inline void ThreadHandleTraits::Close(StartLibraryApi& owner, std::uintptr_t value) noexcept {
    owner.CloseHandle(value);
}

}  // namespace vtl

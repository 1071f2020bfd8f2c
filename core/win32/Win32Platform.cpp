#include "core/win32/Win32Platform.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "core/win32/CompanionAbi.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

// After Windows.h: the network management declarations.
#include <lm.h>

namespace vtl::win32 {

namespace {

// --- Handle values ----------------------------------------------------------

SC_HANDLE Sc(std::uintptr_t value) {
    return reinterpret_cast<SC_HANDLE>(value);
}

// Predefined registry roots are 32-bit values with the top bit set; on 64-bit
// Windows the HKEY is that value sign-extended. The interface carries the plain
// 32-bit value (kHKeyLocalMachine = 0x80000002).
bool IsPredefinedKey(std::uintptr_t value) {
    const std::uint64_t wide = value;
    const std::uint64_t high = wide >> 32;
    return (wide & 0x80000000u) != 0 && (high == 0 || high == 0xFFFFFFFFu);
}

HKEY ToHkey(std::uintptr_t value) {
    if (IsPredefinedKey(value)) {
        const auto low = static_cast<LONG>(static_cast<std::uint32_t>(value));
        return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(low));
    }
    return reinterpret_cast<HKEY>(value);
}

std::uintptr_t FromHkey(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    return IsPredefinedKey(value) ? static_cast<std::uint32_t>(value) : value;
}

// --- Buffers and texts ------------------------------------------------------

// A zero-filled buffer of exactly the caller's size, aligned for the records
// (with pointers) that the service manager writes into it.
class RecordBuffer {
  public:
    explicit RecordBuffer(std::uint32_t bytes) : words_((bytes + 7u) / 8u), bytes_(bytes) {}
    [[nodiscard]] BYTE* data() {
        return bytes_ == 0 ? nullptr : reinterpret_cast<BYTE*>(words_.data());
    }
    [[nodiscard]] DWORD size() const { return bytes_; }

  private:
    std::vector<std::uint64_t> words_;
    std::uint32_t bytes_;
};

std::string FromWide(const wchar_t* text) {
    return text == nullptr ? std::string() : Narrow(text);
}

// A double-zero-terminated list of names.
std::vector<std::string> SplitMultiString(const wchar_t* list) {
    std::vector<std::string> names;
    if (list == nullptr) return names;
    while (*list != L'\0') {
        const std::wstring_view name(list);
        names.push_back(Narrow(name));
        list += name.size() + 1;
    }
    return names;
}

// An optional argument: nullopt is a null pointer.
class OptionalWide {
  public:
    explicit OptionalWide(const std::optional<std::string>& text) {
        if (text) value_ = Widen(*text);
    }
    explicit OptionalWide(const std::optional<std::vector<std::string>>& names) {
        if (names) value_ = JoinMultiString(*names);
    }
    [[nodiscard]] const wchar_t* get() const { return value_ ? value_->c_str() : nullptr; }

  private:
    std::optional<std::wstring> value_;
};

// UTF-8 to the system's ANSI code page, for the companion library's exports.
std::string ToAnsi(std::string_view utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) return {};
    const int chars = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

ServiceStatus FromStatus(const SERVICE_STATUS& s) {
    return ServiceStatus{s.dwServiceType,
                         s.dwCurrentState,
                         s.dwControlsAccepted,
                         s.dwWin32ExitCode,
                         s.dwServiceSpecificExitCode,
                         s.dwCheckPoint,
                         s.dwWaitHint};
}

// The result of a failed call whose error is in the thread's last error; never 0.
ErrorCode LastErrorOr(ErrorCode fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

// Function pointers from GetProcAddress go through void (*)(), the type that
// converts to any other without a cast warning.
template <class Fn>
Fn AsFunction(void (*proc)()) {
    return reinterpret_cast<Fn>(proc);
}

struct LocalFreeDeleter {
    void operator()(void* memory) const noexcept { LocalFree(memory); }
};
struct NetApiBufferDeleter {
    void operator()(void* memory) const noexcept { NetApiBufferFree(memory); }
};

// Closes a handle without disturbing the thread's last error.
template <class Close>
void KeepingLastError(Close&& close) noexcept {
    const DWORD lastError = GetLastError();
    close();
    SetLastError(lastError);
}

}  // namespace

// --- Service control manager ------------------------------------------------

Opened<ScManagerHandle> Win32Platform::OpenSCManager(const std::string& machine,
                                                     std::uint32_t access) {
    const std::wstring name = Widen(machine);
    SC_HANDLE handle = ::OpenSCManagerW(machine.empty() ? nullptr : name.c_str(), nullptr, access);
    if (handle == nullptr) return {ScManagerHandle(), LastErrorOr(ERROR_INVALID_HANDLE)};
    return {ScManagerHandle(this, reinterpret_cast<std::uintptr_t>(handle)), kErrorSuccess};
}

Opened<ServiceHandle> Win32Platform::OpenService(const ScManagerHandle& manager,
                                                 const std::string& serviceName,
                                                 std::uint32_t access) {
    const std::wstring name = Widen(serviceName);
    SC_HANDLE handle = ::OpenServiceW(Sc(manager.get()), name.c_str(), access);
    if (handle == nullptr) return {ServiceHandle(), LastErrorOr(ERROR_INVALID_HANDLE)};
    return {ServiceHandle(this, reinterpret_cast<std::uintptr_t>(handle)), kErrorSuccess};
}

void Win32Platform::CloseServiceHandle(std::uintptr_t handle) noexcept {
    KeepingLastError([&] { ::CloseServiceHandle(Sc(handle)); });
}

std::uint32_t Win32Platform::EnumRecordSize() const noexcept {
    return sizeof(ENUM_SERVICE_STATUSW);
}

namespace {

using EnumResult = ServiceManagerApi::EnumResult;

// Entries of an enumeration buffer; a name the service manager left out (Wine
// does so in a partial buffer) reads as empty.
EnumResult ReadEnumeration(BOOL ok, RecordBuffer& buffer, DWORD needed, DWORD count) {
    EnumResult result;
    if (!ok) {
        result.error = LastErrorOr(ERROR_INVALID_PARAMETER);
        result.bytesNeeded = needed;
        if (result.error != ERROR_MORE_DATA) return result;
    }
    if (buffer.data() == nullptr) return result;
    const DWORD fits = buffer.size() / sizeof(ENUM_SERVICE_STATUSW);
    if (count > fits) count = fits;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
    result.entries.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        result.entries.push_back(EnumServiceStatus{FromWide(records[i].lpServiceName),
                                                   FromWide(records[i].lpDisplayName),
                                                   FromStatus(records[i].ServiceStatus)});
    }
    return result;
}

}  // namespace

ServiceManagerApi::EnumResult Win32Platform::EnumServicesStatus(const ScManagerHandle& manager,
                                                                std::uint32_t serviceType,
                                                                std::uint32_t serviceState,
                                                                std::uint32_t bufferBytes) {
    RecordBuffer buffer(bufferBytes);
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    const BOOL ok = ::EnumServicesStatusW(Sc(manager.get()), serviceType, serviceState,
                                          reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()),
                                          bufferBytes, &needed, &count, &resume);
    return ReadEnumeration(ok, buffer, needed, count);
}

ServiceManagerApi::EnumResult Win32Platform::EnumDependentServices(const ServiceHandle& service,
                                                                   std::uint32_t serviceState,
                                                                   std::uint32_t bufferBytes) {
    RecordBuffer buffer(bufferBytes);
    DWORD needed = 0;
    DWORD count = 0;
    const BOOL ok = ::EnumDependentServicesW(
        Sc(service.get()), serviceState, reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()),
        bufferBytes, &needed, &count);
    return ReadEnumeration(ok, buffer, needed, count);
}

ServiceManagerApi::ConfigResult Win32Platform::QueryServiceConfig(const ServiceHandle& service,
                                                                  std::uint32_t bufferBytes) {
    ConfigResult result;
    RecordBuffer buffer(bufferBytes);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (!::QueryServiceConfigW(Sc(service.get()), config, bufferBytes, &needed)) {
        result.error = LastErrorOr(ERROR_INVALID_PARAMETER);
        result.bytesNeeded = needed;
        return result;
    }
    if (config == nullptr) return result;  // cannot happen: success needs room
    result.config.serviceType = config->dwServiceType;
    result.config.startType = config->dwStartType;
    result.config.errorControl = config->dwErrorControl;
    result.config.binaryPathName = FromWide(config->lpBinaryPathName);
    result.config.loadOrderGroup = FromWide(config->lpLoadOrderGroup);
    result.config.tagId = config->dwTagId;
    result.config.dependencies = SplitMultiString(config->lpDependencies);
    result.config.serviceStartName = FromWide(config->lpServiceStartName);
    result.config.displayName = FromWide(config->lpDisplayName);
    return result;
}

ServiceManagerApi::DescriptionResult Win32Platform::QueryServiceDescription(
    const ServiceHandle& service, std::uint32_t bufferBytes) {
    DescriptionResult result;
    RecordBuffer buffer(bufferBytes);
    DWORD needed = 0;
    if (!::QueryServiceConfig2W(Sc(service.get()), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                bufferBytes, &needed)) {
        result.error = LastErrorOr(ERROR_INVALID_PARAMETER);
        result.bytesNeeded = needed;
        return result;
    }
    if (buffer.data() != nullptr) {
        const auto* description = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(buffer.data());
        result.description = FromWide(description->lpDescription);
    }
    return result;
}

ErrorCode Win32Platform::QueryServiceStatus(const ServiceHandle& service, ServiceStatus& status) {
    SERVICE_STATUS raw{};
    if (!::QueryServiceStatus(Sc(service.get()), &raw)) return LastErrorOr(ERROR_INVALID_HANDLE);
    status = FromStatus(raw);
    return kErrorSuccess;
}

ErrorCode Win32Platform::ChangeServiceConfig(const ServiceHandle& service,
                                             const ConfigChange& change) {
    const OptionalWide binaryPath(change.binaryPathName);
    const OptionalWide group(change.loadOrderGroup);
    const OptionalWide dependencies(change.dependencies);
    const OptionalWide startName(change.serviceStartName);
    const OptionalWide password(change.password);
    const OptionalWide displayName(change.displayName);
    if (!::ChangeServiceConfigW(Sc(service.get()), change.serviceType, change.startType,
                                change.errorControl, binaryPath.get(), group.get(), nullptr,
                                dependencies.get(), startName.get(), password.get(),
                                displayName.get())) {
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    }
    return kErrorSuccess;
}

ErrorCode Win32Platform::ChangeServiceDescription(const ServiceHandle& service,
                                                  const std::string& description) {
    std::wstring text = Widen(description);
    SERVICE_DESCRIPTIONW info{};
    info.lpDescription = text.data();  // "" (not NULL) deletes the description
    if (!::ChangeServiceConfig2W(Sc(service.get()), SERVICE_CONFIG_DESCRIPTION, &info))
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    return kErrorSuccess;
}

ErrorCode Win32Platform::StartService(const ServiceHandle& service,
                                      const std::vector<std::string>& arguments) {
    std::vector<std::wstring> wide;
    wide.reserve(arguments.size());
    for (const auto& argument : arguments)
        wide.push_back(Widen(argument));
    std::vector<LPCWSTR> pointers;
    pointers.reserve(wide.size());
    for (const auto& argument : wide)
        pointers.push_back(argument.c_str());
    const BOOL ok = ::StartServiceW(Sc(service.get()), static_cast<DWORD>(pointers.size()),
                                    pointers.empty() ? nullptr : pointers.data());
    return ok ? kErrorSuccess : LastErrorOr(ERROR_INVALID_HANDLE);
}

ErrorCode Win32Platform::ControlService(const ServiceHandle& service, std::uint32_t control,
                                        ServiceStatus& status) {
    SERVICE_STATUS raw{};
    const BOOL ok = ::ControlService(Sc(service.get()), control, &raw);
    const ErrorCode error = ok ? kErrorSuccess : LastErrorOr(ERROR_INVALID_HANDLE);
    status = FromStatus(raw);  // Windows fills the record on some failures too
    return error;
}

ServiceManagerApi::Created Win32Platform::CreateService(const ScManagerHandle& manager,
                                                        const CreateArgs& args) {
    const std::wstring name = Widen(args.serviceName);
    const std::wstring displayName = Widen(args.displayName);
    const std::wstring binaryPath = Widen(args.binaryPathName);
    const OptionalWide group(args.loadOrderGroup);
    const OptionalWide dependencies(args.dependencies);
    const OptionalWide startName(args.serviceStartName);
    const OptionalWide password(args.password);
    DWORD tag = 0;
    SC_HANDLE handle = ::CreateServiceW(
        Sc(manager.get()), name.c_str(), displayName.c_str(), args.desiredAccess, args.serviceType,
        args.startType, args.errorControl, binaryPath.c_str(), group.get(),
        args.wantTagId ? &tag : nullptr, dependencies.get(), startName.get(), password.get());
    Created created;
    if (handle == nullptr) {
        created.error = LastErrorOr(ERROR_INVALID_PARAMETER);
        return created;
    }
    created.handle = ServiceHandle(this, reinterpret_cast<std::uintptr_t>(handle));
    created.tagId = tag;
    return created;
}

ErrorCode Win32Platform::DeleteService(const ServiceHandle& service) {
    return ::DeleteService(Sc(service.get())) ? kErrorSuccess : LastErrorOr(ERROR_INVALID_HANDLE);
}

// --- Registry ---------------------------------------------------------------

Opened<RegKey> Win32Platform::RegConnectRegistry(const std::string& machine, std::uintptr_t root) {
    const std::wstring name = Widen(machine);
    HKEY key = nullptr;
    const LSTATUS status =
        ::RegConnectRegistryW(machine.empty() ? nullptr : name.c_str(), ToHkey(root), &key);
    if (status != ERROR_SUCCESS) return {RegKey(), static_cast<ErrorCode>(status)};
    return {RegKey(this, FromHkey(key)), kErrorSuccess};
}

Opened<RegKey> Win32Platform::RegOpenKeyEx(const RegKey& parent, const std::string& subKey,
                                           std::uint32_t access) {
    const std::wstring path = Widen(subKey);
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(ToHkey(parent.get()), path.c_str(), 0, access, &key);
    if (status != ERROR_SUCCESS) return {RegKey(), static_cast<ErrorCode>(status)};
    return {RegKey(this, FromHkey(key)), kErrorSuccess};
}

Opened<RegKey> Win32Platform::RegCreateKeyEx(const RegKey& parent, const std::string& subKey,
                                             std::uint32_t access) {
    const std::wstring path = Widen(subKey);
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LSTATUS status =
        ::RegCreateKeyExW(ToHkey(parent.get()), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          access, nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS) return {RegKey(), static_cast<ErrorCode>(status)};
    return {RegKey(this, FromHkey(key)), kErrorSuccess};
}

RegistryApi::ValueResult Win32Platform::RegQueryValueEx(const RegKey& key,
                                                        const std::string& valueName,
                                                        std::uint32_t bufferBytes) {
    ValueResult result;
    const HKEY hkey = ToHkey(key.get());
    const std::wstring name = Widen(valueName);
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        result.error = static_cast<ErrorCode>(status);
        return result;
    }
    // Read the whole value (it may grow between the calls), then answer in the
    // interface's terms: string data measured as UTF-8 bytes.
    std::vector<BYTE> raw;
    for (int attempt = 0;; ++attempt) {
        raw.assign(size < 2 ? 2 : size, 0);
        DWORD got = static_cast<DWORD>(raw.size());
        status = ::RegQueryValueExW(hkey, name.c_str(), nullptr, &type, raw.data(), &got);
        if (status == ERROR_MORE_DATA && attempt < 8) {
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS) {
            result.error = static_cast<ErrorCode>(status);
            return result;
        }
        raw.resize(got);
        break;
    }
    result.type = type;
    if (IsStringType(type)) {
        std::wstring wide(raw.size() / sizeof(wchar_t), L'\0');
        if (!wide.empty()) std::memcpy(wide.data(), raw.data(), wide.size() * sizeof(wchar_t));
        const std::string utf8 = Narrow(wide);
        result.data.assign(utf8.begin(), utf8.end());
    } else {
        result.data = std::move(raw);
    }
    result.bytesNeeded = static_cast<std::uint32_t>(result.data.size());
    if (result.data.size() > bufferBytes) {
        result.error = kErrorMoreData;
        result.data.clear();
    }
    return result;
}

ErrorCode Win32Platform::RegSetValueEx(const RegKey& key, const std::string& valueName,
                                       std::uint32_t type, const std::vector<std::uint8_t>& data) {
    const std::wstring name = Widen(valueName);
    LSTATUS status;
    if (IsStringType(type)) {
        // Every UTF-8 byte converted, zeros included. Windows (and Wine) count a
        // zero that follows the data into a string value that lacks one; a
        // non-zero character after the data keeps such a value as it was given.
        std::wstring wide =
            Widen(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        const auto bytes = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
        wide += L'\x1';
        status = ::RegSetValueExW(ToHkey(key.get()), name.c_str(), 0, type,
                                  reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
    } else {
        status =
            ::RegSetValueExW(ToHkey(key.get()), name.c_str(), 0, type,
                             data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    }
    return static_cast<ErrorCode>(status);
}

ErrorCode Win32Platform::RegDeleteValue(const RegKey& key, const std::string& valueName) {
    const std::wstring name = Widen(valueName);
    return static_cast<ErrorCode>(::RegDeleteValueW(ToHkey(key.get()), name.c_str()));
}

ErrorCode Win32Platform::RegDeleteTree(const RegKey& parent, const std::string& subKey) {
    const std::wstring path = Widen(subKey);
    return static_cast<ErrorCode>(::RegDeleteTreeW(ToHkey(parent.get()), path.c_str()));
}

void Win32Platform::RegCloseKey(std::uintptr_t key) noexcept {
    if (key == 0 || IsPredefinedKey(key)) return;
    KeepingLastError([&] { ::RegCloseKey(ToHkey(key)); });
}

// --- The local system -------------------------------------------------------

SystemApi::ComputerName Win32Platform::GetComputerName() {
    ComputerName result;
    std::wstring buffer(MAX_COMPUTERNAME_LENGTH + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!::GetComputerNameW(buffer.data(), &size)) {
        if (GetLastError() != ERROR_BUFFER_OVERFLOW) {
            result.error = LastErrorOr(ERROR_INVALID_PARAMETER);
            return result;
        }
        buffer.assign(size + 1, L'\0');
        size = static_cast<DWORD>(buffer.size());
        if (!::GetComputerNameW(buffer.data(), &size)) {
            result.error = LastErrorOr(ERROR_INVALID_PARAMETER);
            return result;
        }
    }
    buffer.resize(size);
    result.name = Narrow(buffer);
    return result;
}

SystemApi::AccountLookup Win32Platform::LookupAccountName(const std::string& systemName,
                                                          const std::string& accountName) {
    AccountLookup result;
    const std::wstring system = Widen(systemName);
    const std::wstring account = Widen(accountName);
    const wchar_t* systemArg = systemName.empty() ? nullptr : system.c_str();
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use = SidTypeUnknown;
    if (::LookupAccountNameW(systemArg, account.c_str(), nullptr, &sidSize, nullptr, &domainSize,
                             &use) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        result.error = LastErrorOr(ERROR_NONE_MAPPED);
        return result;
    }
    std::vector<std::uint8_t> sid(sidSize == 0 ? 1 : sidSize);
    std::wstring domain(domainSize + 1, L'\0');
    domainSize = static_cast<DWORD>(domain.size());
    if (!::LookupAccountNameW(systemArg, account.c_str(), sid.data(), &sidSize, domain.data(),
                              &domainSize, &use)) {
        result.error = LastErrorOr(ERROR_NONE_MAPPED);
        return result;
    }
    sid.resize(GetLengthSid(sid.data()));
    result.sid = std::move(sid);
    result.domain = FromWide(domain.c_str());
    result.use = static_cast<std::uint32_t>(use);
    return result;
}

std::vector<std::string> Win32Platform::GetLogicalDriveStrings() {
    const DWORD needed = ::GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed + 1, L'\0');
    const DWORD written =
        ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (written == 0 || written > buffer.size()) return {};
    return SplitMultiString(buffer.c_str());
}

std::uint32_t Win32Platform::GetDriveType(const std::string& rootPath) {
    const std::wstring path = Widen(rootPath);
    return ::GetDriveTypeW(path.c_str());
}

SystemApi::ShareList Win32Platform::NetShareEnum(const std::string& server) {
    ShareList result;
    std::wstring name = Widen(server);
    LPBYTE raw = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    DWORD resume = 0;
    const NET_API_STATUS status = ::NetShareEnum(server.empty() ? nullptr : name.data(), 502, &raw,
                                                 MAX_PREFERRED_LENGTH, &read, &total, &resume);
    const std::unique_ptr<void, NetApiBufferDeleter> owner(raw);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
        result.error = static_cast<ErrorCode>(status);
        return result;
    }
    const auto* shares = reinterpret_cast<const SHARE_INFO_502*>(raw);
    for (DWORD i = 0; shares != nullptr && i < read; ++i) {
        result.shares.push_back(ShareInfo{FromWide(shares[i].shi502_netname), shares[i].shi502_type,
                                          FromWide(shares[i].shi502_remark)});
    }
    return result;
}

ErrorCode Win32Platform::CopyFile(const std::string& from, const std::string& to,
                                  bool failIfExists) {
    const std::wstring source = Widen(from);
    const std::wstring target = Widen(to);
    return ::CopyFileW(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE)
               ? kErrorSuccess
               : LastErrorOr(ERROR_ACCESS_DENIED);
}

ErrorCode Win32Platform::WriteFile(const std::string& path, const std::string& content) {
    const std::wstring name = Widen(path);
    UniqueKernelHandle file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(ERROR_ACCESS_DENIED);
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t left = content.size() - done;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(file.get(), content.data() + done, chunk, &written, nullptr))
            return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return kErrorSuccess;
}

bool Win32Platform::FileExists(const std::string& path) {
    const std::wstring name = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

ErrorCode Win32Platform::CreateDirectory(const std::string& path) {
    const std::wstring name = Widen(path);
    return ::CreateDirectoryW(name.c_str(), nullptr) ? kErrorSuccess
                                                     : LastErrorOr(ERROR_ACCESS_DENIED);
}

std::string Win32Platform::ApplicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.assign(path.size() * 2, L'\0');  // cut short: try a larger buffer
    }
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    path.resize(slash);
    return Narrow(path);
}

SystemApi::EncodedText Win32Platform::EncodeText(const std::string& utf8, CodePage page) {
    EncodedText result;
    if (utf8.empty()) return result;
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                            static_cast<int>(utf8.size()), nullptr, 0);
    if (units <= 0) {
        result.error = LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
        return result;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          units);
    const UINT codePage = page == CodePage::Ansi ? ::GetACP() : ::GetOEMCP();
    // UTF-8 as the system's code page holds every character and takes no flags.
    const bool utf8Page = codePage == CP_UTF8;
    const DWORD flags = utf8Page ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = utf8Page ? nullptr : &usedDefault;
    const int bytes = ::WideCharToMultiByte(codePage, flags, wide.data(), units, nullptr, 0,
                                            nullptr, usedDefaultArg);
    if (bytes <= 0) {
        result.error = LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(bytes));
    ::WideCharToMultiByte(codePage, flags, wide.data(), units, result.bytes.data(), bytes, nullptr,
                          usedDefaultArg);
    if (usedDefault) {
        result.bytes.clear();
        result.error = ERROR_NO_UNICODE_TRANSLATION;
    }
    return result;
}

std::string Win32Platform::FormatMessage(ErrorCode code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(text);
    if (length == 0 || text == nullptr) return {};
    return Narrow(std::wstring_view(text, length));
}

Opened<LibraryHandle> Win32Platform::LoadLibrary(const std::string& name) {
    const std::wstring file = Widen(name);
    HMODULE module = ::LoadLibraryW(file.c_str());
    if (module == nullptr) return {LibraryHandle(), LastErrorOr(ERROR_MOD_NOT_FOUND)};
    return {LibraryHandle(this, reinterpret_cast<std::uintptr_t>(module)), kErrorSuccess};
}

bool Win32Platform::HasProcAddress(const LibraryHandle& library, const std::string& exportName) {
    if (!library) return false;
    return ::GetProcAddress(reinterpret_cast<HMODULE>(library.get()), exportName.c_str()) !=
           nullptr;
}

void Win32Platform::FreeLibrary(std::uintptr_t library) noexcept {
    KeepingLastError([&] { ::FreeLibrary(reinterpret_cast<HMODULE>(library)); });
}

void Win32Platform::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

std::uint64_t Win32Platform::TickCount() {
    return ::GetTickCount64();
}

// --- The companion library --------------------------------------------------

Win32Platform::AnyFunction Win32Platform::CompanionExport(const char* exportName,
                                                          ErrorCode& error) {
    if (companion_ == nullptr) {
        std::wstring path;
        if (companionPath_.empty()) {
            path = Widen(ApplicationFolder());
            path += L'\\';
            path += kCompanionLibraryName;
        } else {
            path = Widen(companionPath_);
        }
        HMODULE module = ::LoadLibraryW(path.c_str());
        if (module == nullptr) {
            error = LastErrorOr(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        companion_ = module;
    }
    FARPROC proc = ::GetProcAddress(static_cast<HMODULE>(companion_), exportName);
    error = proc == nullptr ? LastErrorOr(ERROR_PROC_NOT_FOUND) : kErrorSuccess;
    return reinterpret_cast<AnyFunction>(proc);
}

Opened<ThreadHandle> Win32Platform::VTLStartService(const std::string& serviceName,
                                                    const std::string& computerName,
                                                    const std::optional<std::string>& parameter) {
    ErrorCode error = kErrorSuccess;
    AnyFunction proc = CompanionExport(kStartServiceExport, error);
    if (proc == nullptr) return {ThreadHandle(), error};
    const std::string service = ToAnsi(serviceName);
    const std::string computer = ToAnsi(computerName);
    const std::optional<std::string> argument =
        parameter ? std::optional<std::string>(ToAnsi(*parameter)) : std::nullopt;
    SetLastError(ERROR_SUCCESS);
    HANDLE thread = AsFunction<VTLStartServiceFn>(proc)(service.c_str(), computer.c_str(),
                                                        argument ? argument->c_str() : nullptr);
    if (thread == nullptr) return {ThreadHandle(), LastErrorOr(ERROR_INVALID_HANDLE)};
    return {ThreadHandle(this, reinterpret_cast<std::uintptr_t>(thread)), kErrorSuccess};
}

StartLibraryApi::ExitCode Win32Platform::GetExitCodeThread(const ThreadHandle& thread) {
    ExitCode result;
    DWORD code = 0;
    if (!::GetExitCodeThread(reinterpret_cast<HANDLE>(thread.get()), &code)) {
        result.error = LastErrorOr(ERROR_INVALID_HANDLE);
        return result;
    }
    result.code = code;
    return result;
}

std::uint32_t Win32Platform::fnLogRight(const std::string& computerName,
                                        const std::vector<std::uint8_t>& sid) {
    ErrorCode error = kErrorSuccess;
    AnyFunction proc = CompanionExport(kLogRightExport, error);
    if (proc == nullptr) return error;
    const std::wstring computer = Widen(computerName);
    std::vector<std::uint8_t> sidCopy = sid;  // the export takes a non-const PSID
    return AsFunction<fnLogRightFn>(proc)(computer.c_str(),
                                          sidCopy.empty() ? nullptr : sidCopy.data());
}

void Win32Platform::CloseHandle(std::uintptr_t handle) noexcept {
    KeepingLastError([&] { ::CloseHandle(reinterpret_cast<HANDLE>(handle)); });
}

}  // namespace vtl::win32

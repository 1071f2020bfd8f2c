#include "main/ServiceReadings.h"

#include <utility>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"

namespace vtl {

namespace {

// Access rights by use.
constexpr std::uint32_t kListManagerAccess = kScManagerEnumerateService;        // 4
constexpr std::uint32_t kListServiceAccess = kServiceQueryConfig;               // 1
constexpr std::uint32_t kTickManagerAccess = kGenericRead | kScManagerConnect;  // 2147483649
constexpr std::uint32_t kTickServiceAccess = kServiceQueryConfig | kServiceQueryStatus;  // 5

// A start type that could not be read: no start type the icon rule knows.
constexpr std::uint32_t kStartTypeUnknown = 0xFFFFFFFF;

bool Cancelled(const ui::CancelToken* token) {
    return token != nullptr && token->Cancelled();
}

// One manager connection of a reading, which the reading may open again.
class Connection {
  public:
    Connection(Platform& platform, const std::string& machine, std::uint32_t access)
        : platform_(platform), machine_(UncComputerName(machine)), access_(access) {
        auto [manager, error] = platform_.OpenSCManager(machine_, access_);
        manager_ = std::move(manager);
        error_ = error;
    }
    [[nodiscard]] const ScManagerHandle& Manager() const noexcept { return manager_; }
    [[nodiscard]] ErrorCode Error() const noexcept { return error_; }

    // The reading of one service; once more on a fresh manager handle when the
    // first one met an invalid handle.
    template <class Read>
    auto ReadService(Read read) {
        auto result = read(manager_);
        if (!result.MetInvalidHandle()) return result;
        manager_.reset();
        auto [manager, error] = platform_.OpenSCManager(machine_, access_);
        manager_ = std::move(manager);
        if (!manager_) return result;
        return read(manager_);
    }

  private:
    Platform& platform_;
    std::string machine_;
    std::uint32_t access_;
    ScManagerHandle manager_;
    ErrorCode error_ = kErrorSuccess;
};

// A service's configuration, for the list.
struct ConfigOfService {
    ErrorCode openError = kErrorSuccess;
    ConfigRead read;
    [[nodiscard]] bool MetInvalidHandle() const {
        return openError == kErrorInvalidHandle || read.error == kErrorInvalidHandle;
    }
};

ConfigOfService ReadConfig(Platform& platform, const ScManagerHandle& manager,
                           const std::string& name) {
    ConfigOfService result;
    auto [service, error] = platform.OpenService(manager, name, kListServiceAccess);
    result.openError = error;
    if (service) result.read = GetServiceConfig(platform, service);
    return result;
}

// A service's state and configuration, for the pass.
struct StateOfService {
    ErrorCode openError = kErrorSuccess;
    ErrorCode statusError = kErrorSuccess;
    ServiceStatus status;
    ConfigRead config;
    [[nodiscard]] bool MetInvalidHandle() const {
        return openError == kErrorInvalidHandle || statusError == kErrorInvalidHandle ||
               config.error == kErrorInvalidHandle;
    }
};

StateOfService ReadState(Platform& platform, const ScManagerHandle& manager,
                         const std::string& name) {
    StateOfService result;
    auto [service, error] = platform.OpenService(manager, name, kTickServiceAccess);
    result.openError = error;
    if (!service) return result;
    result.statusError = platform.QueryServiceStatus(service, result.status);
    if (result.statusError == kErrorSuccess) result.config = GetServiceConfig(platform, service);
    return result;
}

}  // namespace

ServiceListReading ReadServiceList(Platform& platform, const std::string& machine,
                                   std::uint32_t serviceState, const ui::CancelToken* token) {
    ServiceListReading reading;
    try {
        Connection connection(platform, machine, kListManagerAccess);
        if (!connection.Manager()) {
            reading.message = OpenFailureText(platform, connection.Error());
            return reading;
        }
        EnumRead read =
            EnumerateServices(platform, connection.Manager(), kServiceWin32, serviceState);
        if (!read.firstAskedForMore()) {
            reading.message = MoreDataNotReturnedText(read.firstError);
            return reading;
        }
        if (!read.ok()) {
            reading.message = GetErrorText(platform, read.error);
            return reading;
        }
        reading.services.reserve(read.entries.size());
        for (EnumServiceStatus& entry : read.entries) {
            if (Cancelled(token)) return reading;
            const ConfigOfService config =
                connection.ReadService([&](const ScManagerHandle& manager) {
                    return ReadConfig(platform, manager, entry.serviceName);
                });
            reading.services.push_back(ListedService{std::move(entry), config.read.config});
        }
        reading.count = static_cast<std::int32_t>(read.entries.size());
    } catch (...) {
        reading.thrown = std::current_exception();
    }
    return reading;
}

PassLook LookAfterPass(std::string_view shownStatus, std::string_view shownStartupType,
                       std::uint32_t state, std::optional<std::uint32_t> startType) {
    const std::uint32_t type =
        startType ? *startType : StartTypeFromText(shownStartupType).value_or(kStartTypeUnknown);
    PassLook look;
    look.icon = static_cast<int>(StateIcon(state, type, shownStatus));
    const std::string_view text = ServiceStatusText(state);
    if (shownStatus != kStatusStarting && shownStatus != kStatusMarkedForDeletion &&
        shownStatus != text)
        look.status = text;
    return look;
}

std::vector<RowOutcome> ReadServiceStates(Platform& platform, const std::string& machine,
                                          const std::vector<ShownRow>& rows,
                                          const ui::CancelToken& token) {
    std::vector<RowOutcome> outcomes;
    try {
        Connection connection(platform, machine, kTickManagerAccess);
        if (!connection.Manager()) return outcomes;
        for (const ShownRow& shown : rows) {
            if (token.Cancelled()) break;
            const StateOfService read = connection.ReadService([&](const ScManagerHandle& manager) {
                return ReadState(platform, manager, shown.name);
            });
            RowOutcome outcome;
            outcome.row = shown.row;
            outcome.generation = shown.generation;
            if (read.openError == kErrorServiceDoesNotExist) {
                outcome.kind = RowOutcome::Kind::Gone;
            } else if (read.openError == kErrorServiceMarkedForDelete) {
                if (shown.status == kStatusMarkedForDeletion && !shown.selected) continue;
                outcome.kind = RowOutcome::Kind::Marked;
            } else if (read.openError != kErrorSuccess || read.statusError != kErrorSuccess) {
                continue;  // the row keeps what it shows
            } else {
                outcome.state = read.status.currentState;
                if (read.config.ok()) outcome.startType = read.config.config->startType;
                const PassLook look = LookAfterPass(shown.status, shown.startupType, outcome.state,
                                                    outcome.startType);
                if (look.icon == shown.icon && !look.status && !shown.selected) continue;
            }
            outcomes.push_back(std::move(outcome));
        }
    } catch (...) {
        // The pass ends here, as one failing on the window's thread did; what
        // it read so far is still applied.
    }
    return outcomes;
}

}  // namespace vtl

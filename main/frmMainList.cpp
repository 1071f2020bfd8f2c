// frmMain: the procedures over the services list (listing, full refresh,
// refresh of one row, the periodic pass, the state of one service).

#include <optional>
#include <utility>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "main/frmMain.h"

namespace vtl {

namespace {

// Access rights by use.
constexpr std::uint32_t kListManagerAccess = kScManagerEnumerateService;                   // 4
constexpr std::uint32_t kListServiceAccess = kServiceQueryConfig;                          // 1
constexpr std::uint32_t kByNameManagerAccess = kScManagerAllAccess;                        // 983103
constexpr std::uint32_t kByNameServiceAccess = kServiceQueryConfig | kServiceQueryStatus;  // 5
constexpr std::uint32_t kTickManagerAccess = kGenericRead | kScManagerConnect;  // 2147483649
constexpr std::uint32_t kTickServiceAccess = kServiceQueryConfig | kServiceQueryStatus;  // 5
constexpr std::uint32_t kStateManagerAccess = kScManagerAllAccess;                       // 983103
constexpr std::uint32_t kStateServiceAccess = kServiceQueryStatus;                       // 4

// A start type that could not be read: no start type the icon rule knows.
constexpr std::uint32_t kStartTypeUnknown = 0xFFFFFFFF;

int IconOf(StateIconIndex icon) {
    return static_cast<int>(icon);
}

// The start type for the icon rule: the configuration's, or, when it could not
// be read, the one the row shows.
std::uint32_t StartTypeFor(const ServiceConfig* config, const std::string& shownText) {
    if (config != nullptr) return config->startType;
    return StartTypeFromText(shownText).value_or(kStartTypeUnknown);
}

// Runs a step when a scope ends, also after a failure (handles close before it,
// being declared after it).
template <class Step>
class AtScopeEnd {
  public:
    explicit AtScopeEnd(Step step) : step_(std::move(step)) {}
    ~AtScopeEnd() {
        try {
            step_();
        } catch (...) {
            // The scope is ending anyway; nothing more to do.
        }
    }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

  private:
    Step step_;
};

// Adding many rows to a sorted list: the first new row switches sorting off and
// the end of the fill sorts once, so a fill is not quadratic in the rows. A
// fill that adds nothing leaves the order alone.
class ListFill {
  public:
    explicit ListFill(ui::ListView& list) : list_(list) { list_.BeginUpdate(); }
    ~ListFill() {
        try {
            if (suspended_) list_.SetSorted(true);
        } catch (...) {
            // The rows are all there; only their order is left as it came.
        }
        list_.EndUpdate();
    }
    ListFill(const ListFill&) = delete;
    ListFill& operator=(const ListFill&) = delete;

    ui::ListRowId Add(std::vector<std::string> cells, int icon) {
        if (!suspended_ && list_.Sorted()) {
            list_.SetSorted(false);
            suspended_ = true;
        }
        return list_.AddRowCells(std::move(cells), icon);
    }

  private:
    ui::ListView& list_;
    bool suspended_ = false;
};

// Opens a service and reads its configuration; nothing when either fails.
std::optional<ServiceConfig> ReadConfig(Platform& platform, const ScManagerHandle& manager,
                                        const std::string& name, std::uint32_t access) {
    auto [service, error] = platform.OpenService(manager, name, access);
    if (!service) return std::nullopt;
    return GetServiceConfig(platform, service).config;
}

// The cells of a new row. A configuration that could not be read leaves the
// Startup Type and Logon As columns empty.
std::vector<std::string> NewRowCells(const EnumServiceStatus& entry, const ServiceConfig* config) {
    std::vector<std::string> cells;
    cells.reserve(5);
    cells.push_back(entry.serviceName);
    cells.push_back(CutToChars(entry.displayName));
    cells.emplace_back(ServiceStatusText(entry.status.currentState));
    if (config != nullptr) {
        cells.emplace_back(StartTypeText(config->startType));
        cells.push_back(CutToChars(config->serviceStartName));
    } else {
        cells.emplace_back();
        cells.emplace_back();
    }
    return cells;
}

int NewRowIcon(const EnumServiceStatus& entry, const ServiceConfig* config) {
    const std::uint32_t startType = config != nullptr ? config->startType : kStartTypeUnknown;
    return IconOf(StateIcon(entry.status.currentState, startType, {}));
}

}  // namespace

void frmMain::ShowServiceCount() {
    sbStatusBar.SetPanelText(kPanelCount,
                             std::string(kTotalServices) + std::to_string(lvServices.RowCount()));
}

// --- Listing and full refresh -------------------------------------------------------

std::int32_t frmMain::ReadServicesForList(std::string_view progress, std::uint32_t serviceState,
                                          const std::string& sMachine,
                                          const ListedServiceVisitor& visit) {
    sbStatusBar.SetPanelText(kPanelProgress, std::string(progress) + sMachine);
    SetMousePointer(ui::MousePointer::Hourglass);
    // Declared before the handles: "Done" comes after the manager is closed, on
    // every path.
    AtScopeEnd done([this] {
        sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
        SetMousePointer(ui::MousePointer::Default);
    });

    auto [manager, openError] =
        platform_.OpenSCManager(UncComputerName(sMachine), kListManagerAccess);
    if (!manager) {
        MsgBox(OpenFailureText(platform_, openError));
        return 0;
    }
    const EnumRead read = EnumerateServices(platform_, manager, kServiceWin32, serviceState);
    if (!read.firstAskedForMore()) {
        MsgBox(MoreDataNotReturnedText(read.firstError));
        return 0;
    }
    if (!read.ok()) {
        MsgBox(GetErrorText(platform_, read.error));
        return 0;
    }
    for (const EnumServiceStatus& entry : read.entries) {
        const std::optional<ServiceConfig> config =
            ReadConfig(platform_, manager, entry.serviceName, kListServiceAccess);
        visit(entry, config ? &*config : nullptr);
    }
    return static_cast<std::int32_t>(read.entries.size());
}

std::int32_t frmMain::EnumSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                         ui::ListView& ctl) {
    std::optional<ListFill> fill;  // from the first row on: a failure leaves the list alone
    return ReadServicesForList(kProgressSearching, serviceState, sMachine,
                               [&](const EnumServiceStatus& entry, const ServiceConfig* config) {
                                   if (!fill) fill.emplace(ctl);
                                   fill->Add(NewRowCells(entry, config), NewRowIcon(entry, config));
                               });
}

std::int32_t frmMain::RefreshSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                            ui::ListView& ctl) {
    std::optional<ListFill> fill;
    return ReadServicesForList(kProgressRefreshing, serviceState, sMachine,
                               [&](const EnumServiceStatus& entry, const ServiceConfig* config) {
                                   if (!fill) fill.emplace(ctl);
                                   const ui::ListRowId row = ctl.FindRow(entry.serviceName);
                                   if (!row) {
                                       fill->Add(NewRowCells(entry, config),
                                                 NewRowIcon(entry, config));
                                   } else {
                                       UpdateServiceRow(ctl, row, entry, config);
                                   }
                               });
}

void frmMain::UpdateServiceRow(ui::ListView& ctl, ui::ListRowId row, const EnumServiceStatus& entry,
                               const ServiceConfig* config) {
    const std::uint32_t state = entry.status.currentState;
    const std::string& status = ctl.Text(row, kColStatus);
    const bool starting = status == kStatusStarting;
    const bool keepStatus = starting || status == kStatusMarkedForDeletion;
    ctl.SetSmallIcon(
        row,
        IconOf(starting
                   ? StateIconIndex::Busy
                   : StateIcon(state, StartTypeFor(config, ctl.Text(row, kColStartupType)), {})));
    ctl.SetText(row, kColDisplayName, CutToChars(entry.displayName));
    if (!keepStatus) ctl.SetText(row, kColStatus, std::string(ServiceStatusText(state)));
    // A configuration that could not be read leaves these as they were.
    if (config != nullptr) {
        ctl.SetText(row, kColStartupType, std::string(StartTypeText(config->startType)));
        ctl.SetText(row, kColLogonAs, CutToChars(config->serviceStartName));
    }
}

// --- One row by name ------------------------------------------------------------------

void frmMain::RefreshGUIForService(const std::string& SrvName) {
    // The first call that failed decides the message: a later call that
    // succeeds does not hide it, and a call that succeeded is never reported.
    ErrorCode failure = kErrorSuccess;
    auto fail = [&failure](ErrorCode code) {
        if (failure == kErrorSuccess) failure = code;
    };
    // Shown last, after the handles are closed and "Done" is written.
    AtScopeEnd report([&] {
        if (failure != kErrorSuccess) MsgBox(GetErrorText(platform_, failure));
    });
    AtScopeEnd done(
        [this] { sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone)); });

    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(cboSystems.Text()), kByNameManagerAccess);
    if (!manager) {
        fail(managerError);
        return;
    }
    auto [service, serviceError] = platform_.OpenService(manager, SrvName, kByNameServiceAccess);
    if (!service) {
        fail(serviceError);
        return;
    }

    const ui::ListRowId row = lvServices.FindRow(SrvName);
    ServiceStatus status;
    const ErrorCode statusError = platform_.QueryServiceStatus(service, status);
    const bool stateKnown = statusError == kErrorSuccess;
    if (!stateKnown) {
        fail(statusError);
    } else if (row) {
        // The real state, also over "Starting" and "Marked for Deletion".
        lvServices.SetText(row, kColStatus, std::string(ServiceStatusText(status.currentState)));
    }

    const ConfigRead read = GetServiceConfig(platform_, service);
    if (read.sizingError == kErrorInsufficientBuffer) {
        if (!read.ok()) {
            fail(read.error);
        } else if (row) {
            const ServiceConfig& config = *read.config;
            lvServices.SetText(row, kColStartupType, std::string(StartTypeText(config.startType)));
            lvServices.SetText(row, kColDisplayName, CutToChars(config.displayName));
            lvServices.SetText(row, kColLogonAs, CutToChars(config.serviceStartName));
            if (stateKnown) {
                lvServices.SetSmallIcon(
                    row, IconOf(StateIcon(status.currentState, config.startType, {})));
            }
        }
    } else if (read.sizingError != kErrorSuccess) {
        fail(read.sizingError);
    }

    // The commands follow the state that was read; with no state they stay.
    if (stateKnown && row) {
        if (tbStart.ButtonCount() > 0)
            tbStart.SetButtonEnabled(0, status.currentState == kServiceStopped);
        UpdateCommandState(status.currentState, row);
    }
}

// --- State of one service ------------------------------------------------------------

std::uint32_t frmMain::GetServiceState(const std::string& name) {
    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(cboSystems.Text()), kStateManagerAccess);
    if (!manager) return 0;
    auto [service, serviceError] = platform_.OpenService(manager, name, kStateServiceAccess);
    if (!service) return 0;
    ServiceStatus status;
    if (platform_.QueryServiceStatus(service, status) != kErrorSuccess) return 0;
    return status.currentState;
}

// --- The periodic pass -----------------------------------------------------------------

void frmMain::RefreshServiceStates() {
    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(cboSystems.Text()), kTickManagerAccess);
    if (!manager) return;

    // The rows as they are now; a row dropped on the way takes nothing else with
    // it, so every row after it is still visited.
    const std::vector<ui::ListRowId> rows = lvServices.Rows();
    for (const ui::ListRowId row : rows) {
        if (!lvServices.Contains(row)) continue;
        auto [service, openError] = platform_.OpenService(
            manager, lvServices.Text(row, kColServiceName), kTickServiceAccess);
        if (!service) {
            if (openError == kErrorServiceDoesNotExist) {
                lvServices.RemoveRow(row);
                ShowServiceCount();
            } else if (openError == kErrorServiceMarkedForDelete) {
                lvServices.SetText(row, kColStatus, std::string(kStatusMarkedForDeletion));
                if (lvServices.Selected(row)) UpdateCommandState(0, row);
            }
            continue;
        }

        ServiceStatus status;
        if (platform_.QueryServiceStatus(service, status) != kErrorSuccess) continue;
        const ConfigRead read = GetServiceConfig(platform_, service);
        const std::uint32_t state = status.currentState;
        const std::string& shown = lvServices.Text(row, kColStatus);
        const bool starting = shown == kStatusStarting;
        const bool marked = shown == kStatusMarkedForDeletion;
        const std::uint32_t startType = StartTypeFor(read.ok() ? &*read.config : nullptr,
                                                     lvServices.Text(row, kColStartupType));
        lvServices.SetSmallIcon(
            row, IconOf(starting ? StateIconIndex::Busy : StateIcon(state, startType, {})));
        if (!starting && !marked && shown != ServiceStatusText(state))
            lvServices.SetText(row, kColStatus, std::string(ServiceStatusText(state)));
        if (lvServices.Selected(row)) UpdateCommandState(state, row);
    }
}

}  // namespace vtl

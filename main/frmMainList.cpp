// frmMain: the procedures over the services list (listing, full refresh,
// refresh of one row, the periodic pass, the state of one service).

#include <exception>
#include <memory>
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
constexpr std::uint32_t kByNameManagerAccess = kScManagerAllAccess;                        // 983103
constexpr std::uint32_t kByNameServiceAccess = kServiceQueryConfig | kServiceQueryStatus;  // 5
constexpr std::uint32_t kStateManagerAccess = kScManagerAllAccess;                         // 983103
constexpr std::uint32_t kStateServiceAccess = kServiceQueryStatus;                         // 4

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
    std::string text = std::string(kTotalServices) + std::to_string(lvServices.RowCount());
    if (lvServices.Filtered()) text += ShownCountText(lvServices.ShownCount());
    sbStatusBar.SetPanelWidth(kPanelCount,
                              lvServices.Filtered() ? kCountPanelWidthFiltered : kCountPanelWidth);
    sbStatusBar.SetPanelText(kPanelCount, text);
}

// --- Listing and full refresh -------------------------------------------------------

std::int32_t frmMain::ListNow(std::string_view progress, std::uint32_t serviceState,
                              const std::string& sMachine, ui::ListView& ctl, bool refresh) {
    sbStatusBar.SetPanelText(kPanelProgress, std::string(progress) + sMachine);
    SetMousePointer(ui::MousePointer::Hourglass);
    AtScopeEnd done([this] {
        sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
        SetMousePointer(ui::MousePointer::Default);
    });
    const ServiceListReading reading = ReadServiceList(platform_, sMachine, serviceState);
    ApplyServiceList(reading, ctl, refresh);
    // A public procedure hands a failure that is no error code to its caller.
    if (reading.thrown) std::rethrow_exception(reading.thrown);
    return reading.count;
}

std::int32_t frmMain::EnumSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                         ui::ListView& ctl) {
    // The caller has emptied the list: what a reading under way would add to it
    // belongs to the list before.
    if (&ctl == &lvServices) {
        ++listEpoch_;
        rowGenerations_.clear();
    }
    return ListNow(kProgressSearching, serviceState, sMachine, ctl, false);
}

std::int32_t frmMain::RefreshSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                            ui::ListView& ctl) {
    return ListNow(kProgressRefreshing, serviceState, sMachine, ctl, true);
}

void frmMain::ListInBackground(std::string_view progress, const std::string& sMachine, bool refresh,
                               std::function<void()> after) {
    // An earlier reading of the list is superseded: its result would be older.
    listToken_.Cancel();
    if (!refresh) {
        ++listEpoch_;
        rowGenerations_.clear();
        // The rows are about to be read again; a pass would read them for nothing.
        passToken_.Cancel();
        passRunning_ = false;
    }
    afterList_.push_back(std::move(after));
    const std::uint64_t request = ++listRequest_;
    const std::uint64_t epoch = listEpoch_;
    readingList_ = true;
    sbStatusBar.SetPanelText(kPanelProgress, std::string(progress) + sMachine);
    SetMousePointer(ui::MousePointer::Hourglass);

    listToken_ = work_.Submit([this, &platform = platform_, sMachine, refresh, request,
                               epoch](const ui::CancelToken& token) -> ui::Executor::Finish {
        auto reading = std::make_shared<ServiceListReading>(
            ReadServiceList(platform, sMachine, kServiceStateAll, &token));
        return [this, reading, sMachine, refresh, request, epoch] {
            if (request != listRequest_) return;  // a newer reading finishes the list
            std::vector<std::function<void()>> after = std::move(afterList_);
            afterList_.clear();
            // Stale when a listing by a public procedure refilled it meanwhile.
            if (epoch == listEpoch_ && sMachine == cboSystems.Text()) {
                try {
                    ApplyServiceList(*reading, lvServices, refresh);
                } catch (...) {
                    // As a failure inside the reading: the steps below still run.
                }
            }
            readingList_ = false;
            sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
            SetMousePointer(ui::MousePointer::Default);
            for (const std::function<void()>& step : after) {
                try {
                    if (step) step();
                } catch (...) {
                    // Each step ends quietly, as the handler it belongs to.
                }
            }
        };
    });
}

void frmMain::ApplyServiceList(const ServiceListReading& reading, ui::ListView& ctl, bool refresh) {
    if (!reading.message.empty()) MsgBox(reading.message);
    if (reading.services.empty()) return;
    ListFill fill(ctl);
    for (const ListedService& service : reading.services) {
        const ServiceConfig* config = service.config ? &*service.config : nullptr;
        const ui::ListRowId row =
            refresh ? ctl.FindRow(service.entry.serviceName) : ui::ListRowId{};
        if (!row) {
            fill.Add(NewRowCells(service.entry, config), NewRowIcon(service.entry, config));
        } else {
            UpdateServiceRow(ctl, row, service.entry, config);
        }
    }
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
    // This reading is newer than a pass's under way.
    if (&ctl == &lvServices) RowActedOn(row);
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
    AtScopeEnd done([this] {
        sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
        // A new display name may have shown or hidden the row.
        if (lvServices.Filtered()) ShowServiceCount();
    });

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
    if (row) RowActedOn(row);
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

void frmMain::RowActedOn(ui::ListRowId row) {
    ++rowGenerations_[row.value];
}

std::uint32_t frmMain::RowGeneration(ui::ListRowId row) const {
    const auto found = rowGenerations_.find(row.value);
    return found != rowGenerations_.end() ? found->second : 0;
}

void frmMain::RefreshServiceStates() {
    // A pass never overlaps the next; a list being read is read whole anyway.
    if (passRunning_ || readingList_) return;

    // The rows as they are now, for the reading; they are looked at again, by
    // id, when its outcomes come back.
    std::vector<ShownRow> rows;
    rows.reserve(static_cast<std::size_t>(lvServices.RowCount()));
    for (const ui::ListRowId row : lvServices.Rows()) {
        rows.push_back(ShownRow{row, RowGeneration(row), lvServices.Text(row, kColServiceName),
                                lvServices.Text(row, kColStatus),
                                lvServices.Text(row, kColStartupType), lvServices.SmallIcon(row),
                                lvServices.Selected(row)});
    }
    passRunning_ = true;
    const std::uint64_t epoch = listEpoch_;
    passToken_ = work_.Submit(
        [this, &platform = platform_, machine = cboSystems.Text(), epoch,
         rows = std::move(rows)](const ui::CancelToken& token) -> ui::Executor::Finish {
            auto outcomes = std::make_shared<std::vector<RowOutcome>>(
                ReadServiceStates(platform, machine, rows, token));
            return [this, outcomes, machine, epoch] {
                passRunning_ = false;
                // Another computer, or the list filled again: nothing of it applies.
                if (epoch != listEpoch_ || machine != cboSystems.Text()) return;
                ApplyServiceStates(*outcomes);
            };
        });
}

void frmMain::ApplyServiceStates(const std::vector<RowOutcome>& outcomes) {
    bool removed = false;
    for (const RowOutcome& outcome : outcomes) {
        const ui::ListRowId row = outcome.row;
        // The row has gone, or a command acted on it after it was read.
        if (!lvServices.Contains(row) || RowGeneration(row) != outcome.generation) continue;
        switch (outcome.kind) {
            case RowOutcome::Kind::Gone:
                lvServices.RemoveRow(row);
                rowGenerations_.erase(row.value);
                removed = true;
                break;
            case RowOutcome::Kind::Marked:
                lvServices.SetText(row, kColStatus, std::string(kStatusMarkedForDeletion));
                if (lvServices.Selected(row)) UpdateCommandState(0, row);
                break;
            case RowOutcome::Kind::Read: {
                const PassLook look = LookAfterPass(lvServices.Text(row, kColStatus),
                                                    lvServices.Text(row, kColStartupType),
                                                    outcome.state, outcome.startType);
                lvServices.SetSmallIcon(row, look.icon);
                if (look.status) lvServices.SetText(row, kColStatus, std::string(*look.status));
                if (lvServices.Selected(row)) UpdateCommandState(outcome.state, row);
                break;
            }
        }
    }
    if (removed) ShowServiceCount();
}

}  // namespace vtl

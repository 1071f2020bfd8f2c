#pragma once
// The readings behind the services list, apart from the window: they take the
// platform and plain data, open handles of their own, and return plain data, so
// they run on the window's thread or off it alike. frmMain applies them on its
// thread by the list's rules (frmMainList.cpp).
//
// Under Wine a service handle may turn invalid (6) while other threads start
// services; a reading that meets 6 opens the manager and the service again and
// reads once more before it gives up on that service.

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "ui/Executor.h"
#include "ui/Observer.h"

namespace vtl {

// --- Listing and full refresh -----------------------------------------------------

struct ListedService {
    EnumServiceStatus entry;
    std::optional<ServiceConfig> config;  // none when it could not be read
};

struct ServiceListReading {
    // The message box a failure of the manager or the enumeration shows; empty
    // when there is none.
    std::string message;
    // The number of services the enumeration reported, 0 after a failure.
    std::int32_t count = 0;
    // In the service manager's order; those read before a failure that ended the
    // reading.
    std::vector<ListedService> services;
    // A failure that is no error code (a call that threw): it ended the reading.
    std::exception_ptr thrown;
};

// Opens the manager of machine (enumerate access), enumerates its Win32
// services with the state selection and reads each one's configuration. Ends
// early, with what it has, once token is cancelled.
[[nodiscard]] ServiceListReading ReadServiceList(Platform& platform, const std::string& machine,
                                                 std::uint32_t serviceState,
                                                 const ui::CancelToken* token = nullptr);

// --- The periodic pass -------------------------------------------------------------------

// A row as the window showed it when the pass began.
struct ShownRow {
    ui::ListRowId row;
    std::uint32_t generation = 0;  // the window's count of commands on the row
    std::string name;
    std::string status;
    std::string startupType;
    int icon = 0;
    bool selected = false;
};

// What the pass learnt of one row.
struct RowOutcome {
    enum class Kind : std::uint8_t {
        Gone,    // the service does not exist (1060)
        Marked,  // the service is marked for deletion (1072)
        Read,    // state and, when it could be read, start type
    };
    ui::ListRowId row;
    std::uint32_t generation = 0;
    Kind kind = Kind::Read;
    std::uint32_t state = 0;
    std::optional<std::uint32_t> startType;
};

// What the pass shows for a row it read: the icon, and the status text when
// it is to be written. "Starting" keeps the busy icon and, like "Marked for
// Deletion", its text; a start type that could not be read is taken from the
// row's Startup Type column.
struct PassLook {
    int icon = 0;
    std::optional<std::string_view> status;
};
[[nodiscard]] PassLook LookAfterPass(std::string_view shownStatus,
                                     std::string_view shownStartupType, std::uint32_t state,
                                     std::optional<std::uint32_t> startType);

// Reads every row's service with one manager connection (read and connect
// access). Only outcomes that change something are returned: a row gone or
// newly marked, a row whose icon or status text changes, and every selected
// row, whose commands follow its state. A row whose service could not be read
// has no outcome. Ends early, with what it has, when token is cancelled or a
// call throws.
[[nodiscard]] std::vector<RowOutcome> ReadServiceStates(Platform& platform,
                                                        const std::string& machine,
                                                        const std::vector<ShownRow>& rows,
                                                        const ui::CancelToken& token);

}  // namespace vtl

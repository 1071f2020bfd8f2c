#include "core/sim/SimMessages.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vtl::sim {

namespace {

struct Message {
    std::uint32_t code;
    std::string_view text;
};

// Sorted by code.
constexpr std::array kMessages = {
    Message{0, "The operation completed successfully.\r\n"},
    Message{1, "Incorrect function.\r\n"},
    Message{2, "The system cannot find the file specified.\r\n"},
    Message{3, "The system cannot find the path specified.\r\n"},
    Message{4, "The system cannot open the file.\r\n"},
    Message{5, "Access is denied.\r\n"},
    Message{6, "The handle is invalid.\r\n"},
    Message{8, "Not enough memory resources are available to process this command.\r\n"},
    Message{13, "The data is invalid.\r\n"},
    Message{15, "The system cannot find the drive specified.\r\n"},
    Message{21, "The device is not ready.\r\n"},
    Message{32,
            "The process cannot access the file because it is being used by another "
            "process.\r\n"},
    Message{50, "The request is not supported.\r\n"},
    Message{51,
            "Windows cannot find the network path. Verify that the network path is correct "
            "and the destination computer is not busy or turned off. If Windows still cannot "
            "find the network path, contact your network administrator.\r\n"},
    Message{53, "The network path was not found.\r\n"},
    Message{67, "The network name cannot be found.\r\n"},
    Message{80, "The file exists.\r\n"},
    Message{87, "The parameter is incorrect.\r\n"},
    Message{112, "There is not enough space on the disk.\r\n"},
    Message{120, "This function is not supported on this system.\r\n"},
    Message{122, "The data area passed to a system call is too small.\r\n"},
    Message{123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    Message{124, "The system call level is not correct.\r\n"},
    Message{126, "The specified module could not be found.\r\n"},
    Message{127, "The specified procedure could not be found.\r\n"},
    Message{161, "The specified path is invalid.\r\n"},
    Message{183, "Cannot create a file when that file already exists.\r\n"},
    Message{234, "More data is available.\r\n"},
    Message{259, "No more data is available.\r\n"},
    Message{997, "Overlapped I/O operation is in progress.\r\n"},
    Message{1010, "The configuration registry key is invalid.\r\n"},
    Message{1011, "The configuration registry key could not be opened.\r\n"},
    Message{1012, "The configuration registry key could not be read.\r\n"},
    Message{1013, "The configuration registry key could not be written.\r\n"},
    Message{1018,
            "Illegal operation attempted on a registry key that has been marked for "
            "deletion.\r\n"},
    Message{1051,
            "A stop control has been sent to a service that other running services are "
            "dependent on.\r\n"},
    Message{1052, "The requested control is not valid for this service.\r\n"},
    Message{1053,
            "The service did not respond to the start or control request in a timely "
            "fashion.\r\n"},
    Message{1054, "A thread could not be created for the service.\r\n"},
    Message{1055, "The service database is locked.\r\n"},
    Message{1056, "An instance of the service is already running.\r\n"},
    Message{1057,
            "The account name is invalid or does not exist, or the password is invalid for "
            "the account name specified.\r\n"},
    Message{1058,
            "The service cannot be started, either because it is disabled or because it has "
            "no enabled devices associated with it.\r\n"},
    Message{1059, "Circular service dependency was specified.\r\n"},
    Message{1060, "The specified service does not exist as an installed service.\r\n"},
    Message{1061, "The service cannot accept control messages at this time.\r\n"},
    Message{1062, "The service has not been started.\r\n"},
    Message{1063, "The service process could not connect to the service controller.\r\n"},
    Message{1064, "An exception occurred in the service when handling the control request.\r\n"},
    Message{1065, "The database specified does not exist.\r\n"},
    Message{1066, "The service has returned a service-specific error code.\r\n"},
    Message{1067, "The process terminated unexpectedly.\r\n"},
    Message{1068, "The dependency service or group failed to start.\r\n"},
    Message{1069, "The service did not start due to a logon failure.\r\n"},
    Message{1070, "After starting, the service hung in a start-pending state.\r\n"},
    Message{1071, "The specified service database lock is invalid.\r\n"},
    Message{1072, "The specified service has been marked for deletion.\r\n"},
    Message{1073, "The specified service already exists.\r\n"},
    Message{1074, "The system is currently running with the last-known-good configuration.\r\n"},
    Message{1075, "The dependency service does not exist or has been marked for deletion.\r\n"},
    Message{1076,
            "The current boot has already been accepted for use as the last-known-good "
            "control set.\r\n"},
    Message{1077, "No attempts to start the service have been made since the last boot.\r\n"},
    Message{1078,
            "The name is already in use as either a service name or a service display "
            "name.\r\n"},
    Message{1079,
            "The account specified for this service is different from the account "
            "specified for other services running in the same process.\r\n"},
    Message{1113,
            "No mapping for the Unicode character exists in the target multi-byte code "
            "page.\r\n"},
    Message{1168, "Element not found.\r\n"},
    Message{1210, "The format of the specified computer name is invalid.\r\n"},
    Message{1222, "The network is not present or not started.\r\n"},
    Message{1314, "A required privilege is not held by the client.\r\n"},
    Message{1326, "The user name or password is incorrect.\r\n"},
    Message{1332, "No mapping between account names and security IDs was done.\r\n"},
    Message{1385,
            "Logon failure: the user has not been granted the requested logon type at this "
            "computer.\r\n"},
    Message{1460, "This operation returned because the timeout period expired.\r\n"},
    Message{1722, "The RPC server is unavailable.\r\n"},
    Message{1726, "The remote procedure call failed.\r\n"},
    Message{1753, "There are no more endpoints available from the endpoint mapper.\r\n"},
};

constexpr bool IsSorted() {
    for (std::size_t i = 1; i < kMessages.size(); ++i)
        if (kMessages[i - 1].code >= kMessages[i].code) return false;
    return true;
}
static_assert(IsSorted(), "message table must be sorted by code");

}  // namespace

std::string_view SystemMessageText(std::uint32_t code) {
    auto it = std::lower_bound(kMessages.begin(), kMessages.end(), code,
                               [](const Message& m, std::uint32_t c) { return m.code < c; });
    if (it == kMessages.end() || it->code != code) return {};
    return it->text;
}

}  // namespace vtl::sim

#pragma once
// Numeric vocabulary of the service manager, with the values Windows documents.
// Names carry a k prefix so that they never meet the macros of <windows.h>.

#include <cstdint>
#include <string>
#include <vector>

namespace vtl {

using ErrorCode = std::uint32_t;  // a Win32 error code; 0 is success

// Win32 error codes the program decides on.
inline constexpr ErrorCode kErrorSuccess = 0;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorPathNotFound = 3;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorNotSupported = 50;
inline constexpr ErrorCode kErrorBadNetPath = 53;
inline constexpr ErrorCode kErrorFileExists = 80;
inline constexpr ErrorCode kErrorInvalidParameter = 87;
inline constexpr ErrorCode kErrorCallNotImplemented = 120;
inline constexpr ErrorCode kErrorInsufficientBuffer = 122;
inline constexpr ErrorCode kErrorInvalidLevel = 124;
inline constexpr ErrorCode kErrorProcNotFound = 127;
inline constexpr ErrorCode kErrorAlreadyExists = 183;
inline constexpr ErrorCode kErrorMoreData = 234;
inline constexpr ErrorCode kErrorNoMoreItems = 259;  // also STILL_ACTIVE as an exit code
inline constexpr ErrorCode kErrorIoPending = 997;
inline constexpr ErrorCode kErrorDependentServicesRunning = 1051;
inline constexpr ErrorCode kErrorInvalidServiceControl = 1052;
inline constexpr ErrorCode kErrorServiceRequestTimeout = 1053;
inline constexpr ErrorCode kErrorServiceNoThread = 1054;
inline constexpr ErrorCode kErrorServiceDatabaseLocked = 1055;
inline constexpr ErrorCode kErrorServiceAlreadyRunning = 1056;
inline constexpr ErrorCode kErrorInvalidServiceAccount = 1057;
inline constexpr ErrorCode kErrorServiceDisabled = 1058;
inline constexpr ErrorCode kErrorCircularDependency = 1059;
inline constexpr ErrorCode kErrorServiceDoesNotExist = 1060;
inline constexpr ErrorCode kErrorServiceCannotAcceptCtrl = 1061;
inline constexpr ErrorCode kErrorServiceNotActive = 1062;
inline constexpr ErrorCode kErrorServiceSpecificError = 1066;
inline constexpr ErrorCode kErrorProcessAborted = 1067;
inline constexpr ErrorCode kErrorServiceDependencyFail = 1068;
inline constexpr ErrorCode kErrorServiceLogonFailed = 1069;
inline constexpr ErrorCode kErrorServiceStartHang = 1070;
inline constexpr ErrorCode kErrorServiceMarkedForDelete = 1072;
inline constexpr ErrorCode kErrorServiceExists = 1073;
inline constexpr ErrorCode kErrorDuplicateServiceName = 1078;
inline constexpr ErrorCode kErrorNoUnicodeTranslation = 1113;
inline constexpr ErrorCode kErrorNoneMapped = 1332;
inline constexpr ErrorCode kRpcServerUnavailable = 1722;
inline constexpr ErrorCode kErrorInvalidComputerName = 1210;
inline constexpr ErrorCode kErrorTimeout = 1460;

// Thread exit code of a start still under way.
inline constexpr std::uint32_t kStillActive = 259;

// Current states (SERVICE_STATUS.dwCurrentState).
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceStartPending = 2;
inline constexpr std::uint32_t kServiceStopPending = 3;
inline constexpr std::uint32_t kServiceRunning = 4;
inline constexpr std::uint32_t kServiceContinuePending = 5;
inline constexpr std::uint32_t kServicePausePending = 6;
inline constexpr std::uint32_t kServicePaused = 7;

// Start types.
inline constexpr std::uint32_t kServiceBootStart = 0;
inline constexpr std::uint32_t kServiceSystemStart = 1;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceDisabled = 4;

// Service types.
inline constexpr std::uint32_t kServiceKernelDriver = 0x1;
inline constexpr std::uint32_t kServiceFileSystemDriver = 0x2;
inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr std::uint32_t kServiceWin32ShareProcess = 0x20;
inline constexpr std::uint32_t kServiceWin32 = 0x30;
inline constexpr std::uint32_t kServiceInteractiveProcess = 0x100;

// Error control.
inline constexpr std::uint32_t kServiceErrorIgnore = 0;
inline constexpr std::uint32_t kServiceErrorNormal = 1;

// Enumeration state selection.
inline constexpr std::uint32_t kServiceActive = 1;
inline constexpr std::uint32_t kServiceInactive = 2;
inline constexpr std::uint32_t kServiceStateAll = 3;

// Controls and the controls a service accepts.
inline constexpr std::uint32_t kServiceControlStop = 1;
inline constexpr std::uint32_t kServiceControlPause = 2;
inline constexpr std::uint32_t kServiceControlContinue = 3;
inline constexpr std::uint32_t kServiceControlInterrogate = 4;
inline constexpr std::uint32_t kServiceAcceptStop = 0x1;
inline constexpr std::uint32_t kServiceAcceptPauseContinue = 0x2;
inline constexpr std::uint32_t kServiceAcceptShutdown = 0x4;

// The no-change value of ChangeServiceConfig's numeric arguments.
inline constexpr std::uint32_t kServiceNoChange = 0xFFFFFFFF;

// Access rights of the service manager.
inline constexpr std::uint32_t kScManagerConnect = 0x0001;
inline constexpr std::uint32_t kScManagerCreateService = 0x0002;
inline constexpr std::uint32_t kScManagerEnumerateService = 0x0004;
inline constexpr std::uint32_t kScManagerLock = 0x0008;
inline constexpr std::uint32_t kScManagerQueryLockStatus = 0x0010;
inline constexpr std::uint32_t kScManagerModifyBootConfig = 0x0020;
inline constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t kGenericRead = 0x80000000;

// Access rights of a service.
inline constexpr std::uint32_t kServiceQueryConfig = 0x0001;
inline constexpr std::uint32_t kServiceChangeConfig = 0x0002;
inline constexpr std::uint32_t kServiceQueryStatus = 0x0004;
inline constexpr std::uint32_t kServiceEnumerateDependents = 0x0008;
inline constexpr std::uint32_t kServiceStart = 0x0010;
inline constexpr std::uint32_t kServiceStop = 0x0020;
inline constexpr std::uint32_t kServicePauseContinue = 0x0040;
inline constexpr std::uint32_t kServiceInterrogate = 0x0080;
inline constexpr std::uint32_t kServiceUserDefinedControl = 0x0100;
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;

// The status record (SERVICE_STATUS), seven 32-bit fields.
struct ServiceStatus {
    std::uint32_t serviceType = 0;
    std::uint32_t currentState = 0;
    std::uint32_t controlsAccepted = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
    friend bool operator==(const ServiceStatus&, const ServiceStatus&) = default;
};

// One entry of an enumeration of services or of dependents.
struct EnumServiceStatus {
    std::string serviceName;
    std::string displayName;
    ServiceStatus status;
    friend bool operator==(const EnumServiceStatus&, const EnumServiceStatus&) = default;
};

// The configuration record (QUERY_SERVICE_CONFIG) with owned texts.
struct ServiceConfig {
    std::uint32_t serviceType = 0;
    std::uint32_t startType = 0;
    std::uint32_t errorControl = 0;
    std::string binaryPathName;
    std::string loadOrderGroup;
    std::uint32_t tagId = 0;
    std::vector<std::string> dependencies;  // group names keep their leading '+'
    std::string serviceStartName;
    std::string displayName;
    friend bool operator==(const ServiceConfig&, const ServiceConfig&) = default;
};

}  // namespace vtl

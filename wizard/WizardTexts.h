#pragma once
// Texts the wizard and its menu commands show, exactly as the user sees them.
// Lines of one label or message are joined with CR alone.

#include <string>
#include <string_view>

namespace vtl {

// --- Captions ------------------------------------------------------------------
inline constexpr std::string_view kCaptionCreateType = "Create New Service - Service Type";
inline constexpr std::string_view kCaptionCreateInfo = "Create New Service - Service Information";
inline constexpr std::string_view kCaptionCreateConfig =
    "Create New Service - Service Configuration";
inline constexpr std::string_view kCaptionCreateFinish = "Create New Service - Finish";
inline constexpr std::string_view kCaptionExportNewType = "Export New Service - Service Type";
inline constexpr std::string_view kCaptionExportType = "Export Service - Service Type";
inline constexpr std::string_view kCaptionExportDetails = "Export Service - Service Details";
inline constexpr std::string_view kCaptionExportVerify = "Export Service - Verify Service Details";
inline constexpr std::string_view kCaptionExportFinish = "Export Service - Finish";
inline constexpr std::string_view kCaptionExportSelectedView =
    "Export Selected Service - View Details";
inline constexpr std::string_view kCaptionExportView = "Export Service - View Details";
inline constexpr std::string_view kCaptionExportSelectedFinish = "Export Selected Service - Finish";

// --- Navigation buttons ----------------------------------------------------------
inline constexpr std::string_view kNavBackDesign = "<<  &Back";
inline constexpr std::string_view kNavNextDesign = "&Next  >>";
inline constexpr std::string_view kNavNext = "&Next >>";
inline constexpr std::string_view kNavFinish = "Finish";
inline constexpr std::string_view kNavCancel = "&Cancel";

// --- Descriptions (lblFormDescr) ---------------------------------------------------
inline constexpr std::string_view kDescrType =
    "Any Program - Recommended choice to convert most programs, batch and script files into "
    "Windows services. Note, scripts or java programs need to be run from a batch file.\r\r\r"
    "Windows Compliant Service - Program that has been developed as a Windows service.";
inline constexpr std::string_view kDescrInfo =
    "Service Name [Required]: Unique name of service.\r"
    "Display Name [Optional]: Descriptive name of service.\r"
    "Drive [Required]: Select drive where program is present.\r"
    "File Path [Required]: Full path of EXE/BAT to be converted to a service.";
inline constexpr std::string_view kDescrConfig =
    "Service Startup Type:\r"
    "Automatic - Service is started automatically at boot time.\r"
    "Manual - Service must be started manually.\r"
    "Disabled - Service is disabled.\r"
    "\r"
    "Logon As:\r"
    "Select System Account or User Account to be used by service during operation.";
inline constexpr std::string_view kDescrFinish =
    "Click Finish to create a service with the setting shown below.\r"
    "Click Back to change any settings.";
inline constexpr std::string_view kDescrExportDir =
    "Select directory where you want to export the service install/uninstall batch files.\r"
    "You have to distribute the batch (.bat) files and vtlshell.exe with the service program "
    "file.";
inline constexpr std::string_view kDescrSelectedOpen =
    "Verify selected service configuration information.\r"
    "You can cancel exporting by clicking on Cancel button.\r"
    "Click Finish to export the selected service.";
inline constexpr std::string_view kDescrSelectedView = "Verify selected service information.";

// --- Design texts of the panels ------------------------------------------------------
inline constexpr std::string_view kSelectFinish = "Select Finish button to create service.";

// --- Messages ----------------------------------------------------------------------
inline constexpr std::string_view kAskCreate =
    "Note that you must have administrator privileges to create a new service.\r"
    "Do you want to continue?";
inline constexpr std::string_view kCreateFailed = "Error occurred while creating new service.";
inline constexpr std::string_view kExportFailed = "Error occurred while exporting service.";
inline constexpr std::string_view kNameEmpty = "Service name should not be empty.";
inline constexpr std::string_view kNameExists =
    "Service you specified is already exists. Please select any valid service name.";
inline constexpr std::string_view kExeEmpty =
    "Executable file for the service should not be empty. Please select any valid file name.";
inline constexpr std::string_view kSelectFileFrom = "Please select a file from the system ";
inline constexpr std::string_view kExportDirEmpty = "Export directory should not be empty.";
inline constexpr std::string_view kParametersMissing =
    "This is a Zivazuvar Orizodu. But 'parameters' key is not available for this service.";
inline constexpr std::string_view kStartingPrefix = "Starting ";

[[nodiscard]] inline std::string NoSharedDrivesText(std::string_view machine) {
    std::string text = "Vantrel could not find any shared drives on ";
    text += machine;
    text +=
        ". You cannot continue with creating new service.\rAlternately, you can use 'Export' "
        "service feature to create install/uninstall batch files.";
    return text;
}
[[nodiscard]] inline std::string ProgramFromSystemText(std::string_view machine) {
    return "Please select a program file from the system " + std::string(machine);
}
[[nodiscard]] inline std::string ProgramFromDriveText(std::string_view drive,
                                                      std::string_view machine) {
    return "Please select a program file from the " + std::string(drive) + " drive on system " +
           std::string(machine);
}
[[nodiscard]] inline std::string ReplaceFileText(std::string_view fileName) {
    return "A File named '" + std::string(fileName) +
           "' is already exists. Would you like to replace the existing file with this one?";
}

// --- Choosers -------------------------------------------------------------------------
inline constexpr std::string_view kBrowseExeTitle = "Select service executable file on ";
inline constexpr std::string_view kExeFilter = "Executable (*.exe;*.bat)|*.exe;*.bat";
inline constexpr std::string_view kBrowseDirTitle =
    "Select a directory you want to save exported files.";

// --- Summaries ------------------------------------------------------------------------
inline constexpr std::string_view kSumServiceName = "Service Name : ";
inline constexpr std::string_view kSumDisplayName = "Display Name : ";
inline constexpr std::string_view kSumFilePath = "File Path : ";
inline constexpr std::string_view kSumDrive = "Drive : ";
inline constexpr std::string_view kSumStartupType = "Startup Type : ";
inline constexpr std::string_view kSumLogonAs = "Logon As : ";
inline constexpr std::string_view kSumInteract = "Interact with desktop : ";
inline constexpr std::string_view kSumServiceType = "Service Type : ";
inline constexpr std::string_view kSumExecutable = "Executable File : ";
inline constexpr std::string_view kLocalSystem = "Local System";
inline constexpr std::string_view kCompliantService = "Windows Compliant Service";
inline constexpr std::string_view kUserProgram = "User Program";

// --- The batch files ------------------------------------------------------------------
inline constexpr std::string_view kInstallSuffix = "_Inst.bat";
inline constexpr std::string_view kUninstallSuffix = "_Uninst.bat";
inline constexpr std::string_view kWrapperFile = "VtlShell.exe";
inline constexpr std::string_view kExportDirName = "ExportDir";

}  // namespace vtl

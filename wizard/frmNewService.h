#pragma once
// The wizard: one modal form for three jobs of the main window's menus. Mode 1
// creates a service on the chosen computer; mode 2 exports a new service as an
// install and an uninstall batch file; mode 3 exports the service selected in
// the main window. The mode decides which of the six page panels make up the
// page sequence, what each page checks before the wizard moves on, and what
// Finish does.
//
//   mode 1: type (0) -> information (1) -> configuration (2) -> summary (3)
//   mode 2: type (0) -> export details (4) -> summary (3) -> export folder (5)
//   mode 3: summary (3) -> export folder (5)
//
// Creation runs on the chosen computer through its service manager, its
// administrative shares and its registry (frmNewServiceCreate.cpp); the export
// writes the batch files (frmNewServiceExport.cpp).

#include <array>
#include <cstdint>
#include <string>

#include "core/Platform.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ListControls.h"

namespace vtl {

inline constexpr std::int32_t ModeCreate = 1;
inline constexpr std::int32_t ModeExportNew = 2;
inline constexpr std::int32_t ModeExportSelected = 3;
inline constexpr std::int32_t KindCompliant = 1;
inline constexpr std::int32_t KindAnyProgram = 2;

// Design size of the wizard's frame, in twips.
inline constexpr int kWizardWidth = 7695;
inline constexpr int kWizardHeight = 6060;

// How a creation or an export ended.
enum class WizardOutcome {
    Succeeded,
    Failed,          // the wizard shows its one error message
    FailedAndShown,  // the user has been told why; no further message
};

class frmNewService : public ui::Form {
  public:
    // serviceToStart: the main window's ServiceToStart, which a successful
    // creation of an automatic service fills with its name.
    frmNewService(ui::UiHost& host, Platform& platform, std::string& serviceToStart);
    ~frmNewService() override;

    // --- Set before the form is shown ------------------------------------------
    std::int32_t WizardMode = ModeCreate;
    std::string MachineName;  // the chosen computer's plain name
    // Set by the export of a selected service.
    bool InteractFlag = false;
    bool HasDependencies = false;

    // --- Procedures --------------------------------------------------------------
    // Whether the panel's fields let the wizard go on; shows the message if not.
    bool ValidatePage(std::int32_t panel);
    // Whether the chosen computer has a service of that name.
    bool ServiceExists(const std::string& name);
    void BuildCreateSummary();
    void BuildExportSummary();
    WizardOutcome CreateNewService(std::int32_t kind);
    WizardOutcome ExportBatchFiles(std::int32_t kind);
    void FillLocalDrives();
    void FillRemoteDrives();

    [[nodiscard]] std::int32_t CurrentPage() const noexcept { return currentPage_; }
    [[nodiscard]] std::int32_t LastPage() const noexcept;
    // The panel that shows a page of this mode.
    [[nodiscard]] std::int32_t PanelOfPage(std::int32_t page) const noexcept;
    [[nodiscard]] bool IsRemote() const noexcept { return isRemote_ == 1; }

    // --- Controls, in tab order ------------------------------------------------------
    ui::Label lblFormDescr{*this, "lblFormDescr"};
    ui::Line linTop{*this, "linTop", 0, 0, 0, 0};
    std::array<ui::PictureBox, 6> picForms{{{*this, "picForms", 0},
                                            {*this, "picForms", 1},
                                            {*this, "picForms", 2},
                                            {*this, "picForms", 3},
                                            {*this, "picForms", 4},
                                            {*this, "picForms", 5}}};
    // Panel 0: the service type.
    ui::Frame fraType{picForms[0], "fraType", "Select the type of service you want to create"};
    ui::OptionButton optNewPwr{fraType, "optNewPwr", "&Any Program"};
    ui::OptionButton optNewSrv{fraType, "optNewSrv", "&Windows Compliant Service"};
    // Panel 1: the service information.
    ui::Frame fraInfo{picForms[1], "fraInfo", "Service Information"};
    ui::Label lblSrvName{fraInfo, "lblSrvName", "Service &Name : "};
    ui::TextBox txtSrvName{fraInfo, "txtSrvName"};
    ui::Label lblSrvDispName{fraInfo, "lblSrvDispName", "&Display Name : "};
    ui::TextBox txtSrvDispName{fraInfo, "txtSrvDispName"};
    ui::Label lblDrive{fraInfo, "lblDrive", "Select Drive : "};
    ui::ComboBox cboDrive{fraInfo, "cboDrive", ui::ComboStyle::DropDownList};
    ui::Label lblExePath{fraInfo, "lblExePath", "&Executable Path : "};
    ui::TextBox txtExePath{fraInfo, "txtExePath"};
    ui::CommandButton cmdBrowse{fraInfo, "cmdBrowse", "&Browse"};
    // Panel 2: the configuration.
    ui::Frame fraStartup{picForms[2], "fraStartup", "Service startup type"};
    ui::OptionButton optAuto{fraStartup, "optAuto", "Automatic"};
    ui::OptionButton optManual{fraStartup, "optManual", "Manual"};
    ui::OptionButton optDisabled{fraStartup, "optDisabled", "&Disabled"};
    ui::Frame fraLogon{picForms[2], "fraLogon", "Logon as"};
    ui::OptionButton optSysAcc{fraLogon, "optSysAcc", "&System Account"};
    ui::OptionButton optThisAcc{fraLogon, "optThisAcc", "&This Account"};
    ui::Label lblAccName{fraLogon, "lblAccName", "Account Name :"};
    ui::TextBox txtAccName{fraLogon, "txtAccName"};
    ui::Label lblPasswd{fraLogon, "lblPasswd", "Password         :"};
    ui::TextBox txtPasswd{fraLogon, "txtPasswd"};
    ui::CheckBox ChkInteract{fraLogon, "ChkInteract", "Interact with desktop"};
    // Panel 3: the summary.
    ui::Label lblFinish{picForms[3], "lblFinish", "Select Finish button to create service."};
    ui::Label lblFinalInfo{picForms[3], "lblFinalInfo"};
    // Panel 4: the export details.
    ui::Frame fraExpInfo{picForms[4], "fraExpInfo", "Service Information"};
    ui::Label lblExpSrvName{fraExpInfo, "lblExpSrvName", "Service Name : "};
    ui::TextBox txtExpSrvName{fraExpInfo, "txtExpSrvName"};
    ui::Label lblExpExePath{fraExpInfo, "lblExpExePath", "Executable File : "};
    ui::TextBox txtExpExePath{fraExpInfo, "txtExpExePath"};
    ui::CommandButton cmdExpBrowse{fraExpInfo, "cmdExpBrowse", "&Browse"};
    ui::Frame fraExpStartup{picForms[4], "fraExpStartup", "Startup &Type"};
    ui::OptionButton optExpAuto{fraExpStartup, "optExpAuto", "&Automatic"};
    ui::OptionButton optExpManual{fraExpStartup, "optExpManual", "&Manual"};
    ui::Label lblExpFinish{picForms[4], "lblExpFinish", "Select Finish button to create service."};
    // Panel 5: the export folder.
    ui::Frame fraExportDir{picForms[5], "fraExportDir", "Export Directory"};
    ui::TextBox txtExportDir{fraExportDir, "txtExportDir"};
    ui::CommandButton cmdExportDir{fraExportDir, "cmdExportDir", "&Browse"};
    ui::Label lblDirFinish{picForms[5], "lblDirFinish", "Select Finish button to create service."};
    // The navigation buttons: Back, Next (Finish on the last page), Cancel.
    ui::Line linBottom{*this, "linBottom", 0, 0, 0, 0};
    std::array<ui::CommandButton, 3> cmdNav{{{*this, "cmdNav", "<<  &Back", 0},
                                             {*this, "cmdNav", "&Next  >>", 1},
                                             {*this, "cmdNav", "&Cancel", 2}}};

  private:
    // Event handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void cmdNav_Click(int index);
    void optSysAcc_Click();
    void optThisAcc_Click();
    void cmdBrowse_Click();
    void cmdExpBrowse_Click();
    void cmdExportDir_Click();

    void DesignLayout();
    void WireEvents();
    // The drive box filled for the chosen computer; returns whether it is remote.
    bool FillDrives();
    // Makes the panel visible and hides the others.
    void ShowPanel(std::int32_t panel);
    void ShowPage(std::int32_t page);
    // The description of a page the user comes back to (or goes on to).
    void SetPageTexts(std::int32_t page);
    // The remote program path lies on the chosen computer, under the chosen drive.
    bool RemotePathProblem(const std::string& path, std::string& message) const;

    // Creation.
    bool InstallWrapperFiles(const std::string& exePath, const std::string& localPath,
                             const std::string& serviceName);
    // Deletes the service just created; tries once more over a new connection.
    bool DeleteCreatedService(const ServiceHandle& service, const std::string& serviceName);

    // The export's messages.
    WizardOutcome ReportExportProblem(const std::string& message);
    WizardOutcome WriteBatchFile(const std::string& path, const std::string& text, bool& written);

    Platform& platform_;
    std::string& serviceToStart_;
    std::int32_t currentPage_ = 0;
    std::int32_t serviceKind_ = KindAnyProgram;
    std::int32_t isRemote_ = 0;
    bool activated_ = false;
    // The code of the call that made the last creation or export fail, for
    // its message (0 when no call's code tells more).
    ErrorCode failure_ = kErrorSuccess;
    // The open-file dialog keeps its last file name and start folder between uses.
    std::string dialogFileName_;
    std::string dialogInitialDir_;
};

}  // namespace vtl

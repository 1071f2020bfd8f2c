#pragma once
// The properties dialog: one service of one computer on three pages (General,
// Logon, Dependencies), OK to write the edited configuration back, Cancel, and
// four buttons that start, stop, pause and resume the service at once.
//
// One long-lived window: shown modeless and without owner, reloaded in place by
// ReactivateProperties when the properties of another service are asked for.
// Closing unloads it; its owner (PropertiesCommand) creates it anew for the next
// opening, so each opening starts from the design state.
//
// The service lives on the computer gSysName. Everything the dialog reads and
// writes is that computer's: the service manager, the account lookup and the
// logon right, and the start parameter in its registry (the wrapper that reads
// it runs there). The main window's list is touched only while it shows the
// same computer, and only the row whose name is exactly gSrvName.

#include <cstdint>
#include <optional>
#include <string>

#include "core/Platform.h"
#include "ui/Bars.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ListControls.h"

namespace vtl {

class frmMain;
class ServiceOperations;

// Pages of tabProperties, by picProperties index.
inline constexpr int kPageGeneral = 0;
inline constexpr int kPageLogon = 1;
inline constexpr int kPageDependencies = 2;

class frmProperties : public ui::Form {
  public:
    // main: the window whose list and start watch the dialog uses; operations:
    // the owner of the start watch.
    frmProperties(ui::UiHost& host, frmMain& main, ServiceOperations& operations);

    // Set by the main window before ReactivateProperties.
    std::string gSrvName;  // the service's key name
    std::string gSysName;  // the plain name of its computer

    // Loads gSrvName of gSysName into every page and shows the General page.
    void ReactivateProperties();

    // --- Controls, in tab order ------------------------------------------------
    ui::TabStrip tabProperties{*this, "tabProperties"};
    ui::PictureBox picGeneral{*this, "picProperties", kPageGeneral};
    ui::PictureBox picLogon{*this, "picProperties", kPageLogon};
    ui::PictureBox picDependencies{*this, "picProperties", kPageDependencies};
    ui::PictureBox& picProperties(int index);

    // General.
    ui::Label lblServiceNameCaption{picGeneral, "lblServiceNameCaption", "Service Name :"};
    ui::Label lblServiceName{picGeneral, "lblServiceName", "-"};
    ui::Label lblDispName{picGeneral, "lblDispName", "Display &Name :"};
    ui::TextBox txtDispName{picGeneral, "txtDispName"};
    ui::Label lblServDesc{picGeneral, "lblServDesc", "Des&cription     :"};
    ui::TextBox txtServDesc{picGeneral, "txtServDesc"};
    ui::Label lblExePath{picGeneral, "lblExePath", "Path to &executable :"};
    ui::TextBox txtExePath{picGeneral, "txtExePath"};
    ui::Label lblStartupType{picGeneral, "lblStartupType", "Startup &Type :"};
    ui::ComboBox cboStartupType{picGeneral, "cboStartupType", ui::ComboStyle::DropDownList};
    ui::Line linGeneral{picGeneral, "linGeneral", 0, 0, 0, 0};
    ui::Label lblServiceStatusCaption{picGeneral, "lblServiceStatusCaption", "Service Status :"};
    ui::Label lblServiceStatus{picGeneral, "lblServiceStatus", "-"};
    ui::Label lblStartParam{picGeneral, "lblStartParam", "Startup Parameter :"};
    ui::TextBox txtStartParam{picGeneral, "txtStartParam"};
    ui::CommandButton cmdStart{picGeneral, "cmdStart", "&Start"};
    ui::CommandButton cmdStop{picGeneral, "cmdStop", "Sto&p"};
    ui::CommandButton cmdPause{picGeneral, "cmdPause", "&Pause"};
    ui::CommandButton cmdResume{picGeneral, "cmdResume", "Resu&me"};

    // Logon.
    ui::Label lblLogonAs{picLogon, "lblLogonAs", "Log on as :"};
    ui::OptionButton optLocalSystem{picLogon, "optLocalSystem", "Local &System Account"};
    ui::CheckBox chkInteract{picLogon, "chkInteract", "Allow service to &interact with desktop"};
    ui::OptionButton optThisAcc{picLogon, "optThisAcc", "&This Account"};
    ui::Label lblAccName{picLogon, "lblAccName", "&User Name :"};
    ui::TextBox txtAccName{picLogon, "txtAccName"};
    ui::Label lblPasswd{picLogon, "lblPasswd", "&Password   :"};
    ui::TextBox txtPasswd{picLogon, "txtPasswd"};
    ui::CommandButton cmdBrowseUser{picLogon, "cmdBrowseUser", "..."};

    // Dependencies.
    ui::Label lblDepends{picDependencies, "lblDepends", "This service depends on these services"};
    ui::ListBox lstDependSrv{picDependencies, "lstDependSrv"};
    ui::CommandButton cmdAdd{picDependencies, "cmdAdd", "&Add"};
    ui::CommandButton cmdRemove{picDependencies, "cmdRemove", "&Remove"};
    ui::Label lblDependents{picDependencies, "lblDependents",
                            "These services depend on this service"};
    ui::ListBox lstDepService{picDependencies, "lstDepService"};

    ui::CommandButton cmdOK{*this, "cmdOK", "OK"};
    ui::CommandButton cmdClose{*this, "cmdClose", "&Cancel"};

  private:
    void Design();
    void WireEvents();

    // Loading (frmProperties.cpp).
    void ClearPages();
    void LoadServiceConfig();
    void FillGeneralPage(const ServiceConfig& config, const ServiceHandle& service,
                         ErrorCode& failure);
    void FillLogonPage(const ServiceConfig& config);
    void FillDependenciesPage(const ServiceConfig& config, const ServiceHandle& service);
    void FillDependsOnList(const std::vector<std::string>& dependencies);
    void UpdateServiceControls(const ServiceStatus& status);
    void ShowPage(int index);

    // Event handlers (frmProperties.cpp).
    void tabProperties_Click();
    void optLocalSystem_Click();
    void optThisAcc_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClose_Click();
    void Form_Unload();

    // OK (PropertiesApply.cpp).
    void cmdOK_Click();
    // The start parameter's key, on the service's computer.
    [[nodiscard]] Opened<RegKey> ParameterRoot(const std::string& localName);
    [[nodiscard]] ErrorCode SaveStartParameter(const std::string& localName);
    // True when the account may run services on computer afterwards; a failed
    // lookup leaves its error in lookupError.
    [[nodiscard]] bool GrantLogonRight(const std::string& computer, const std::string& account,
                                       ErrorCode& lookupError);

    // The four control buttons (PropertiesControl.cpp).
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdPause_Click();
    void cmdResume_Click();
    void PauseOrResume(std::uint32_t control);
    // The main window's row of the service: only while the list shows the
    // service's computer, and only a row named exactly gSrvName.
    [[nodiscard]] ui::ListRowId MainRow() const;
    [[nodiscard]] bool MainShowsThisComputer() const;

    [[nodiscard]] Platform& GetPlatform() const;
    // The manager of gSysName and the service gSrvName in it; error is that of
    // the open that failed, 0 when both are open.
    struct OpenedService {
        ScManagerHandle manager;
        ServiceHandle service;
        ErrorCode error = kErrorSuccess;
    };
    [[nodiscard]] OpenedService OpenThisService(std::uint32_t managerAccess,
                                                std::uint32_t serviceAccess);
    // The end check: a code other than 0 and 997 is shown with its text (and
    // after it, suffix). A command's (OK, Start, Stop, Pause, Resume) access
    // denied also says that it needs an administrator; the loading's does not.
    enum class Failing { Command, Loading };
    void EndCheck(ErrorCode code, ui::MsgIcon icon = ui::MsgIcon::None,
                  std::string_view suffix = {}, Failing failing = Failing::Command);

    frmMain& main_;
    ServiceOperations& operations_;

    // As loaded; OK compares against them.
    std::string mDisplayName;
    std::string mDescription;
    std::string mExePath;
    std::string mAccount;
    std::uint32_t mServiceType = 0;
    bool mHasDescriptions = false;
};

}  // namespace vtl

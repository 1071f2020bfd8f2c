// OK of the properties dialog: the edited configuration in one
// ChangeServiceConfig, the logon right for a new account, the description, the
// start parameter. On any failure the dialog stays open with everything typed.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/frmMain.h"
#include "operations/OperationScope.h"
#include "properties/PropertiesTexts.h"
#include "properties/PropertiesWork.h"
#include "properties/frmProperties.h"

namespace vtl {

namespace {

// The process bits of a type: own process, else shared process; the
// interactive bit dropped.
std::uint32_t ProcessType(std::uint32_t type) {
    if ((type & kServiceWin32OwnProcess) != 0) return kServiceWin32OwnProcess;
    if ((type & kServiceWin32ShareProcess) != 0) return kServiceWin32ShareProcess;
    return type & ~kServiceInteractiveProcess;
}

// ".\user" names an account of the service's own computer; the account lookup
// knows that computer only by its name.
std::string AccountForLookup(const std::string& account, const std::string& computer) {
    if (account.rfind(".\\", 0) == 0) return computer + account.substr(1);
    return account;
}

}  // namespace

void frmProperties::cmdOK_Click() {
    if (optThisAcc.Value() && txtAccName.Text().empty()) {
        MsgBox(kNoAccountName, ui::MsgButtons::OK, ui::MsgIcon::Information);
        return;
    }
    Platform& platform = GetPlatform();
    ErrorCode failure = kErrorSuccess;
    bool configChanged = false;
    bool rightRefused = false;
    std::string localName;
    {
        const OpenedService opened = OpenThisService(kScManagerAllAccess, kApplyServiceAccess);
        const ServiceHandle& service = opened.service;
        failure = opened.error;

        // The arguments; no change is nullopt or kServiceNoChange.
        ServiceManagerApi::ConfigChange change;
        const ScopeExit wipe([&change] {
            if (change.password) WipeString(*change.password);
        });
        if (service) {
            const int index = cboStartupType.ListIndex();
            if (index >= 0 && index < static_cast<int>(kStartTypeByIndex.size()))
                change.startType = kStartTypeByIndex[static_cast<std::size_t>(index)];
            if (txtExePath.Text() != mExePath) change.binaryPathName = txtExePath.Text();
            if (txtDispName.Text() != mDisplayName) change.displayName = txtDispName.Text();
            std::vector<std::string> dependencies;
            for (int i = 0; i < lstDependSrv.ListCount(); ++i)
                dependencies.push_back(lstDependSrv.List(i));
            change.dependencies = std::move(dependencies);
            if (optLocalSystem.Value()) {
                change.serviceStartName = std::string(kLocalSystem);
                change.password = std::string();
                mServiceType = chkInteract.Value() == ui::CheckValue::Checked
                                   ? mServiceType | kServiceInteractiveProcess
                                   : ProcessType(mServiceType);
            } else if (txtAccName.Text() != mAccount) {
                change.serviceStartName = txtAccName.Text();
                change.password = txtPasswd.Text();
                mServiceType = ProcessType(mServiceType);
            } else if (!txtPasswd.Text().empty()) {
                change.password = txtPasswd.Text();
            }
            change.serviceType = mServiceType;

            const SystemApi::ComputerName local = platform.GetComputerName();
            if (local.error != kErrorSuccess) {
                MsgBox(kNoComputerName, ui::MsgButtons::OK, ui::MsgIcon::Critical);
                failure = local.error;
            } else {
                localName = local.name;
                // The account is looked up, and given the right, on the computer
                // that runs the service.
                const std::string computer =
                    SameComputer(gSysName, localName) ? localName : gSysName;
                std::optional<std::string>& account = change.serviceStartName;
                if (account && account->find('\\') == std::string::npos &&
                    *account != kLocalSystem) {
                    const SystemApi::AccountLookup lookup =
                        platform.LookupAccountName(computer, *account);
                    if (lookup.error == kErrorSuccess)
                        *account = TrimAtNull(lookup.domain) + "\\" + *account;
                }
                failure = platform.ChangeServiceConfig(service, change);
                if (failure == kErrorSuccess) {
                    configChanged = true;
                    ErrorCode lookupError = kErrorSuccess;
                    if (account && !GrantLogonRight(computer, *account, lookupError)) {
                        MsgBox(kNoLogonRight, ui::MsgButtons::OK, ui::MsgIcon::Critical);
                        rightRefused = true;
                        failure = lookupError;
                    } else if (mHasDescriptions && txtServDesc.Text() != mDescription) {
                        failure = platform.ChangeServiceDescription(service, txtServDesc.Text());
                    }
                }
            }
        }
    }

    // The list shows what was written, also when a later step failed.
    if (configChanged && MainShowsThisComputer()) main_.RefreshGUIForService(gSrvName);
    EndCheck(failure, ui::MsgIcon::Critical);
    if (failure != kErrorSuccess && failure != kErrorIoPending) return;
    // A right that was not granted keeps the dialog open, with what was typed,
    // for another try.
    if (rightRefused) return;
    const ErrorCode saveError = SaveStartParameter(localName);
    if (saveError != kErrorSuccess) {
        MsgBox(std::string(kStartParameterNotSaved) + "\r" + CommandErrorText(platform, saveError),
               ui::MsgButtons::OK, ui::MsgIcon::Critical);
        return;
    }
    Unload();
}

bool frmProperties::GrantLogonRight(const std::string& computer, const std::string& account,
                                    ErrorCode& lookupError) {
    if (account == kLocalSystem) return true;
    Platform& platform = GetPlatform();
    const SystemApi::AccountLookup lookup =
        platform.LookupAccountName(computer, AccountForLookup(account, computer));
    if (lookup.error != kErrorSuccess) {
        lookupError = lookup.error;
        return false;
    }
    return platform.fnLogRight(computer, lookup.sid) == 0;
}

Opened<RegKey> frmProperties::ParameterRoot(const std::string& localName) {
    // The local registry needs no connection (and no remote registry service).
    if (SameComputer(gSysName, localName)) return {LocalMachineKey(), kErrorSuccess};
    return GetPlatform().RegConnectRegistry(UncComputerName(gSysName), kHKeyLocalMachine);
}

ErrorCode frmProperties::SaveStartParameter(const std::string& localName) {
    Platform& platform = GetPlatform();
    auto [root, rootError] = ParameterRoot(localName);
    const std::string key = VtlParamsKeyPath(gSrvName);
    const std::string value(kParamsValue);
    const std::string& text = txtStartParam.Text();
    std::string stored;
    const bool read = root && GetRegValue(platform, root, key, value, stored);
    if (!text.empty()) {
        if (read && stored == text) return kErrorSuccess;
        if (!root) return rootError;
        return WriteRegString(platform, root, key, value, text);
    }
    // An empty box empties a stored parameter; a missing one stays missing.
    if (read && !stored.empty()) return WriteRegString(platform, root, key, value, {});
    return kErrorSuccess;
}

}  // namespace vtl

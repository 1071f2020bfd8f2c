#pragma once
// What the properties dialog's tests share: the service commands' test world
// (PC1 and PC2, the main window over PC1, the forms' timers on the network's
// clock) with the Properties command, and helpers to open the dialog, read the
// last ChangeServiceConfig request and the registry.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "operations/OperationsTestSupport.h"
#include "properties/PropertiesCommand.h"
#include "properties/frmProperties.h"

namespace vtl::testing {

// The dialog's state in one line: startup type index, status, the enabled
// buttons (Start sTop Pause Resume), the logon option, whether the interact box
// is ticked and enabled, the account boxes (open and white, or shut and grey),
// the account and whether the logon can be edited.
inline std::string State(const frmProperties& d) {
    auto on = [](const ui::Control& c, char letter) { return c.Enabled() ? letter : '-'; };
    std::string s = std::to_string(d.cboStartupType.ListIndex()) + " " +
                    d.lblServiceStatus.Caption() + " " + on(d.cmdStart, 'S') + on(d.cmdStop, 'T') +
                    on(d.cmdPause, 'P') + on(d.cmdResume, 'R');
    s += d.optLocalSystem.Value() ? " System" : " This";
    if (d.chkInteract.Value() == ui::CheckValue::Checked) s += "+interact";
    s += d.chkInteract.Enabled() ? "" : "(fixed)";
    for (const ui::TextBox* box : {&d.txtAccName, &d.txtPasswd}) {
        const bool white = box->BackColor() == ui::Color{0xFFFFFF};
        s += box->Enabled() ? (white ? " open" : " open-grey") : (white ? " shut-white" : " shut");
    }
    return s + " " + d.txtAccName.Text() + (d.optThisAcc.Enabled() ? "" : " locked");
}

class PropertiesTest : public OperationsTest {
  protected:
    // The user selects the row and asks for its properties.
    frmProperties& Properties(const std::string& name) {
        if (!form) OpenWithOperations();
        Select({name});
        properties.mnuProperties_Click(*form);
        EXPECT_NE(properties.Existing(), nullptr);
        return *properties.Existing();
    }
    frmProperties& Dialog() { return *properties.Existing(); }
    static std::vector<std::string> Items(const ui::ListBox& list) {
        std::vector<std::string> items;
        for (int i = 0; i < list.ListCount(); ++i)
            items.push_back(list.List(i));
        return items;
    }
    bool DialogOpen() { return properties.Existing() != nullptr && Dialog().Loaded(); }

    // The request of the last ChangeServiceConfig call.
    std::optional<ServiceManagerApi::ConfigChange> LastChange() const {
        for (auto it = network.CallLog().rbegin(); it != network.CallLog().rend(); ++it) {
            if (it->operation == "ChangeServiceConfig") return it->change;
        }
        return std::nullopt;
    }
    // The start parameter stored on a computer, if any.
    std::optional<std::string> StoredParameter(sim::SimComputer& computer,
                                               const std::string& service) {
        std::string value;
        if (!GetRegValue(network.PlatformFor(computer.Name()), LocalMachineKey(),
                         VtlParamsKeyPath(service), std::string(kParamsValue), value))
            return std::nullopt;
        return value;
    }

    PropertiesCommand properties{host, ops};
};

}  // namespace vtl::testing

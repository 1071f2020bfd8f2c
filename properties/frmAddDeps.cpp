#include "properties/frmAddDeps.h"

#include <utility>

#include "core/ServiceRow.h"
#include "properties/PropertiesWork.h"

namespace vtl {

namespace {

// Layout, in twips.
constexpr int kFormWidth = 5280;
constexpr int kFormHeight = 4500;
constexpr int kListWidth = 3600;
constexpr int kListHeight = 3735;
constexpr int kMargin = kDialogMargin;
constexpr int kButtonWidth = kDialogButtonWidth;
constexpr int kButtonHeight = kDialogButtonHeight;

}  // namespace

frmAddDeps::frmAddDeps(ui::UiHost& host, const ui::ListView& services, ui::ListBox& dependencies,
                       std::string service)
    : Form(host, "frmAddDeps"),
      services_(services),
      dependencies_(dependencies),
      service_(std::move(service)) {
    SetCaption("Add Dependencies");
    SetIcon("AppIcon");
    SetBorderStyle(ui::FormBorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetShowInTaskbar(false);
    SetStartUpPosition(ui::StartUpPosition::CenterOwner);
    Move(0, 0, kFormWidth, kFormHeight);
    lstCurSrvs.Move(kMargin, kMargin, kListWidth, kListHeight);
    cmdAdd.Move(kMargin * 2 + kListWidth, kMargin, kButtonWidth, kButtonHeight);
    cmdCancel.Move(kMargin * 2 + kListWidth, kMargin * 2 + kButtonHeight, kButtonWidth,
                   kButtonHeight);
    // Enter closes the dialog without adding.
    cmdCancel.SetDefault(true);
    cmdCancel.SetCancel(true);

    onLoad = [this] { Quietly([this] { Form_Load(); }); };
    cmdAdd.onClick = [this] { Quietly([this] { cmdAdd_Click(); }); };
    cmdCancel.onClick = [this] { Quietly([this] { cmdCancel_Click(); }); };
}

void frmAddDeps::Form_Load() {
    // Every row of the main list in its order, but the selected one and the
    // service itself.
    const ui::ListRowId selected = services_.SelectedItem();
    for (const ui::ListRowId row : services_.Rows()) {
        if (row == selected) continue;
        const std::string& name = services_.Text(row, kColServiceName);
        if (name == service_) continue;
        lstCurSrvs.AddItem(name);
    }
}

void frmAddDeps::cmdAdd_Click() {
    const int index = lstCurSrvs.ListIndex();
    if (index >= 0 && lstCurSrvs.Selected(index)) dependencies_.AddItem(lstCurSrvs.List(index));
    Unload();
}

void frmAddDeps::cmdCancel_Click() {
    Unload();
}

}  // namespace vtl

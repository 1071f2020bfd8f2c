// frmMain: the keyboard in the list, the find box, copying rows and exporting
// the list.

#include <optional>
#include <string>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "main/frmMain.h"
#include "ui/Keys.h"
#include "ui/ListText.h"

namespace vtl {

void frmMain::lvServices_KeyDown(int& KeyCode, int Shift) {
    // Each key runs what the mouse or the menu runs, with the same enabling:
    // Delete does nothing while Remove is disabled.
    const bool plain = Shift == 0;
    const bool ctrl = Shift == ui::kCtrlMask;
    bool taken = true;
    if (plain && KeyCode == ui::kKeyReturn) {
        mnuProperties.Click();
    } else if (plain && KeyCode == ui::kKeyDelete) {
        mnuDelete.Click();
    } else if (ctrl && KeyCode == 'A') {
        mnuSelectAll.Click();
    } else if (ctrl && KeyCode == 'C') {
        mnuCopy.Click();
    } else if ((plain && KeyCode == ui::kKeyApps) ||
               (Shift == ui::kShiftMask && KeyCode == ui::kKeyF10)) {
        // The pop-up at the focused row, as a right click on it shows it.
        ui::ListRowId row = lvServices.FocusedRow();
        if (!row) row = lvServices.SelectedItem();
        const ui::PopupPlace place{&lvServices, row};
        ShowPopupFor(row, &place);
    } else {
        taken = false;
    }
    if (taken) KeyCode = 0;
}

void frmMain::mnuSelectAll_Click() {
    lvServices.SelectAll();
    // The commands follow the selection as a click on the row would set them:
    // with several rows, Remove is disabled.
    lvServices_ItemClick(lvServices.SelectedItem());
}

void frmMain::mnuFind_Click() {
    txtFind.SetFocus();
}

void frmMain::txtFind_Change() {
    lvServices.SetFilter(txtFind.Text(), {kColServiceName, kColDisplayName});
    ShowServiceCount();
}

void frmMain::mnuCopy_Click() {
    const std::vector<ui::ListRowId> rows = lvServices.SelectedRows();
    if (rows.empty()) return;
    if (!Host().SetClipboardText(ui::TabSeparatedText(lvServices, rows)))
        MsgBox(kCopyFailed, ui::MsgButtons::OK, ui::MsgIcon::Exclamation);
}

void frmMain::mnuExportList_Click() {
    ui::SaveFileRequest request;
    request.title = kExportListTitle;
    request.filter = kExportListFilter;
    request.defaultExt = kExportListExtension;
    request.fileName = ExportListFileName(cboSystems.Text());
    const std::optional<std::string> path = Prompts().SaveFile(this, request);
    if (!path) return;
    std::string bytes(ui::kUtf8ByteOrderMark);
    bytes += ui::CsvText(lvServices, lvServices.ShownRows());
    const ErrorCode error = platform_.WriteFile(*path, bytes);
    if (error == kErrorSuccess) return;
    std::string reason = GetErrorText(platform_, error);
    if (reason.empty()) reason = "Error " + std::to_string(error);
    MsgBox(ExportListFailedText(*path, reason), ui::MsgButtons::OK, ui::MsgIcon::Exclamation);
}

}  // namespace vtl

#include "operations/frmErrorMsg.h"

#include <algorithm>
#include <utility>

#include "operations/OperationTexts.h"
#include "ui/Keys.h"

namespace vtl {

namespace {

// Runs an event handler; a failure inside ends it quietly.
template <class Handler>
void Quietly(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        // Nothing is shown or logged: the event's handling just ends.
    }
}

constexpr int kHintIndent = 60;
constexpr int kHintHeight = 255;

}  // namespace

frmErrorMsg::frmErrorMsg(ui::UiHost& host) : Form(host, "frmErrorMsg") {
    SetCaption(std::string(kErrorsCaption));
    SetIcon("AppIcon");
    Move(0, 0, kErrorsDesignWidth, kErrorsDesignHeight);
    lvErrors.SetView(ui::ListViewMode::Report);
    lvErrors.SetFullRowSelect(true);
    lvErrors.SetHideSelection(false);
    lvErrors.AddColumn("SrvName", "Service Name", kErrorsServiceColumnWidth);
    lvErrors.AddColumn("Error", "Error", kErrorsErrorColumnWidth);
    lvErrors.Move(0, 0, ScaleWidth(), std::max(ScaleHeight() - kErrorsBandHeight, 0));
    lblHint.Move(kHintIndent, lvErrors.Height() + (kErrorsBandHeight - kHintHeight) / 2,
                 std::max(ScaleWidth() - 2 * kHintIndent, 0), kHintHeight);

    onResize = [this] { Quietly([this] { Form_Resize(); }); };
    lvErrors.onDblClick = [this] { Quietly([this] { lvErrors_DblClick(); }); };
    lvErrors.onMouseUp = [this](const ui::ListMouseEvent& e) {
        Quietly([&] { lvErrors_MouseUp(e); });
    };
    lvErrors.onKeyDown = [this](int& keyCode, int shift) {
        Quietly([&] { lvErrors_KeyDown(keyCode, shift); });
    };
}

std::int32_t frmErrorMsg::AddToErrorList(const std::string& SrvName, const std::string& ErrDesr) {
    lvErrors.AddRowCells({SrvName, ErrDesr});
    return 0;
}

void frmErrorMsg::ClearErrorList() {
    lvErrors.Clear();
}

void frmErrorMsg::Form_Resize() {
    if (GetWindowState() == ui::WindowState::Minimized) return;
    // The list fills the inner width and all but the band below it; it stays
    // where it is. A window too small for the band gives the list no height.
    lvErrors.SetWidth(ScaleWidth());
    lvErrors.SetHeight(std::max(ScaleHeight() - kErrorsBandHeight, 0));
    lblHint.Move(lblHint.Left(),
                 lvErrors.Top() + lvErrors.Height() + (kErrorsBandHeight - kHintHeight) / 2,
                 std::max(ScaleWidth() - 2 * kHintIndent, 0), kHintHeight);
}

void frmErrorMsg::lvErrors_DblClick() {
    mDblClick = true;
}

void frmErrorMsg::lvErrors_MouseUp(const ui::ListMouseEvent& event) {
    const bool show = event.button == ui::MouseButton::Left && mDblClick && event.row &&
                      lvErrors.Contains(event.row);
    mDblClick = false;
    if (show) ShowDetails(event.row);
}

void frmErrorMsg::lvErrors_KeyDown(int& KeyCode, int Shift) {
    // Enter reads the focused entry as a double click on it does; Esc closes the
    // window as its close box does.
    if (Shift != 0) return;
    if (KeyCode == ui::kKeyReturn) {
        KeyCode = 0;
        ui::ListRowId row = lvErrors.FocusedRow();
        if (!row) row = lvErrors.SelectedItem();
        if (row) ShowDetails(row);
    } else if (KeyCode == ui::kKeyEscape) {
        KeyCode = 0;
        Unload(ui::UnloadMode::ControlMenu);
    }
}

void frmErrorMsg::ShowDetails(ui::ListRowId row) {
    std::string text(kDetailServiceName);
    text += lvErrors.Text(row, 0);
    text += "\r\r";
    text += kDetailError;
    text += "\r";
    text += lvErrors.Text(row, 1);
    MsgBox(text, ui::MsgButtons::OK);
}

}  // namespace vtl

#include "operations/frmErrorMsg.h"

#include <algorithm>
#include <utility>

#include "operations/OperationTexts.h"

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
    if (!show) return;
    std::string text(kDetailServiceName);
    text += lvErrors.Text(event.row, 0);
    text += "\r\r";
    text += kDetailError;
    text += "\r";
    text += lvErrors.Text(event.row, 1);
    MsgBox(text, ui::MsgButtons::OK);
}

}  // namespace vtl

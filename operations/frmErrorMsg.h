#pragma once
// The error list window: one entry per failure of the commands that act on
// several services (start, stop, restart and the start watch), so that a batch
// ends with one list instead of one message box per service. The window never
// shows itself: its callers show it, modeless and without owner, when they have
// added something. A double click on an entry, or Enter, shows its whole text;
// Esc closes the window.

#include <cstdint>
#include <string>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace vtl {

// Design sizes, in twips.
inline constexpr int kErrorsDesignWidth = 13035;
inline constexpr int kErrorsDesignHeight = 3960;
inline constexpr int kErrorsServiceColumnWidth = 3087;
inline constexpr int kErrorsErrorColumnWidth = 9702;
// The band below the list.
inline constexpr int kErrorsBandHeight = 400;

class frmErrorMsg : public ui::Form {
  public:
    explicit frmErrorMsg(ui::UiHost& host);

    // Appends an entry (service name, error description); does not show the
    // window. Always returns 0.
    std::int32_t AddToErrorList(const std::string& SrvName, const std::string& ErrDesr);
    // Removes every entry; neither shows nor hides the window.
    void ClearErrorList();
    [[nodiscard]] int EntryCount() const noexcept { return lvErrors.RowCount(); }

    ui::ListView lvErrors{*this, "lvErrors"};
    ui::Label lblHint{*this, "lblHint", "Double-click an entry to read all of its text."};

  private:
    void Form_Resize();
    void lvErrors_DblClick();
    void lvErrors_MouseUp(const ui::ListMouseEvent& event);
    void lvErrors_KeyDown(int& KeyCode, int Shift);
    void ShowDetails(ui::ListRowId row);

    bool mDblClick = false;  // a double click waits for the button's release
};

}  // namespace vtl

#pragma once
// How a model tells its renderer what changed. Every setter of a control, a menu
// item or a form reports one fine-grained change to the observer attached to it
// (the Win32 renderer, or a test host); with no observer a setter only stores.

#include <cstdint>
#include <string>
#include <utility>

namespace vtl::ui {

// A row of a list view, stable across inserts, removals and sorting. 0 is no row.
struct ListRowId {
    std::uint32_t value = 0;
    explicit operator bool() const noexcept { return value != 0; }
    friend bool operator==(ListRowId, ListRowId) = default;
};

enum class ChangeKind : std::uint8_t {
    // Any control or form.
    Caption,  // caption or text
    Enabled,
    Visible,
    Bounds,  // left, top, width or height
    ToolTip,
    TabIndex,
    BackColor,
    Focus,      // the model asks for the keyboard focus
    Repaint,    // paint now (the splash before a long load)
    Style,      // a creation-time property (multi-line, border, view, ...)
    Value,      // check state, option value, selected tab, list index, picture
    Destroyed,  // the model object is going away; forget it
    // Items of a combo box or list box (index), tabs (index), toolbar buttons
    // (index), status panels (index).
    ItemInserted,
    ItemRemoved,
    ItemChanged,
    ItemsCleared,
    ItemSelection,
    // Rows of a list view (row; column for RowText).
    Columns,
    RowInserted,  // row, index = its position
    RowRemoved,   // row, index = the position it had
    RowText,      // row, column (0 = the row's own text)
    RowIcon,
    RowSelection,
    RowFocus,  // row = the new focused row (may be none)
    RowsCleared,
    RowsSorted,    // positions changed; the texts did not
    RowsFiltered,  // another filter: other rows are shown
    BeginUpdate,   // a batch of row changes follows; the view may defer painting
    EndUpdate,
    // Images, timers, menus, forms.
    ImageList,     // an image list was attached, or its images changed
    Interval,      // timer interval
    Checked,       // menu item
    WindowState,   // form
    MousePointer,  // form
    Icon,          // form
};

struct Change {
    ChangeKind kind = ChangeKind::Caption;
    int index = -1;   // item, button, panel, tab or row position
    int column = -1;  // list view column for RowText
    ListRowId row{};
};

class UiObject;

class ChangeObserver {
  public:
    virtual void OnChanged(UiObject& object, const Change& change) = 0;

  protected:
    ~ChangeObserver() = default;
};

// Base of every control, menu item and form: a name and one optional observer.
class UiObject {
  public:
    virtual ~UiObject() = default;
    UiObject(const UiObject&) = delete;
    UiObject& operator=(const UiObject&) = delete;

    [[nodiscard]] const std::string& Name() const noexcept { return name_; }
    void SetObserver(ChangeObserver* observer) noexcept { observer_ = observer; }
    [[nodiscard]] ChangeObserver* Observer() const noexcept { return observer_; }

  protected:
    explicit UiObject(std::string name) : name_(std::move(name)) {}

    void Notify(ChangeKind kind, int index = -1, ListRowId row = {}, int column = -1) {
        if (observer_ != nullptr) observer_->OnChanged(*this, Change{kind, index, column, row});
    }

  private:
    std::string name_;
    ChangeObserver* observer_ = nullptr;
};

}  // namespace vtl::ui

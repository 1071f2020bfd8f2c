#pragma once
// A list view in report view: columns, and rows with a text (column 0), sub-items
// (columns 1..n), a small icon, a tag, a selected flag; one focused row.
//
// Rows have ids (ListRowId) that stay valid while the row exists, whatever moves
// around it. Position (0-based, top to bottom) and id convert both ways in O(1)
// (amortised: after inserts and removals, the first lookup renumbers the rows that
// moved). With sorting on, the list is ordered by the sort column's texts, ignoring
// case, stable (CompareListText); a row added later goes to its place by binary
// search. Changing a text does not move its row (as in the Windows list); the next
// re-sort does. An optional index on the rows' own texts (column 0) finds a row by
// its whole text in O(1).
//
// The selected item: SelectedItem() is the focused row when it is selected,
// otherwise the selected row nearest the top, otherwise none. This is the one row
// that the Windows list reports as its selected item, and the one row a command on
// "the selected row" acts on.
//
// A filter shows only the rows whose text in one of some columns contains a text,
// ignoring case. Hidden rows stay rows of the list in every other respect (Rows,
// RowCount, FindRow, their ids and texts); the view shows the others, and a hidden
// row is never selected nor focused. The observer's row changes (RowInserted,
// RowRemoved) carry the positions among the shown rows, which are the positions
// while no filter is set.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/Control.h"

namespace vtl::ui {

class ImageList;

struct ListColumn {
    std::string key;
    std::string caption;
    int width = 1440;  // twips
};

enum class ListViewMode : int { Icon = 0, SmallIcon = 1, List = 2, Report = 3 };
enum class SortOrder : int { Ascending = 0, Descending = 1 };

// A mouse event over the list: button, shift state (kShiftMask, ...), the position
// in twips from the list's top-left corner, and the row under the pointer (none
// over empty space or the header).
struct ListMouseEvent {
    MouseButton button = MouseButton::Left;
    int shift = 0;
    int x = 0;
    int y = 0;
    ListRowId row{};
};

class ListView : public Control {
  public:
    ListView(Container& parent, std::string name, int index = -1);
    ~ListView() override;

    // --- Appearance (styles are set before the form is loaded) ---
    [[nodiscard]] ListViewMode View() const noexcept { return view_; }
    void SetView(ListViewMode view);
    [[nodiscard]] bool MultiSelect() const noexcept { return multiSelect_; }
    void SetMultiSelect(bool multiSelect);
    [[nodiscard]] bool FullRowSelect() const noexcept { return fullRowSelect_; }
    void SetFullRowSelect(bool fullRowSelect);
    // false: the selection stays visible while the list has no focus.
    [[nodiscard]] bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool hide);
    [[nodiscard]] bool GridLines() const noexcept { return gridLines_; }
    void SetGridLines(bool gridLines);
    void SetSmallIcons(const ImageList* images);
    [[nodiscard]] const ImageList* SmallIcons() const noexcept { return smallIcons_; }

    // --- Columns ---
    int AddColumn(std::string key, std::string caption, int widthTwips);
    [[nodiscard]] int ColumnCount() const noexcept { return static_cast<int>(columns_.size()); }
    [[nodiscard]] const ListColumn& Column(int index) const { return columns_.at(index); }
    void SetColumnWidth(int index, int twips);

    // --- Rows ---
    [[nodiscard]] int RowCount() const noexcept { return static_cast<int>(order_.size()); }
    // Adds a row: with sorting on, at its place in the sort order; otherwise at
    // position (default: the end). Sub-items start empty.
    ListRowId AddRow(std::string text, int smallIcon = 0, int position = -1);
    // Adds a row with its sub-items (columns 1..n) in one step, placed by the sort
    // order on any column.
    ListRowId AddRowCells(std::vector<std::string> cells, int smallIcon = 0, int position = -1);
    void RemoveRow(ListRowId row);
    void Clear();
    // Groups many changes; the view paints once at the end. Calls nest.
    void BeginUpdate();
    void EndUpdate();

    [[nodiscard]] bool Contains(ListRowId row) const noexcept;
    // The row at position (0-based); none when out of range.
    [[nodiscard]] ListRowId RowAt(int position) const noexcept;
    // Position of a row, or -1 for a row that does not exist.
    [[nodiscard]] int PositionOf(ListRowId row) const;
    // All rows, top to bottom.
    [[nodiscard]] const std::vector<ListRowId>& Rows() const noexcept { return order_; }

    // Column 0 is the row's own text. A column past the last sub-item reads empty.
    [[nodiscard]] const std::string& Text(ListRowId row, int column = 0) const;
    void SetText(ListRowId row, int column, std::string text);
    void SetText(ListRowId row, std::string text) { SetText(row, 0, std::move(text)); }
    [[nodiscard]] const std::string& SubItem(ListRowId row, int column) const {
        return Text(row, column);
    }
    void SetSubItem(ListRowId row, int column, std::string text) {
        SetText(row, column, std::move(text));
    }
    [[nodiscard]] int SmallIcon(ListRowId row) const;
    void SetSmallIcon(ListRowId row, int image);
    [[nodiscard]] const std::string& Tag(ListRowId row) const;
    void SetTag(ListRowId row, std::string tag);

    // --- Filter ---
    // Shows only the rows whose text in one of columns contains text, ignoring case
    // (ContainsIgnoringCase); an empty text shows every row. Hiding a row clears
    // its selection and focus.
    void SetFilter(std::string text, std::vector<int> columns);
    [[nodiscard]] const std::string& FilterText() const noexcept { return filterText_; }
    [[nodiscard]] bool Filtered() const noexcept { return filtered_; }
    [[nodiscard]] bool Shown(ListRowId row) const;
    [[nodiscard]] int ShownCount() const noexcept {
        return static_cast<int>(filtered_ ? shown_.size() : order_.size());
    }
    // The shown rows, top to bottom.
    [[nodiscard]] const std::vector<ListRowId>& ShownRows() const noexcept {
        return filtered_ ? shown_ : order_;
    }
    // Position among the shown rows (0-based), -1 for a hidden row or none.
    [[nodiscard]] int ShownPositionOf(ListRowId row) const;

    // --- Selection and focus ---
    [[nodiscard]] bool Selected(ListRowId row) const;
    // Without multi-select, selecting a row clears every other selection. A hidden
    // row cannot be selected.
    void SetSelected(ListRowId row, bool selected);
    // Selects every shown row (multi-select lists only).
    void SelectAll();
    void ClearSelection();
    [[nodiscard]] int SelectedCount() const noexcept { return selectedCount_; }
    // Selected rows, top to bottom (visits every row).
    [[nodiscard]] std::vector<ListRowId> SelectedRows() const;
    // See the header comment.
    [[nodiscard]] ListRowId SelectedItem() const;
    [[nodiscard]] ListRowId FocusedRow() const noexcept { return focused_; }
    // A hidden row cannot take the focus.
    void SetFocusedRow(ListRowId row);

    // --- Sorting ---
    [[nodiscard]] int SortKey() const noexcept { return sortKey_; }
    [[nodiscard]] SortOrder GetSortOrder() const noexcept { return sortOrder_; }
    [[nodiscard]] bool Sorted() const noexcept { return sorted_; }
    // Each re-sorts the list when sorting is (or becomes) on.
    void SetSortKey(int column);
    void SetSortOrder(SortOrder order);
    void SetSorted(bool sorted);
    // Re-sorts now by the current settings (sorting on or not).
    void Sort();

    // --- Lookup by text ---
    // Keeps an index on column 0; FindRow is then O(1).
    void SetKeyIndex(bool enabled);
    [[nodiscard]] bool KeyIndex() const noexcept { return keyIndexOn_; }
    // The row whose own text equals text exactly (case matters), or none. With
    // several such rows, one of them.
    [[nodiscard]] ListRowId FindRow(std::string_view text) const;

    // --- User actions (renderer input; native tests) ---
    // A plain click selects the row alone and focuses it; with Ctrl it toggles the
    // row's selection (multi-select); with Shift it selects the range from the
    // focused row. Then raises onItemClick. Returns false for no row.
    bool ClickRow(ListRowId row, int shift = 0);
    // Raises onColumnClick.
    bool ClickColumn(int column);
    // Raise onMouseDown / onMouseUp / onDblClick. A right press on a row does not
    // change the selection by itself (the form decides).
    bool MouseDown(const ListMouseEvent& event);
    bool MouseUp(const ListMouseEvent& event);
    bool DblClick();
    // A key pressed in the list: raises onKeyDown with its Windows virtual-key code
    // (ui/Keys.h) and the shift state. Returns true when the handler took the key
    // (set the code to 0); the list's own handling of it is then skipped.
    bool KeyDown(int keyCode, int shift = 0);

    std::function<void(int column)> onColumnClick;
    std::function<void(ListRowId row)> onItemClick;
    std::function<void(const ListMouseEvent&)> onMouseDown;
    std::function<void(const ListMouseEvent&)> onMouseUp;
    std::function<void()> onDblClick;
    std::function<void(int& keyCode, int shift)> onKeyDown;

    // For the renderer: selection and focus as the user changed them in the view,
    // stored without raising events.
    void ApplyViewSelection(ListRowId row, bool selected);
    void ApplyViewFocus(ListRowId row);
    // For the renderer: a click on a row whose selection the view has already
    // changed; raises onItemClick only.
    bool RaiseItemClick(ListRowId row);

  private:
    struct Row {
        std::vector<std::string> cells;  // [0] is the text
        std::string tag;
        int icon = 0;
        bool selected = false;
        bool live = false;
        bool shown = true;
        std::uint32_t generation = 0;
        mutable int position = 0;       // valid below renumberFrom_
        mutable int shownPosition = 0;  // valid below shownRenumberFrom_, with a filter
    };

    [[nodiscard]] std::uint32_t SlotOf(ListRowId row) const;  // throws for a dead id
    Row& At(ListRowId row);
    const Row& At(ListRowId row) const;
    ListRowId NewRow(std::vector<std::string> cells, int icon);
    void Place(ListRowId id, int position);
    [[nodiscard]] int SortedPosition(const Row& row) const;
    void MarkMoved(int fromPosition) noexcept;
    void Renumber() const;
    void IndexAdd(const std::string& text, ListRowId id);
    void IndexRemove(const std::string& text, ListRowId id);
    void StoreSelected(ListRowId id, Row& row, bool selected, bool notify);
    [[nodiscard]] bool Matches(const Row& row) const;
    // Puts a shown row among the shown rows; returns its position there.
    int ShowRow(ListRowId id);
    // Hides a row (selection and focus go); returns the position it had.
    int HideRow(ListRowId id, Row& row);
    void RenumberShown() const;
    ListViewMode view_ = ListViewMode::Report;
    bool multiSelect_ = false;
    bool fullRowSelect_ = true;
    bool hideSelection_ = false;
    bool gridLines_ = false;
    const ImageList* smallIcons_ = nullptr;
    std::vector<ListColumn> columns_;

    // Slots indexed by the low 20 bits of an id; the high bits carry a generation,
    // so an id of a removed row never names a new row by chance.
    std::vector<Row> slots_;
    std::vector<std::uint32_t> freeSlots_;
    std::vector<ListRowId> order_;
    mutable int renumberFrom_ = 0;
    int selectedCount_ = 0;
    ListRowId focused_{};
    int updateDepth_ = 0;

    int sortKey_ = 0;
    SortOrder sortOrder_ = SortOrder::Ascending;
    bool sorted_ = false;

    bool keyIndexOn_ = false;
    std::unordered_multimap<std::string, ListRowId> keyIndex_;

    std::string filterText_;
    std::u32string filterFolded_;
    std::vector<int> filterColumns_;
    bool filtered_ = false;
    std::vector<ListRowId> shown_;  // with a filter: the shown rows in order
    mutable int shownRenumberFrom_ = 0;
};

}  // namespace vtl::ui

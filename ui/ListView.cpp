#include "ui/ListView.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "ui/ListControls.h"

namespace vtl::ui {

namespace {
constexpr std::uint32_t kSlotBits = 20;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr std::uint32_t kMaxGeneration = (1u << (32 - kSlotBits)) - 1;

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}
}  // namespace

ListView::ListView(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {}

ListView::~ListView() = default;

// --- Appearance ---

void ListView::SetView(ListViewMode view) {
    if (view == view_) return;
    view_ = view;
    Notify(ChangeKind::Style);
}

void ListView::SetMultiSelect(bool multiSelect) {
    if (multiSelect == multiSelect_) return;
    multiSelect_ = multiSelect;
    Notify(ChangeKind::Style);
    if (!multiSelect_ && selectedCount_ > 1) {
        const ListRowId keep = SelectedItem();
        for (ListRowId id : SelectedRows()) {
            if (id != keep) SetSelected(id, false);
        }
    }
}

void ListView::SetFullRowSelect(bool fullRowSelect) {
    if (fullRowSelect == fullRowSelect_) return;
    fullRowSelect_ = fullRowSelect;
    Notify(ChangeKind::Style);
}

void ListView::SetHideSelection(bool hide) {
    if (hide == hideSelection_) return;
    hideSelection_ = hide;
    Notify(ChangeKind::Style);
}

void ListView::SetGridLines(bool gridLines) {
    if (gridLines == gridLines_) return;
    gridLines_ = gridLines;
    Notify(ChangeKind::Style);
}

void ListView::SetSmallIcons(const ImageList* images) {
    smallIcons_ = images;
    Notify(ChangeKind::ImageList);
}

// --- Columns ---

int ListView::AddColumn(std::string key, std::string caption, int widthTwips) {
    columns_.push_back(ListColumn{std::move(key), std::move(caption), std::max(widthTwips, 0)});
    const int index = ColumnCount() - 1;
    Notify(ChangeKind::Columns, index);
    return index;
}

void ListView::SetColumnWidth(int index, int twips) {
    ListColumn& c = columns_.at(index);
    twips = std::max(twips, 0);
    if (c.width == twips) return;
    c.width = twips;
    Notify(ChangeKind::Columns, index);
}

// --- Rows ---

std::uint32_t ListView::SlotOf(ListRowId row) const {
    const std::uint32_t slot = row.value & kSlotMask;
    if (slot >= slots_.size() || !slots_[slot].live ||
        slots_[slot].generation != (row.value >> kSlotBits)) {
        throw std::out_of_range("ListView: no such row");
    }
    return slot;
}

ListView::Row& ListView::At(ListRowId row) {
    return slots_[SlotOf(row)];
}

const ListView::Row& ListView::At(ListRowId row) const {
    return slots_[SlotOf(row)];
}

bool ListView::Contains(ListRowId row) const noexcept {
    const std::uint32_t slot = row.value & kSlotMask;
    return row && slot < slots_.size() && slots_[slot].live &&
           slots_[slot].generation == (row.value >> kSlotBits);
}

ListRowId ListView::NewRow(std::vector<std::string> cells, int icon) {
    std::uint32_t slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        if (slots_.size() > kSlotMask) throw std::length_error("ListView: too many rows");
        slot = static_cast<std::uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Row& row = slots_[slot];
    row.generation = row.generation >= kMaxGeneration ? 1 : row.generation + 1;
    row.live = true;
    row.cells = std::move(cells);
    if (row.cells.empty()) row.cells.emplace_back();
    row.icon = icon;
    row.tag.clear();
    row.selected = false;
    return ListRowId{(row.generation << kSlotBits) | slot};
}

int ListView::SortedPosition(const Row& row) const {
    const std::string& key =
        static_cast<std::size_t>(sortKey_) < row.cells.size() ? row.cells[sortKey_] : EmptyText();
    const bool ascending = sortOrder_ == SortOrder::Ascending;
    // After every equal text, so that rows keep the order they came in.
    const auto at = std::upper_bound(order_.begin(), order_.end(), key,
                                     [&](const std::string& k, ListRowId other) {
                                         const int c = CompareListText(k, Text(other, sortKey_));
                                         return ascending ? c < 0 : c > 0;
                                     });
    return static_cast<int>(at - order_.begin());
}

void ListView::Place(ListRowId id, int position) {
    if (sorted_) {
        position = SortedPosition(At(id));
    } else if (position < 0 || position > RowCount()) {
        position = RowCount();
    }
    order_.insert(order_.begin() + position, id);
    MarkMoved(position);
    Row& row = At(id);
    row.position = position;
    if (keyIndexOn_) IndexAdd(row.cells[0], id);
    row.shown = Matches(row);
    if (!filtered_) {
        Notify(ChangeKind::RowInserted, position, id);
    } else if (row.shown) {
        Notify(ChangeKind::RowInserted, ShowRow(id), id);
    }
}

ListRowId ListView::AddRow(std::string text, int smallIcon, int position) {
    std::vector<std::string> cells;
    cells.push_back(std::move(text));
    return AddRowCells(std::move(cells), smallIcon, position);
}

ListRowId ListView::AddRowCells(std::vector<std::string> cells, int smallIcon, int position) {
    const ListRowId id = NewRow(std::move(cells), smallIcon);
    Place(id, position);
    return id;
}

void ListView::RemoveRow(ListRowId row) {
    const int position = PositionOf(row);
    if (position < 0) throw std::out_of_range("ListView::RemoveRow: no such row");
    Row& r = At(row);
    int shownPosition = position;
    if (filtered_) shownPosition = r.shown ? HideRow(row, r) : -1;
    if (r.selected) --selectedCount_;
    if (focused_ == row) focused_ = {};
    if (keyIndexOn_) IndexRemove(r.cells[0], row);
    order_.erase(order_.begin() + position);
    MarkMoved(position);
    r.live = false;
    r.selected = false;
    r.cells.clear();
    r.tag.clear();
    freeSlots_.push_back(row.value & kSlotMask);
    if (shownPosition >= 0) Notify(ChangeKind::RowRemoved, shownPosition, row);
}

void ListView::Clear() {
    for (ListRowId id : order_) {
        Row& r = slots_[id.value & kSlotMask];
        r.live = false;
        r.cells.clear();
        r.tag.clear();
        r.selected = false;
        freeSlots_.push_back(id.value & kSlotMask);
    }
    order_.clear();
    shown_.clear();
    shownRenumberFrom_ = 0;
    keyIndex_.clear();
    selectedCount_ = 0;
    focused_ = {};
    renumberFrom_ = 0;
    Notify(ChangeKind::RowsCleared);
}

void ListView::BeginUpdate() {
    if (updateDepth_++ == 0) Notify(ChangeKind::BeginUpdate);
}

void ListView::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ == 0) Notify(ChangeKind::EndUpdate);
}

ListRowId ListView::RowAt(int position) const noexcept {
    if (position < 0 || position >= RowCount()) return {};
    return order_[position];
}

void ListView::MarkMoved(int fromPosition) noexcept {
    renumberFrom_ = std::min(renumberFrom_, fromPosition);
}

void ListView::Renumber() const {
    for (int i = renumberFrom_; i < RowCount(); ++i)
        slots_[order_[i].value & kSlotMask].position = i;
    renumberFrom_ = RowCount();
}

int ListView::PositionOf(ListRowId row) const {
    if (!Contains(row)) return -1;
    const Row& r = At(row);
    if (r.position >= renumberFrom_) Renumber();
    return r.position;
}

const std::string& ListView::Text(ListRowId row, int column) const {
    const Row& r = At(row);
    if (column < 0 || static_cast<std::size_t>(column) >= r.cells.size()) return EmptyText();
    return r.cells[column];
}

void ListView::SetText(ListRowId row, int column, std::string text) {
    if (column < 0) throw std::out_of_range("ListView::SetText: negative column");
    Row& r = At(row);
    if (static_cast<std::size_t>(column) >= r.cells.size()) {
        if (text.empty()) return;
        r.cells.resize(column + 1);
    }
    if (r.cells[column] == text) return;
    if (column == 0 && keyIndexOn_) {
        IndexRemove(r.cells[0], row);
        IndexAdd(text, row);
    }
    r.cells[column] = std::move(text);
    const bool filterColumn = filtered_ && std::find(filterColumns_.begin(), filterColumns_.end(),
                                                     column) != filterColumns_.end();
    if (filterColumn && Matches(r) != r.shown) {
        // The row comes into view with its new text, or leaves it.
        if (r.shown) {
            Notify(ChangeKind::RowRemoved, HideRow(row, r), row);
        } else {
            r.shown = true;
            Notify(ChangeKind::RowInserted, ShowRow(row), row);
        }
        return;
    }
    if (r.shown) Notify(ChangeKind::RowText, -1, row, column);
}

int ListView::SmallIcon(ListRowId row) const {
    return At(row).icon;
}

void ListView::SetSmallIcon(ListRowId row, int image) {
    Row& r = At(row);
    if (r.icon == image) return;
    r.icon = image;
    if (r.shown) Notify(ChangeKind::RowIcon, -1, row);
}

const std::string& ListView::Tag(ListRowId row) const {
    return At(row).tag;
}

void ListView::SetTag(ListRowId row, std::string tag) {
    At(row).tag = std::move(tag);
}

// --- Selection and focus ---

bool ListView::Selected(ListRowId row) const {
    return At(row).selected;
}

void ListView::StoreSelected(ListRowId id, Row& row, bool selected, bool notify) {
    if (row.selected == selected) return;
    row.selected = selected;
    selectedCount_ += selected ? 1 : -1;
    if (notify) Notify(ChangeKind::RowSelection, -1, id);
}

void ListView::SetSelected(ListRowId row, bool selected) {
    Row& r = At(row);
    if (r.selected == selected || (selected && !r.shown)) return;
    if (selected && !multiSelect_ && selectedCount_ > 0) {
        for (ListRowId other : SelectedRows())
            StoreSelected(other, At(other), false, true);
    }
    StoreSelected(row, r, selected, true);
}

void ListView::SelectAll() {
    if (!multiSelect_) return;
    for (ListRowId id : ShownRows())
        StoreSelected(id, At(id), true, true);
}

void ListView::ClearSelection() {
    if (selectedCount_ == 0) return;
    for (ListRowId id : SelectedRows())
        StoreSelected(id, At(id), false, true);
}

std::vector<ListRowId> ListView::SelectedRows() const {
    std::vector<ListRowId> rows;
    if (selectedCount_ == 0) return rows;
    rows.reserve(selectedCount_);
    for (ListRowId id : order_) {
        if (slots_[id.value & kSlotMask].selected) rows.push_back(id);
    }
    return rows;
}

ListRowId ListView::SelectedItem() const {
    if (selectedCount_ == 0) return {};
    if (focused_ && At(focused_).selected) return focused_;
    for (ListRowId id : order_) {
        if (slots_[id.value & kSlotMask].selected) return id;
    }
    return {};
}

void ListView::SetFocusedRow(ListRowId row) {
    if (row && !Contains(row)) throw std::out_of_range("ListView::SetFocusedRow: no such row");
    if (row == focused_ || (row && !At(row).shown)) return;
    focused_ = row;
    Notify(ChangeKind::RowFocus, -1, row);
}

// --- Sorting ---

void ListView::SetSortKey(int column) {
    if (column < 0) throw std::out_of_range("ListView::SetSortKey");
    sortKey_ = column;
    if (sorted_) Sort();
}

void ListView::SetSortOrder(SortOrder order) {
    sortOrder_ = order;
    if (sorted_) Sort();
}

void ListView::SetSorted(bool sorted) {
    sorted_ = sorted;
    if (sorted_) Sort();
}

void ListView::Sort() {
    const bool ascending = sortOrder_ == SortOrder::Ascending;
    const int key = sortKey_;
    std::stable_sort(order_.begin(), order_.end(), [&](ListRowId a, ListRowId b) {
        const int c = CompareListText(Text(a, key), Text(b, key));
        return ascending ? c < 0 : c > 0;
    });
    renumberFrom_ = 0;
    if (filtered_) {
        shown_.clear();
        for (ListRowId id : order_) {
            if (At(id).shown) shown_.push_back(id);
        }
        shownRenumberFrom_ = 0;
    }
    Notify(ChangeKind::RowsSorted);
}

// --- Filter ---

bool ListView::Matches(const Row& row) const {
    if (!filtered_) return true;
    for (int column : filterColumns_) {
        if (column >= 0 && static_cast<std::size_t>(column) < row.cells.size() &&
            ContainsFolded(row.cells[column], filterFolded_))
            return true;
    }
    return false;
}

void ListView::SetFilter(std::string text, std::vector<int> columns) {
    if (text == filterText_ && columns == filterColumns_) return;
    filterText_ = std::move(text);
    filterColumns_ = std::move(columns);
    filterFolded_ = FoldForSearch(filterText_);
    filtered_ = !filterText_.empty();
    shown_.clear();
    shownRenumberFrom_ = 0;
    for (ListRowId id : order_) {
        Row& r = At(id);
        r.shown = Matches(r);
        if (!r.shown) {
            StoreSelected(id, r, false, false);
            if (focused_ == id) focused_ = {};
        } else if (filtered_) {
            shown_.push_back(id);
        }
    }
    Notify(ChangeKind::RowsFiltered);
}

bool ListView::Shown(ListRowId row) const {
    return At(row).shown;
}

int ListView::ShowRow(ListRowId id) {
    const int position = PositionOf(id);
    // The shown rows keep the list's order.
    const auto at =
        std::lower_bound(shown_.begin(), shown_.end(), position,
                         [this](ListRowId other, int p) { return PositionOf(other) < p; });
    const int shownPosition = static_cast<int>(at - shown_.begin());
    shown_.insert(at, id);
    shownRenumberFrom_ = std::min(shownRenumberFrom_, shownPosition);
    At(id).shownPosition = shownPosition;
    return shownPosition;
}

int ListView::HideRow(ListRowId id, Row& row) {
    const int shownPosition = ShownPositionOf(id);
    StoreSelected(id, row, false, true);
    if (focused_ == id) SetFocusedRow({});
    row.shown = false;
    if (shownPosition >= 0) {
        shown_.erase(shown_.begin() + shownPosition);
        shownRenumberFrom_ = std::min(shownRenumberFrom_, shownPosition);
    }
    return shownPosition;
}

void ListView::RenumberShown() const {
    for (int i = shownRenumberFrom_; i < static_cast<int>(shown_.size()); ++i)
        slots_[shown_[i].value & kSlotMask].shownPosition = i;
    shownRenumberFrom_ = static_cast<int>(shown_.size());
}

int ListView::ShownPositionOf(ListRowId row) const {
    if (!Contains(row)) return -1;
    if (!filtered_) return PositionOf(row);
    const Row& r = At(row);
    if (!r.shown) return -1;
    if (r.shownPosition >= shownRenumberFrom_) RenumberShown();
    return r.shownPosition;
}

// --- Lookup by text ---

void ListView::IndexAdd(const std::string& text, ListRowId id) {
    keyIndex_.emplace(text, id);
}

void ListView::IndexRemove(const std::string& text, ListRowId id) {
    auto [first, last] = keyIndex_.equal_range(text);
    for (auto it = first; it != last; ++it) {
        if (it->second == id) {
            keyIndex_.erase(it);
            return;
        }
    }
}

void ListView::SetKeyIndex(bool enabled) {
    if (enabled == keyIndexOn_) return;
    keyIndexOn_ = enabled;
    keyIndex_.clear();
    if (enabled) {
        keyIndex_.reserve(order_.size());
        for (ListRowId id : order_)
            IndexAdd(At(id).cells[0], id);
    }
}

ListRowId ListView::FindRow(std::string_view text) const {
    if (keyIndexOn_) {
        const auto it = keyIndex_.find(std::string(text));
        return it != keyIndex_.end() ? it->second : ListRowId{};
    }
    for (ListRowId id : order_) {
        if (slots_[id.value & kSlotMask].cells[0] == text) return id;
    }
    return {};
}

// --- User actions ---

bool ListView::ClickRow(ListRowId row, int shift) {
    if (!Reachable() || !Contains(row) || !At(row).shown) return false;
    if (multiSelect_ && (shift & kCtrlMask) != 0) {
        SetSelected(row, !Selected(row));
    } else if (multiSelect_ && (shift & kShiftMask) != 0 && focused_) {
        int from = PositionOf(focused_);
        int to = PositionOf(row);
        if (from > to) std::swap(from, to);
        for (ListRowId id : SelectedRows()) {
            const int p = PositionOf(id);
            if (p < from || p > to) SetSelected(id, false);
        }
        for (int p = from; p <= to; ++p)
            SetSelected(order_[p], true);
    } else {
        for (ListRowId id : SelectedRows()) {
            if (id != row) SetSelected(id, false);
        }
        SetSelected(row, true);
    }
    // Shift-clicks keep the anchor where it was, as the Windows list does.
    if ((shift & kShiftMask) == 0 || !multiSelect_) SetFocusedRow(row);
    if (onItemClick) onItemClick(row);
    return true;
}

bool ListView::ClickColumn(int column) {
    if (!Reachable() || column < 0 || column >= ColumnCount()) return false;
    if (onColumnClick) onColumnClick(column);
    return true;
}

bool ListView::MouseDown(const ListMouseEvent& event) {
    if (!Reachable()) return false;
    if (onMouseDown) onMouseDown(event);
    return true;
}

bool ListView::MouseUp(const ListMouseEvent& event) {
    if (!Reachable()) return false;
    if (onMouseUp) onMouseUp(event);
    return true;
}

bool ListView::DblClick() {
    if (!Reachable()) return false;
    if (onDblClick) onDblClick();
    return true;
}

bool ListView::KeyDown(int keyCode, int shift) {
    if (!Reachable() || !onKeyDown) return false;
    int key = keyCode;
    onKeyDown(key, shift);
    return key == 0;
}

void ListView::ApplyViewSelection(ListRowId row, bool selected) {
    if (!Contains(row) || (selected && !At(row).shown)) return;
    StoreSelected(row, At(row), selected, false);
}

bool ListView::RaiseItemClick(ListRowId row) {
    if (!Reachable() || !Contains(row) || !At(row).shown) return false;
    if (onItemClick) onItemClick(row);
    return true;
}

void ListView::ApplyViewFocus(ListRowId row) {
    if (row && (!Contains(row) || !At(row).shown)) return;
    focused_ = row;
}

}  // namespace vtl::ui

#pragma once
// Combo box and list box: lists of texts addressed by 0-based index.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Control.h"

namespace vtl::ui {

enum class ComboStyle : int { DropDownCombo = 0, DropDownList = 2 };

class ComboBox : public Control {
  public:
    ComboBox(Container& parent, std::string name, ComboStyle style = ComboStyle::DropDownCombo,
             int index = -1);

    [[nodiscard]] ComboStyle Style() const noexcept { return style_; }

    [[nodiscard]] int ListCount() const noexcept { return static_cast<int>(items_.size()); }
    [[nodiscard]] const std::string& List(int index) const { return items_.at(index); }
    // Appends, or inserts before index. Returns the new item's index.
    int AddItem(std::string text, int index = -1);
    void RemoveItem(int index);
    void Clear();

    // -1: no item selected.
    [[nodiscard]] int ListIndex() const noexcept { return listIndex_; }
    // Selects an item (the text becomes the item's); -1 clears the selection.
    void SetListIndex(int index);
    // The edit text (drop-down combo) or the selected item's text (drop-down list).
    [[nodiscard]] const std::string& Text() const noexcept { return text_; }
    // Drop-down list: selects the item whose text equals text (ignoring case, as the
    // Windows box does) and returns true; with no such item nothing changes and the
    // result is false. Drop-down combo: sets the edit text and selects a matching
    // item, if any.
    bool SetText(std::string text);
    // Index of the item equal to text ignoring case, or -1.
    [[nodiscard]] int FindItem(std::string_view text) const;

    // User actions: pick an item from the list (raises onClick); type into the edit
    // part of a drop-down combo (raises onChange).
    bool SelectItem(int index);
    bool TypeText(std::string text);

    std::function<void()> onClick;
    std::function<void()> onChange;

  private:
    ComboStyle style_;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    std::string text_;
};

enum class MultiSelect : int { None = 0, Simple = 1, Extended = 2 };

class ListBox : public Control {
  public:
    ListBox(Container& parent, std::string name, int index = -1);

    [[nodiscard]] MultiSelect GetMultiSelect() const noexcept { return multiSelect_; }
    void SetMultiSelect(MultiSelect mode);  // before the form is loaded
    [[nodiscard]] bool Sorted() const noexcept { return sorted_; }
    void SetSorted(bool sorted);  // before items are added

    [[nodiscard]] int ListCount() const noexcept { return static_cast<int>(items_.size()); }
    [[nodiscard]] const std::string& List(int index) const { return items_.at(index).text; }
    // Appends (or, when sorted, inserts in order ignoring case), or inserts before index.
    int AddItem(std::string text, int index = -1);
    void RemoveItem(int index);
    void Clear();
    [[nodiscard]] std::int64_t ItemData(int index) const { return items_.at(index).data; }
    void SetItemData(int index, std::int64_t data);

    // The current item (the focused one), or -1.
    [[nodiscard]] int ListIndex() const noexcept { return listIndex_; }
    // Makes index current; without multi-select it is also the only selected item.
    void SetListIndex(int index);
    [[nodiscard]] bool Selected(int index) const { return items_.at(index).selected; }
    void SetSelected(int index, bool selected);
    [[nodiscard]] int SelCount() const noexcept { return selCount_; }
    // Text of the current item, or empty.
    [[nodiscard]] std::string Text() const;

    // User actions: a click on an item (with Ctrl for multi-select toggling); a
    // double click on an item.
    bool ClickItem(int index, bool ctrl = false);
    bool DblClickItem(int index);

    // For the renderer: the selection as the user changed it in the view, stored
    // without events; then RaiseClick.
    void ApplyViewSelection(int index, bool selected);
    void ApplyViewListIndex(int index);
    bool RaiseClick();

    std::function<void()> onClick;
    std::function<void()> onDblClick;

  private:
    struct Item {
        std::string text;
        std::int64_t data = 0;
        bool selected = false;
    };
    std::vector<Item> items_;
    MultiSelect multiSelect_ = MultiSelect::None;
    bool sorted_ = false;
    int listIndex_ = -1;
    int selCount_ = 0;
};

// Compares as the Windows controls sort texts: ignoring case, then ordinal.
// Negative, 0 or positive.
[[nodiscard]] int CompareListText(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] bool EqualsIgnoreCase(std::string_view a, std::string_view b) noexcept;

// UTF-8 text as code points in lower case, for searching: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic capitals fold to their small letters. A byte that
// is no part of a valid sequence stays a code of its own that no letter equals.
[[nodiscard]] std::u32string FoldForSearch(std::string_view utf8);
// Whether text contains the already folded needle, ignoring case as above. An
// empty needle is contained in every text.
[[nodiscard]] bool ContainsFolded(std::string_view text, std::u32string_view foldedNeedle);

}  // namespace vtl::ui

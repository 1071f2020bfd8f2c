#include "ui/ListControls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vtl::ui {

namespace {
constexpr unsigned char Fold(unsigned char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
}  // namespace

int CompareListText(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = Fold(static_cast<unsigned char>(a[i]));
        const unsigned char y = Fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && CompareListText(a, b) == 0;
}

// ---------------------------------------------------------------------------

ComboBox::ComboBox(Container& parent, std::string name, ComboStyle style, int index)
    : Control(parent, std::move(name), index), style_(style) {}

int ComboBox::AddItem(std::string text, int index) {
    if (index < 0 || index > ListCount()) index = ListCount();
    items_.insert(items_.begin() + index, std::move(text));
    if (listIndex_ >= index) ++listIndex_;
    Notify(ChangeKind::ItemInserted, index);
    return index;
}

void ComboBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("ComboBox::RemoveItem");
    items_.erase(items_.begin() + index);
    Notify(ChangeKind::ItemRemoved, index);
    if (listIndex_ == index) {
        listIndex_ = -1;
        if (style_ == ComboStyle::DropDownList) text_.clear();
        Notify(ChangeKind::Value);
    } else if (listIndex_ > index) {
        --listIndex_;
    }
}

void ComboBox::Clear() {
    items_.clear();
    listIndex_ = -1;
    text_.clear();
    Notify(ChangeKind::ItemsCleared);
}

void ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("ComboBox::SetListIndex");
    if (index == listIndex_ && (index < 0 || text_ == items_[index])) return;
    listIndex_ = index;
    if (index >= 0) {
        text_ = items_[index];
    } else if (style_ == ComboStyle::DropDownList) {
        text_.clear();
    }
    Notify(ChangeKind::Value);
}

int ComboBox::FindItem(std::string_view text) const {
    for (int i = 0; i < ListCount(); ++i) {
        if (EqualsIgnoreCase(items_[i], text)) return i;
    }
    return -1;
}

bool ComboBox::SetText(std::string text) {
    const int found = FindItem(text);
    if (style_ == ComboStyle::DropDownList) {
        if (found < 0) return false;
        SetListIndex(found);
        return true;
    }
    listIndex_ = found;
    text_ = std::move(text);
    Notify(ChangeKind::Value);
    return true;
}

bool ComboBox::SelectItem(int index) {
    if (!Reachable() || index < 0 || index >= ListCount()) return false;
    SetListIndex(index);
    if (onClick) onClick();
    return true;
}

bool ComboBox::TypeText(std::string text) {
    if (!Reachable() || style_ == ComboStyle::DropDownList) return false;
    if (text == text_) return true;
    text_ = std::move(text);
    listIndex_ = FindItem(text_);
    Notify(ChangeKind::Value);
    if (onChange) onChange();
    return true;
}

// ---------------------------------------------------------------------------

ListBox::ListBox(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {}

void ListBox::SetMultiSelect(MultiSelect mode) {
    if (mode == multiSelect_) return;
    multiSelect_ = mode;
    Notify(ChangeKind::Style);
}

void ListBox::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    Notify(ChangeKind::Style);
}

int ListBox::AddItem(std::string text, int index) {
    if (sorted_) {
        const auto at = std::upper_bound(items_.begin(), items_.end(), text,
                                         [](const std::string& t, const Item& item) {
                                             return CompareListText(t, item.text) < 0;
                                         });
        index = static_cast<int>(at - items_.begin());
    } else if (index < 0 || index > ListCount()) {
        index = ListCount();
    }
    items_.insert(items_.begin() + index, Item{std::move(text)});
    if (listIndex_ >= index) ++listIndex_;
    Notify(ChangeKind::ItemInserted, index);
    return index;
}

void ListBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("ListBox::RemoveItem");
    if (items_[index].selected) --selCount_;
    items_.erase(items_.begin() + index);
    if (listIndex_ == index) {
        listIndex_ = -1;
    } else if (listIndex_ > index) {
        --listIndex_;
    }
    Notify(ChangeKind::ItemRemoved, index);
}

void ListBox::Clear() {
    items_.clear();
    listIndex_ = -1;
    selCount_ = 0;
    Notify(ChangeKind::ItemsCleared);
}

void ListBox::SetItemData(int index, std::int64_t data) {
    items_.at(index).data = data;
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("ListBox::SetListIndex");
    if (multiSelect_ == MultiSelect::None) {
        for (int i = 0; i < ListCount(); ++i) {
            if (i != index && items_[i].selected) SetSelected(i, false);
        }
        if (index >= 0) SetSelected(index, true);
    }
    if (index == listIndex_) return;
    listIndex_ = index;
    Notify(ChangeKind::Value);
}

void ListBox::SetSelected(int index, bool selected) {
    Item& item = items_.at(index);
    if (item.selected == selected) return;
    if (selected && multiSelect_ == MultiSelect::None) {
        for (int i = 0; i < ListCount(); ++i) {
            if (i != index && items_[i].selected) {
                items_[i].selected = false;
                --selCount_;
                Notify(ChangeKind::ItemSelection, i);
            }
        }
        if (listIndex_ != index) {
            listIndex_ = index;
            Notify(ChangeKind::Value);
        }
    }
    item.selected = selected;
    selCount_ += selected ? 1 : -1;
    Notify(ChangeKind::ItemSelection, index);
}

std::string ListBox::Text() const {
    return listIndex_ >= 0 ? items_[listIndex_].text : std::string();
}

bool ListBox::ClickItem(int index, bool ctrl) {
    if (!Reachable() || index < 0 || index >= ListCount()) return false;
    if (multiSelect_ == MultiSelect::None) {
        SetListIndex(index);
    } else if (multiSelect_ == MultiSelect::Simple || ctrl) {
        SetSelected(index, !items_[index].selected);
        if (listIndex_ != index) {
            listIndex_ = index;
            Notify(ChangeKind::Value);
        }
    } else {
        for (int i = 0; i < ListCount(); ++i)
            SetSelected(i, i == index);
        if (listIndex_ != index) {
            listIndex_ = index;
            Notify(ChangeKind::Value);
        }
    }
    if (onClick) onClick();
    return true;
}

void ListBox::ApplyViewSelection(int index, bool selected) {
    if (index < 0 || index >= ListCount()) return;
    Item& item = items_[index];
    if (item.selected == selected) return;
    item.selected = selected;
    selCount_ += selected ? 1 : -1;
}

void ListBox::ApplyViewListIndex(int index) {
    if (index >= -1 && index < ListCount()) listIndex_ = index;
}

bool ListBox::RaiseClick() {
    if (!Reachable()) return false;
    if (onClick) onClick();
    return true;
}

bool ListBox::DblClickItem(int index) {
    if (!Reachable() || index < 0 || index >= ListCount()) return false;
    if (onDblClick) onDblClick();
    return true;
}

}  // namespace vtl::ui

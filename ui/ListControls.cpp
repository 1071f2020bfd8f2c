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

namespace {
// Stands for a byte that starts no valid UTF-8 sequence (a lone surrogate's
// range, which valid UTF-8 never yields).
constexpr char32_t kStrayByte = 0xDC00;

// The small letter of a capital in the scripts administrators name services in.
constexpr char32_t FoldCodePoint(char32_t c) noexcept {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // Latin-1
    if (c == 0x178) return 0xFF;
    // Latin Extended-A: capitals and small letters alternate, in two phases.
    const bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1)) return c + 1;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

// The length of a valid sequence at text[i] and its code point; 0 when invalid.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& out) noexcept {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        out = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    out = c;
    return length;
}
}  // namespace

std::u32string FoldForSearch(std::string_view utf8) {
    std::u32string folded;
    folded.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(utf8, i, c);
        if (length == 0) {
            folded.push_back(kStrayByte + static_cast<unsigned char>(utf8[i]));
            ++i;
        } else {
            folded.push_back(FoldCodePoint(c));
            i += length;
        }
    }
    return folded;
}

bool ContainsFolded(std::string_view text, std::u32string_view foldedNeedle) {
    if (foldedNeedle.empty()) return true;
    return FoldForSearch(text).find(foldedNeedle) != std::u32string::npos;
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

#include "ui/Bars.h"

#include <stdexcept>
#include <utility>

#include "ui/ImageList.h"
#include "ui/Timer.h"

namespace vtl::ui {

Toolbar::Toolbar(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {}

void Toolbar::SetImageList(const ImageList* images) {
    images_ = images;
    Notify(ChangeKind::ImageList);
}

int Toolbar::AddButton(ToolbarButton button) {
    buttons_.push_back(std::move(button));
    const int index = ButtonCount() - 1;
    Notify(ChangeKind::ItemInserted, index);
    return index;
}

int Toolbar::ButtonIndex(std::string_view key) const noexcept {
    for (int i = 0; i < ButtonCount(); ++i) {
        if (buttons_[i].key == key) return i;
    }
    return -1;
}

void Toolbar::SetButtonEnabled(int index, bool enabled) {
    ToolbarButton& b = buttons_.at(index);
    if (b.enabled == enabled) return;
    b.enabled = enabled;
    Notify(ChangeKind::ItemChanged, index);
}

void Toolbar::SetButtonVisible(int index, bool visible) {
    ToolbarButton& b = buttons_.at(index);
    if (b.visible == visible) return;
    b.visible = visible;
    Notify(ChangeKind::ItemChanged, index);
}

void Toolbar::SetButtonCaption(int index, std::string caption) {
    ToolbarButton& b = buttons_.at(index);
    if (b.caption == caption) return;
    b.caption = std::move(caption);
    Notify(ChangeKind::ItemChanged, index);
}

void Toolbar::SetButtonToolTip(int index, std::string toolTip) {
    ToolbarButton& b = buttons_.at(index);
    if (b.toolTip == toolTip) return;
    b.toolTip = std::move(toolTip);
    Notify(ChangeKind::ItemChanged, index);
}

void Toolbar::SetButtonImage(int index, int image) {
    ToolbarButton& b = buttons_.at(index);
    if (b.image == image) return;
    b.image = image;
    Notify(ChangeKind::ItemChanged, index);
}

bool Toolbar::ClickButton(int index) {
    if (!Reachable() || index < 0 || index >= ButtonCount()) return false;
    const ToolbarButton& b = buttons_[index];
    if (!b.enabled || !b.visible) return false;
    // A copy: the handler may change the buttons.
    const ToolbarButton pressed = b;
    if (onButtonClick) onButtonClick(pressed);
    return true;
}

// ---------------------------------------------------------------------------

StatusBar::StatusBar(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {
    SetTabStop(false);
}

void StatusBar::SetImageList(const ImageList* images) {
    images_ = images;
    Notify(ChangeKind::ImageList);
}

int StatusBar::AddPanel(StatusPanel panel) {
    panels_.push_back(std::move(panel));
    const int index = PanelCount() - 1;
    Notify(ChangeKind::ItemInserted, index);
    return index;
}

void StatusBar::SetPanelText(int index, std::string text) {
    StatusPanel& p = panels_.at(index);
    if (p.text == text) return;
    p.text = std::move(text);
    Notify(ChangeKind::ItemChanged, index);
}

void StatusBar::SetPanelImage(int index, int image) {
    StatusPanel& p = panels_.at(index);
    if (p.image == image) return;
    p.image = image;
    Notify(ChangeKind::ItemChanged, index);
}

void StatusBar::SetPanelWidth(int index, int twips) {
    StatusPanel& p = panels_.at(index);
    if (p.width == twips) return;
    p.width = twips;
    Notify(ChangeKind::ItemChanged, index);
}

// ---------------------------------------------------------------------------

TabStrip::TabStrip(Container& parent, std::string name, int index)
    : Control(parent, std::move(name), index) {}

int TabStrip::AddTab(Tab tab) {
    tabs_.push_back(std::move(tab));
    const int index = TabCount() - 1;
    Notify(ChangeKind::ItemInserted, index);
    if (selected_ < 0) {
        selected_ = 0;
        Notify(ChangeKind::Value);
    }
    return index;
}

const Tab* TabStrip::SelectedTab() const noexcept {
    return selected_ >= 0 ? &tabs_[selected_] : nullptr;
}

void TabStrip::SetSelectedIndex(int index) {
    if (index < 0 || index >= TabCount()) throw std::out_of_range("TabStrip::SetSelectedIndex");
    if (index == selected_) return;
    selected_ = index;
    Notify(ChangeKind::Value);
}

bool TabStrip::SelectTab(int index) {
    if (!Reachable() || index < 0 || index >= TabCount()) return false;
    if (index == selected_) return true;
    SetSelectedIndex(index);
    if (onClick) onClick();
    return true;
}

// ---------------------------------------------------------------------------

ImageList::ImageList(Container& parent, std::string name, int imageWidth, int imageHeight)
    : Control(parent, std::move(name)), imageWidth_(imageWidth), imageHeight_(imageHeight) {
    SetTabStop(false);
}

int ImageList::Add(std::string key) {
    keys_.push_back(std::move(key));
    Notify(ChangeKind::ImageList);
    return Count();
}

std::string_view ImageList::Key(int index) const noexcept {
    if (index < 1 || index > Count()) return {};
    return keys_[index - 1];
}

int ImageList::IndexOf(std::string_view key) const noexcept {
    for (int i = 0; i < Count(); ++i) {
        if (keys_[i] == key) return i + 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------

Timer::Timer(Container& parent, std::string name, std::uint32_t intervalMs, bool enabled)
    : Control(parent, std::move(name)), interval_(intervalMs) {
    SetTabStop(false);
    SetEnabled(enabled);
}

void Timer::SetInterval(std::uint32_t milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Notify(ChangeKind::Interval);
}

void Timer::Tick() {
    if (Running() && onTick) onTick();
}

}  // namespace vtl::ui

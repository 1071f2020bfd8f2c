#pragma once
// Toolbar, status bar and tab strip: controls made of a row of parts addressed by
// 0-based index or by key.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Control.h"

namespace vtl::ui {

class ImageList;

struct ToolbarButton {
    std::string key;
    std::string caption;  // shown beside the image; empty for an image-only button
    std::string toolTip;
    int image = 0;  // 1-based index into the toolbar's image list, 0 none
    bool enabled = true;
    bool visible = true;
};

class Toolbar : public Control {
  public:
    Toolbar(Container& parent, std::string name, int index = -1);

    void SetImageList(const ImageList* images);
    [[nodiscard]] const ImageList* Images() const noexcept { return images_; }

    // Returns the new button's index.
    int AddButton(ToolbarButton button);
    [[nodiscard]] int ButtonCount() const noexcept { return static_cast<int>(buttons_.size()); }
    [[nodiscard]] const ToolbarButton& Button(int index) const { return buttons_.at(index); }
    // Index of the button with that key, or -1.
    [[nodiscard]] int ButtonIndex(std::string_view key) const noexcept;
    void SetButtonEnabled(int index, bool enabled);
    void SetButtonVisible(int index, bool visible);
    void SetButtonCaption(int index, std::string caption);
    void SetButtonToolTip(int index, std::string toolTip);
    void SetButtonImage(int index, int image);

    // User action: press a button (it must be enabled and visible, and so the
    // toolbar). Raises onButtonClick with the button.
    bool ClickButton(int index);
    bool ClickButton(std::string_view key) { return ClickButton(ButtonIndex(key)); }

    std::function<void(const ToolbarButton&)> onButtonClick;

  private:
    const ImageList* images_ = nullptr;
    std::vector<ToolbarButton> buttons_;
};

enum class PanelAutoSize : int { None = 0, Spring = 1, Contents = 2 };

struct StatusPanel {
    std::string key;
    std::string text;
    int width = 1440;     // twips
    int minWidth = 1440;  // twips; a spring panel never shrinks below it
    PanelAutoSize autoSize = PanelAutoSize::None;
    int image = 0;  // 1-based index into the status bar's image list, 0 none
};

class StatusBar : public Control {
  public:
    StatusBar(Container& parent, std::string name, int index = -1);

    // The bar lies along the bottom edge of its form; the renderer places it.
    void SetImageList(const ImageList* images);
    [[nodiscard]] const ImageList* Images() const noexcept { return images_; }

    int AddPanel(StatusPanel panel);
    [[nodiscard]] int PanelCount() const noexcept { return static_cast<int>(panels_.size()); }
    [[nodiscard]] const StatusPanel& Panel(int index) const { return panels_.at(index); }
    [[nodiscard]] const std::string& PanelText(int index) const { return panels_.at(index).text; }
    void SetPanelText(int index, std::string text);
    void SetPanelImage(int index, int image);
    void SetPanelWidth(int index, int twips);

  private:
    const ImageList* images_ = nullptr;
    std::vector<StatusPanel> panels_;
};

struct Tab {
    std::string key;
    std::string caption;
    std::string toolTip;
};

class TabStrip : public Control {
  public:
    TabStrip(Container& parent, std::string name, int index = -1);

    int AddTab(Tab tab);
    [[nodiscard]] int TabCount() const noexcept { return static_cast<int>(tabs_.size()); }
    [[nodiscard]] const Tab& GetTab(int index) const { return tabs_.at(index); }
    // The selected tab's index, or -1 when there are no tabs.
    [[nodiscard]] int SelectedIndex() const noexcept { return selected_; }
    [[nodiscard]] const Tab* SelectedTab() const noexcept;
    void SetSelectedIndex(int index);

    // User action: the user picks a tab; raises onClick when it changed.
    bool SelectTab(int index);

    std::function<void()> onClick;

  private:
    std::vector<Tab> tabs_;
    int selected_ = -1;
};

}  // namespace vtl::ui

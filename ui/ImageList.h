#pragma once
// An image list: images addressed by 1-based index and by key. The key names the
// artwork; the renderer maps it to a picture of the list's size ("Active",
// "Start", ...). Index 0 means no image everywhere an image index is stored.

#include <string>
#include <string_view>
#include <vector>

#include "ui/Control.h"

namespace vtl::ui {

class ImageList : public Control {
  public:
    ImageList(Container& parent, std::string name, int imageWidth = 16, int imageHeight = 16);

    [[nodiscard]] int ImageWidth() const noexcept { return imageWidth_; }
    [[nodiscard]] int ImageHeight() const noexcept { return imageHeight_; }
    // Appends an image; returns its 1-based index.
    int Add(std::string key);
    [[nodiscard]] int Count() const noexcept { return static_cast<int>(keys_.size()); }
    // The key of image index (1-based); empty when out of range.
    [[nodiscard]] std::string_view Key(int index) const noexcept;
    // 1-based index of the image with that key (case-sensitive), or 0.
    [[nodiscard]] int IndexOf(std::string_view key) const noexcept;
    [[nodiscard]] const std::vector<std::string>& Keys() const noexcept { return keys_; }

  private:
    int imageWidth_;
    int imageHeight_;
    std::vector<std::string> keys_;
};

}  // namespace vtl::ui

#pragma once
// Artwork by key: the icon or bitmap resource named ART_ and the key in upper case
// ("Active" -> ART_ACTIVE). Image lists are built from icons of the list's size.

#include <string_view>

#include "core/win32/Windows.h"
// After Windows.h.
#include <commctrl.h>

namespace vtl::ui {
class ImageList;
}

namespace vtl::ui::win32 {

// A shared icon (not to be destroyed) of about the given size, or nullptr.
[[nodiscard]] HICON LoadArtworkIcon(std::string_view key, int width, int height) noexcept;
// A bitmap the caller owns, or nullptr.
[[nodiscard]] HBITMAP LoadArtworkBitmap(std::string_view key) noexcept;
// A new image list with one image per key of the model (a blank one for a key
// without artwork, so indices stay right). The caller owns it.
[[nodiscard]] HIMAGELIST CreateArtworkImageList(const ImageList& model, int width,
                                                int height) noexcept;

}  // namespace vtl::ui::win32

#pragma once
// Artwork by key: the icon or bitmap resource named ART_ and the key in upper case
// ("Active" -> ART_ACTIVE). Each icon is drawn in several sizes; an icon is loaded
// in the size asked for, and image lists are built from icons of the list's size.

#include <string_view>

#include "core/win32/WinHandle.h"
#include "core/win32/Windows.h"
// After Windows.h.
#include <commctrl.h>

namespace vtl::ui {
class ImageList;
}

namespace vtl::ui::win32 {

// Icons and bitmaps of the artwork, owned.
template <class Handle, auto Destroy>
struct ImageHandleTraits {
    using Value = Handle;
    static Value Empty() noexcept { return nullptr; }
    static bool IsEmpty(Value v) noexcept { return v == nullptr; }
    static void Close(Value v) noexcept { Destroy(v); }
};
using UniqueIcon = vtl::win32::WinHandle<ImageHandleTraits<HICON, &DestroyIcon>>;
using UniqueBitmap = vtl::win32::WinHandle<ImageHandleTraits<HBITMAP, &DeleteObject>>;

// The icon in the drawn size nearest to the given one (stretched only where no
// size is near), or empty. Not shared: a shared icon is the first size loaded,
// whatever size is asked for later.
[[nodiscard]] UniqueIcon LoadArtworkIcon(std::string_view key, int width, int height) noexcept;
// The bitmap, or empty.
[[nodiscard]] UniqueBitmap LoadArtworkBitmap(std::string_view key) noexcept;
// A new image list with one image per key of the model (a blank one for a key
// without artwork, so indices stay right). The caller owns it.
[[nodiscard]] HIMAGELIST CreateArtworkImageList(const ImageList& model, int width,
                                                int height) noexcept;

}  // namespace vtl::ui::win32

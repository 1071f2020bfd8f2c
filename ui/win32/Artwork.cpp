#include "ui/win32/Artwork.h"

#include "core/win32/Windows.h"
// The SDK headers below need Windows.h first.
#include <commctrl.h>

#include <cwctype>
#include <string>

#include "core/win32/WinString.h"
#include "ui/ImageList.h"

namespace vtl::ui::win32 {

namespace {
using vtl::win32::Widen;

std::wstring ResourceName(std::string_view key) {
    std::wstring name = L"ART_" + Widen(key);
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towupper(c));
    return name;
}
}  // namespace

UniqueIcon LoadArtworkIcon(std::string_view key, int width, int height) noexcept {
    try {
        if (key.empty()) return {};
        return UniqueIcon(static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), ResourceName(key).c_str(), IMAGE_ICON, width, height, 0)));
    } catch (...) {
        return {};
    }
}

UniqueBitmap LoadArtworkBitmap(std::string_view key) noexcept {
    try {
        if (key.empty()) return {};
        return UniqueBitmap(
            static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), ResourceName(key).c_str(),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    } catch (...) {
        return {};
    }
}

HIMAGELIST CreateArtworkImageList(const ImageList& model, int width, int height) noexcept {
    const HIMAGELIST list =
        ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, model.Count(), 4);
    if (list == nullptr) return nullptr;
    for (const std::string& key : model.Keys()) {
        const UniqueIcon icon = LoadArtworkIcon(key, width, height);
        if (icon) {
            ImageList_AddIcon(list, icon.get());
        } else {
            // Keep the indices: an empty, fully transparent image.
            const int bytes = ((width + 31) / 32) * 4 * height;
            std::string andMask(static_cast<std::size_t>(bytes), '\xFF');
            std::string xorMask(static_cast<std::size_t>(bytes), '\0');
            const UniqueIcon blank(CreateIcon(GetModuleHandleW(nullptr), width, height, 1, 1,
                                              reinterpret_cast<const BYTE*>(andMask.data()),
                                              reinterpret_cast<const BYTE*>(xorMask.data())));
            ImageList_AddIcon(list, blank.get());
        }
    }
    return list;
}

}  // namespace vtl::ui::win32

#pragma once
// Keys as key events report them: the Windows virtual-key codes.

namespace vtl::ui {

inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyApps = 0x5D;  // the context-menu key
inline constexpr int kKeyF10 = 0x79;
// Letters and digits are their upper-case characters ('A', 'C', ...).

}  // namespace vtl::ui

#pragma once
// The 8-bit code pages of a simulated computer: an English (United States)
// installation writes files in Windows-1252 (its ANSI code page) and runs its
// consoles in code page 437 (its OEM code page).

#include <string>
#include <string_view>

#include "core/Platform.h"

namespace vtl::sim {

inline constexpr unsigned kSimAnsiCodePage = 1252;
inline constexpr unsigned kSimOemCodePage = 437;

// The UTF-8 text in the code page, as WideCharToMultiByte gives it without
// best-fit guesses: 1113 for a character the page cannot hold or a text that
// is not UTF-8.
[[nodiscard]] SystemApi::EncodedText EncodeInCodePage(std::string_view utf8, CodePage page);

}  // namespace vtl::sim

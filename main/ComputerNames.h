#pragma once
// Names of computers as the computer box holds them: plain network names.

#include <optional>
#include <string>
#include <string_view>

namespace vtl {

// Longest computer name accepted (a DNS name).
inline constexpr std::size_t kComputerNameMaxBytes = 255;

// The plain name for a name picked or typed in the computer browser: cut at its
// first NUL, without white space at either end and without the leading "\\" of
// the UNC form ("\\SRV01" gives "SRV01"). Nothing when what is left is empty,
// too long, or holds a character no computer name has (a backslash or slash
// inside, : * ? " < > | , white space or a control character).
[[nodiscard]] std::optional<std::string> NormalizeComputerName(std::string_view picked);

}  // namespace vtl

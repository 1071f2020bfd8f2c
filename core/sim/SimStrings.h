#pragma once
// Small text helpers of the simulation: Windows compares names without regard
// to case (ASCII letters), and sizes texts in UTF-16 units.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtl::sim {

[[nodiscard]] std::string Upper(std::string_view text);
[[nodiscard]] bool IEquals(std::string_view a, std::string_view b);
[[nodiscard]] bool IStartsWith(std::string_view text, std::string_view prefix);
[[nodiscard]] bool IEndsWith(std::string_view text, std::string_view suffix);
[[nodiscard]] int ICompare(std::string_view a, std::string_view b);

// Ordering without regard to case, usable with heterogeneous lookup.
struct CaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return ICompare(a, b) < 0; }
};

// UTF-16 code units of a UTF-8 text (no terminator).
[[nodiscard]] std::uint32_t Utf16Units(std::string_view utf8);
// Bytes of a UTF-16 copy with its terminating zero.
[[nodiscard]] inline std::uint32_t Utf16Bytes(std::string_view utf8) {
    return (Utf16Units(utf8) + 1) * 2;
}

// "\\NAME" and "NAME" both give "NAME".
[[nodiscard]] std::string_view StripUncPrefix(std::string_view machine);

// Splits at a separator, dropping empty pieces.
[[nodiscard]] std::vector<std::string> SplitNonEmpty(std::string_view text, char separator);

// Registry string data: the UTF-8 bytes and a terminating zero.
[[nodiscard]] std::vector<std::uint8_t> StringData(std::string_view text);
// REG_MULTI_SZ data: each text with its zero, then a closing zero.
[[nodiscard]] std::vector<std::uint8_t> MultiStringData(const std::vector<std::string>& texts);
// REG_DWORD data, little-endian.
[[nodiscard]] std::vector<std::uint8_t> DwordData(std::uint32_t value);

}  // namespace vtl::sim

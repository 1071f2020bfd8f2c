#include "core/sim/SimStrings.h"

namespace vtl::sim {

namespace {
char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

int ICompare(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(UpperChar(a[i]));
        const auto y = static_cast<unsigned char>(UpperChar(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool IEquals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ICompare(a, b) == 0;
}

bool IStartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && IEquals(text.substr(0, prefix.size()), prefix);
}

bool IEndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           IEquals(text.substr(text.size() - suffix.size()), suffix);
}

std::uint32_t Utf16Units(std::string_view utf8) {
    std::uint32_t units = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte
        units += (c >= 0xF0) ? 2 : 1;      // four-byte sequences need a surrogate pair
    }
    return units;
}

std::string_view StripUncPrefix(std::string_view machine) {
    while (!machine.empty() && (machine.front() == '\\' || machine.front() == '/'))
        machine.remove_prefix(1);
    return machine;
}

std::vector<std::string> SplitNonEmpty(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(separator, start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > start) parts.emplace_back(text.substr(start, stop - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

std::vector<std::uint8_t> StringData(std::string_view text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

std::vector<std::uint8_t> MultiStringData(const std::vector<std::string>& texts) {
    std::vector<std::uint8_t> data;
    for (const auto& text : texts) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

std::vector<std::uint8_t> DwordData(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
            static_cast<std::uint8_t>((value >> 16) & 0xFF),
            static_cast<std::uint8_t>((value >> 24) & 0xFF)};
}

}  // namespace vtl::sim

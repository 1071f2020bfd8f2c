#include "main/ComputerNames.h"

#include <algorithm>
#include <array>

#include "core/ServiceRow.h"

namespace vtl {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::array<char, 11> kForbidden = {'\\', '/', ':', '*', '?', '"',
                                             '<',  '>', '|', ',', ' '};

bool Allowed(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    return std::find(kForbidden.begin(), kForbidden.end(), c) == kForbidden.end();
}

}  // namespace

std::optional<std::string> NormalizeComputerName(std::string_view picked) {
    std::string name = TrimAtNull(picked);
    const auto first = name.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos) return std::nullopt;
    name = name.substr(first, name.find_last_not_of(kWhiteSpace) - first + 1);
    if (name.size() > 2 && name[0] == '\\' && name[1] == '\\') name.erase(0, 2);
    if (name.empty() || name.size() > kComputerNameMaxBytes) return std::nullopt;
    if (!std::all_of(name.begin(), name.end(), Allowed)) return std::nullopt;
    return name;
}

}  // namespace vtl

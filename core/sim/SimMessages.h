#pragma once
// The system message texts of the simulated computers: English (Windows 10 and
// 11) wording, each ending in CR LF, as FormatMessage(FROM_SYSTEM) returns them.

#include <cstdint>
#include <string_view>

namespace vtl::sim {

// Empty for a code that has no message.
[[nodiscard]] std::string_view SystemMessageText(std::uint32_t code);

}  // namespace vtl::sim

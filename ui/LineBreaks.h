#pragma once
// The program joins lines with CR alone; Win32 edit controls and message boxes want
// CR LF. These convert at the boundary.

#include <string>
#include <string_view>

namespace vtl::ui {

// Every CR without an LF after it, and every LF without a CR before it, becomes CR LF.
[[nodiscard]] std::string ToCrLf(std::string_view text);
// Every CR LF becomes CR; lone LFs become CR too.
[[nodiscard]] std::string ToCr(std::string_view text);
// For one-line cells (list view items): each line break becomes one blank and the
// breaks at the end go, so a system message "text.\r\n" shows as "text.".
[[nodiscard]] std::string OneLine(std::string_view text);

}  // namespace vtl::ui

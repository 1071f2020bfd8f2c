#pragma once
// A list view's rows as text for other programs: a header line of the column
// captions, then one line per row in the order given, every line ended by CR LF.

#include <string>
#include <string_view>
#include <vector>

#include "ui/ListView.h"

namespace vtl::ui {

// What a UTF-8 file starts with so that Windows programs read it as UTF-8.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Fields separated by tabs, as programs paste it into columns. A tab, CR or LF
// inside a field would start another field or line, so each becomes a blank.
[[nodiscard]] std::string TabSeparatedText(const ListView& list,
                                           const std::vector<ListRowId>& rows);

// Comma-separated values as RFC 4180 writes them: a field that holds a comma, a
// double quote, CR or LF is enclosed in double quotes, its quotes doubled; every
// other field is written as it is.
[[nodiscard]] std::string CsvText(const ListView& list, const std::vector<ListRowId>& rows);

}  // namespace vtl::ui

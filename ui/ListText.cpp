#include "ui/ListText.h"

namespace vtl::ui {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The header line and the rows, each field written by field.
template <class WriteField>
std::string ListLines(const ListView& list, const std::vector<ListRowId>& rows, char separator,
                      WriteField writeField) {
    std::string out;
    const int columns = list.ColumnCount();
    auto line = [&](auto cell) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) out.push_back(separator);
            writeField(out, cell(c));
        }
        out.append(kLineEnd);
    };
    line([&](int c) -> const std::string& { return list.Column(c).caption; });
    for (const ListRowId row : rows)
        line([&](int c) -> const std::string& { return list.Text(row, c); });
    return out;
}

}  // namespace

std::string TabSeparatedText(const ListView& list, const std::vector<ListRowId>& rows) {
    return ListLines(list, rows, '\t', [](std::string& out, const std::string& field) {
        for (const char c : field)
            out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
    });
}

std::string CsvText(const ListView& list, const std::vector<ListRowId>& rows) {
    return ListLines(list, rows, ',', [](std::string& out, const std::string& field) {
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out.append(field);
            return;
        }
        out.push_back('"');
        for (const char c : field) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    });
}

}  // namespace vtl::ui

// vtlsvclist.exe: the local computer's services as the services list shows them
// (name, display name, status, startup type, logon account), read through the
// Win32 platform and the same enumeration and configuration procedures.

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

namespace {

using vtl::ServiceRow;

// Columns a UTF-8 text takes on a terminal: one per character, two for the
// wide East Asian ranges.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        width += IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

// Writes UTF-8 text to standard output: through the console's wide function
// when it is a console, as UTF-8 bytes when it is a file or a pipe.
class Output {
  public:
    Output() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {
        DWORD mode = 0;
        console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
                   GetConsoleMode(handle_, &mode) != 0;
    }
    void Write(std::string_view utf8) const {
        if (utf8.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        if (console_) {
            const std::wstring wide = vtl::win32::Widen(utf8);
            if (WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written,
                              nullptr))
                return;
        }
        ::WriteFile(handle_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }

  private:
    HANDLE handle_;
    bool console_ = false;
};

std::array<std::string, 5> Cells(const ServiceRow& row) {
    return {row.serviceName, row.displayName, row.statusText, row.startupTypeText,
            row.logonAccount};
}

std::string FormatTable(const std::vector<ServiceRow>& rows) {
    std::vector<std::array<std::string, 5>> lines;
    std::array<std::string, 5> header;
    for (std::size_t i = 0; i < header.size(); ++i)
        header[i] = std::string(vtl::kServiceColumnCaptions[i]);
    lines.push_back(header);
    for (const auto& row : rows)
        lines.push_back(Cells(row));
    std::array<std::size_t, 5> widths{};
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(line[i]));
    std::string text;
    for (const auto& line : lines) {
        std::string out;
        for (std::size_t i = 0; i < line.size(); ++i) {
            out += line[i];
            if (i + 1 < line.size()) out.append(widths[i] - DisplayWidth(line[i]) + 2, ' ');
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        text += out;
        text += "\n";
    }
    return text;
}

int ListServices(const Output& out) {
    vtl::win32::Win32Platform platform;
    const auto computer = platform.GetComputerName();
    if (computer.error != vtl::kErrorSuccess) {
        out.Write(vtl::GetErrorText(platform, computer.error));
        return 1;
    }
    auto [manager, openError] = platform.OpenSCManager(vtl::UncComputerName(computer.name),
                                                       vtl::kScManagerEnumerateService);
    if (!manager) {
        out.Write(vtl::OpenFailureText(platform, openError) + "\n");
        return 1;
    }
    const auto read =
        vtl::EnumerateServices(platform, manager, vtl::kServiceWin32, vtl::kServiceStateAll);
    if (!read.firstAskedForMore()) {
        out.Write(vtl::MoreDataNotReturnedText(read.firstError) + "\n");
        return 1;
    }
    if (read.error != vtl::kErrorSuccess) {
        out.Write(vtl::GetErrorText(platform, read.error));
        return 1;
    }
    std::vector<ServiceRow> rows;
    rows.reserve(read.entries.size());
    for (const auto& entry : read.entries) {
        // A service whose configuration cannot be read is still listed, without
        // startup type and account.
        std::uint32_t startType = vtl::kServiceNoChange;
        std::string account;
        auto [service, error] =
            platform.OpenService(manager, entry.serviceName, vtl::kServiceQueryConfig);
        if (service) {
            const auto config = vtl::GetServiceConfig(platform, service);
            if (config.ok()) {
                startType = config.config->startType;
                account = config.config->serviceStartName;
            }
        }
        rows.push_back(vtl::MakeServiceRow(entry.serviceName, entry.displayName,
                                           entry.status.currentState, startType, account));
    }
    out.Write(FormatTable(rows));
    out.Write("\nTotal Services : " + std::to_string(rows.size()) + "\n");
    return 0;
}

}  // namespace

int main() {
    try {
        const Output out;
        return ListServices(out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtlsvclist: %s\n", e.what());
        return 1;
    }
}

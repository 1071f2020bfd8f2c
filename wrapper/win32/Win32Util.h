#pragma once
// Small Win32 helpers of the wrapper: its own path, error texts, console output.

#include <cstdint>
#include <string>
#include <string_view>

namespace vtl::wrapper::win32 {

// Full path of VtlShell.exe itself, any length; empty on failure.
[[nodiscard]] std::string ModulePath();
// The system's text for an error code, without the line end, with the code.
[[nodiscard]] std::string ErrorText(std::uint32_t code);
// An environment variable; empty when missing.
[[nodiscard]] std::string EnvironmentValue(std::string_view name);
// Writes UTF-8 text to standard output or standard error, whether that is a
// console (written as UTF-16) or a file or pipe (written as UTF-8).
void WriteStd(std::string_view text, bool toError);

}  // namespace vtl::wrapper::win32

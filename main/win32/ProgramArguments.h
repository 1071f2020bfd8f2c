#pragma once
// The program's arguments after its name, split by the system's rules
// (CommandLineToArgvW: quotes group blanks, \" is a quote) and in UTF-8.

#include <string>
#include <vector>

namespace vtl::win32 {

[[nodiscard]] std::vector<std::string> ProgramArguments();

}  // namespace vtl::win32

#pragma once
// The install and uninstall batch files of an exported service: the wrapper's
// command lines, the files' lines, and the checks that keep every value inert
// for the command interpreter that runs them.
//
// The files are run by cmd.exe, which reads a batch file line by line in the
// console's (OEM) code page and treats " % & | < > ^ and, with delayed
// expansion, ! as parts of a command, also on the comment lines, which carry
// the service and program names unquoted. A value with one of these characters,
// a line break, or a character that does not read back as itself is refused, so
// an exported install file installs exactly the service it names or nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"

namespace vtl {

// What one install line says.
struct BatchService {
    std::string serviceName;
    std::string program;      // the program's file name, beside VtlShell.exe
    std::string startOption;  // " -auto", ..., or empty
    bool power = false;       // an "Any Program" service
    bool interact = false;
    std::string dependencyList;  // "B/A/"; empty: no -dep
};

// " -boot", " -system", " -auto", " -demand", " -disabled" for start types 0
// to 4; empty for any other.
[[nodiscard]] std::string_view StartOptionText(std::uint32_t startType);

// Each dependency followed by "/", the last one first: Alpha, Beta, Gamma give
// "Gamma/Beta/Alpha/". Group names keep their "+".
[[nodiscard]] std::string DependenciesToList(const std::vector<std::string>& dependencies);

// The program's file name in a path: the part after its last "\". A path in
// double-quote characters ("C:\x\svc.exe" -k) is read inside its quotes, and
// what follows the closing quote is its arguments.
struct ProgramInPath {
    std::string fileName;
    std::string arguments;
};
[[nodiscard]] ProgramInPath ProgramFileName(std::string_view exePath);

[[nodiscard]] std::string InstallCommandLine(const BatchService& service);
[[nodiscard]] std::string UninstallCommandLine(std::string_view serviceName);
// The files' texts (UTF-8), CR LF after every line.
[[nodiscard]] std::string InstallFileText(const BatchService& service);
[[nodiscard]] std::string UninstallFileText(std::string_view serviceName);

// Why no service can have the name, or "" when one can: longer than 256
// characters, a "/" or "\", a control character.
[[nodiscard]] std::string ServiceNameProblem(std::string_view name);

// Why a value cannot go into the batch files, or "" when it can. Each message
// names the value and the character at fault.
[[nodiscard]] std::string ExportNameProblem(SystemApi& system, std::string_view name);
[[nodiscard]] std::string ExportProgramProblem(SystemApi& system, std::string_view exePath,
                                               bool power);
[[nodiscard]] std::string ExportDependencyProblem(SystemApi& system,
                                                  const std::vector<std::string>& dependencies);

}  // namespace vtl

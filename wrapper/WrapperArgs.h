#pragma once
// The wrapper's command line. Install and uninstall batch files call it as
//
//   VtlShell -install "Name" [-boot|-system|-auto|-demand|-disabled] [-power]
//                     [-interact] [-dep "A/B/"] "program"
//   VtlShell -remove "Name"
//
// and for debugging it runs a service's payload in the console:
//
//   VtlShell -run "Name"
//
// Without arguments it is the service itself. Arguments are separated by blanks;
// a value is either a whole argument in double-quote characters (no quote inside)
// or a bare word without quotes or blanks. A quote anywhere else is refused with a
// message that says where it is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtl::wrapper {

enum class CommandKind { Service, Install, Remove, Run, Help };

struct InstallRequest {
    std::string serviceName;
    std::optional<std::uint32_t> startType;  // none given: demand start
    bool power = false;                      // run the program under the wrapper
    bool interact = false;
    std::vector<std::string> dependencies;  // service names; groups keep their '+'
    std::string program;                    // a file name in the wrapper's folder
    friend bool operator==(const InstallRequest&, const InstallRequest&) = default;
};

struct WrapperCommand {
    CommandKind kind = CommandKind::Service;
    std::string serviceName;  // -remove and -run
    InstallRequest install;   // -install
    friend bool operator==(const WrapperCommand&, const WrapperCommand&) = default;
};

struct ParsedCommand {
    std::optional<WrapperCommand> command;
    std::string error;  // set when command is empty
};

// One argument of the command line.
struct Argument {
    std::string text;
    bool quoted = false;
    friend bool operator==(const Argument&, const Argument&) = default;
};

struct SplitArguments {
    std::optional<std::vector<Argument>> arguments;
    std::string error;
};

// The command line without the program's own name (the first word; quoted or not,
// as Windows reads it).
[[nodiscard]] std::string_view ArgumentsOf(std::string_view commandLine);

// Splits the arguments; quotes in the wrong places are an error.
[[nodiscard]] SplitArguments SplitWrapperArguments(std::string_view arguments);

// Parses a whole command line (program name included), UTF-8.
[[nodiscard]] ParsedCommand ParseWrapperCommandLine(std::string_view commandLine);

// "A/B/" -> A, B. Empty parts are skipped, so "" gives no dependency.
[[nodiscard]] std::vector<std::string> ParseDependencyList(std::string_view list);

// Dependencies in the service manager's form: each name ended by a zero, and one
// more zero at the end (two zeros for none).
[[nodiscard]] std::string DependencyMultiString(const std::vector<std::string>& names);

// Why the name cannot name a service, or "" when it can.
[[nodiscard]] std::string ServiceNameError(std::string_view name);
// Why the text cannot name the program in the wrapper's folder, or "" when it can.
[[nodiscard]] std::string ProgramNameError(std::string_view program, bool power);
// Why a full program path is unusable (too long), or "" when it is fine.
[[nodiscard]] std::string ProgramPathError(std::string_view fullPath);

// UTF-16 code units of a UTF-8 text: the unit Windows counts path lengths in.
[[nodiscard]] std::size_t Utf16Length(std::string_view utf8);

// Longest program path the wrapper accepts, in UTF-16 units (MAX_PATH less its zero).
inline constexpr std::size_t kMaxProgramPath = 259;
// Longest service name the service manager accepts.
inline constexpr std::size_t kMaxServiceName = 256;

[[nodiscard]] std::string UsageText();

}  // namespace vtl::wrapper

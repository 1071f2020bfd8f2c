#pragma once
// Behaviour of the project's test service VtlTestSvc.exe, read from the
// arguments of its command path. The real test service acts on these options and
// the simulated service manager reads the same options from a service's binary
// path, so one test drives both alike.
//
//   "C:\...\VtlTestSvc.exe" [--start-ms N] [--stop-ms N] [--run-ms N]
//                           [--fail-start] [--exit-code N] [--specific N]
//                           [--hang-start] [--hang-stop] [--no-stop] [--pause]
//                           [--marker PATH]
//
// --start-ms N   stays START_PENDING N ms before RUNNING (default 0)
// --stop-ms N    stays STOP_PENDING N ms before STOPPED (default 0)
// --run-ms N     stops by itself N ms after it reached RUNNING
// --fail-start   goes from START_PENDING to STOPPED instead of RUNNING
// --exit-code N  Win32 exit code reported when it stops by itself (default 0)
// --specific N   service-specific exit code; the Win32 exit code becomes 1066
// --hang-start   never leaves START_PENDING
// --hang-stop    never leaves STOP_PENDING once asked to stop
// --no-stop      does not accept the stop control
// --pause        accepts pause and continue
// --marker PATH  writes PATH when it reaches RUNNING ("RUNNING", then each
//                argument of the start, one a line, CR LF); nothing when the
//                folder does not exist. The simulation writes it into the
//                service's computer's files.
//
// --stop-ms applies to a stop that was asked for; a service that stops by
// itself (--run-ms) reports STOPPED at once, with its exit codes.
//
// An option it does not know, or a malformed one: the start is accepted
// (StartService succeeds), the service stays START_PENDING for
// kBadOptionsPendingMs, then reports STOPPED with the Win32 exit code 87.
//
// Under Wine keep --start-ms at 100 or more with --fail-start: Wine's
// StartService answers 1053 when it finds the service already stopped at its
// first status report, where Windows reports success.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtl::testsvc {

inline constexpr std::string_view kTestServiceExe = "VtlTestSvc.exe";
// How the test service refuses options it does not know.
inline constexpr std::uint32_t kBadOptionsPendingMs = 250;
inline constexpr std::uint32_t kBadOptionsExitCode = 87;  // ERROR_INVALID_PARAMETER

struct TestServiceOptions {
    std::uint32_t startMs = 0;
    std::uint32_t stopMs = 0;
    std::optional<std::uint32_t> runMs;
    bool failStart = false;
    std::uint32_t exitCode = 0;
    std::optional<std::uint32_t> specific;
    bool hangStart = false;
    bool hangStop = false;
    bool acceptStop = true;
    bool acceptPause = false;
    std::string marker;

    // Win32 exit code reported on an unasked stop: 1066 with a specific code.
    [[nodiscard]] std::uint32_t Win32ExitCode() const { return specific ? 1066u : exitCode; }
};

// Splits a command line the way the C runtime does (quotes group, backslashes
// before a quote escape it) and returns the arguments after the program.
[[nodiscard]] std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// Options from a whole command path; nullopt when the program is not the test
// service or an option is unknown or malformed.
[[nodiscard]] std::optional<TestServiceOptions> ParseTestServiceCommandLine(
    std::string_view commandPath);

// Options from arguments (the program name excluded); nullopt on a bad option.
[[nodiscard]] std::optional<TestServiceOptions> ParseTestServiceArguments(
    const std::vector<std::string>& arguments);

}  // namespace vtl::testsvc

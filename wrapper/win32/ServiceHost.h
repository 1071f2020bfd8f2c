#pragma once
// The service plumbing: the dispatcher, the service main, the control handler and
// the status reporter that owns check points and wait hints. The payload
// (ProgramRunner) does the work; this only tells the service manager about it.
// The console mode (-run) drives the same payload without a service manager.

#include <cstdint>
#include <string_view>

namespace vtl::wrapper::win32 {

// Connects to the service manager and runs the service; returns false with the
// error when the process was not started as a service.
[[nodiscard]] bool RunAsService(std::uint32_t& error);

// Runs the installed service's payload in this console until Ctrl+C or the
// program ends; returns the program's exit code (or the error that kept it from
// running).
[[nodiscard]] std::uint32_t RunInConsole(std::string_view serviceName);

}  // namespace vtl::wrapper::win32

#pragma once
// The payload of the wrapper: runs the program, watches it, restarts it or ends
// with it, and stops it on request. It knows nothing of the service manager;
// the service plumbing (or the console mode) hands it a stop event and listens to
// its events.
//
// How a program is stopped:
//  1. Ctrl+C to its console: the program runs in a console of its own without a
//     window, which everything it starts shares (a batch file's programs too);
//     the wrapper attaches to that console for a moment and raises Ctrl+C in it,
//     then waits up to StopTimeoutMs for the whole process tree to end;
//  2. WM_CLOSE to every top-level window of the tree's processes, then again up
//     to StopTimeoutMs;
//  3. the job object that holds the tree is terminated (exit code 1), and the
//     wrapper waits at most 5 s more for the program to be gone.
// So a stop takes at most 2 x StopTimeoutMs + 5 s (15 s with the default
// StopTimeoutMs of 5 s), and no process of the tree survives it: the job is
// created with KILL_ON_JOB_CLOSE, so even a wrapper that dies takes the tree with
// it. Processes outside the tree are never touched.
//
// A program that ends by itself (its first process) takes what it left running
// in the job with it; then the service stops with its exit code, or the program
// starts again after a back-off delay (OnExit restart).

#include <cstdint>

#include "core/win32/Windows.h"
#include "wrapper/StatusSequence.h"
#include "wrapper/WrapperSettings.h"

namespace vtl::wrapper::win32 {

class MessageSink;
class RotatingLog;

// The wait after terminating the job.
inline constexpr std::uint32_t kKillWaitMs = 5000;

class PayloadEvents {
  public:
    virtual ~PayloadEvents() = default;
    // The program was started the first time: the service runs.
    virtual void ProgramStarted() = 0;
    // A stop is under way and needs at most waitHintMs more.
    virtual void Stopping(std::uint32_t waitHintMs) = 0;
};

// The longest a stop can take with these settings.
[[nodiscard]] std::uint32_t StopBoundMs(const WrapperSettings& settings);

// Runs until the stop event is set or the program ends for good; returns how the
// service ends. echoOutput also copies the program's output to standard output.
[[nodiscard]] ServiceExit RunPayload(const WrapperSettings& settings, HANDLE stopEvent,
                                     PayloadEvents& events, MessageSink& messages, RotatingLog& log,
                                     bool echoOutput);

}  // namespace vtl::wrapper::win32

#pragma once
// The stop of one open service together with the services that depend on it,
// shared by the main window's Stop and Restart and by the properties dialog's
// Stop: the stop control; when running dependents block it (1051), the
// dependents are read, the user is asked (unless no one is to be asked), each
// dependent is stopped, deepest first, and the service is sent the stop again;
// then the wait while it is stop pending. Every wait is bounded
// (OperationTexts.h); the callers report what the result says.

#include <functional>
#include <string>

#include "core/Platform.h"

namespace vtl {

namespace ui {
class Form;
}

struct StopSequence {
    // Asks about the running dependents ("Stopping <name>", OK and Cancel);
    // nullptr: they are stopped without asking, and a failed reading of them
    // does not end the sequence (Restart).
    ui::Form* asker = nullptr;
    // The outcome of every platform call, in order.
    std::function<void(ErrorCode)> called;
    // A dependent that was still stop pending when its wait reached its bound.
    std::function<void(const std::string& dependent)> dependentAtBound;
};

struct StopResult {
    // The remembered outcome: of the last stop control, or of the last status
    // query of the wait. 0: the stop went through.
    ErrorCode error = kErrorSuccess;
    // The user declined to stop the running dependents; nothing else was done.
    bool cancelled = false;
    // The dependents could not be read (their table's call failed).
    ErrorCode dependentsError = kErrorSuccess;
    // The service was still stop pending when the wait reached its bound.
    bool boundReached = false;
};

// manager: the open manager the dependents are opened through; status: the
// service's record, as the last call left it.
StopResult StopWithDependents(Platform& platform, const ScManagerHandle& manager,
                              const ServiceHandle& service, const std::string& name,
                              ServiceStatus& status, const StopSequence& steps);

}  // namespace vtl

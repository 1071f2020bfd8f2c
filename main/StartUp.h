#pragma once
// The program's start-up: the splash is shown and painted, the main window is
// created (it becomes the global main window) and loaded, which lists the local
// computer's services, the splash goes and the main window is shown. The caller
// then runs the host's message loop.

#include <memory>
#include <optional>
#include <string>

#include "core/Platform.h"
#include "main/OperationsHooks.h"
#include "main/frmMain.h"
#include "ui/UiHost.h"

namespace vtl {

// hooks: the windows that carry out the service commands (nullptr: none yet);
// work: where the main window's readings run (nullptr: on the window's thread);
// computer: a computer named on the command line. Loading lists it instead of
// the local computer, which still stands first in the computer box; a name the
// browse dialog would refuse gets the browse dialog's message once the window
// is shown, and the window stays on the local computer.
[[nodiscard]] std::unique_ptr<frmMain> StartUp(
    ui::UiHost& host, Platform& platform, OperationsHooks* hooks = nullptr,
    ui::Executor* work = nullptr, const std::optional<std::string>& computer = std::nullopt);

}  // namespace vtl

#pragma once
// Scope helpers of the service commands.

#include <utility>

#include "main/MainTexts.h"
#include "main/frmMain.h"

namespace vtl {

// Runs a step when the scope ends, whatever ended it.
template <class Step>
class ScopeExit {
  public:
    explicit ScopeExit(Step step) : step_(std::move(step)) {}
    ~ScopeExit() {
        try {
            step_();
        } catch (...) {
            // The scope is ending anyway; nothing more can be done.
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    Step step_;
};

// A command that blocks the window: the hourglass from now on, and "Done" with
// the normal pointer when it ends, also after a failure inside it.
class OperationScope {
  public:
    explicit OperationScope(frmMain& main) : main_(main) {
        main_.SetMousePointer(ui::MousePointer::Hourglass);
    }
    ~OperationScope() {
        try {
            main_.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
            main_.SetMousePointer(ui::MousePointer::Default);
        } catch (...) {
            // The command is over; the window keeps what it shows.
        }
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

  private:
    frmMain& main_;
};

}  // namespace vtl

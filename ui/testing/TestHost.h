#pragma once
// A UiHost for native tests: no window at all. It keeps the open forms in loading
// order, the active form, the user's settings in a map, a log of what happened to
// the forms, and runs the forms' timers on a virtual clock:
//
//   ScriptedPrompter prompts;
//   TestHost host(prompts);                      // its own clock, starting at 0
//   TestHost host(prompts, [&] { return sim.Now(); },
//                 [&](std::uint64_t t) { sim.AdvanceTo(t); });  // another clock
//   frmMain form(host, ...);
//   form.Show();
//   host.RunFor(2000);     // fires every timer tick due in the next 2 s, in order
//   host.FireDueTimers();  // fires the ticks due now (after the clock moved)
//
// Modal forms: ShowModal runs the next script queued with ExpectModal (the user's
// work in that window: it must hide or unload the form); a modal form nobody
// scripted fails the test and is hidden. Pop-up menus are logged; OnPopup may
// choose an item. The clipboard is a string (a test may make it refuse text).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ui/Form.h"
#include "ui/Observer.h"
#include "ui/UiHost.h"

namespace vtl::ui {
class Timer;
}

namespace vtl::ui::testing {

class TestHost : public UiHost, private ChangeObserver {
  public:
    explicit TestHost(Prompter& prompter, std::string appTitle = "Vantrel");
    // A clock owned elsewhere: now() reads it; advanceTo(t) moves it forward to t
    // (optional; RunFor needs it).
    TestHost(Prompter& prompter, std::function<std::uint64_t()> now,
             std::function<void(std::uint64_t)> advanceTo, std::string appTitle = "Vantrel");
    ~TestHost() override;
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // --- Time ---
    [[nodiscard]] std::uint64_t Now() const;
    // Fires once every running timer whose due time has come (earliest first).
    // Returns the number of ticks.
    int FireDueTimers();
    // Moves the clock forward by milliseconds, firing each timer at each of its due
    // times on the way, in time order. Returns the number of ticks.
    int RunFor(std::uint64_t milliseconds);
    // The due time of a running timer of a loaded form.
    [[nodiscard]] std::optional<std::uint64_t> DueTime(const Timer& timer) const;

    // --- Forms ---
    void ExpectModal(std::function<void(Form&)> script);
    [[nodiscard]] std::size_t PendingModalScripts() const noexcept { return modal_.size(); }
    std::function<void(Form&, MenuItem&)> onPopup;
    [[nodiscard]] Form* ActiveForm() const noexcept { return active_; }
    // "Load frmMain", "Show frmErrorMsg", "ShowModal frmAbout owner=frmMain", "Hide x",
    // "Unload x", "Popup frmMain.mnuMainPopup" (from the keyboard: "... at
    // lvServices row 3", the row's position among the shown rows), "End".
    [[nodiscard]] const std::vector<std::string>& Log() const noexcept { return log_; }
    void ClearLog() { log_.clear(); }

    // --- Clipboard ---
    [[nodiscard]] const std::string& ClipboardText() const noexcept { return clipboard_; }
    void SetClipboardRefuses(bool refuses) noexcept { clipboardRefuses_ = refuses; }

    // --- Settings ---
    using SettingKey = std::tuple<std::string, std::string, std::string>;
    [[nodiscard]] const std::map<SettingKey, std::string>& Settings() const noexcept {
        return settings_;
    }

    // --- UiHost ---
    [[nodiscard]] const std::string& AppTitle() const override { return appTitle_; }
    [[nodiscard]] const std::string& HelpFile() const override { return helpFile_; }
    void SetHelpFile(std::string helpFile) override { helpFile_ = std::move(helpFile); }
    [[nodiscard]] Prompter& Prompts() override { return prompter_; }
    [[nodiscard]] std::vector<Form*> OpenForms() const override { return open_; }
    void EndProgram() override;
    [[nodiscard]] bool Ending() const override { return ended_; }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    [[nodiscard]] std::optional<std::string> GetSetting(std::string_view app,
                                                        std::string_view section,
                                                        std::string_view key) const override;
    [[nodiscard]] bool SetClipboardText(std::string_view text) override;
    void FormLoaded(Form& form) override;
    void ShowForm(Form& form, Form* owner) override;
    void ShowFormModal(Form& form, Form* owner) override;
    void HideForm(Form& form) override;
    void FormUnloaded(Form& form) override;
    void PopupMenu(Form& form, MenuItem& menu, const PopupPlace* place) override;

  private:
    struct TimerEntry {
        Timer* timer;
        Form* form;
        std::optional<std::uint64_t> due;
        std::uint64_t order;  // registration order breaks ties
    };
    void OnChanged(UiObject& object, const Change& change) override;
    void Arm(TimerEntry& entry);
    // The running timer due first by limit (ties: the first registered), but none of skip.
    TimerEntry* NextDue(std::uint64_t limit, const std::vector<Timer*>& skip = {});
    void Activate(Form* form);
    void ActivateTopmost();

    Prompter& prompter_;
    std::string appTitle_;
    std::string helpFile_;
    std::uint64_t ownClock_ = 0;
    std::function<std::uint64_t()> now_;
    std::function<void(std::uint64_t)> advanceTo_;
    std::vector<Form*> open_;
    Form* active_ = nullptr;
    bool ended_ = false;
    std::deque<std::function<void(Form&)>> modal_;
    std::vector<std::string> log_;
    std::map<SettingKey, std::string> settings_;
    std::string clipboard_;
    bool clipboardRefuses_ = false;
    std::vector<TimerEntry> timers_;
    std::uint64_t timerOrder_ = 0;
};

}  // namespace vtl::ui::testing

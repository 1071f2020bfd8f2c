#include "ui/testing/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

namespace vtl::ui::testing {

TestHost::TestHost(Prompter& prompter, std::string appTitle)
    : prompter_(prompter), appTitle_(std::move(appTitle)) {
    now_ = [this] { return ownClock_; };
    advanceTo_ = [this](std::uint64_t t) { ownClock_ = std::max(ownClock_, t); };
}

TestHost::TestHost(Prompter& prompter, std::function<std::uint64_t()> now,
                   std::function<void(std::uint64_t)> advanceTo, std::string appTitle)
    : prompter_(prompter),
      appTitle_(std::move(appTitle)),
      now_(std::move(now)),
      advanceTo_(std::move(advanceTo)) {}

TestHost::~TestHost() {
    for (TimerEntry& e : timers_)
        e.timer->SetObserver(nullptr);
    if (!modal_.empty()) ADD_FAILURE() << modal_.size() << " modal script(s) never used";
}

std::uint64_t TestHost::Now() const {
    return now_();
}

// --- Timers ---

void TestHost::Arm(TimerEntry& entry) {
    entry.due =
        entry.timer->Running() ? std::optional(Now() + entry.timer->Interval()) : std::nullopt;
}

void TestHost::OnChanged(UiObject& object, const Change& change) {
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [&](const TimerEntry& e) { return e.timer == &object; });
    if (it == timers_.end()) return;
    if (change.kind == ChangeKind::Destroyed) {
        timers_.erase(it);
    } else if (change.kind == ChangeKind::Enabled || change.kind == ChangeKind::Interval) {
        Arm(*it);
    }
}

std::optional<std::uint64_t> TestHost::DueTime(const Timer& timer) const {
    for (const TimerEntry& e : timers_)
        if (e.timer == &timer) return e.due;
    return std::nullopt;
}

TestHost::TimerEntry* TestHost::NextDue(std::uint64_t limit, const std::vector<Timer*>& skip) {
    TimerEntry* best = nullptr;
    for (TimerEntry& e : timers_) {
        if (!e.due || *e.due > limit) continue;
        if (std::find(skip.begin(), skip.end(), e.timer) != skip.end()) continue;
        if (best == nullptr || *e.due < *best->due ||
            (*e.due == *best->due && e.order < best->order))
            best = &e;
    }
    return best;
}

int TestHost::FireDueTimers() {
    // Each timer at most once: later due times it gets from its own tick wait.
    const std::uint64_t now = Now();
    std::vector<Timer*> fired;
    int ticks = 0;
    while (!ended_) {
        TimerEntry* next = NextDue(now, fired);
        if (next == nullptr) break;
        Timer* timer = next->timer;
        fired.push_back(timer);
        next->due = Now() + timer->Interval();
        ++ticks;
        timer->Tick();
    }
    return ticks;
}

int TestHost::RunFor(std::uint64_t milliseconds) {
    if (!advanceTo_) {
        ADD_FAILURE() << "RunFor needs a clock the host can move";
        return 0;
    }
    const std::uint64_t end = Now() + milliseconds;
    int ticks = 0;
    while (!ended_) {
        TimerEntry* next = NextDue(end);
        if (next == nullptr) break;
        if (*next->due > Now()) advanceTo_(*next->due);
        Timer* timer = next->timer;
        // A handler that moved the clock past further due times gets them one by one
        // on the next turns, as with the coalesced ticks of Windows.
        next->due = Now() + timer->Interval();
        ++ticks;
        timer->Tick();
    }
    if (Now() < end) advanceTo_(end);
    return ticks;
}

// --- Forms ---

void TestHost::ExpectModal(std::function<void(Form&)> script) {
    modal_.push_back(std::move(script));
}

void TestHost::Activate(Form* form) {
    if (form == active_) return;
    Form* previous = active_;
    active_ = form;
    if (previous != nullptr) previous->RaiseDeactivate();
    if (form != nullptr && form == active_) form->RaiseActivate();
}

void TestHost::ActivateTopmost() {
    // The most recently opened visible form takes over.
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        if ((*it)->Visible()) {
            Activate(*it);
            return;
        }
    }
    active_ = nullptr;
}

void TestHost::FormLoaded(Form& form) {
    log_.push_back("Load " + form.Name());
    open_.push_back(&form);
    for (Control* c : form.AllControls()) {
        if (auto* timer = dynamic_cast<Timer*>(c)) {
            timer->SetObserver(this);
            timers_.push_back(TimerEntry{timer, &form, std::nullopt, timerOrder_++});
            Arm(timers_.back());
        }
    }
}

void TestHost::ShowForm(Form& form, Form* owner) {
    log_.push_back("Show " + form.Name() + (owner != nullptr ? " owner=" + owner->Name() : ""));
    Activate(&form);
}

void TestHost::ShowFormModal(Form& form, Form* owner) {
    log_.push_back("ShowModal " + form.Name() +
                   (owner != nullptr ? " owner=" + owner->Name() : ""));
    Activate(&form);
    if (!form.Loaded() || !form.Visible() || ended_) return;
    if (modal_.empty()) {
        ADD_FAILURE() << "unexpected modal form " << form.Name();
        form.Hide();
        return;
    }
    auto script = std::move(modal_.front());
    modal_.pop_front();
    script(form);
    if (form.Loaded() && form.Visible() && !ended_) {
        ADD_FAILURE() << "the script left modal form " << form.Name() << " open";
        form.Hide();
    }
}

void TestHost::HideForm(Form& form) {
    log_.push_back("Hide " + form.Name());
    if (active_ == &form) ActivateTopmost();
}

void TestHost::FormUnloaded(Form& form) {
    log_.push_back("Unload " + form.Name());
    open_.erase(std::remove(open_.begin(), open_.end(), &form), open_.end());
    std::erase_if(timers_, [&](const TimerEntry& e) {
        if (e.form == &form) e.timer->SetObserver(nullptr);
        return e.form == &form;
    });
    if (active_ == &form) ActivateTopmost();
}

void TestHost::PopupMenu(Form& form, MenuItem& menu, const PopupPlace* place) {
    std::string entry = "Popup " + form.Name() + "." + menu.Name();
    if (place != nullptr && place->control != nullptr) {
        entry += " at " + place->control->Name();
        if (const auto* list = dynamic_cast<const ListView*>(place->control); list && place->row)
            entry += " row " + std::to_string(list->ShownPositionOf(place->row));
    }
    log_.push_back(std::move(entry));
    if (onPopup) onPopup(form, menu);
}

void TestHost::EndProgram() {
    log_.push_back("End");
    ended_ = true;
}

bool TestHost::SetClipboardText(std::string_view text) {
    if (clipboardRefuses_) return false;
    clipboard_ = text;
    return true;
}

// --- Settings ---

void TestHost::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view value) {
    settings_[SettingKey{std::string(app), std::string(section), std::string(key)}] = value;
}

std::optional<std::string> TestHost::GetSetting(std::string_view app, std::string_view section,
                                                std::string_view key) const {
    const auto it =
        settings_.find(SettingKey{std::string(app), std::string(section), std::string(key)});
    return it != settings_.end() ? std::optional(it->second) : std::nullopt;
}

}  // namespace vtl::ui::testing

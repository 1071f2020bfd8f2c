#pragma once
// What a form asks of its environment: the windows (the renderer that mirrors the
// models), the other open forms, the end of the program, the user's settings, the
// application's title and help file, the prompter. Win32Host renders real windows;
// TestHost (ui/testing) runs forms with no window at all.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Observer.h"

namespace vtl::ui {

class Control;
class Form;
class MenuItem;
class Prompter;

// Where a pop-up menu asked for from the keyboard comes up: at a row of a list
// view (below its text), or at a control's top-left corner when row is none.
struct PopupPlace {
    const Control* control = nullptr;
    ListRowId row{};
};

class UiHost {
  public:
    virtual ~UiHost() = default;

    // The application's title ("Vantrel"): message box titles, the settings' name.
    [[nodiscard]] virtual const std::string& AppTitle() const = 0;
    [[nodiscard]] virtual const std::string& HelpFile() const = 0;
    virtual void SetHelpFile(std::string helpFile) = 0;
    [[nodiscard]] virtual Prompter& Prompts() = 0;

    // Loaded forms in the order they were loaded (oldest first).
    [[nodiscard]] virtual std::vector<Form*> OpenForms() const = 0;
    // Ends the program at once: no form gets QueryUnload or Unload, nothing more
    // runs after the current handler returns.
    virtual void EndProgram() = 0;
    [[nodiscard]] virtual bool Ending() const = 0;

    // The user's settings store (on Windows HKCU\Software\<app>\<section>, value key).
    virtual void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
    [[nodiscard]] virtual std::optional<std::string> GetSetting(std::string_view app,
                                                                std::string_view section,
                                                                std::string_view key) const = 0;

    // Puts UTF-8 text on the clipboard (lines ended by CR LF); false when the
    // clipboard could not take it (another program holds it open).
    [[nodiscard]] virtual bool SetClipboardText(std::string_view text) = 0;

    // --- Called by Form; form authors use the Form members instead ---
    // The form has just been loaded (before onLoad): create its window, hidden, and
    // attach observers to its models.
    virtual void FormLoaded(Form& form) = 0;
    virtual void ShowForm(Form& form, Form* owner) = 0;
    // Returns when the form has been hidden or unloaded (or the program ends).
    virtual void ShowFormModal(Form& form, Form* owner) = 0;
    virtual void HideForm(Form& form) = 0;
    // After onUnload agreed: destroy the window, detach observers.
    virtual void FormUnloaded(Form& form) = 0;
    // place: nullptr for the mouse pointer.
    virtual void PopupMenu(Form& form, MenuItem& menu, const PopupPlace* place) = 0;
};

}  // namespace vtl::ui

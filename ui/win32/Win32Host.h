#pragma once
// The UiHost of the Windows program: each loaded form gets a real top-level window
// (FormWindow) that mirrors its models into common controls; Run() is the message
// loop; modal forms run a nested loop with the other windows disabled; settings go
// to HKCU\Software\<app>\<section>.
//
//   ui::win32::Win32Host host("Vantrel");
//   frmMain main(host, platform);
//   main.Show();
//   return host.Run(&main);   // until the main window is unloaded or End

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/win32/Windows.h"
#include "ui/UiHost.h"

namespace vtl::ui::win32 {

class FormWindow;

class Win32Host : public UiHost {
  public:
    // prompter: nullptr for the Windows dialogs (Win32Prompter).
    explicit Win32Host(std::string appTitle, std::unique_ptr<Prompter> prompter = nullptr);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Runs the message loop until main (if given) is unloaded, no form is loaded any
    // more, or the program ends. Windows still open then go without unload events.
    int Run(Form* main = nullptr);
    // Handles the messages waiting now (input, paint, timers) and returns.
    void DoEvents();
    // Runs task on this host's thread, from its message loop or any modal loop
    // (message boxes, menus), in the order posted. Any thread may call it; tasks
    // still waiting when the host goes are dropped.
    void Post(std::function<void()> task);

    // --- UiHost ---
    [[nodiscard]] const std::string& AppTitle() const override { return appTitle_; }
    [[nodiscard]] const std::string& HelpFile() const override { return helpFile_; }
    void SetHelpFile(std::string helpFile) override { helpFile_ = std::move(helpFile); }
    [[nodiscard]] Prompter& Prompts() override { return *prompter_; }
    [[nodiscard]] std::vector<Form*> OpenForms() const override { return open_; }
    void EndProgram() override;
    [[nodiscard]] bool Ending() const override { return ending_; }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
    [[nodiscard]] std::optional<std::string> GetSetting(std::string_view app,
                                                        std::string_view section,
                                                        std::string_view key) const override;
    void FormLoaded(Form& form) override;
    void ShowForm(Form& form, Form* owner) override;
    void ShowFormModal(Form& form, Form* owner) override;
    void HideForm(Form& form) override;
    void FormUnloaded(Form& form) override;
    void PopupMenu(Form& form, MenuItem& menu, const PopupPlace* place) override;
    // CF_UNICODETEXT, as the clipboard's other readers expect it.
    [[nodiscard]] bool SetClipboardText(std::string_view text) override;

    // --- For the form windows (each converts twips at its own DPI) ---
    [[nodiscard]] FormWindow* WindowOf(const Form* form) const noexcept;
    void OnActivated(Form& form);
    // The window of the active form, for owners of message boxes and dialogs.
    [[nodiscard]] HWND ActiveWindowHandle() const noexcept;

  private:
    struct ModalSession {
        Form* form;
        std::vector<HWND> disabled;
    };
    void Dispatch(MSG& msg);
    void CollectGarbage();
    void EndModalSession(Form& form);
    void Wake() noexcept;
    class PostWindow;
    void RunPosted();

    std::string appTitle_;
    std::string helpFile_;
    std::unique_ptr<Prompter> prompter_;
    std::map<const Form*, std::unique_ptr<FormWindow>> windows_;
    std::vector<std::unique_ptr<FormWindow>> graveyard_;
    std::vector<Form*> open_;
    std::vector<ModalSession> modal_;
    Form* active_ = nullptr;
    bool ending_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
    // Posted tasks: one message to postWindow_ runs the oldest.
    std::unique_ptr<PostWindow> postWindow_;
    std::mutex postMutex_;
    std::deque<std::function<void()>> posted_;
    bool postPending_ = false;
};

}  // namespace vtl::ui::win32

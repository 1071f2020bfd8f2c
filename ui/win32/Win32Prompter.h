#pragma once
// The Prompter of the Windows program: MessageBoxW, the shell's browse dialogs,
// the open-file common dialog and WinHelp.

#include "core/win32/Windows.h"
#include "ui/Prompter.h"

namespace vtl::ui::win32 {

class Win32Host;

class Win32Prompter : public Prompter {
  public:
    explicit Win32Prompter(Win32Host& host) : host_(host) {}
    ~Win32Prompter() override;
    Win32Prompter(const Win32Prompter&) = delete;
    Win32Prompter& operator=(const Win32Prompter&) = delete;

    MsgResult MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                     std::string_view title) override;
    // SHBrowseForFolder over the network neighbourhood in computer mode. Where the
    // network shows no computers (as under Wine), a name typed into the dialog's
    // edit box is taken too, as long as it is a plain computer name.
    std::optional<std::string> BrowseForComputer(const Form* owner,
                                                 std::string_view title) override;
    std::optional<std::string> BrowseForFolder(const Form* owner,
                                               const FolderRequest& request) override;
    std::optional<std::string> OpenFile(const Form* owner, const OpenFileRequest& request) override;
    std::optional<std::string> SaveFile(const Form* owner, const SaveFileRequest& request) override;
    // WinHelp; when no viewer can be started, a message box says so.
    bool ShowHelp(const Form* owner, std::string_view helpFile, std::uint32_t command) override;

  private:
    HWND OwnerOf(const Form* owner) const;
    // The shell's browse dialogs need OLE; it starts only when first needed (under
    // Wine it starts a service process).
    void EnsureOle();
    Win32Host& host_;
    bool oleInitialized_ = false;
};

// A plain computer name from what a user typed or the shell returned: leading
// backslashes and surrounding blanks removed; nothing for an empty name or one with
// characters no computer name has.
[[nodiscard]] std::optional<std::string> PlainComputerName(std::string_view text);

}  // namespace vtl::ui::win32

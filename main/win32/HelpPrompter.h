#pragma once
// The program's prompter: the renderer's dialogs, with help that works where the
// platform has no viewer for the help file. Windows 10 and 11 have no WinHelp
// viewer, and Wine's blocks its caller with a question for a file it cannot
// read; the program ships its help as an HTML page beside it instead.
//
// ShowHelp(file, command):
// - file (named without a folder: beside the program) exists: WinHelp shows it
//   (the platform's viewer, or the platform's own note that it has none);
// - else the HTML page of the same name (".htm") exists: the shell opens it;
// - else, or when the shell cannot open it, a message box says where help was
//   looked for.

#include <memory>
#include <string>

#include "ui/Prompter.h"
#include "ui/UiHost.h"

namespace vtl::win32 {

inline constexpr std::string_view kHelpPageExtension = ".htm";

class HelpPrompter : public ui::Prompter {
  public:
    HelpPrompter() = default;
    // The prompter every other question goes to (set once the host exists).
    void SetInner(std::unique_ptr<ui::Prompter> inner, ui::UiHost& host);

    ui::MsgResult MsgBox(std::string_view text, ui::MsgButtons buttons, ui::MsgIcon icon,
                         std::string_view title) override;
    std::optional<std::string> BrowseForComputer(const ui::Form* owner,
                                                 std::string_view title) override;
    std::optional<std::string> BrowseForFolder(const ui::Form* owner,
                                               const ui::FolderRequest& request) override;
    std::optional<std::string> OpenFile(const ui::Form* owner,
                                        const ui::OpenFileRequest& request) override;
    std::optional<std::string> SaveFile(const ui::Form* owner,
                                        const ui::SaveFileRequest& request) override;
    bool ShowHelp(const ui::Form* owner, std::string_view helpFile, std::uint32_t command) override;

  private:
    std::unique_ptr<ui::Prompter> inner_;
    ui::UiHost* host_ = nullptr;
};

// The HTML page that stands for a help file: the same name with ".htm".
[[nodiscard]] std::string HelpPageFor(std::string_view helpFile);

}  // namespace vtl::win32

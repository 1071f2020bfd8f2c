#pragma once
// Questions the program asks the user outside its own windows: message boxes, the
// shell's computer and folder browsers, the open-file dialog, and help. Forms ask
// through this interface, so a test scripts the answers (ScriptedPrompter) and the
// Windows build shows the real dialogs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtl::ui {

class Form;

// Numbers as the Windows message box uses them.
enum class MsgButtons : int {
    OK = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
};
enum class MsgIcon : int {
    None = 0,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};
enum class MsgResult : int {
    OK = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

// The flags value of a button set and an icon (YesNo + Question = 36).
[[nodiscard]] constexpr int MsgFlags(MsgButtons buttons, MsgIcon icon) noexcept {
    return static_cast<int>(buttons) + static_cast<int>(icon);
}
[[nodiscard]] std::string_view MsgButtonsName(MsgButtons buttons) noexcept;
[[nodiscard]] std::string_view MsgIconName(MsgIcon icon) noexcept;
[[nodiscard]] std::string_view MsgResultName(MsgResult result) noexcept;

// Folders the shell's browsers start from (CSIDL numbers).
enum class ShellFolder : int { Desktop = 0, Drives = 17, Network = 18 };

struct FolderRequest {
    std::string title;
    ShellFolder root = ShellFolder::Drives;
    bool onlyFileSystemFolders = true;  // BIF_RETURNONLYFSDIRS
};

struct OpenFileRequest {
    std::string title;
    // Description and patterns separated by '|': "Executable (*.exe;*.bat)|*.exe;*.bat".
    std::string filter;
    std::string initialDir;     // empty: the dialog's own choice
    std::string fileName;       // file name shown at first
    bool fileMustExist = true;  // OFN_FILEMUSTEXIST (4096)
    bool pathMustExist = true;  // OFN_PATHMUSTEXIST
};

struct SaveFileRequest {
    std::string title;
    std::string filter;      // as OpenFileRequest's
    std::string defaultExt;  // added to a name typed without one ("csv")
    std::string initialDir;  // empty: the dialog's own choice
    std::string fileName;    // file name shown at first
};

class Prompter {
  public:
    virtual ~Prompter() = default;

    // Text lines are joined with CR (13) alone. An empty title means the
    // application's title. Owned by the active window of the program.
    virtual MsgResult MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                             std::string_view title) = 0;
    // The shell's computer browser over the network neighbourhood. Returns a plain
    // computer name (no backslashes), or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseForComputer(const Form* owner,
                                                         std::string_view title) = 0;
    // The shell's folder browser; the chosen folder's path, or nothing.
    virtual std::optional<std::string> BrowseForFolder(const Form* owner,
                                                       const FolderRequest& request) = 0;
    // The open-file dialog; the chosen file's full path, or nothing.
    virtual std::optional<std::string> OpenFile(const Form* owner,
                                                const OpenFileRequest& request) = 0;
    // The save-file dialog (it asks before a file is replaced); the chosen file's
    // full path, or nothing.
    virtual std::optional<std::string> SaveFile(const Form* owner,
                                                const SaveFileRequest& request) = 0;
    // Opens helpFile in the help viewer with a WinHelp command (3 contents, 11
    // finder, ...). Returns false when no viewer could show it (the user was told).
    virtual bool ShowHelp(const Form* owner, std::string_view helpFile, std::uint32_t command) = 0;
};

}  // namespace vtl::ui

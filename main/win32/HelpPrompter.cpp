#include "main/win32/HelpPrompter.h"

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

#include <shellapi.h>

namespace vtl::win32 {

namespace {

// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A file named without a folder lies beside the program.
std::wstring Resolve(std::string_view file) {
    std::wstring path = Widen(file);
    if (path.find_first_of(L"\\/:") == std::wstring::npos) path = ProgramFolder() + path;
    return path;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::string HelpPageFor(std::string_view helpFile) {
    std::string page(helpFile);
    const std::size_t dot = page.find_last_of('.');
    const std::size_t slash = page.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) page.resize(dot);
    return page + std::string(kHelpPageExtension);
}

void HelpPrompter::SetInner(std::unique_ptr<ui::Prompter> inner, ui::UiHost& host) {
    inner_ = std::move(inner);
    host_ = &host;
}

ui::MsgResult HelpPrompter::MsgBox(std::string_view text, ui::MsgButtons buttons, ui::MsgIcon icon,
                                   std::string_view title) {
    return inner_->MsgBox(text, buttons, icon, title);
}

std::optional<std::string> HelpPrompter::BrowseForComputer(const ui::Form* owner,
                                                           std::string_view title) {
    return inner_->BrowseForComputer(owner, title);
}

std::optional<std::string> HelpPrompter::BrowseForFolder(const ui::Form* owner,
                                                         const ui::FolderRequest& request) {
    return inner_->BrowseForFolder(owner, request);
}

std::optional<std::string> HelpPrompter::OpenFile(const ui::Form* owner,
                                                  const ui::OpenFileRequest& request) {
    return inner_->OpenFile(owner, request);
}

std::optional<std::string> HelpPrompter::SaveFile(const ui::Form* owner,
                                                  const ui::SaveFileRequest& request) {
    return inner_->SaveFile(owner, request);
}

bool HelpPrompter::ShowHelp(const ui::Form* owner, std::string_view helpFile,
                            std::uint32_t command) {
    if (FileExists(Resolve(helpFile))) return inner_->ShowHelp(owner, helpFile, command);
    const std::string pageName = HelpPageFor(helpFile);
    const std::wstring page = Resolve(pageName);
    if (FileExists(page)) {
        const HINSTANCE result =
            ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (reinterpret_cast<INT_PTR>(result) > 32) return true;
    }
    const std::string text = FileExists(page)
                                 ? "No program could open the help page " + Narrow(page) + "."
                                 : "The help file " + std::string(helpFile) + " was not found in " +
                                       Narrow(ProgramFolder()) + ".";
    inner_->MsgBox(text, ui::MsgButtons::OK, ui::MsgIcon::Information,
                   host_ != nullptr ? host_->AppTitle() : std::string_view("Vantrel"));
    return false;
}

}  // namespace vtl::win32

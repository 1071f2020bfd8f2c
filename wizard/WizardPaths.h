#pragma once
// Paths of the wizard: a program on another computer is chosen through its
// administrative share (\\computer\D$\bin\svc.exe) and registered with that
// computer's own path (D:\bin\svc.exe).

#include <string>
#include <string_view>

namespace vtl {

// The computer part of \\computer\share\...: from the third character up to the
// first "\" found from there on; empty when there is no such "\".
[[nodiscard]] std::string ComputerPartOf(std::string_view path);
// The share part of \\computer\share\...: empty when the path has no share.
[[nodiscard]] std::string SharePartOf(std::string_view path);
// The program's path as its computer sees it. Local: the path itself. Remote:
// the drive letter, ":", and everything after the path's first "$".
[[nodiscard]] std::string LocalFormOfPath(std::string_view path, std::string_view driveLetter,
                                          bool remote);
// The path up to and including its last "\" (empty when it has none).
[[nodiscard]] std::string FolderOf(std::string_view path);
// The folder and a file name joined by one "\".
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace vtl

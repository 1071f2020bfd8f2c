#pragma once
// How the wrapper turns its settings into a process: which programs it runs, the
// command line it gives them, and where their output goes.

#include <string>
#include <string_view>

namespace vtl::wrapper {

enum class ProgramKind {
    Executable,  // .exe, .com: run directly
    Batch,       // .bat, .cmd: run by the command interpreter
    Unsupported,
};

[[nodiscard]] ProgramKind ProgramKindOf(std::string_view path);

// The text in double-quote characters.
[[nodiscard]] std::string Quoted(std::string_view text);

// The folder of a full path, without the last backslash ("C:\a\b.exe" -> "C:\a").
[[nodiscard]] std::string FolderOf(std::string_view path);
// The part after the last backslash or slash.
[[nodiscard]] std::string FileNameOf(std::string_view path);

struct Launch {
    std::string application;  // the image CreateProcess starts
    std::string commandLine;  // its whole command line
    friend bool operator==(const Launch&, const Launch&) = default;
};

// An executable gets "program" params; a batch file runs as
// "comspec" /d /s /c ""program" params" so that spaces survive in both.
[[nodiscard]] Launch BuildLaunch(std::string_view program, std::string_view params,
                                 std::string_view comspec);

// The default log: beside the program, its name with ".log" for the extension
// ("C:\a\run.bat" -> "C:\a\run.log").
[[nodiscard]] std::string DefaultLogPath(std::string_view program);
// The one previous log kept on rotation ("run.log" -> "run.log.1").
[[nodiscard]] std::string PreviousLogPath(std::string_view logPath);
// Rotation before a write of `incoming` bytes to a log of `currentSize` bytes: only
// when a limit is set (0 is none), the log holds something, and the write would
// take it past the limit. A single write larger than the limit still lands whole.
[[nodiscard]] bool ShouldRotateLog(unsigned long long currentSize, unsigned long long incoming,
                                   unsigned long long maxBytes);

}  // namespace vtl::wrapper

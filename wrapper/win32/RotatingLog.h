#pragma once
// The log file of a wrapped program: its output as it arrives, and the wrapper's
// own notes. Every write goes straight to the file (nothing is held back on our
// side); before a write would take the file past its limit, the file becomes the
// one previous log (<log>.1, replacing an older one) and a new file starts.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "core/win32/WinHandle.h"

namespace vtl::wrapper::win32 {

class RotatingLog {
  public:
    RotatingLog() = default;
    RotatingLog(const RotatingLog&) = delete;
    RotatingLog& operator=(const RotatingLog&) = delete;

    // Opens (appends to) the log; the error code when it cannot be opened.
    [[nodiscard]] std::uint32_t Open(std::string_view path, std::uint64_t maxBytes);
    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] const std::string& path() const { return path_; }

    // Program output, as read from its pipe.
    void Write(std::string_view bytes);
    // A line of the wrapper's own, with time stamp and "[VtlShell]".
    void Note(std::string_view text);

  private:
    void WriteLocked(std::string_view bytes);
    void RotateLocked();

    mutable std::mutex mutex_;
    vtl::win32::UniqueKernelHandle file_;
    std::string path_;
    std::uint64_t maxBytes_ = 0;
    std::uint64_t size_ = 0;
};

}  // namespace vtl::wrapper::win32

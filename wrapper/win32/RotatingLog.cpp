#include "wrapper/win32/RotatingLog.h"

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "wrapper/ProgramLaunch.h"

namespace vtl::wrapper::win32 {

using vtl::win32::Widen;

namespace {

HANDLE OpenForAppend(const std::wstring& path) {
    return CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::uint32_t RotatingLog::Open(std::string_view path, std::uint64_t maxBytes) {
    std::lock_guard lock(mutex_);
    path_ = std::string(path);
    maxBytes_ = maxBytes;
    file_.reset(OpenForAppend(Widen(path_)));
    if (!file_) return GetLastError();
    LARGE_INTEGER size{};
    size_ = GetFileSizeEx(file_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    return 0;
}

bool RotatingLog::IsOpen() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(file_);
}

void RotatingLog::Write(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    WriteLocked(bytes);
}

void RotatingLog::Note(std::string_view text) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    auto two = [](unsigned value) {
        return std::string(value < 10 ? "0" : "") + std::to_string(value);
    };
    const std::string line = std::to_string(now.wYear) + "-" + two(now.wMonth) + "-" +
                             two(now.wDay) + " " + two(now.wHour) + ":" + two(now.wMinute) + ":" +
                             two(now.wSecond) + " [VtlShell] " + std::string(text) + "\r\n";
    std::lock_guard lock(mutex_);
    WriteLocked(line);
}

void RotatingLog::WriteLocked(std::string_view bytes) {
    if (!file_ || bytes.empty()) return;
    if (ShouldRotateLog(size_, bytes.size(), maxBytes_)) RotateLocked();
    if (!file_) return;
    DWORD written = 0;
    if (WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        size_ += written;
}

void RotatingLog::RotateLocked() {
    file_.reset();
    const std::wstring current = Widen(path_);
    const std::wstring previous = Widen(PreviousLogPath(path_));
    MoveFileExW(current.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING);
    file_.reset(OpenForAppend(current));
    LARGE_INTEGER size{};
    size_ =
        file_ && GetFileSizeEx(file_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

}  // namespace vtl::wrapper::win32

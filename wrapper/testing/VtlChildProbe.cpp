// A process for wrapped programs to start in tests. It rewrites a heartbeat file
// every 50 ms until it ends, so a test sees whether it is still alive.
//
//   VtlChildProbe.exe HEARTBEAT [--ignore-ctrl] [--marker PATH] [--exit-after-ms N]
//                               [--exit-code N] [--print N]
//
// --ignore-ctrl     Ctrl+C and Ctrl+Break do nothing (otherwise it writes "ctrl" to
//                   the marker and ends with exit code 7)
// --marker PATH     where it notes how it ended
// --exit-after-ms N ends by itself after N ms with the --exit-code (default 0)
// --print N         writes N lines of 100 characters to standard output first
// --window          opens a hidden top-level window; WM_CLOSE writes "close" to the
//                   marker and ends it with exit code 8

#include <atomic>
#include <cstdlib>
#include <string>

#include "core/win32/Windows.h"

#include <shellapi.h>

namespace {

std::wstring g_marker;
std::atomic<bool> g_ignoreCtrl{false};

void WriteWholeFile(const std::wstring& path, const std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

BOOL WINAPI OnCtrl(DWORD) {
    if (g_ignoreCtrl) return TRUE;
    if (!g_marker.empty()) WriteWholeFile(g_marker, "ctrl");
    ExitProcess(7);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        if (!g_marker.empty()) WriteWholeFile(g_marker, "close");
        ExitProcess(8);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool OpenWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VtlChildProbe";
    if (RegisterClassW(&windowClass) == 0) return false;
    return CreateWindowExW(0, L"VtlChildProbe", L"VtlChildProbe", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, windowClass.hInstance, nullptr) != nullptr;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2) return 2;
    const std::wstring heartbeat = argv[1];
    DWORD exitAfter = INFINITE;
    int exitCode = 0;
    int printLines = 0;
    bool window = false;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--ignore-ctrl") {
            g_ignoreCtrl = true;
        } else if (arg == L"--marker" && hasValue) {
            g_marker = argv[++i];
        } else if (arg == L"--exit-after-ms" && hasValue) {
            exitAfter = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else if (arg == L"--exit-code" && hasValue) {
            exitCode = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
        } else if (arg == L"--window") {
            window = true;
        } else if (arg == L"--print" && hasValue) {
            printLines = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
        } else {
            return 2;
        }
    }
    LocalFree(argv);
    SetConsoleCtrlHandler(OnCtrl, TRUE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const std::string line = std::string(98, 'x') + "\r\n";
    for (int i = 0; i < printLines; ++i) {
        DWORD written = 0;
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    std::string hello = "probe " + std::to_string(GetCurrentProcessId()) + " running\r\n";
    if (window) hello += OpenWindow() ? "window open\r\n" : "window failed\r\n";
    DWORD written = 0;
    WriteFile(out, hello.data(), static_cast<DWORD>(hello.size()), &written, nullptr);
    const ULONGLONG begin = GetTickCount64();
    for (unsigned beat = 0;; ++beat) {
        WriteWholeFile(heartbeat, std::to_string(beat));
        if (exitAfter != INFINITE && GetTickCount64() - begin >= exitAfter) {
            if (!g_marker.empty()) WriteWholeFile(g_marker, "exit");
            return exitCode;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

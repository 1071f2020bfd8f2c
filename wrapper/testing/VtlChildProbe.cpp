// A process for wrapped programs to start in tests. It rewrites a heartbeat file
// every 50 ms until it ends, so a test sees whether it is still alive.
//
//   VtlChildProbe.exe HEARTBEAT [--ignore-ctrl] [--marker PATH] [--exit-after-ms N]
//                               [--exit-code N] [--print N] [--window]
//
// Ctrl+C and Ctrl+Break write "ctrl" to the marker (if any) and end it with exit
// code 7, unless --ignore-ctrl. --exit-after-ms ends it by itself after N ms with
// the --exit-code (default 0), writing "exit". --print writes N lines of 100
// characters to standard output first. --window opens a hidden top-level window;
// WM_CLOSE writes "close" and ends it with exit code 8.

#include <cstdlib>
#include <cwchar>
#include <string>

#include "core/win32/Windows.h"

#include <shellapi.h>

namespace {

std::wstring g_marker;
bool g_ignoreCtrl = false;  // set before the handler is

void WriteWholeFile(const std::wstring& path, const std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Notes in the marker how it ended, and ends.
[[noreturn]] void End(const char* how, UINT exitCode) {
    if (!g_marker.empty()) WriteWholeFile(g_marker, how);
    ExitProcess(exitCode);
}

BOOL WINAPI OnCtrl(DWORD) {
    if (!g_ignoreCtrl) End("ctrl", 7);
    return TRUE;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) End("close", 8);
    return DefWindowProcW(window, message, wParam, lParam);
}

bool OpenWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VtlChildProbe";
    return RegisterClassW(&windowClass) != 0 &&
           CreateWindowExW(0, L"VtlChildProbe", L"VtlChildProbe", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, windowClass.hInstance, nullptr) != nullptr;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2) return 2;
    // The text after an option ("" for the last argument); null without the option.
    const auto option = [&](const wchar_t* name) -> const wchar_t* {
        for (int i = 2; i < argc; ++i)
            if (std::wcscmp(argv[i], name) == 0) return i + 1 < argc ? argv[i + 1] : L"";
        return nullptr;
    };
    const auto number = [&](const wchar_t* name, DWORD fallback) {
        return option(name) ? static_cast<DWORD>(std::wcstoul(option(name), nullptr, 10))
                            : fallback;
    };
    g_marker = option(L"--marker") ? option(L"--marker") : L"";
    g_ignoreCtrl = option(L"--ignore-ctrl") != nullptr;
    SetConsoleCtrlHandler(OnCtrl, TRUE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    const std::string line = std::string(98, 'x') + "\r\n";
    for (DWORD i = number(L"--print", 0); i > 0; --i)
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    std::string hello = "probe " + std::to_string(GetCurrentProcessId()) + " running\r\n";
    if (option(L"--window")) hello += OpenWindow() ? "window open\r\n" : "window failed\r\n";
    WriteFile(out, hello.data(), static_cast<DWORD>(hello.size()), &written, nullptr);
    const DWORD exitAfter = number(L"--exit-after-ms", INFINITE);
    const ULONGLONG begin = GetTickCount64();
    for (unsigned beat = 0;; ++beat) {
        WriteWholeFile(argv[1], std::to_string(beat));
        if (exitAfter != INFINITE && GetTickCount64() - begin >= exitAfter)
            End("exit", number(L"--exit-code", 0));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

// How long Vantrel.exe's window takes to answer, measured from outside as a
// user's desktop would feel it: 300 extra services are created (and removed at
// the end), the program is started, and once its list is in, its window is sent
// WM_NULL every 10 ms for 10 s with SendMessageTimeout, F5 being pressed after
// 5 s. Prints the answer times; asserts nothing about them.
//
//   ./vantrel.sh bench        (runs it in the build tree's Wine prefix)
//
// Optional arguments: the number of extra services, the seconds to sample.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/win32/Windows.h"
#include "main/win32/testing/GuiTestService.h"
#include "ui/win32/testing/GuiDriver.h"

namespace {

using namespace vtl::guitest;

double Milliseconds(LONGLONG ticks, LONGLONG frequency) {
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

// The answer time below which a share p of the samples lie.
double Percentile(std::vector<double> sorted, double p) {
    if (sorted.empty()) return 0;
    const auto index = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

int Run(int extra, int seconds) {
    std::printf("creating %d services...\n", extra);
    std::vector<std::unique_ptr<vtl::win32::testing::GuiTestService>> services;
    const std::wstring prefix = L"VtlBench" + std::to_wstring(GetCurrentProcessId()) + L"_";
    for (int i = 0; i < extra; ++i) {
        services.push_back(std::make_unique<vtl::win32::testing::GuiTestService>(
            prefix + std::to_wstring(1000 + i)));
        if (!*services.back()) {
            std::printf("could not create service %d\n", i);
            return 1;
        }
    }

    UseUnmanagedWindows(L"Vantrel.exe");
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER launched{};
    QueryPerformanceCounter(&launched);
    std::optional<Process> program =
        Process::Start(L"\"" + BesideThisProgram(L"Vantrel.exe") + L"\"");
    if (!program) {
        std::printf("Vantrel.exe did not start\n");
        return 1;
    }
    const HWND form = WaitForTopWindow(program->Id(), L"VtlForm", L"Vantrel", 60000);
    const HWND list = form != nullptr ? FindChild(form, L"SysListView32") : nullptr;
    const HWND status = form != nullptr ? FindChild(form, L"msctls_statusbar32") : nullptr;
    auto listed = [&] {
        const std::vector<std::wstring> panels = ReadStatusBar(status);
        return panels.size() == 5 && panels[0] == L"Done" && ListViewCount(list) >= extra;
    };
    if (list == nullptr || status == nullptr || !WaitFor(listed, 120000)) {
        std::printf("the list did not fill\n");
        return 1;
    }
    LARGE_INTEGER filled{};
    QueryPerformanceCounter(&filled);
    const int rows = ListViewCount(list);

    std::printf("sampling %d s, F5 after %d s...\n", seconds, seconds / 2);
    std::vector<double> answers;
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    const LONGLONG end = start.QuadPart + frequency.QuadPart * seconds;
    const LONGLONG refreshAt = start.QuadPart + frequency.QuadPart * seconds / 2;
    LONGLONG next = start.QuadPart;
    bool refreshed = false;
    int timedOut = 0;
    for (;;) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        if (now.QuadPart >= end) break;
        if (!refreshed && now.QuadPart >= refreshAt) refreshed = PressKey(form, VK_F5);
        if (now.QuadPart < next) {
            Sleep(1);
            continue;
        }
        next = now.QuadPart + frequency.QuadPart / 100;
        DWORD_PTR result = 0;
        LARGE_INTEGER t0{};
        LARGE_INTEGER t1{};
        QueryPerformanceCounter(&t0);
        if (!SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) ++timedOut;
        QueryPerformanceCounter(&t1);
        answers.push_back(Milliseconds(t1.QuadPart - t0.QuadPart, frequency.QuadPart));
    }
    WaitFor(listed, 60000);  // the refresh has come back

    std::vector<double> sorted = answers;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    double slow = 0;
    for (double a : answers) {
        total += a;
        if (a > 50) slow += a;
    }
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    std::printf("\nVantrel.exe with %d services listed (%d extra), %lu processors\n", rows, extra,
                static_cast<unsigned long>(system.dwNumberOfProcessors));
    std::printf("  start to list filled        %8.0f ms\n",
                Milliseconds(filled.QuadPart - launched.QuadPart, frequency.QuadPart));
    std::printf("  samples                     %8zu (%d timed out after 5 s)\n", answers.size(),
                timedOut);
    std::printf("  answer time median          %8.2f ms\n", Percentile(sorted, 0.5));
    std::printf("  answer time p99             %8.2f ms   (target < 50 ms)\n",
                Percentile(sorted, 0.99));
    std::printf("  answer time max             %8.2f ms   (target < 100 ms)\n",
                sorted.empty() ? 0.0 : sorted.back());
    std::printf("  time in answers over 50 ms  %8.1f %%\n", total > 0 ? 100.0 * slow / total : 0.0);

    CloseTopWindow(form);
    if (!program->WaitForExit(30000)) program->Terminate();
    std::printf("removing the services...\n");
    services.clear();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int extra = argc > 1 ? std::atoi(argv[1]) : 300;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    return Run(extra, seconds);
}

#include "main/win32/ProgramArguments.h"

#include <memory>

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"

#include <shellapi.h>

namespace vtl::win32 {

namespace {

struct LocalFreer {
    void operator()(LPWSTR* block) const noexcept { LocalFree(block); }
};

}  // namespace

std::vector<std::string> ProgramArguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!argv) return {};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(argv.get()[i]));
    return arguments;
}

}  // namespace vtl::win32

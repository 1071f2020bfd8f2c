#pragma once
// One backend of the contract suite: a platform, the computer it runs on, the
// folder of the test service, and what the backend knows about itself. The same
// tests run over every backend; a behaviour a backend does not reproduce is
// named here, with the reason, so the tests that need it say why they skip.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/Platform.h"

namespace vtl::contract {

// Behaviours of Windows' service manager and system that some backend lacks.
enum class Behaviour {
    DependentsBlockStop,        // a stop with running dependents: 1051
    DependenciesStored,         // QueryServiceConfig gives back the dependencies
    DependentsListed,           // EnumDependentServices lists the dependents
    DependenciesStartFirst,     // a start starts stopped dependencies first; 1068 when disabled
    UnknownHostRefused,         // OpenSCManager of a host that does not answer: 1722
    MarkedServiceRefusesStart,  // StartService of a service marked for delete: 1072
    ComputerDeniesAccess,       // a whole computer refuses its service manager: 5
    WindowsMessageWording,      // FormatMessage gives Windows' own wording
    WindowsAccounts,            // well-known accounts resolve to Windows' SIDs
    AdministrativeShares,       // NetShareEnum lists C$, ADMIN$ and IPC$
    // Found by this suite, not yet in WINE.md:
    EnumerationSortedByName,      // services created since start-up are listed in name order too
    MarkedServiceRefusesOpen,     // OpenService of a service marked for delete: 1072
    StartPendingRefusesControls,  // a control sent to a service in START_PENDING: 1061
    ImagePathExpandable,          // a service key's ImagePath is REG_EXPAND_SZ
    DisplayNameNotAServiceName,   // a display name that is another service's name: 1078
};

// What Wine 8 does instead: its line of WINE.md, or what this suite measured.
struct WineLimitationEntry {
    Behaviour behaviour;
    std::string_view text;
};
inline constexpr WineLimitationEntry kWineLimitations[] = {
    {Behaviour::DependentsBlockStop, "WINE.md: stops with running dependents, no 1051"},
    {Behaviour::DependenciesStored, "WINE.md: dependencies not stored, read back as \"\""},
    {Behaviour::DependentsListed, "WINE.md: EnumDependentServices is TRUE with 0 entries"},
    {Behaviour::DependenciesStartFirst, "WINE.md: starts a service alone, not its dependencies"},
    {Behaviour::UnknownHostRefused, "WINE.md: an unknown \\\\host gives the local manager"},
    {Behaviour::MarkedServiceRefusesStart, "WINE.md: starts a service marked for delete"},
    {Behaviour::ComputerDeniesAccess, "WINE.md: Wine knows no other computer that could refuse"},
    {Behaviour::WindowsMessageWording, "WINE.md: short Wine wordings (\"Access denied.\")"},
    {Behaviour::WindowsAccounts, "WINE.md: fake SIDs; Administrator, LocalSystem give 1332"},
    {Behaviour::AdministrativeShares, "WINE.md: NetShareEnum gives 50 at every level"},
    {Behaviour::EnumerationSortedByName, "measured: services created since start-up listed last"},
    {Behaviour::MarkedServiceRefusesOpen, "measured: opens a service marked for delete"},
    {Behaviour::StartPendingRefusesControls, "measured: a stop in START_PENDING gives 1052"},
    {Behaviour::ImagePathExpandable, "measured: ImagePath is stored as REG_SZ"},
    {Behaviour::DisplayNameNotAServiceName, "measured: takes another service's name as display"},
};

[[nodiscard]] constexpr std::string_view WineLimitation(Behaviour behaviour) {
    for (const auto& entry : kWineLimitations)
        if (entry.behaviour == behaviour) return entry.text;
    return {};
}

class Backend {
  public:
    virtual ~Backend() = default;

    [[nodiscard]] virtual Platform& platform() = 0;
    // The plain name of the computer the platform runs on, from a source of
    // the backend's own (not GetComputerName).
    [[nodiscard]] virtual std::string LocalMachine() = 0;
    // Folder of VtlTestSvc.exe, without a trailing backslash.
    [[nodiscard]] virtual std::string TestServiceFolder() = 0;
    // A folder where the test service may write its marker files.
    [[nodiscard]] virtual std::string ScratchFolder() = 0;
    // A service name no other run of the suite uses at the same time.
    [[nodiscard]] virtual std::string UniqueName(std::string_view stem) = 0;
    // Ends a test service that does not stop when asked.
    virtual void ForceStop(const std::string& serviceName) = 0;

    // Whether the behaviour can be seen on this backend; when not, why.
    [[nodiscard]] virtual bool Reproduces(Behaviour behaviour) const = 0;
    [[nodiscard]] virtual std::string WhyNot(Behaviour behaviour) const = 0;

    // The content of a file the test service wrote; nullopt when there is none.
    [[nodiscard]] virtual std::optional<std::string> ReadFile(const std::string& path) = 0;

    // Makes a computer other than the local one refuse every right of its
    // service manager and returns its name; nullopt when the backend cannot.
    [[nodiscard]] virtual std::optional<std::string> ComputerDenyingAccess() = 0;

    // Handles the platform has open now; nullopt when the backend cannot count them.
    [[nodiscard]] virtual std::optional<std::size_t> OpenHandleCount() const = 0;
};

// One instantiation: a name for the test names and a maker of a fresh backend
// for each test.
struct BackendParam {
    std::string name;
    std::function<std::unique_ptr<Backend>()> make;
};

inline void PrintTo(const BackendParam& param, std::ostream* out) {
    *out << param.name;
}

}  // namespace vtl::contract

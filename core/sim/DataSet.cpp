#include "core/sim/DataSet.h"

#include "core/RegistryNames.h"
#include "core/sim/DataSetTables.h"

namespace vtl::sim {

namespace {

using data::At;

struct Presence {
    bool present = false;
    std::uint32_t startType = 0;
    bool running = false;
};

Presence PresenceOf(At at) {
    switch (at) {
        case At::A0:
            return {true, kServiceAutoStart, false};
        case At::A1:
            return {true, kServiceAutoStart, true};
        case At::M0:
            return {true, kServiceDemandStart, false};
        case At::M1:
            return {true, kServiceDemandStart, true};
        case At::D0:
            return {true, kServiceDisabled, false};
        case At::S1:
            return {true, kServiceSystemStart, true};
        case At::B1:
            return {true, kServiceBootStart, true};
        case At::No:
            break;
    }
    return {};
}

std::string AccountName(data::Acct account) {
    switch (account) {
        case data::Acct::System:
            return "LocalSystem";
        case data::Acct::LocalService:
            return "NT AUTHORITY\\LocalService";
        case data::Acct::NetworkService:
            return "NT AUTHORITY\\NetworkService";
        case data::Acct::Driver:
            break;
    }
    return {};
}

std::string ImagePath(std::string_view image) {
    if (image.substr(0, 3) == "-k ")
        return "C:\\Windows\\system32\\svchost.exe " + std::string(image);
    if (!image.empty() && image.front() == '@')
        return "\\SystemRoot\\System32\\drivers\\" + std::string(image.substr(1)) + ".sys";
    return std::string(image);
}

ServiceBehaviour BehaviourOf(std::uint8_t flags) {
    ServiceBehaviour behaviour;
    behaviour.acceptStop = (flags & data::kNoStop) == 0;
    behaviour.acceptPause = (flags & data::kPause) != 0;
    if (flags & data::kSlowStart) behaviour.startPendingMs = 2500;
    if (flags & data::kSlowStop) behaviour.stopPendingMs = 3000;
    return behaviour;
}

// The rights Windows refuses an administrator on protected services.
constexpr std::uint32_t kProtectedRights =
    kServiceStop | kServicePauseContinue | kServiceChangeConfig | kDelete;

void AddServices(SimComputer& computer, bool workstation) {
    for (const auto& row : data::kServices) {
        const Presence presence = PresenceOf(workstation ? row.workstation : row.server);
        if (!presence.present) continue;
        ServiceDefinition definition;
        definition.name = std::string(row.name);
        definition.displayName = std::string(row.display);
        definition.serviceType = row.type;
        definition.startType = presence.startType;
        definition.errorControl = kServiceErrorNormal;
        definition.binaryPath = ImagePath(row.image);
        definition.loadOrderGroup = std::string(row.group);
        definition.dependencies = SplitNonEmpty(row.dependencies, ',');
        definition.startName = AccountName(row.account);
        definition.state = presence.running ? kServiceRunning : kServiceStopped;
        if (row.flags != data::kPlain) definition.behaviour = BehaviourOf(row.flags);
        for (const auto& description : data::kDescriptions)
            if (description.name == row.name)
                definition.description = std::string(description.text);
        (void)computer.AddService(definition);
        if (row.flags & data::kProtected)
            (void)computer.DenyServiceAccess(row.name, kProtectedRights);
    }
}

void AddWindowsKeys(SimComputer& computer, std::string_view productName, std::string_view build,
                    std::string_view displayVersion, std::string_view edition) {
    constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    computer.SetRegistryString(kCurrentVersion, "ProductName", productName);
    computer.SetRegistryString(kCurrentVersion, "CurrentBuild", build);
    computer.SetRegistryString(kCurrentVersion, "CurrentBuildNumber", build);
    computer.SetRegistryString(kCurrentVersion, "DisplayVersion", displayVersion);
    computer.SetRegistryString(kCurrentVersion, "EditionID", edition);
    computer.SetRegistryString(kCurrentVersion, "CurrentVersion", "6.3");
    computer.SetRegistryDword(kCurrentVersion, "CurrentMajorVersionNumber", 10);
    computer.SetRegistryDword(kCurrentVersion, "CurrentMinorVersionNumber", 0);
    computer.SetRegistryString(kCurrentVersion, "SystemRoot", "C:\\Windows");
    computer.SetRegistryString("SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                               "ComputerName", computer.Name());
}

void AddSystemFiles(SimComputer& computer) {
    for (std::string_view file : {"svchost.exe", "spoolsv.exe", "cmd.exe", "notepad.exe",
                                  "lsass.exe", "services.exe", "msiexec.exe"})
        computer.PutFile("C:\\Windows\\System32\\" + std::string(file), "MZ");
    computer.PutDirectory("C:\\Windows\\System32\\drivers");
    computer.PutDirectory("C:\\Program Files");
    computer.PutDirectory("C:\\Program Files (x86)");
    computer.PutDirectory("C:\\ProgramData");
    computer.PutDirectory("C:\\Users\\Public");
}

// Domain accounts both members of CORP resolve.
constexpr std::string_view kDomainSid = "S-1-5-21-3623811015-3361044348-30300820";
void AddDomainAccounts(SimComputer& computer) {
    const std::string domain(kDomainName);
    const std::string sid(kDomainSid);
    computer.AddAccount(domain, "Administrator", sid + "-500");
    computer.AddAccount(domain, "jdoe", sid + "-1105");
    computer.AddAccount(domain, "svc-backup", sid + "-1106");
    computer.AddAccount(domain, "svc-sql", sid + "-1107");
    computer.AddAccount(domain, "Domain Admins", sid + "-512", 2);
}

}  // namespace

void PopulateWorkstation(SimComputer& computer) {
    AddServices(computer, true);
    AddWindowsKeys(computer, "Windows 10 Pro", "22631", "23H2", "Professional");
    computer.SetRegistryString(kProductKey, kVersionValue, kProductVersion);

    computer.AddDrive('C', kDriveFixed);
    computer.AddDrive('D', kDriveCdRom);
    computer.AddAdministrativeShares();
    AddSystemFiles(computer);
    computer.SetApplicationFolder("C:\\Program Files\\Orvane\\Vantrel");
    for (std::string_view file : {"Vantrel.exe", "VtlIns.dll", "VtlShell.exe", "Vtlhelp.hlp"})
        computer.PutFile(computer.ApplicationFolder() + "\\" + std::string(file), "MZ");
    computer.PutFile("C:\\Tools\\agent.exe", "MZ");
    computer.PutFile("C:\\Tools\\cleanup.bat", "@echo off\r\ndel /q C:\\Temp\\*.*\r\n");
    computer.PutDirectory("C:\\Temp");

    const std::string sid = "S-1-5-21-1004336348-1177238915-682003330";
    computer.AddAccount(computer.Name(), "Administrator", sid + "-500");
    computer.AddAccount(computer.Name(), "Guest", sid + "-501");
    computer.AddAccount(computer.Name(), "DefaultAccount", sid + "-503");
    computer.AddAccount(computer.Name(), "WDAGUtilityAccount", sid + "-504");
    computer.AddAccount(computer.Name(), "admin", sid + "-1001");
    AddDomainAccounts(computer);
}

void PopulateServer(SimComputer& computer) {
    AddServices(computer, false);
    AddWindowsKeys(computer, "Windows Server 2022 Standard", "20348", "21H2", "ServerStandard");

    computer.AddDrive('C', kDriveFixed);
    computer.AddDrive('D', kDriveFixed);
    computer.AddDrive('E', kDriveCdRom);
    computer.AddAdministrativeShares();
    computer.AddShare("Data", kStypeDiskTree, "D:\\Data", "Department data");
    computer.AddShare("Software", kStypeDiskTree, "D:\\Software", "Installation files");
    AddSystemFiles(computer);
    computer.SetApplicationFolder("C:\\Program Files\\Orvane\\Vantrel");
    computer.PutDirectory("D:\\Data\\Finance");
    computer.PutDirectory("D:\\Data\\Sales");
    computer.PutFile("D:\\Software\\setup.exe", "MZ");
    computer.PutFile("D:\\Apps\\report.exe", "MZ");

    const std::string sid = "S-1-5-21-2127521184-1604012920-1887927527";
    computer.AddAccount(computer.Name(), "Administrator", sid + "-500");
    computer.AddAccount(computer.Name(), "Guest", sid + "-501");
    computer.AddAccount(computer.Name(), "svc-report", sid + "-1001");
    AddDomainAccounts(computer);
}

std::unique_ptr<SimNetwork> MakeStandardNetwork() {
    auto network = std::make_unique<SimNetwork>();
    PopulateWorkstation(network->AddComputer(kWorkstationName));
    PopulateServer(network->AddComputer(kServerName));
    SimComputer& old = network->AddComputer(kUnreachableName);
    old.SetUnreachable(true);
    network->SetLocalComputer(kWorkstationName);
    return network;
}

}  // namespace vtl::sim

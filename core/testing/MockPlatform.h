#pragma once
// A GoogleMock platform for protocol tests that script single calls. Whole user
// stories run over the simulated platform (core/sim) instead.

#include <gmock/gmock.h>

#include "core/Platform.h"

namespace vtl::testing {

class MockPlatform : public Platform {
  public:
    MOCK_METHOD(Opened<ScManagerHandle>, OpenSCManager, (const std::string&, std::uint32_t),
                (override));
    MOCK_METHOD(Opened<ServiceHandle>, OpenService,
                (const ScManagerHandle&, const std::string&, std::uint32_t), (override));
    MOCK_METHOD(void, CloseServiceHandle, (std::uintptr_t), (noexcept, override));
    MOCK_METHOD(std::uint32_t, EnumRecordSize, (), (const, noexcept, override));
    MOCK_METHOD(EnumResult, EnumServicesStatus,
                (const ScManagerHandle&, std::uint32_t, std::uint32_t, std::uint32_t), (override));
    MOCK_METHOD(EnumResult, EnumDependentServices,
                (const ServiceHandle&, std::uint32_t, std::uint32_t), (override));
    MOCK_METHOD(ConfigResult, QueryServiceConfig, (const ServiceHandle&, std::uint32_t),
                (override));
    MOCK_METHOD(DescriptionResult, QueryServiceDescription, (const ServiceHandle&, std::uint32_t),
                (override));
    MOCK_METHOD(ErrorCode, QueryServiceStatus, (const ServiceHandle&, ServiceStatus&), (override));
    MOCK_METHOD(ErrorCode, ChangeServiceConfig, (const ServiceHandle&, const ConfigChange&),
                (override));
    MOCK_METHOD(ErrorCode, ChangeServiceDescription, (const ServiceHandle&, const std::string&),
                (override));
    MOCK_METHOD(ErrorCode, StartService, (const ServiceHandle&, const std::vector<std::string>&),
                (override));
    MOCK_METHOD(ErrorCode, ControlService, (const ServiceHandle&, std::uint32_t, ServiceStatus&),
                (override));
    MOCK_METHOD(Created, CreateService, (const ScManagerHandle&, const CreateArgs&), (override));
    MOCK_METHOD(ErrorCode, DeleteService, (const ServiceHandle&), (override));

    MOCK_METHOD(Opened<RegKey>, RegConnectRegistry, (const std::string&, std::uintptr_t),
                (override));
    MOCK_METHOD(Opened<RegKey>, RegOpenKeyEx, (const RegKey&, const std::string&, std::uint32_t),
                (override));
    MOCK_METHOD(Opened<RegKey>, RegCreateKeyEx, (const RegKey&, const std::string&, std::uint32_t),
                (override));
    MOCK_METHOD(ValueResult, RegQueryValueEx, (const RegKey&, const std::string&, std::uint32_t),
                (override));
    MOCK_METHOD(ErrorCode, RegSetValueEx,
                (const RegKey&, const std::string&, std::uint32_t,
                 const std::vector<std::uint8_t>&),
                (override));
    MOCK_METHOD(ErrorCode, RegDeleteValue, (const RegKey&, const std::string&), (override));
    MOCK_METHOD(ErrorCode, RegDeleteTree, (const RegKey&, const std::string&), (override));
    MOCK_METHOD(void, RegCloseKey, (std::uintptr_t), (noexcept, override));

    MOCK_METHOD(ComputerName, GetComputerName, (), (override));
    MOCK_METHOD(AccountLookup, LookupAccountName, (const std::string&, const std::string&),
                (override));
    MOCK_METHOD(std::vector<std::string>, GetLogicalDriveStrings, (), (override));
    MOCK_METHOD(std::uint32_t, GetDriveType, (const std::string&), (override));
    MOCK_METHOD(ShareList, NetShareEnum, (const std::string&), (override));
    MOCK_METHOD(ErrorCode, CopyFile, (const std::string&, const std::string&, bool), (override));
    MOCK_METHOD(ErrorCode, WriteFile, (const std::string&, const std::string&), (override));
    MOCK_METHOD(bool, FileExists, (const std::string&), (override));
    MOCK_METHOD(ErrorCode, CreateDirectory, (const std::string&), (override));
    MOCK_METHOD(std::string, ApplicationFolder, (), (override));
    MOCK_METHOD(EncodedText, EncodeText, (const std::string&, CodePage), (override));
    MOCK_METHOD(std::string, FormatMessage, (ErrorCode), (override));
    MOCK_METHOD(Opened<LibraryHandle>, LoadLibrary, (const std::string&), (override));
    MOCK_METHOD(bool, HasProcAddress, (const LibraryHandle&, const std::string&), (override));
    MOCK_METHOD(void, FreeLibrary, (std::uintptr_t), (noexcept, override));
    MOCK_METHOD(void, Sleep, (std::uint32_t), (override));
    MOCK_METHOD(std::uint64_t, TickCount, (), (override));

    MOCK_METHOD(Opened<ThreadHandle>, VTLStartService,
                (const std::string&, const std::string&, const std::optional<std::string>&),
                (override));
    MOCK_METHOD(ExitCode, GetExitCodeThread, (const ThreadHandle&), (override));
    MOCK_METHOD(std::uint32_t, fnLogRight, (const std::string&, const std::vector<std::uint8_t>&),
                (override));
    MOCK_METHOD(void, CloseHandle, (std::uintptr_t), (noexcept, override));
};

}  // namespace vtl::testing

// The system calls and the companion library's start threads as every backend
// must offer them.

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/contract/ContractTest.h"

namespace vtl::contract {
namespace {

TEST_P(SystemContract, TheComputerNameIsTheLocalMachine) {
    const auto computer = platform().GetComputerName();
    ASSERT_EQ(computer.error, kErrorSuccess);
    EXPECT_FALSE(computer.name.empty());
    EXPECT_EQ(computer.name, backend().LocalMachine());
    EXPECT_EQ(computer.name.find('\\'), std::string::npos);
}

TEST_P(SystemContract, ErrorTextsEndInALineBreakAndUnknownCodesHaveNone) {
    // Wordings differ between platforms and are not compared here.
    for (const ErrorCode code :
         {kErrorFileNotFound, kErrorAccessDenied, kErrorInvalidParameter, kErrorServiceDoesNotExist,
          kErrorServiceNotActive, kErrorServiceMarkedForDelete, kErrorServiceAlreadyRunning,
          kErrorDependentServicesRunning, kErrorServiceDisabled, kErrorServiceSpecificError,
          kErrorServiceCannotAcceptCtrl, kErrorInvalidServiceControl}) {
        SCOPED_TRACE("code " + std::to_string(code));
        const std::string text = platform().FormatMessage(code);
        ASSERT_GT(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_NE(text[0], '\r');
        EXPECT_EQ(GetErrorText(platform(), code), text);  // as the system gives it
    }
    // 1722 gets the network hint after a CR.
    const std::string rpc = GetErrorText(platform(), kRpcServerUnavailable);
    const std::string hint = "\r" + std::string(kNetworkHint);
    ASSERT_GT(rpc.size(), hint.size() + 2);
    EXPECT_EQ(rpc.substr(rpc.size() - hint.size()), hint);
    EXPECT_EQ(rpc.substr(rpc.size() - hint.size() - 2, 2), "\r\n");
    // Bit 29 marks application-defined codes: the system has no message for them.
    EXPECT_EQ(platform().FormatMessage(0x2000ABCDu), "");
    EXPECT_EQ(GetErrorText(platform(), 0x2000ABCDu), "");
    EXPECT_EQ(OpenFailureText(platform(), 0x2000ABCDu), "  536914893");
}

TEST_P(SystemContract, QueryServiceConfig2IsFoundInAdvapi32Only) {
    EXPECT_TRUE(HasQueryServiceConfig2(platform(), "Advapi32.dll"));
    EXPECT_FALSE(HasQueryServiceConfig2(platform(), "NoSuchLibraryVtl.dll"));
    auto [kernel, error] = platform().LoadLibrary("kernel32.dll");
    ASSERT_TRUE(kernel) << error;
    EXPECT_FALSE(platform().HasProcAddress(kernel, "QueryServiceConfig2A"));
    EXPECT_EQ(platform().LoadLibrary("NoSuchLibraryVtl.dll").error, 126u);  // ERROR_MOD_NOT_FOUND
}

TEST_P(SystemContract, AccountsResolveToSidsAndUnknownOnesGive1332) {
    for (const std::string& system : {std::string(), backend().LocalMachine()}) {
        SCOPED_TRACE("system \"" + system + "\"");
        const auto account = platform().LookupAccountName(system, "SYSTEM");
        ASSERT_EQ(account.error, kErrorSuccess);
        // A binary SID: revision 1, then as many sub-authorities as it says.
        ASSERT_GE(account.sid.size(), 8u);
        EXPECT_EQ(account.sid[0], 1u);
        EXPECT_EQ(account.sid.size(), 8u + 4u * account.sid[1]);
        EXPECT_NE(account.use, 0u);
        EXPECT_EQ(account.domain, "NT AUTHORITY");  // the domain the account is in

        const auto unknown = platform().LookupAccountName(system, "VtlNoSuchAccount42");
        EXPECT_EQ(unknown.error, kErrorNoneMapped);
        EXPECT_TRUE(unknown.sid.empty());
    }
}

TEST_P(SystemContract, FilesAreWrittenAndCopiedAsWindowsDoes) {
    const std::string folder = backend().ScratchFolder();
    // A name outside the ANSI code page; CR LF kept as written.
    const std::string file = folder + "\\" +
                             backend().UniqueName(
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e \xCE\xA9") +
                             "_Inst.bat";
    const std::string copy = folder + "\\" + backend().UniqueName("Files") + "_Copy.bat";
    const std::string content = "\r\n# line \xC3\xA9\r\n \r\nVtlShell -remove \"X\"\r\n";
    EXPECT_EQ(platform().CreateDirectory(folder), kErrorAlreadyExists);
    EXPECT_FALSE(platform().FileExists(file));
    ASSERT_EQ(platform().WriteFile(file, content), kErrorSuccess);
    EXPECT_TRUE(platform().FileExists(file));
    EXPECT_FALSE(platform().FileExists(folder));  // a folder is no file
    EXPECT_EQ(backend().ReadFile(file), content);
    // Written again: replaced, not appended.
    ASSERT_EQ(platform().WriteFile(file, "short"), kErrorSuccess);
    EXPECT_EQ(backend().ReadFile(file), "short");
    EXPECT_EQ(platform().CopyFile(file, copy, true), kErrorSuccess);
    EXPECT_EQ(backend().ReadFile(copy), "short");
    EXPECT_EQ(platform().CopyFile(file, copy, true), kErrorFileExists);
    EXPECT_EQ(platform().CopyFile(file, copy, false), kErrorSuccess);
    EXPECT_EQ(platform().CopyFile(folder + "\\Missing.exe", copy, false), kErrorFileNotFound);
    EXPECT_EQ(platform().CopyFile(file, folder + "\\Missing\\x.bat", true), kErrorPathNotFound);
    EXPECT_EQ(platform().WriteFile(folder + "\\Missing\\x.bat", "x"), kErrorPathNotFound);
    EXPECT_EQ(platform().WriteFile(folder, "x"), kErrorAccessDenied);
}

TEST_P(SystemContract, TextsAreEncodedWithoutGuessingCharactersThePageLacks) {
    for (const CodePage page : {CodePage::Ansi, CodePage::Oem}) {
        const auto plain = platform().EncodeText("Backup Agent_Inst.bat\r\n", page);
        EXPECT_EQ(plain.error, kErrorSuccess);
        EXPECT_EQ(plain.bytes, "Backup Agent_Inst.bat\r\n");
        // No single-byte or double-byte code page holds an emoji.
        const auto emoji = platform().EncodeText("Agent \xF0\x9F\x98\x80", page);
        EXPECT_EQ(emoji.error, kErrorNoUnicodeTranslation);
        EXPECT_TRUE(emoji.bytes.empty());
    }
}

// --- The companion library
// -----------------------------------------------------

TEST_P(StartLibraryContract, TheThreadIsStillActiveWhileTheServiceStartsThenEndsWithZero) {
    const std::string name = Name("VtlCtSlow");
    ServiceHandle service = Create(name, "--start-ms 1500");
    ASSERT_TRUE(service);
    {
        auto [thread, error] = platform().VTLStartService(name, UncLocal(), std::nullopt);
        ASSERT_EQ(error, kErrorSuccess);
        ASSERT_TRUE(thread);
        auto exit = platform().GetExitCodeThread(thread);
        EXPECT_EQ(exit.error, kErrorSuccess);
        EXPECT_EQ(exit.code, kStillActive);
        platform().Sleep(500);
        exit = platform().GetExitCodeThread(thread);
        EXPECT_EQ(exit.code, kStillActive);
        EXPECT_EQ(StateOf(service), kServiceStartPending);
        EXPECT_EQ(ExitCodeOf(thread), 0u);
        EXPECT_EQ(StateOf(service), kServiceRunning);
        // The ended thread keeps its code.
        EXPECT_EQ(platform().GetExitCodeThread(thread).code, 0u);
    }  // the handle is closed here

    // A running service: the thread ends with the service manager's 1056.
    EXPECT_EQ(StartThread(name, UncLocal()), kErrorServiceAlreadyRunning);
    // No handle at all.
    EXPECT_EQ(platform().GetExitCodeThread(ThreadHandle()).error, kErrorInvalidHandle);
}

TEST_P(StartLibraryContract, BothComputerFormsWorkAndTheParameterReachesTheService) {
    const std::string name = Name("VtlCtParam");
    const std::string marker = MarkerPath(name);
    ServiceHandle service = Create(name, MarkerOption(marker));
    ASSERT_TRUE(service);

    // The plain name, as after the wizard's creation, with a parameter.
    EXPECT_EQ(StartThread(name, backend().LocalMachine(), std::string("-port 80 \xC3\xA9")), 0u);
    ASSERT_TRUE(Reach(service, kServiceRunning));
    EXPECT_TRUE(MarkerIs(marker, "RUNNING\r\n-port 80 \xC3\xA9\r\n"));
    ASSERT_TRUE(Stop(service));

    // "\\NAME" with an empty parameter: the service gets no argument.
    EXPECT_EQ(StartThread(name, UncLocal(), std::string()), 0u);
    ASSERT_TRUE(Reach(service, kServiceRunning));
    EXPECT_TRUE(MarkerIs(marker, "RUNNING\r\n"));
}

TEST_P(StartLibraryContract, FailuresEndTheThreadWithTheServiceManagersCode) {
    const std::string disabled = Name("VtlCtOff");
    ServiceHandle service = Create(disabled, "", kServiceDisabled);
    ASSERT_TRUE(service);
    EXPECT_EQ(StartThread(disabled, UncLocal()), kErrorServiceDisabled);
    EXPECT_EQ(StartThread(disabled, backend().LocalMachine()), kErrorServiceDisabled);
    EXPECT_EQ(StartThread(backend().UniqueName("VtlCtNoSuch"), UncLocal()),
              kErrorServiceDoesNotExist);
    EXPECT_EQ(StateOf(service), kServiceStopped);
}

TEST_P(StartLibraryContract, TheLogonRightIsGrantedToAnAccountOnEitherFormOfTheName) {
    const auto account = platform().LookupAccountName("", "SYSTEM");
    ASSERT_EQ(account.error, kErrorSuccess);
    EXPECT_EQ(platform().fnLogRight(backend().LocalMachine(), account.sid), 0u);
    EXPECT_EQ(platform().fnLogRight(UncLocal(), account.sid), 0u);
    // No SID at all is refused.
    EXPECT_EQ(platform().fnLogRight(backend().LocalMachine(), {}), kErrorInvalidParameter);
}

}  // namespace
}  // namespace vtl::contract

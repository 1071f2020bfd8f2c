#include "wizard/BatchFiles.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/ServiceTypes.h"
#include "wizard/WizardTexts.h"

namespace vtl {

namespace {

constexpr std::array<std::string_view, 5> kStartOptions = {" -boot", " -system", " -auto",
                                                           " -demand", " -disabled"};
// The rights notice of both files' second line.
constexpr std::string_view kRightsNotice = "# Copyright (C) Orvane. All rights reserved.";
// Characters the command interpreter acts on wherever they stand in a line.
constexpr std::string_view kCommandCharacters = "\"%&|<>^!";
// Longest service name the service manager accepts.
constexpr std::size_t kMaxServiceName = 256;

std::string Quote(std::string_view text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // each sequence's first byte
        if (byte >= 0xF0) ++units;           // a surrogate pair
    }
    return units;
}

// The UTF-8 sequence that starts at i.
std::string_view CharacterAt(std::string_view text, std::size_t i) {
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    return text.substr(i, end - i);
}

std::string NotContain(std::string_view subject, std::string_view character,
                       std::string_view reason) {
    return std::string(subject) + " should not contain the character " + std::string(character) +
           ". " + std::string(reason);
}

// Whether the text is written and read back byte for byte: the batch files are
// written in the ANSI code page and the command interpreter reads them in the
// OEM code page.
bool ReadsBackAsWritten(SystemApi& system, std::string_view text) {
    const auto ansi = system.EncodeText(std::string(text), CodePage::Ansi);
    if (ansi.error != kErrorSuccess) return false;
    const auto oem = system.EncodeText(std::string(text), CodePage::Oem);
    return oem.error == kErrorSuccess && oem.bytes == ansi.bytes;
}

// Control characters, the command interpreter's characters, and characters the
// code pages cannot carry.
std::string BatchTextProblem(SystemApi& system, std::string_view subject, std::string_view value) {
    if (std::any_of(value.begin(), value.end(), IsControl))
        return std::string(subject) +
               " should not contain line breaks or other control characters.";
    if (const auto at = value.find_first_of(kCommandCharacters); at != std::string_view::npos)
        return NotContain(subject, value.substr(at, 1),
                          "The command interpreter that runs the exported batch files would take "
                          "it as part of a command.");
    const bool plain = std::all_of(value.begin(), value.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (plain || ReadsBackAsWritten(system, value)) return {};
    for (std::size_t i = 0; i < value.size(); i += CharacterAt(value, i).size()) {
        const std::string_view character = CharacterAt(value, i);
        if (static_cast<unsigned char>(character[0]) >= 0x80 &&
            !ReadsBackAsWritten(system, character))
            return NotContain(subject, character,
                              "The exported batch files cannot carry it: the command interpreter "
                              "would read it back as another character.");
    }
    return NotContain(subject, value,
                      "The exported batch files cannot carry it: the command interpreter would "
                      "read it back as other characters.");
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

std::string_view StartOptionText(std::uint32_t startType) {
    return startType < kStartOptions.size() ? kStartOptions[startType] : std::string_view();
}

std::string DependenciesToList(const std::vector<std::string>& dependencies) {
    std::string list;
    for (const std::string& name : dependencies) {
        if (name.empty()) break;
        list = name + "/" + list;
    }
    return list;
}

ProgramInPath ProgramFileName(std::string_view exePath) {
    std::string_view path = exePath;
    std::string_view arguments;
    if (!path.empty() && path.front() == '"') {
        const auto close = path.find('"', 1);
        if (close != std::string_view::npos) {
            arguments = path.substr(close + 1);
            path = path.substr(1, close - 1);
            while (!arguments.empty() && (arguments.front() == ' ' || arguments.front() == '\t'))
                arguments.remove_prefix(1);
            while (!arguments.empty() && (arguments.back() == ' ' || arguments.back() == '\t'))
                arguments.remove_suffix(1);
        }
    }
    const auto slash = path.rfind('\\');
    return {std::string(slash == std::string_view::npos ? path : path.substr(slash + 1)),
            std::string(arguments)};
}

std::string InstallCommandLine(const BatchService& service) {
    std::string line = "VtlShell -install " + Quote(service.serviceName);
    line += service.startOption;
    if (service.power) line += " -power";
    if (service.interact) line += " -interact";
    if (!service.dependencyList.empty()) {
        line += " -dep ";
        line += Quote(service.dependencyList);
    }
    line += ' ';
    line += Quote(service.program);
    return line;
}

std::string UninstallCommandLine(std::string_view serviceName) {
    return "VtlShell -remove " + Quote(serviceName);
}

std::string InstallFileText(const BatchService& service) {
    std::string text;
    for (const std::string& line : {
             std::string(),
             std::string(kRightsNotice),
             std::string("#"),
             "# This batch file installs " + service.serviceName + " service.",
             std::string("# Installation instructions :"),
             std::string("# Copy this file alongwith VtlShell.exe into the directory where"),
             "# '" + service.program + "' exists.",
             std::string("# Run this batch file to install."),
             std::string(" "),
             InstallCommandLine(service),
         })
        text += line + "\r\n";
    return text;
}

std::string UninstallFileText(std::string_view serviceName) {
    std::string text;
    for (const std::string& line : {
             std::string(),
             std::string(kRightsNotice),
             std::string("#"),
             "# This batch file uninstalls " + std::string(serviceName) + " service.",
             std::string("# Uninstallation instructions :"),
             std::string("# Copy this file into the directory where VtlShell.exe exists."),
             std::string("# Run this batch file to uninstall."),
             std::string(" "),
             UninstallCommandLine(serviceName),
         })
        text += line + "\r\n";
    return text;
}

std::string ServiceNameProblem(std::string_view name) {
    if (Utf16Length(name) > kMaxServiceName)
        return "Service name should not be longer than 256 characters.";
    if (const auto at = name.find_first_of("\\/"); at != std::string_view::npos)
        return NotContain("Service name", name.substr(at, 1),
                          "The service manager does not accept it in a service name.");
    if (std::any_of(name.begin(), name.end(), IsControl))
        return "Service name should not contain line breaks or other control characters.";
    return {};
}

std::string ExportNameProblem(SystemApi& system, std::string_view name) {
    if (auto problem = ServiceNameProblem(name); !problem.empty()) return problem;
    if (auto problem = BatchTextProblem(system, "Service name", name); !problem.empty())
        return problem;
    // The batch files are named after the service and lie in the export folder.
    if (const auto at = name.find_first_of(":*?"); at != std::string_view::npos)
        return NotContain("Service name", name.substr(at, 1),
                          "The exported batch files are named after the service.");
    return {};
}

std::string ExportProgramProblem(SystemApi& system, std::string_view exePath, bool power) {
    const ProgramInPath program = ProgramFileName(exePath);
    if (!program.arguments.empty())
        return "Executable file should be the program's path alone. The batch files cannot pass "
               "on its arguments " +
               program.arguments + ".";
    if (auto problem = BatchTextProblem(system, "Executable file name", program.fileName);
        !problem.empty())
        return problem;
    if (const auto at = program.fileName.find_first_of("/:*?"); at != std::string::npos)
        return NotContain("Executable file name", program.fileName.substr(at, 1),
                          "It names a file in the folder of " + std::string(kWrapperFile) + ".");
    const bool batch =
        EndsWithNoCase(program.fileName, ".bat") || EndsWithNoCase(program.fileName, ".cmd");
    const bool executable =
        EndsWithNoCase(program.fileName, ".exe") || EndsWithNoCase(program.fileName, ".com");
    if (!batch && !executable)
        return "Executable file should be a program (.exe, .com) or a batch file (.bat, .cmd): " +
               Quote(program.fileName) + " is neither.";
    if (batch && !power) return "A batch file can only be exported as an 'Any Program' service.";
    return {};
}

std::string ExportDependencyProblem(SystemApi& system,
                                    const std::vector<std::string>& dependencies) {
    for (const std::string& name : dependencies) {
        const std::string subject = "Dependency " + Quote(name);
        if (auto problem = BatchTextProblem(system, subject, name); !problem.empty())
            return problem;
        if (name.find('/') != std::string::npos)
            return NotContain(subject, "/", "It separates the dependencies in the batch files.");
    }
    return {};
}

}  // namespace vtl

#include "wrapper/WrapperArgs.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/ServiceTypes.h"
#include "wrapper/ProgramLaunch.h"

namespace vtl::wrapper {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

struct StartOption {
    std::string_view option;
    std::uint32_t startType;
};
constexpr std::array<StartOption, 5> kStartOptions{{
    {"-boot", kServiceBootStart},
    {"-system", kServiceSystemStart},
    {"-auto", kServiceAutoStart},
    {"-demand", kServiceDemandStart},
    {"-disabled", kServiceDisabled},
}};

bool IsOption(const Argument& argument) {
    return !argument.quoted && !argument.text.empty() && argument.text.front() == '-';
}

std::string Shown(const Argument& argument) {
    return argument.quoted ? Quoted(argument.text) : argument.text;
}

ParsedCommand Fail(std::string error) {
    return {std::nullopt, std::move(error)};
}

// The value after an option, or an error naming what is missing.
ParsedCommand NameCommand(CommandKind kind, const std::vector<Argument>& args) {
    const std::string option = Lower(args[0].text);
    if (args.size() < 2 || IsOption(args[1]))
        return Fail(option + " needs the service name, in double-quote characters.");
    if (args.size() > 2)
        return Fail("Unexpected argument " + Shown(args[2]) + " after the service name " +
                    Shown(args[1]) + ". A name with blanks must be in double-quote characters.");
    if (auto error = ServiceNameError(args[1].text); !error.empty()) return Fail(error);
    WrapperCommand command;
    command.kind = kind;
    command.serviceName = args[1].text;
    return {command, {}};
}

ParsedCommand InstallCommand(const std::vector<Argument>& args) {
    if (args.size() < 2 || IsOption(args[1]))
        return Fail("-install needs the service name, in double-quote characters.");
    InstallRequest request;
    request.serviceName = args[1].text;
    if (auto error = ServiceNameError(request.serviceName); !error.empty()) return Fail(error);
    if (args.size() < 3 || IsOption(args.back()))
        return Fail(
            "-install needs the program's file name, in double-quote characters, as "
            "its last argument.");
    bool haveDep = false;
    for (std::size_t i = 2; i + 1 < args.size(); ++i) {
        const Argument& arg = args[i];
        if (!IsOption(arg))
            return Fail("Unexpected argument " + Shown(arg) + " between the service name " +
                        Shown(args[1]) + " and the program " + Shown(args.back()) +
                        ". A name with blanks must be in double-quote characters.");
        const std::string option = Lower(arg.text);
        const auto start = std::find_if(kStartOptions.begin(), kStartOptions.end(),
                                        [&](const StartOption& s) { return s.option == option; });
        if (start != kStartOptions.end()) {
            if (request.startType) return Fail("Give at most one start type (" + option + ").");
            request.startType = start->startType;
        } else if (option == "-power") {
            if (request.power) return Fail("-power is given twice.");
            request.power = true;
        } else if (option == "-interact") {
            if (request.interact) return Fail("-interact is given twice.");
            request.interact = true;
        } else if (option == "-dep") {
            if (haveDep) return Fail("-dep is given twice.");
            if (i + 2 >= args.size() || IsOption(args[i + 1]))
                return Fail("-dep needs the dependency list, like \"A/B/\", before the program.");
            haveDep = true;
            request.dependencies = ParseDependencyList(args[++i].text);
        } else {
            return Fail("Unknown option " + arg.text + ".");
        }
    }
    if (request.startType == kServiceBootStart || request.startType == kServiceSystemStart)
        return Fail(
            "-boot and -system are start types of drivers; a program starts with -auto, "
            "-demand or -disabled.");
    request.program = args.back().text;
    if (auto error = ProgramNameError(request.program, request.power); !error.empty())
        return Fail(error);
    WrapperCommand command;
    command.kind = CommandKind::Install;
    command.install = std::move(request);
    return {command, {}};
}

}  // namespace

std::string_view ArgumentsOf(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        const auto close = line.find('"', i + 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
    }
    return line.substr(i);
}

SplitArguments SplitWrapperArguments(std::string_view line) {
    std::vector<Argument> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && IsBlank(line[i]))
            ++i;
        if (i >= n) break;
        if (line[i] == '"') {
            const auto close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                return {std::nullopt, "A double-quote character is not closed: " +
                                          std::string(line.substr(i)) + "."};
            if (close + 1 < n && !IsBlank(line[close + 1])) {
                auto end = close + 1;
                while (end < n && !IsBlank(line[end]))
                    ++end;
                return {std::nullopt,
                        "A closing double-quote character must be followed by a "
                        "blank: " +
                            std::string(line.substr(i, end - i)) + "."};
            }
            arguments.push_back({std::string(line.substr(i + 1, close - i - 1)), true});
            i = close + 1;
        } else {
            const auto start = i;
            while (i < n && !IsBlank(line[i]))
                ++i;
            const std::string word(line.substr(start, i - start));
            if (word.find('"') != std::string::npos)
                return {std::nullopt, "A double-quote character inside an argument: " + word +
                                          ". Put the whole value in double-quote characters."};
            arguments.push_back({word, false});
        }
    }
    return {std::move(arguments), {}};
}

ParsedCommand ParseWrapperCommandLine(std::string_view commandLine) {
    auto split = SplitWrapperArguments(ArgumentsOf(commandLine));
    if (!split.arguments) return Fail(split.error);
    const auto& args = *split.arguments;
    if (args.empty()) return {WrapperCommand{}, {}};
    if (args[0].quoted) return Fail("Unexpected argument " + Shown(args[0]) + ".");
    const std::string verb = Lower(args[0].text);
    if (verb == "-install") return InstallCommand(args);
    if (verb == "-remove") return NameCommand(CommandKind::Remove, args);
    if (verb == "-run") return NameCommand(CommandKind::Run, args);
    if (verb == "-help" || verb == "-?" || verb == "/?") {
        if (args.size() > 1) return Fail("Unexpected argument " + Shown(args[1]) + ".");
        WrapperCommand help;
        help.kind = CommandKind::Help;
        return {help, {}};
    }
    return Fail("Unknown command " + args[0].text + ".");
}

std::vector<std::string> ParseDependencyList(std::string_view list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto slash = list.find('/', start);
        if (slash == std::string_view::npos) slash = list.size();
        if (slash > start) names.emplace_back(list.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

std::string DependencyMultiString(const std::vector<std::string>& names) {
    std::string multi;
    for (const auto& name : names) {
        multi += name;
        multi += '\0';
    }
    multi += '\0';
    if (names.empty()) multi += '\0';
    return multi;
}

std::string ServiceNameError(std::string_view name) {
    if (name.empty()) return "The service name is empty.";
    if (Utf16Length(name) > kMaxServiceName)
        return "The service name is longer than 256 characters.";
    if (name.find_first_of("\\/") != std::string_view::npos)
        return "The service name \"" + std::string(name) +
               "\" contains a slash or backslash, which service names cannot hold.";
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "The service name contains a control character.";
    return {};
}

std::string ProgramNameError(std::string_view program, bool power) {
    const std::string shown = Quoted(program);
    if (program.empty()) return "The program's file name is empty.";
    if (program.find_first_of("\\/:") != std::string_view::npos)
        return "The program " + shown +
               " must be a file name alone: the program lies in VtlShell.exe's folder.";
    if (program.find_first_of("<>|*?") != std::string_view::npos ||
        std::any_of(program.begin(), program.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "The program's file name " + shown + " contains characters file names cannot hold.";
    const ProgramKind kind = ProgramKindOf(program);
    if (kind == ProgramKind::Unsupported)
        return "The program " + shown +
               " is neither a program (.exe, .com) nor a batch file "
               "(.bat, .cmd).";
    if (kind == ProgramKind::Batch && !power)
        return "The batch file " + shown +
               " can only run under VtlShell: add -power to install it as an \"Any Program\" "
               "service.";
    return {};
}

std::string ProgramPathError(std::string_view fullPath) {
    if (Utf16Length(fullPath) > kMaxProgramPath)
        return "The program's path is longer than 259 characters: " + std::string(fullPath) +
               ". Move the program and VtlShell.exe to a shorter folder.";
    return {};
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // each sequence's first byte
        if (byte >= 0xF0) ++units;           // four-byte sequences need a surrogate pair
    }
    return units;
}

std::string UsageText() {
    return "VtlShell runs a program or batch file as a Windows service.\n"
           "\n"
           "  VtlShell -install \"Name\" [-boot|-system|-auto|-demand|-disabled] [-power]\n"
           "                   [-interact] [-dep \"A/B/\"] \"program\"\n"
           "      creates the service Name. With -power the service runs VtlShell.exe,\n"
           "      which runs the program (an .exe, .com, .bat or .cmd file in VtlShell's\n"
           "      folder); without it the program, itself written as a service, is the\n"
           "      service's executable. The start type defaults to -demand; -boot and\n"
           "      -system are for drivers and are refused. -dep takes service names,\n"
           "      each followed by a slash.\n"
           "  VtlShell -remove \"Name\"\n"
           "      stops the service Name if it runs, and deletes it.\n"
           "  VtlShell -run \"Name\"\n"
           "      runs the installed service's program in this console (Ctrl+C stops it).\n"
           "\n"
           "Names with blanks must be in double-quote characters. Exit code: 0 on success,\n"
           "1 for a wrong command line, otherwise the Windows error code of the failure.\n";
}

}  // namespace vtl::wrapper

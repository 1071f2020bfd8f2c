#include "wrapper/ProgramLaunch.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vtl::wrapper {

namespace {

std::string LowerExtension(std::string_view path) {
    const std::string name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

struct KindByExtension {
    std::string_view extension;
    ProgramKind kind;
};
constexpr std::array<KindByExtension, 4> kKinds{{
    {".exe", ProgramKind::Executable},
    {".com", ProgramKind::Executable},
    {".bat", ProgramKind::Batch},
    {".cmd", ProgramKind::Batch},
}};

}  // namespace

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

ProgramKind ProgramKindOf(std::string_view path) {
    const std::string ext = LowerExtension(path);
    for (const auto& entry : kKinds)
        if (entry.extension == ext) return entry.kind;
    return ProgramKind::Unsupported;
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash));
}

std::string FileNameOf(std::string_view path) {
    const auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Launch BuildLaunch(std::string_view program, std::string_view params, std::string_view comspec) {
    std::string quotedProgram = Quoted(program);
    if (!params.empty()) {
        quotedProgram += ' ';
        quotedProgram += params;
    }
    if (ProgramKindOf(program) != ProgramKind::Batch) return {std::string(program), quotedProgram};
    return {std::string(comspec), Quoted(comspec) + " /d /s /c " + Quoted(quotedProgram)};
}

std::string DefaultLogPath(std::string_view program) {
    const auto slash = program.find_last_of("\\/");
    const auto dot = program.rfind('.');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        return std::string(program.substr(0, dot)) + ".log";
    return std::string(program) + ".log";
}

std::string PreviousLogPath(std::string_view logPath) {
    return std::string(logPath) + ".1";
}

bool ShouldRotateLog(unsigned long long currentSize, unsigned long long incoming,
                     unsigned long long maxBytes) {
    return maxBytes != 0 && currentSize > 0 && currentSize + incoming > maxBytes;
}

}  // namespace vtl::wrapper

#include "wizard/WizardPaths.h"

namespace vtl {

std::string ComputerPartOf(std::string_view path) {
    if (path.size() < 3) return {};
    const auto slash = path.find('\\', 2);
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(2, slash - 2));
}

std::string SharePartOf(std::string_view path) {
    if (path.size() < 3) return {};
    const auto first = path.find('\\', 2);
    if (first == std::string_view::npos) return {};
    const auto second = path.find('\\', first + 1);
    return std::string(path.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
}

std::string LocalFormOfPath(std::string_view path, std::string_view driveLetter, bool remote) {
    if (!remote) return std::string(path);
    const auto dollar = path.find('$');
    const std::string_view rest = dollar == std::string_view::npos ? path : path.substr(dollar + 1);
    return std::string(driveLetter) + ":" + std::string(rest);
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += name;
    return path;
}

}  // namespace vtl

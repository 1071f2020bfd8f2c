#include "core/testsvc/TestServiceOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vtl::testsvc {

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= n) break;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\')
                    ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    word.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                quoted = !quoted;
                ++i;
            } else {
                word += line[i++];
            }
        }
        if (quoted) return std::nullopt;  // an unclosed quote
        words.push_back(std::move(word));
    }
    if (words.empty()) return std::nullopt;
    words.erase(words.begin());
    return words;
}

namespace {

bool ParseNumber(const std::string& text, std::uint32_t& value) {
    const auto* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc{} && ptr == end && !text.empty();
}

bool EndsWithExe(std::string_view program) {
    const auto slash = program.find_last_of("\\/");
    std::string name(slash == std::string_view::npos ? program : program.substr(slash + 1));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "vtltestsvc.exe";
}

}  // namespace

std::optional<TestServiceOptions> ParseTestServiceArguments(
    const std::vector<std::string>& arguments) {
    TestServiceOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        auto number = [&](std::uint32_t& into) {
            return i + 1 < arguments.size() && ParseNumber(arguments[++i], into);
        };
        if (arg == "--start-ms") {
            if (!number(options.startMs)) return std::nullopt;
        } else if (arg == "--stop-ms") {
            if (!number(options.stopMs)) return std::nullopt;
        } else if (arg == "--run-ms") {
            std::uint32_t ms = 0;
            if (!number(ms)) return std::nullopt;
            options.runMs = ms;
        } else if (arg == "--exit-code") {
            if (!number(options.exitCode)) return std::nullopt;
        } else if (arg == "--specific") {
            std::uint32_t code = 0;
            if (!number(code)) return std::nullopt;
            options.specific = code;
        } else if (arg == "--fail-start") {
            options.failStart = true;
        } else if (arg == "--hang-start") {
            options.hangStart = true;
        } else if (arg == "--hang-stop") {
            options.hangStop = true;
        } else if (arg == "--no-stop") {
            options.acceptStop = false;
        } else if (arg == "--pause") {
            options.acceptPause = true;
        } else if (arg == "--marker") {
            if (i + 1 >= arguments.size()) return std::nullopt;
            options.marker = arguments[++i];
        } else {
            return std::nullopt;
        }
    }
    return options;
}

std::optional<TestServiceOptions> ParseTestServiceCommandLine(std::string_view commandPath) {
    auto words = SplitCommandLine(commandPath);
    if (!words) return std::nullopt;
    // The program is the first word; find it again to check its name.
    std::string_view rest = commandPath;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    std::string program;
    if (!rest.empty() && rest.front() == '"') {
        const auto close = rest.find('"', 1);
        program =
            std::string(rest.substr(1, close == std::string_view::npos ? rest.npos : close - 1));
    } else {
        program = std::string(rest.substr(0, rest.find_first_of(" \t")));
    }
    if (!EndsWithExe(program)) return std::nullopt;
    return ParseTestServiceArguments(*words);
}

}  // namespace vtl::testsvc

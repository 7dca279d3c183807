#include "launch.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace playdeck {

namespace {

#ifdef _WIN32
constexpr bool kNativeBackslashes = true;
#else
constexpr bool kNativeBackslashes = false;
#endif

fs::path pathFromUtf8(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::string resolveIgnoringCase(std::string_view base, std::string_view relative)
{
    std::string result(base);
    bool found = true;
    std::size_t pos = 0;
    while (pos <= relative.size()) {
        std::size_t end = relative.find('/', pos);
        if (end == std::string_view::npos)
            end = relative.size();
        std::string_view part = relative.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        std::string chosen(part);
        std::error_code ec;
        if (found && !fs::exists(pathFromUtf8(result + "/" + chosen), ec)) {
            std::string best;
            for (const auto& item : fs::directory_iterator(pathFromUtf8(result), ec)) {
                std::string name = utf8FromPath(item.path().filename());
                if (sameIgnoringAsciiCase(name, part) && (best.empty() || name < best))
                    best = std::move(name);
            }
            if (best.empty())
                found = false;
            else
                chosen = std::move(best);
        }
        result += "/" + chosen;
    }
    return result;
}

LaunchCommand buildCommand(std::string_view appDir, std::string_view tail)
{
    LaunchCommand command;
    command.commandLine = std::string(appDir) + std::string(tail);
    command.workingDirectory = std::string(appDir);

    const std::size_t blank = tail.find(' ');
    std::string programPart(tail.substr(0, blank));
    std::optional<std::string> argument;
    if (blank != std::string_view::npos)
        argument = std::string(tail.substr(blank + 1));

    if (kNativeBackslashes) {
        command.program = std::string(appDir) + programPart;
    } else {
        std::replace(programPart.begin(), programPart.end(), '\\', '/');
        if (argument)
            std::replace(argument->begin(), argument->end(), '\\', '/');
        command.program = resolveIgnoringCase(appDir, programPart);
    }
    if (argument)
        command.arguments.push_back(std::move(*argument));
    return command;
}

LaunchResult launch(std::string_view tail, std::string_view appDir, ProcessStarter& starter)
{
    const LaunchCommand command = buildCommand(appDir, tail);
    if (std::optional<std::string> reason = starter.start(command))
        return {false, "Cannot start the emulator \"" + command.program + "\": " + *reason};
    return {true, {}};
}

std::string quoteWindowsArgument(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace playdeck

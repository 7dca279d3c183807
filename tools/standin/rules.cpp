// Where the stand-in looks for a game's file, what it takes the file for, and
// the run from the command line to the hand-off or the window.
#include "standin.h"

#include "catalogue.h"

#include <algorithm>
#include <cstdio>

namespace standin {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

char separatorOf(System system) { return system == System::Windows ? '\\' : '/'; }

std::string lowered(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string joined(const std::string &folder, const std::string &name, char separator)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    return isSeparator(last) || last == ':' ? folder + name : folder + separator + name;
}

// How much of `path` is its root: "/" on Linux; "C:\", "C:", "\" or
// "\\server\share\" (also "\\?\C:\") on Windows; 0 for a relative path.
std::size_t rootLength(const std::string &path, System system)
{
    if (path.empty())
        return 0;
    if (system == System::Linux)
        return isSeparator(path[0]) ? 1 : 0;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        std::size_t end = 2;
        for (int separators = 0; end < path.size() && separators < 2; ++end)
            separators += isSeparator(path[end]);
        return end;
    }
    if (path.size() >= 2 && path[1] == ':')
        return path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
    return isSeparator(path[0]) ? 1 : 0;
}

std::vector<std::string> partsOf(const std::string &path)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path + '/') {
        if (!isSeparator(c)) {
            part += c;
        } else if (!part.empty()) {
            if (part != ".")
                parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

// `folder` followed by `parts`, each taken as the entry of that name in its
// folder: written so if there is one, else the first whose name differs only
// in letter case, else as written. The last part is a file, the others folders.
std::string resolved(std::string path, const std::vector<std::string> &parts, bool lastIsFile, char separator,
                     const Files &files)
{
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool wantFolder = !(lastIsFile && i + 1 == parts.size());
        std::string name = parts[i];
        if (const auto entries = files.list(path)) {
            const Files::Entry *best = nullptr;
            for (const Files::Entry &e : *entries) {
                if (e.folder != wantFolder || lowered(e.name) != lowered(name))
                    continue;
                if (!best || e.name == name || (best->name != name && e.name < best->name))
                    best = &e;
            }
            if (best)
                name = best->name;
        }
        path = joined(path, name, separator);
    }
    return path;
}

// Names that are almost `name` (which is "x.dat"): "x.dat.nes", "x.nes", the
// same with .zip or .7z, and a folder "x.dat".
void addNearMisses(const std::string &folder, const std::string &name, const Files &files,
                   std::vector<NearMiss> &nearMisses)
{
    const std::string lower = lowered(name), stem = lower.substr(0, std::min(lower.size(), lower.rfind('.')));
    auto entries = files.list(folder);
    if (!entries)
        return;
    std::sort(entries->begin(), entries->end(),
              [](const Files::Entry &a, const Files::Entry &b) { return lowered(a.name) < lowered(b.name); });
    for (const Files::Entry &e : *entries) {
        const std::string entry = lowered(e.name);
        const auto is = [&](const char *ending) { return entry == lower + ending || entry == stem + ending; };
        if (e.folder && entry == lower)
            nearMisses.push_back({NearMiss::Folder, folder, e.name});
        else if (!e.folder && is(".nes"))
            nearMisses.push_back({NearMiss::Renamed, folder, e.name});
        else if (!e.folder && (is(".zip") || is(".7z")))
            nearMisses.push_back({NearMiss::Packed, folder, e.name});
    }
}

std::string folderOf(const std::string &path)
{
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, std::max<std::size_t>(separator, 1));
}

std::string fileNameOf(const std::string &path) { return path.substr(path.find_last_of("/\\") + 1); }

// A size field of an NES 2.0 header: `low` units with four more high bits, or
// 2^E x (2M+1) bytes when those bits are all set.
std::uint64_t romSize(unsigned low, unsigned high, std::uint64_t unit)
{
    if (high != 0xF)
        return ((high << 8) | low) * unit;
    const unsigned exponent = low >> 2;
    return exponent > 40 ? std::uint64_t(1) << 41 : (std::uint64_t(1) << exponent) * ((low & 3) * 2 + 1);
}

} // namespace

Places placesFor(System system, const Environment &env, std::string workingDir, std::string ownProgram)
{
    Places places{system, {}, std::move(workingDir), std::move(ownProgram), {}};
    if (system == System::Windows) {
        if (const std::string local = env("LOCALAPPDATA"); !local.empty())
            places.gamesFolders.push_back(local + "\\PLAYDECK");
        return places;
    }
    places.home = env("HOME");
    std::string user = env("XDG_DATA_HOME");
    if (user.empty() || user[0] != '/')
        user = places.home + "/.local/share";
    std::vector<std::string> folders;
    const std::string list = env("XDG_DATA_DIRS");
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start && list[start] == '/')
            folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    if (folders.empty())
        folders = {"/usr/local/share", "/usr/share"};
    folders.insert(folders.begin(), user);
    for (std::string dir : folders) {
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        dir = joined(dir, "playdeck", '/');
        if (std::find(places.gamesFolders.begin(), places.gamesFolders.end(), dir) == places.gamesFolders.end())
            places.gamesFolders.push_back(dir);
    }
    return places;
}

FileKind kindOf(const std::string &bytes, std::uint64_t size, std::uint64_t *expected)
{
    if (size == 0)
        return FileKind::Empty;
    if (bytes.starts_with("PK\x03\x04") || bytes.starts_with("7z\xBC\xAF\x27\x1C"))
        return FileKind::Archive;
    if (!bytes.starts_with("NES\x1A"))
        return FileKind::NotInes;
    // The header (16 bytes), a trainer when flag 6 bit 2 says so, then the
    // program and character ROMs, in units of 16 and 8 KiB; NES 2.0 headers
    // (flag 7 bits 2-3 = 2) give more bits in byte 9.
    const auto at = [&](std::size_t i) { return i < bytes.size() ? unsigned(static_cast<unsigned char>(bytes[i])) : 0u; };
    const bool nes2 = (at(7) & 0x0C) == 0x08;
    const std::uint64_t needed = 16 + ((at(6) & 4) ? 512 : 0) + romSize(at(4), nes2 ? at(9) & 0xF : 0, 16384)
        + romSize(at(5), nes2 ? at(9) >> 4 : 0, 8192);
    if (expected)
        *expected = needed;
    return size < needed ? FileKind::Truncated : FileKind::Ines;
}

Found findGame(const std::string &argument, const Places &places, const Files &files)
{
    const char separator = separatorOf(places.system);
    Found found;
    const std::size_t root = rootLength(argument, places.system);
    std::vector<std::string> parts = partsOf(argument.substr(root));
    found.onlyAsGiven = root > 0 || std::find(parts.begin(), parts.end(), "..") != parts.end();

    // Each place is a folder taken as it is and the parts below it.
    std::vector<std::pair<std::string, std::vector<std::string>>> searched;
    if (found.onlyAsGiven) {
        std::string base = root ? argument.substr(0, root) : places.workingDir;
        if (!root) {
            const std::size_t baseRoot = rootLength(base, places.system);
            std::vector<std::string> below = partsOf(base.substr(baseRoot));
            below.insert(below.end(), parts.begin(), parts.end());
            parts = std::move(below);
            base = base.substr(0, baseRoot);
        }
        std::vector<std::string> plain;
        for (const std::string &part : parts) {
            if (part != "..")
                plain.push_back(part);
            else if (!plain.empty())
                plain.pop_back();
        }
        for (char &c : base)
            c = isSeparator(c) ? separator : c;
        searched.emplace_back(base, plain);
    } else {
        for (const std::string &folder : places.gamesFolders)
            searched.emplace_back(folder, parts);
        searched.emplace_back(places.workingDir, parts);
    }

    std::optional<Found> unreadable;
    std::string asAsked;
    for (const auto &[base, below] : searched) {
        const std::string path = resolved(base, below, true, separator, files);
        if (asAsked.empty())
            asAsked = path;
        found.lookedIn.push_back(found.onlyAsGiven ? folderOf(path) : base);
        const Files::Head head = files.head(path, 16);
        if (!head.exists || head.folder)
            continue;
        found.path = path;
        if (!head.error.empty()) {
            // A copy that cannot be read does not hide a readable one further on.
            found.kind = FileKind::Unreadable;
            found.whyUnreadable = head.error;
            if (!unreadable)
                unreadable = found;
            continue;
        }
        found.size = head.size;
        found.kind = kindOf(head.bytes, head.size, &found.expected);
        return found;
    }
    if (unreadable) {
        unreadable->lookedIn = found.lookedIn;
        return *unreadable;
    }
    found.kind = FileKind::Missing;
    found.path = asAsked;
    for (const auto &[folder, under] : searched) {
        const std::vector<std::string> dirs(under.begin(), under.end() - (under.empty() ? 0 : 1));
        addNearMisses(resolved(folder, dirs, false, separator, files), under.empty() ? "" : under.back(), files,
                      found.nearMisses);
    }
    return found;
}

bool isOurselves(const std::string &program, const Places &places, const Files &files)
{
    const std::string id = files.identity(program);
    return !id.empty() && id == files.identity(places.ownProgram);
}

Situation probe(const std::optional<std::string> &argument, const Places &places, const Files &files)
{
    Situation s;
    s.argument = argument;
    if (!argument)
        return s;
    s.file = findGame(*argument, places, files);
    if (const auto game = playdeck::gameOfDataFile(fileNameOf(*argument))) {
        s.game = std::string(game->part.empty() ? game->title : game->part);
        if (!game->part.empty() && !game->part.starts_with(game->title))
            s.game += " (" + std::string(game->title) + ")";
    }
    if (!s.file.onlyAsGiven && !places.gamesFolders.empty()) {
        const std::vector<std::string> parts = partsOf(*argument);
        s.playerFolder = resolved(places.gamesFolders.front(), {parts.begin(), parts.end() - 1}, false,
                                  separatorOf(places.system), files);
    }
    return s;
}

bool readyToPlay(const Situation &s)
{
    const Emulator &e = s.emulator;
    return s.argument && s.file.kind == FileKind::Ines && e.choice != Choice::None && !e.missing && !e.ourselves;
}

void makePlayerFolder(const Situation &s, const Files &files)
{
    if (s.file.kind == FileKind::Missing && !s.playerFolder.empty())
        files.makeFolders(s.playerFolder);
}

int run(const std::optional<std::string> &argument, const Places &places, const Environment &env,
        const Files &files, Platform &platform)
{
    Situation s = probe(argument, places, files);
    if (argument) {
        s.emulator = platform.emulator(places);
        const std::string marker = s.file.kind == FileKind::Missing ? std::string() : files.identity(s.file.path);
        // Handed to us by a stand-in: whatever we chose leads back here.
        if (!marker.empty() && env(kHandOffMarker) == marker)
            s.emulator.ourselves = true;
        if (readyToPlay(s)) {
            std::fprintf(stderr, "Runcart.exe: starting %s on %s\n", chosenBecause(s.emulator).c_str(),
                         s.file.path.c_str());
            std::fflush(stderr);
            s.handOffError = platform.handOff(s.emulator, s.file.path, marker);
            if (s.handOffError.empty())
                return 0;
        }
    }
    makePlayerFolder(s, files);
    const std::vector<Line> lines = describe(s, places);
    for (const Line &line : lines)
        if (line.tone != Tone::Hint)
            std::fprintf(stderr, "Runcart.exe: %s\n", line.text.c_str());
    std::fflush(stderr);
    platform.show(lines);
    return 1;
}

} // namespace standin

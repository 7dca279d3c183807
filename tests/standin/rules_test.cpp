// The stand-in's rules on this system's real files, the same table on Linux
// and under Wine: where a game's file is found, what is wrong with it, and
// what the player is told, every problem at once.
#include "standin.h"

#include "doctest.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#ifdef _WIN32
#include <windows.h>
constexpr standin::System kSystem = standin::System::Windows;
const std::wstring kOwn = std::to_wstring(GetCurrentProcessId());
// Unreadable while it lives: held open by a program that shares it with nobody.
struct Lock {
    HANDLE held;
    explicit Lock(const std::filesystem::path &p) : held(CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~Lock() { CloseHandle(held); }
};
#else
#include <unistd.h>
constexpr standin::System kSystem = standin::System::Linux;
const std::string kOwn = std::to_string(getpid());
// Unreadable, but not to root: the table runs as nobody.
const bool kNobody = geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
struct Lock {
    explicit Lock(const std::filesystem::path &p) { std::filesystem::permissions(p, std::filesystem::perms::none); }
};
#endif

using namespace standin;
namespace fs = std::filesystem;

namespace {

std::string text(const fs::path &p) { return reinterpret_cast<const char *>(p.u8string().c_str()); }

// iNES headers: program ROM in 16 KiB units, character ROM in 8 KiB units,
// flags 6 (4: a 512-byte trainer) and 7 (8: NES 2.0, byte 9 high bits).
std::string image(int prg, int chr, int flags6, int flags7, int byte9, std::size_t size)
{
    std::string bytes = std::string("NES\x1A", 4) + char(prg) + char(chr) + char(flags6) + char(flags7) + '\0' + char(byte9);
    bytes.resize(size, '\0');
    return bytes;
}
const std::string kGood = image(1, 1, 0, 0, 0, 16 + 16384 + 8192), kFolder = "/", kLocked = "!";

// Copies put in places ("user" the player's games folder, "shared" one for
// every user, Linux only, "app" beside the program, "out" elsewhere) and what
// is found: its kind, where, and what the player is told, in that order.
// Every row has no emulator, which is said as well.
struct Row {
    const char *label;
    std::map<std::string, std::string> files;
    const char *argument;
    FileKind kind;
    const char *found;
    std::vector<const char *> says;
};
const Row kRows[] = {
    {"the player's first", {{"user:data/palu2.dat", kGood}, {"shared:data/palu2.dat", kGood}, {"app:data/palu2.dat", kGood}},
     "data/palu2.dat", FileKind::Ines, "user:data/palu2.dat", {"You asked to play Ninja Gaiden 2.", "Its file data/palu2.dat is at"}},
    {"then the shared ones", {{"shared:data/palu2.dat", kGood}, {"app:data/palu2.dat", kGood}},
     "data/palu2.dat", FileKind::Ines, "shared:data/palu2.dat", {}},
    {"a folder of the name is passed by", {{"user:data/palu2.dat/x.nes", kGood}, {"app:data/palu2.dat", kGood}},
     "data\\palu2.dat", FileKind::Ines, "app:data/palu2.dat", {}},
    {"letter case", {{"app:DATA/Palu2.DAT", kGood}}, "data/palu2.dat", FileKind::Ines, "app:DATA/Palu2.DAT", {}},
    {"locked, then readable", {{"user:data/palu2.dat", kLocked}, {"app:data/palu2.dat", kGood}},
     "data/palu2.dat", FileKind::Ines, "app:data/palu2.dat", {}},
    {"locked, the player's", {{"user:data/palu2.dat", kLocked}}, "data/palu2.dat", FileKind::Unreadable,
     "user:data/palu2.dat", {"The game file cannot be read: ", "Make it readable: "}},
    {"locked, beside the program", {{"app:data/palu2.dat", kLocked}}, "data/palu2.dat", FileKind::Unreadable,
     "app:data/palu2.dat", {"cannot be read", "or put your own copy of the game's iNES image into "}},
    {"nowhere", {{"out:data/palu2.dat", kGood}}, "data/palu2.dat", FileKind::Missing, nullptr,
     {"The game file palu2.dat is missing.", "Put the game's iNES image into ", " and name it palu2.dat."}},
    {"near misses everywhere",
     {{"user:data/palu2.dat.nes", kGood}, {"user:data/Palu2.nes", kGood}, {"user:data/palu1.nes", kGood},
      {"app:data/palu2.dat/", kFolder}, {"app:data/palu2.zip", "PK"}, {"app:data/palu2.dat.zip", "PK"},
      {"app:data/palu2.dat.7z", "7z"}, {"app:data/palu2.dat.txt", "x"}},
     "data/palu2.dat", FileKind::Missing, nullptr,
     {"missing.", "In ", "there is palu2.dat.nes", "rename it to palu2.dat.", "there is Palu2.nes: rename it to palu2.dat.",
      ", palu2.dat is a folder, not a file", "the archive palu2.dat.7z: unpack the .nes file from it and name that palu2.dat.",
      "the archive palu2.dat.zip", "the archive palu2.zip"}},
    {"climbing out with ..", {{"above:data/palu2.dat", kGood}}, "../data/palu2.dat", FileKind::Missing, nullptr,
     {"Looked for ../data/palu2.dat only at ", "Put the game's iNES image there"}},
    {".. in the middle", {{"user:data/palu2.dat", kGood}}, "data/../data/palu2.dat", FileKind::Missing, nullptr,
     {"only at "}},
    {"absolute", {{"user:data/palu2.dat", kGood}}, "{out}/palu2.dat", FileKind::Missing, nullptr, {"only at "}},
    {"absolute, found", {{"out:Palu2.dat", kGood}}, "{out}/palu2.dat", FileKind::Ines, "out:Palu2.dat", {}},
    {"truncated", {{"user:data/palu2.dat", image(2, 1, 0, 0, 0, 5000)}}, "data/palu2.dat", FileKind::Truncated,
     "user:data/palu2.dat", {"damaged or incomplete: its header calls for 40976 bytes, but the file has 5000.",
                             "Get the game's iNES image again"}},
    {"a trainer not there", {{"user:data/palu2.dat", image(1, 1, 4, 0, 0, 24592)}}, "data/palu2.dat",
     FileKind::Truncated, "user:data/palu2.dat", {"calls for 25104 bytes, but the file has 24592."}},
    {"NES 2.0 sizes", {{"user:data/palu2.dat", image(1, 1, 0, 8, 0x10, 24592)}}, "data/palu2.dat",
     FileKind::Truncated, "user:data/palu2.dat", {"calls for 2121744 bytes"}},
    {"empty", {{"user:data/palu2.dat", ""}}, "data/palu2.dat", FileKind::Empty, "user:data/palu2.dat",
     {"The game file is empty"}},
    {"a zip", {{"app:data/palu2.dat", "PK\x03\x04rest"}}, "data/palu2.dat", FileKind::Archive, "app:data/palu2.dat",
     {"packed archive", "Unpack the .nes file from the archive and rename it to palu2.dat."}},
    {"a 7z", {{"user:data/palu2.dat", "7z\xBC\xAF\x27\x1C"}}, "data/palu2.dat", FileKind::Archive,
     "user:data/palu2.dat", {"packed archive"}},
    {"not iNES", {{"app:data/palu2.dat", "hello"}}, "data/palu2.dat", FileKind::NotInes, "app:data/palu2.dat",
     {"not an iNES image", "renamed to palu2.dat"}},
};

struct Tree {
    fs::path root = fs::temp_directory_path() / (u8"standin rules \u00e9 " + fs::path(kOwn).u8string());
    std::map<std::string, fs::path> dirs{
        {"user", kSystem == System::Windows ? root / "Local" / "PLAYDECK" : root / "home/.local/share/playdeck"},
        {"shared", root / "usr/share/playdeck"}, {"app", root / "app"}, {"out", root / "out"},
        {"above", kSystem == System::Windows ? root / "Local" : root / "home/.local/share"}};
    std::map<std::string, std::string> env{
        {"HOME", text(root / "home")}, {"XDG_DATA_DIRS", text(root / "usr/share")}, {"LOCALAPPDATA", text(root / "Local")}};
    Places places = placesFor(kSystem, [this](const char *name) { return env[name]; }, text(dirs["app"]),
                              text(dirs["app"] / "data" / "Runcart.exe"));

    Tree() { fs::remove_all(root), fs::create_directories(dirs["app"]); }
    ~Tree() { fs::remove_all(root); }
    fs::path at(const std::string &where) const
    {
        const std::size_t colon = where.find(':');
        return (dirs.at(where.substr(0, colon)) / where.substr(colon + 1)).make_preferred();
    }
};

} // namespace

TEST_CASE("where the game's file is found, what is wrong with it, and all that is said about it")
{
#ifndef _WIN32
    REQUIRE_MESSAGE(kNobody, "root reads every file, and cannot become nobody to see them unreadable");
#endif
    for (const Row &row : kRows) {
        INFO(std::string(row.label));
        Tree tree;
        bool shared = false;
        std::vector<std::unique_ptr<Lock>> locks;
        for (const auto &[where, bytes] : row.files) {
            shared |= where.starts_with("shared:");
            fs::create_directories(tree.at(where).parent_path());
            if (bytes == kFolder)
                fs::create_directories(tree.at(where));
            else
                std::ofstream(tree.at(where), std::ios::binary) << (bytes == kLocked ? kGood : bytes);
            if (bytes == kLocked)
                locks.push_back(std::make_unique<Lock>(tree.at(where)));
        }
        if (shared && kSystem == System::Windows)
            continue; // no shared games folder there
        std::string argument = row.argument;
        if (argument.starts_with("{out}"))
            argument = text(tree.dirs["out"]) + argument.substr(5);
        const Situation s = probe(argument, tree.places, systemFiles());
        locks.clear();
        CHECK((int(s.file.kind) == int(row.kind) && s.file.path == (row.found ? text(tree.at(row.found)) : s.file.path)));
        const std::vector<Line> lines = describe(s, tree.places);
        std::string told;
        int problems = 0;
        for (const Line &line : lines) {
            told += line.text + "\n";
            problems += line.tone == Tone::Problem;
            CHECK_MESSAGE((std::isupper(line.text.front()) && line.text.back() == '.'), line.text);
        }
        CAPTURE(told);
        std::size_t from = 0;
        for (const char *part : row.says) {
            from = told.find(part, from);
            CHECK_MESSAGE(from != std::string::npos, part);
        }
        // Both the game's problem and the missing emulator, at once.
        CHECK(problems == (row.kind == FileKind::Ines ? 1 : 2));
        CHECK(told.find(kSystem == System::Windows ? "No program is chosen to open NES images"
                                                   : "No NES emulator is installed.") != std::string::npos);
        if (kSystem == System::Windows)  // the games folder as the other sentences name it
            CHECK(told.find("not those in " + text(tree.dirs["user"] / "data") + ".") != std::string::npos);
        if (s.file.onlyAsGiven) {
            CHECK(s.playerFolder.empty());
        } else if (row.kind == FileKind::Missing) {
            std::vector<std::string> looked{text(tree.dirs["user"]), text(tree.dirs["shared"]), text(tree.dirs["app"])};
            if (kSystem == System::Windows)
                looked.erase(looked.begin() + 1);
            CHECK(s.file.lookedIn == looked);
            makePlayerFolder(s, systemFiles());
            CHECK(fs::is_directory(tree.dirs["user"] / "data"));
        }
    }
}

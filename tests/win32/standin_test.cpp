// The Windows stand-in (tools/standin): the Linux stand-in's cases of where
// the game file is and what is wrong with it, and the built data\Runcart.exe
// handing a game to a recorder registered for .nes files, in a folder whose
// name a shell would take apart.
#include "standin_windows.h"
#include "win32/utf16.h"

#include "doctest.h"

#include <windows.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

using namespace standin;
namespace fs = std::filesystem;
using forms::win32::utf8;

namespace {

const std::string kInes("NES\x1A\x02\x01\0\0", 8);

void put(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Where copies go ("user" the player's folder, "app" beside the program), the
// argument and the name on disk, their bytes; what is found and told.
const struct {
    const char *label;
    std::array<const char *, 2> where;
    const char *arg, *name;
    std::string bytes;
    FileKind kind;
    const char *problem, *advice;
} kPlaces[] = {
    {"the player's, then beside the program", {"user", "app"}, "data\\palu2.dat", "palu2.dat", kInes, FileKind::Ines,
     "No program is chosen to open NES images", "tick \"Always\""},
    {"only in the player's folder", {"user"}, "data/palu2.dat", "palu2.dat", kInes, FileKind::Ines, "No program", ""},
    {"other letter case", {"app"}, "data\\palu2.dat", "PALU2.DAT", kInes, FileKind::Ines, "No program", ""},
    {"unreadable, the player's", {"user"}, "data\\palu2.dat", "palu2.dat", kInes, FileKind::Unreadable,
     "The game file cannot be read: ", "Make it readable: close the program"},
    {"unreadable, beside the program", {"app"}, "data\\palu2.dat", "palu2.dat", kInes, FileKind::Unreadable,
     "cannot be read", "or put your own copy of the game's iNES image into "},
    {"a zip", {"app"}, "data\\palu2.dat", "palu2.dat", "PK\x03\x04rest", FileKind::Archive, "packed archive",
     "Unpack the .nes file from the archive and rename it to palu2.dat."},
    {"a 7z", {"user"}, "data\\palu2.dat", "palu2.dat", "7z\xBC\xAF\x27\x1C", FileKind::Archive, "packed archive", ""},
    {"not iNES", {"app"}, "data\\palu2.dat", "palu2.dat", "hello", FileKind::Other, "not an iNES image",
     "renamed to palu2.dat"},
    {"absent", {}, "data\\palu2.dat", "palu2.dat", "", FileKind::Missing, "The game file palu2.dat is missing.",
     "and name it palu2.dat."},
    {"climbing out with ..", {"user"}, "..\\data\\palu2.dat", "palu2.dat", kInes, FileKind::Missing, "is missing",
     " there,"},
};

} // namespace

TEST_CASE("the game file is found where Linux finds it, and what is wrong is said in the same words")
{
    const fs::path root = fs::temp_directory_path() / L"standin cases \u00e9";
    for (const auto &row : kPlaces) {
        INFO(std::string(row.label));
        fs::remove_all(root);
        const std::map<std::string, fs::path> dirs{{"user", root / L"Local" / L"PLAYDECK"}, {"app", root / L"app"}};
        fs::create_directories(dirs.at("app"));
        for (const char *place : row.where)
            if (place)
                put(dirs.at(place) / L"data" / row.name, row.bytes);
        const fs::path first = row.where[0] ? dirs.at(row.where[0]) / L"data" / row.name : fs::path();
        // Unreadable: held open by another program that shares it with nobody.
        HANDLE held = row.kind == FileKind::Unreadable
            ? CreateFileW(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : INVALID_HANDLE_VALUE;
        const windows::Places places{utf8(dirs.at("user").wstring()), utf8(dirs.at("app").wstring()), "C:\\x.exe"};
        const Facts facts = windows::probe(std::string(row.arg), places, std::nullopt);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        CHECK(int(facts.kind) == int(row.kind));
        CHECK(facts.game == "Ninja Gaiden 2");
        if (!first.empty() && row.kind != FileKind::Missing)
            CHECK(facts.path == utf8(first.wstring()));
        const Lines lines = describe(facts, System::Windows);
        CHECK(lines.asked == "You asked to play Ninja Gaiden 2.");
        CHECK(lines.path.find(row.arg) != std::string::npos);
        CHECK_MESSAGE(lines.problem.find(row.problem) != std::string::npos, lines.problem);
        CHECK_MESSAGE(lines.advice.find(row.advice) != std::string::npos, lines.advice);
        if (row.kind == FileKind::Missing && !facts.onlyAsGiven) {
            CHECK(facts.lookedIn == std::vector<std::string>{places.gamesFolder, places.workingDir});
            CHECK(lines.advice == "Put the game's iNES image into " + places.gamesFolder + "\\data and name it palu2.dat.");
            windows::makePlayerFolder(facts);
            CHECK(fs::is_directory(dirs.at("user") / L"data"));
        }
        if (facts.onlyAsGiven)
            CHECK(facts.lookedIn == std::vector<std::string>{utf8((root / L"data").wstring())});
        for (const std::string *line : {&lines.asked, &lines.path, &lines.problem, &lines.advice, &lines.hint})
            CHECK_MESSAGE((line->empty() || (std::isupper(line->front()) && line->back() == '.')), *line);
    }
    fs::remove_all(root);
}

// A recorder stands in for the player's emulator, chosen for .nes files (in
// HKEY_CLASSES_ROOT: Wine's does not show HKCU\Software\Classes), in a folder
// named with blanks, quotes, &, ^, % and é.
TEST_CASE("a good game is handed to the program chosen for .nes files, as one argument")
{
    const fs::path root = fs::temp_directory_path() / L"my games 'n' & ^up %PATH% \u00e9";
    fs::remove_all(root);
    const fs::path emulator = root / L"emu 'x' & ^ %OS%" / L"rec \u00e9.exe", app = root / L"app";
    put(app / L"data" / L"Palu2.dat", kInes);
    fs::create_directories(emulator.parent_path());
    fs::copy_file(LAUNCH_RECORDER, emulator);
    fs::copy_file(STANDIN_EXE, app / L"data" / L"Runcart.exe");

    const std::wstring command = L"\"" + emulator.wstring() + L"\" \"%1\"";
    REQUIRE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L".nes", nullptr, REG_SZ, L"PlaydeckTest.nes",
                            sizeof L"PlaydeckTest.nes") == ERROR_SUCCESS);
    REQUIRE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"PlaydeckTest.nes\\shell\\open\\command", nullptr,
                            REG_SZ, command.c_str(), DWORD((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
    const auto chosen = windows::nesAssociation("C:\\elsewhere\\Runcart.exe");
    REQUIRE((chosen && fs::path(forms::win32::utf16(chosen->program)) == emulator));
    CHECK_FALSE(windows::nesAssociation(utf8(emulator.wstring()))); // never itself

    // The built stand-in, started the way PLAYDECK starts it, with a player's folder of its own.
    SetEnvironmentVariableW(L"PLAYDECK_RECORD", (root / L"record").c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", (root / L"Local").c_str());
    std::wstring line = L"\"" + (app / L"data" / L"Runcart.exe").wstring() + L"\" data\\palu2.dat";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    REQUIRE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, app.c_str(), &startup, &started));
    const DWORD waited = WaitForSingleObject(started.hProcess, 20000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(started.hProcess, 1);
    DWORD status = 1;
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (const wchar_t *key : {L"PlaydeckTest.nes", L".nes"})
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    REQUIRE_MESSAGE((waited == WAIT_OBJECT_0 && status == 0), "the stand-in did not hand off within 20 s");

    // The recorder's record: argc, the game's full path, its own folder.
    fs::path record;
    for (int tries = 0; tries < 400 && record.empty(); ++tries, Sleep(50))
        for (const auto &entry : fs::directory_iterator(root))
            if (const std::wstring name = entry.path().filename().wstring();
                name.starts_with(L"record.") && !name.starts_with(L"record.part"))
                record = entry.path();
    REQUIRE_MESSAGE(!record.empty(), "waited 20 s for the recorder's record");
    std::vector<std::string> lines(6);
    std::ifstream in(record);
    for (std::string &text : lines)
        std::getline(in, text);
    in.close();
    CHECK(lines[2] == "argc=2");
    CHECK(lines[4] == utf8((app / L"data" / L"Palu2.dat").wstring()));
    CHECK(lines[5] == utf8(emulator.parent_path().wstring()));
    fs::remove_all(root);
}

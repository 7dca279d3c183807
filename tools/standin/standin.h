// The stand-in for data/Runcart.exe, the same on Linux and on Windows: where a
// game's file is looked for and what is wrong with it, when an emulator may
// have it (never this program again), and what the player is told, with every
// problem at once. Standard C++ only. The file system is reached through
// Files; each system brings its own Files, its emulator, its hand-off and its
// window (Platform), and `run` decides with them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace standin {

enum class System { Linux, Windows };

// What the rules need of the file system. Paths are UTF-8, with the system's
// separator; '/' and '\' both separate the parts of an argument.
class Files {
public:
    struct Entry {
        std::string name;
        bool folder = false;
    };
    // A path's kind and, for a file, its size and first bytes, or why it cannot be read.
    struct Head {
        bool exists = false, folder = false;
        std::uint64_t size = 0;
        std::string bytes;
        std::string error; // "permission denied"; empty when readable
    };
    virtual ~Files() = default;
    // The entries of a folder; nullopt when it cannot be listed.
    virtual std::optional<std::vector<Entry>> list(const std::string &folder) const = 0;
    virtual Head head(const std::string &path, std::size_t count) const = 0;
    // The same text for the same file however it is named (links, short names,
    // other spellings); empty when the path names nothing.
    virtual std::string identity(const std::string &path) const = 0;
    virtual void makeFolders(const std::string &path) const = 0;
};
const Files &systemFiles(); // this system's, in files_posix.cpp or files_win32.cpp

// Where games are looked for, in order, and who we are.
struct Places {
    System system = System::Linux;
    std::vector<std::string> gamesFolders; // the player's own first, then the shared ones
    std::string workingDir;                // PLAYDECK's folder, where data/<file> is beside the program
    std::string ownProgram;                // this program's file
    std::string home;                      // shown as ~ (Linux)
};
using Environment = std::function<std::string(const char *name)>;
// Linux: $XDG_DATA_HOME/playdeck (by default ~/.local/share/playdeck), then
// each of $XDG_DATA_DIRS (by default /usr/local/share, /usr/share) with
// /playdeck. Windows: %LOCALAPPDATA%\PLAYDECK.
Places placesFor(System system, const Environment &env, std::string workingDir, std::string ownProgram);

enum class FileKind { Missing, Unreadable, Empty, Truncated, Archive, NotInes, Ines };

// A file or folder beside where the game's file should be that is almost it.
struct NearMiss {
    enum What { Renamed, Packed, Folder } what;
    std::string folder, name; // where, and its name on disk
};

struct Found {
    FileKind kind = FileKind::Missing;
    std::string path;                  // the file found, or as asked for when nowhere
    std::vector<std::string> lookedIn; // the folders searched, in order
    bool onlyAsGiven = false;          // an absolute path, or one with ".." anywhere
    std::string whyUnreadable;
    std::uint64_t size = 0, expected = 0; // a truncated image's bytes, and what its header calls for
    std::vector<NearMiss> nearMisses;     // when missing, in every folder searched
};

// What the first bytes of a file of `size` bytes say it is.
FileKind kindOf(const std::string &firstBytes, std::uint64_t size, std::uint64_t *expected = nullptr);

// The game's file named by `argument`: the same relative path below each games
// folder, then below the working folder, the first readable copy; names match
// whatever their letter case. An absolute path, or one that climbs with ".."
// anywhere in it, is looked up only where it points.
Found findGame(const std::string &argument, const Places &places, const Files &files);

// Why an emulator was chosen; the player is told.
enum class Choice { None, DesktopDefault, Alternative, Usual, Association };

struct Emulator {
    Choice choice = Choice::None;
    std::string name;    // what the player knows it by
    std::string program; // full path where known; for a desktop entry its id
    bool missing = false;   // the chosen program is no longer there
    bool ourselves = false; // the choice leads back to this stand-in
};

// True when `program` is this stand-in, by file identity rather than by name.
bool isOurselves(const std::string &program, const Places &places, const Files &files);

// Set in the environment of every hand-off to the identity of the game's file:
// a stand-in started with the same file under it was started by a stand-in.
inline constexpr char kHandOffMarker[] = "PLAYDECK_STANDIN_HANDOFF";

struct Situation {
    std::optional<std::string> argument; // as given on the command line
    std::string game;                    // "Ninja Gaiden 2", or empty for a file of no game
    Found file;
    std::string playerFolder; // where this player can put the file; empty for a path taken as given
    Emulator emulator;
    std::string handOffError; // why starting the emulator failed, if it did
};

Situation probe(const std::optional<std::string> &argument, const Places &places, const Files &files);
bool readyToPlay(const Situation &s);
// Creates the player's folder for a missing game, so that it is there to open.
void makePlayerFolder(const Situation &s, const Files &files);

// The emulator and why it was chosen, as a phrase.
std::string chosenBecause(const Emulator &emulator);

// What the window says, line by line, each a whole sentence.
enum class Tone { Asked, Detail, Problem, Advice, Hint };
struct Line {
    Tone tone;
    std::string text;
};
std::vector<Line> describe(const Situation &s, const Places &places);

// The window's title, on every system.
inline constexpr char kTitle[] = "PLAYDECK stand-in emulator";

// What differs between the systems.
class Platform {
public:
    virtual ~Platform() = default;
    // The emulator the player chose, or the system offers.
    virtual Emulator emulator(const Places &places) = 0;
    // Starts the emulator on `file` with `marker` in its environment; the
    // reason when it could not, else empty.
    virtual std::string handOff(const Emulator &emulator, const std::string &file, const std::string &marker) = 0;
    // Shows the lines until the player closes them.
    virtual void show(const std::vector<Line> &lines) = 0;
};

// The whole stand-in: hands a good game to the emulator and returns 0, or
// says what stands in the way (on stderr and in the window) and returns 1.
int run(const std::optional<std::string> &argument, const Places &places, const Environment &env,
        const Files &files, Platform &platform);

} // namespace standin

// What the stand-in tells the player, on Linux and on Windows alike: the one
// table of sentences and when each is said. Plain C++ in UTF-8, no Qt, so the
// Windows stand-in says word for word what the Linux one says; only how to
// mend a permission and how to get an emulator differ between the systems.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

enum class FileKind { Missing, Unreadable, Ines, Archive, Other };

// What the first bytes of a file say it is.
FileKind kindOfBytes(std::string_view firstBytes);

// The game a data file belongs to, as the player knows it: "Ninja Gaiden 2",
// "Super Contra (Contra)"; empty for a file of no game.
std::string gameOfFile(std::string_view fileName);

enum class System { Linux, Windows };

// Why an emulator was chosen; the player is told.
enum class Choice { None, DesktopDefault, Alternative, Usual, Association };

// The emulator and why it was chosen, as a phrase: "fceux, found as /usr/games/fceux (...)".
std::string chosenBecause(Choice choice, std::string_view name, std::string_view program);

// What the stand-in learned, with every path as the player is to read it.
struct Facts {
    std::optional<std::string> argument; // as given on the command line
    std::string game;                    // from gameOfFile, or empty
    FileKind kind = FileKind::Missing;
    bool onlyAsGiven = false;            // an absolute path, or one that climbs with ".."
    std::string path;                    // the file found, or as asked for when nowhere
    std::vector<std::string> lookedIn;   // the folders searched, in order
    std::string playerFolder;            // where this player can put the file, or empty
    bool playersOwnCopy = false;         // the file found is in the player's folder
    std::string emulator;                // its name, empty when there is none
    std::string emulatorBecause;         // chosenBecause()
    std::string handOffError;            // why starting the emulator failed, if it did
    std::string unreadableBecause;       // why the file cannot be read
};

// The lines the window shows, each a whole sentence.
struct Lines {
    std::string asked;    // which game was asked for
    std::string path;     // where it is, or where it was looked for
    std::string emulator; // which emulator plays the games, and why that one
    std::string problem;  // what stands in the way
    std::string advice;   // what the player can do about it
    std::string hint;     // how to close the window
};

Lines describe(const Facts &facts, System system);

} // namespace standin

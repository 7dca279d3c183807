// The stand-in on Windows, without its window: where the game file is, which
// emulator plays it, and the hand-off. Paths are UTF-8 with backslashes.
#pragma once

#include "standin_words.h"

#include <optional>
#include <string>

namespace standin::windows {

// Where the game and the emulator are looked for.
struct Places {
    std::string gamesFolder; // the player's: %LOCALAPPDATA%\PLAYDECK
    std::string workingDir;  // beside the program: PLAYDECK's folder
    std::string ownProgram;  // this program, which must never be its own emulator
};

// This process's places.
Places placesOfThisProcess();

// The program Windows opens .nes files with (its full path), with its name,
// or nullopt when no usable program is chosen (none, or this stand-in).
struct Emulator {
    std::string program, name;
};
std::optional<Emulator> nesAssociation(const std::string &ownProgram);

// Looks for the data file named by `argument`: below the player's games folder
// first, then against the working folder; an absolute path or one that climbs
// with ".." only as given. Windows ignores letter case by itself.
Facts probe(const std::optional<std::string> &argument, const Places &places,
            const std::optional<Emulator> &emulator);

// The full path of the file found when it is ready to be played, else empty.
std::string readyToPlay(const Facts &facts);

// Creates the player's folder for a missing game, so that it is there to open.
void makePlayerFolder(const Facts &facts);

// Starts the emulator on `file` (one quoted argument, no shell, its own folder
// as working folder); the reason when it could not be started.
std::optional<std::string> handOff(const Emulator &emulator, const std::string &file);

} // namespace standin::windows

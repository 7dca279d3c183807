#pragma once

#include "standin_words.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace standin {

// The MIME type of NES images, whose default application the player chooses
// in the file manager's "Open with" or with `xdg-mime default`.
inline constexpr char kNesMimeType[] = "application/x-nes-rom";

struct Emulator {
    QString program; // full path; for a desktop default the id of its desktop entry
    QString name;    // what the player knows it by: "FCEUX", "fceux"
    Choice choice = Choice::None;
};

// The emulator and why it was chosen, as a phrase: "fceux, found in /usr/games (...)".
QString chosenBecause(const Emulator &emulator);

// The application the player's desktop opens NES images with, if any.
std::optional<Emulator> desktopDefault();

// Starts the desktop's application for NES images on `path` and returns at
// once; the reason when it could not be started, else empty.
QString launchDesktopDefault(const QString &path);

// NES emulators found as programs, most preferred first: Debian's `nes`
// alternative (whichever emulator the admin chose), then the usual ones.
QStringList emulatorCandidates();

// Where programs are looked for: PATH, then the game folders of Debian and of
// local installs, which root's PATH lacks.
QStringList programFolders(const QProcessEnvironment &env);

// The first candidate that is an executable file in one of `folders`; its
// choice is None when there is none.
Emulator findEmulator(const QStringList &folders);

// The games folders, the freedesktop way: the player's own
// ($XDG_DATA_HOME/playdeck, by default ~/.local/share/playdeck) first, then
// the system's ($XDG_DATA_DIRS, by default /usr/local/share and /usr/share,
// each with /playdeck).
QStringList gamesFolders(const QProcessEnvironment &env);

// Where the data file named on the command line is: the same relative path
// below each games folder, then against `workingDir` (beside the program).
// An absolute path, or one that climbs with "..", is looked up only as given.
// Names match whatever their letter case.
struct Found {
    QString path;         // the file found, or as asked for when nowhere
    FileKind kind = FileKind::Missing;
    QStringList lookedIn; // the folders searched, in order
    bool onlyAsGiven = false;
};
Found findDataFile(const QString &argument, const QString &workingDir, const QStringList &folders);

// Everything the stand-in learned about its argument.
struct Situation {
    std::optional<QString> argument; // as given on the command line
    Found file;
    QString game;                    // "Ninja Gaiden 2", or empty for an unknown file
    QString playerFolder;            // where this player can put this file; empty for a path taken as given
    Emulator emulator;
};

// Creates the player's folder for a missing file, so it is there to open.
void makePlayerFolder(const Situation &s);

bool readyToHandOff(const Situation &s);

// The lines the window shows, each a whole sentence (see standin::Lines).
struct Screen {
    QString asked, path, emulator, problem, advice, hint;
};

// handOffError is set when starting the emulator was tried and failed.
Screen describe(const Situation &s, const QString &handOffError = {});

// Looks for the file and for an emulator, from the working directory and the
// environment of this process, the desktop's default application first.
Situation probe(const std::optional<QString> &argument);
// The same without asking the desktop: emulators among the programs only.
Situation probe(const std::optional<QString> &argument, const QString &workingDir, const QProcessEnvironment &env);

} // namespace standin

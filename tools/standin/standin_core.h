#pragma once

#include <QByteArrayView>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace standin {

// NES emulators we hand a game to, most preferred first: Debian's `nes`
// alternative (whichever emulator the admin chose), then the usual ones.
QStringList emulatorCandidates();

// Where programs are looked for: PATH, then the game folders of Debian and of
// local installs, which root's PATH lacks.
QStringList programFolders(const QProcessEnvironment &env);

// The first candidate that is an executable file in one of `folders`, as a
// full path; empty when there is none.
QString findEmulator(const QStringList &folders);

// The games folders, the freedesktop way: the player's own
// ($XDG_DATA_HOME/playdeck, by default ~/.local/share/playdeck) first, then
// the system's ($XDG_DATA_DIRS, by default /usr/local/share and /usr/share,
// each with /playdeck).
QStringList gamesFolders(const QProcessEnvironment &env);

enum class FileKind { Missing, Unreadable, Ines, Archive, Other };

// What the first bytes of a file say it is.
FileKind kindOfBytes(QByteArrayView firstBytes);

// Where the data file named on the command line is: as given (a relative path
// against `workingDir`), else the same relative path below each games folder.
// Names match whatever their letter case.
struct Found {
    QString path;         // the file found, or as asked for when nowhere
    FileKind kind = FileKind::Missing;
    QStringList lookedIn; // the folders searched, in order
};
Found findDataFile(const QString &argument, const QString &workingDir, const QStringList &folders);

// Everything the stand-in learned about its argument.
struct Situation {
    std::optional<QString> argument; // as given on the command line
    Found file;
    QString game;                    // "Ninja Gaiden 2", or empty for an unknown file
    QString playerFolder;            // where this player can put games
    QString emulator;                // full path, empty when none was found
};

bool readyToHandOff(const Situation &s);

// The lines the window shows, each a whole sentence.
struct Screen {
    QString asked;   // which game was asked for
    QString path;    // where it is, or where it was looked for
    QString problem; // what stands in the way
    QString advice;  // what the player can do about it
    QString hint;    // how to close the window
};

// handOffError is set when starting the emulator was tried and failed.
Screen describe(const Situation &s, const QString &handOffError = {});

// Looks for the file and for an emulator, from the working directory and the
// environment of this process.
Situation probe(const std::optional<QString> &argument);
Situation probe(const std::optional<QString> &argument, const QString &workingDir, const QProcessEnvironment &env);

} // namespace standin

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace standin {

// NES emulators we hand a game to, most preferred first.
QStringList emulatorCandidates();

// True when the bytes begin with the iNES magic "NES" 0x1A.
bool isInesImage(QByteArrayView firstBytes);

// The most preferred candidate among the programs that are available, or an
// empty string when none of them is.
QString pickEmulator(const QStringList &available);

// Everything the stand-in learned about its argument.
struct Situation {
    std::optional<QString> argument; // as given on the command line
    QString absolutePath;            // empty without an argument
    bool exists = false;             // a readable regular file
    bool ines = false;
    QString emulator;                // program found on PATH, empty when none
};

bool readyToHandOff(const Situation &s);

// The lines the window shows.
struct Screen {
    QString asked;
    QString path;
    QString problem;
    QString hint;
};

// handOffError is set when starting the emulator was tried and failed.
Screen describe(const Situation &s, const QString &handOffError = {});

// Looks at the file (relative paths against the working directory) and
// searches PATH for the emulator candidates.
Situation probe(const std::optional<QString> &argument);

} // namespace standin

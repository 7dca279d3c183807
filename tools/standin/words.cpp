// What the stand-in tells the player, on Linux and on Windows alike: the one
// table of sentences, and which are said when, every problem at once (the
// game's file first, then the emulator). Only the ways to mend a permission and
// to choose an emulator differ between the systems.
#include "standin.h"

#include <cctype>
#include <initializer_list>
#include <string_view>

namespace standin {

namespace {

enum class Say {
    Hint, NoArgument, NotByItself, StartPlaydeck, Asked, EmulatorIs,
    Missing, LookedOnlyAt, PutThere, LookedIn, PutInto, NearRenamed, NearHidden, NearPacked, NearFolder,
    FoundAt, Unreadable, MakeReadable, HaveMadeReadable, Empty, Truncated, GetAgain,
    Archive, Unpack, NotInes, UseIne,
    NoEmulator, GetEmulator, EmulatorMissing, Reinstall, Ourselves, ChooseReal, OpenWith, CouldNotStart, CheckStarts,
    ChosenDesktop, ChosenAlternative, ChosenUsual, ChosenAssociation,
};

// Every sentence, {1}, {2}, ... standing for what is filled in. Where the
// systems differ the Windows words follow the Linux ones; null where they agree.
const struct {
    Say say;
    const char *linux, *windows;
} kWords[] = {
    {Say::Hint, "Press Escape or click to close this window.", nullptr},
    {Say::NoArgument, "No game file was given to play.", nullptr},
    {Say::NotByItself, "This program is the emulator that PLAYDECK starts with a game's file.", nullptr},
    {Say::StartPlaydeck, "Start PLAYDECK and pick a game there.", nullptr},
    {Say::Asked, "You asked to play {1}.", nullptr},
    {Say::EmulatorIs, "Emulator: {1}.", nullptr},
    {Say::Missing, "The game file {1} is missing.", nullptr},
    {Say::LookedOnlyAt, "Looked for {1} only at {2}: a path that is absolute or climbs with \"..\" is not looked "
                        "for in the games folders.", nullptr},
    {Say::PutThere, "Put the game's iNES image there, or start PLAYDECK and pick the game.", nullptr},
    {Say::LookedIn, "Looked for {1} in: {2}.", nullptr},
    {Say::PutInto, "Put the game's iNES image into {1} and name it {2}.", nullptr},
    {Say::NearRenamed, "In {1} there is {2}: rename it to {3}.", nullptr},
    {Say::NearHidden, "In {1} there is {2}: rename it to {3}.",
     "In {1} there is {2}, which Explorer shows as {3} while it hides file name extensions: turn on View > Show > "
     "File name extensions, then rename it to {3}."},
    {Say::NearPacked, "In {1} there is the archive {2}: unpack the .nes file from it and name that {3}.", nullptr},
    {Say::NearFolder, "In {1}, {2} is a folder, not a file: move the game's iNES image out of it, remove the folder "
                      "and name the image {3}.", nullptr},
    {Say::FoundAt, "Its file {1} is at {2}.", nullptr},
    {Say::Unreadable, "The game file cannot be read: {1}.", nullptr},
    {Say::MakeReadable, "Make it readable: chmod a+r {1} (with sudo if it is not your file).",
     "Make it readable: close the program that holds it open, or give yourself Read in the Security tab of "
     "its Properties."},
    {Say::HaveMadeReadable, "Have it made readable (sudo chmod a+r {1}), or put your own copy of the game's iNES "
                            "image into {2}, which is looked in first.",
     "Have it made readable, or put your own copy of the game's iNES image into {2}, which is looked in first."},
    {Say::Empty, "The game file is empty: it holds no bytes at all.", nullptr},
    {Say::Truncated, "The game file is damaged or incomplete: its header calls for {1} bytes, but the file has {2}.",
     nullptr},
    {Say::GetAgain, "Get the game's iNES image again (unpack it once more, or download it again) and put it in "
                    "place of this file, named {1}.", nullptr},
    {Say::Archive, "The game file is a packed archive (.zip or .7z), not an iNES image.", nullptr},
    {Say::Unpack, "Unpack the .nes file from the archive and rename it to {1}.", nullptr},
    {Say::NotInes, "The game file is not an iNES image.", nullptr},
    {Say::UseIne, "Use the game's iNES image (a .nes file) renamed to {1}.", nullptr},
    {Say::NoEmulator, "No NES emulator is installed.", "No program is chosen to open NES images (.nes files)."},
    {Say::GetEmulator, "Install nestopia, fceux or mednafen (for example: sudo apt install fceux); the application "
                       "your desktop opens NES images with is used first.",
     "Install a NES emulator, then {1}. Putting the emulator itself in place of this stand-in, as {2}, works too, "
     "but then it is given data\\<file> and sees only the games in {3}, not those in {4}."},
    {Say::EmulatorMissing, "The application chosen for NES images, {1}, is missing.",
     "The program chosen for .nes files, {1}, is missing."},
    {Say::Reinstall, "Install it again, or choose another emulator: {1}.", nullptr},
    {Say::Ourselves, "The emulator chosen, {1}, is PLAYDECK's own stand-in (this program) or starts it: it would "
                     "only hand the game back here.", nullptr},
    {Say::ChooseReal, "Choose a real NES emulator: {1}.", nullptr},
    {Say::OpenWith, "use \"Open With\" on any .nes file in the file manager and set the emulator as the default, or "
                    "in a terminal: xdg-mime default fceux.desktop application/x-nes-rom",
     "right-click any .nes file, \"Open with\", \"Choose another app\", pick the emulator and tick \"Always\""},
    {Say::CouldNotStart, "Could not start {1}: {2}.", nullptr},
    {Say::CheckStarts, "Check that {1} starts when run by itself.", nullptr},
    {Say::ChosenDesktop, "{1}, the application your desktop opens NES images with", nullptr},
    {Say::ChosenAlternative, "{1}, the system's \"nes\" alternative ({2})", nullptr},
    {Say::ChosenUsual, "{1}, found as {2} (no application is set for NES images and there is no \"nes\" "
                       "alternative)", nullptr},
    {Say::ChosenAssociation, "{1}, the program Windows opens NES images (.nes files) with ({2})", nullptr},
};

// The sentence with {1}, {2}, ... replaced by the values, in one pass.
std::string say(System system, Say what, std::initializer_list<std::string_view> values = {})
{
    const char *text = "";
    for (const auto &words : kWords)
        if (words.say == what)
            text = system == System::Windows && words.windows ? words.windows : words.linux;
    std::string out;
    for (const char *c = text; *c; ++c) {
        const std::size_t index = c[0] == '{' && c[1] >= '1' && c[1] <= '9' && c[2] == '}' ? std::size_t(c[1] - '1') : 99;
        if (index < values.size()) {
            out += values.begin()[index];
            c += 2;
        } else {
            out += *c;
        }
    }
    return out;
}

std::string fileNameOf(std::string_view path) { return std::string(path.substr(path.find_last_of("/\\") + 1)); }

bool startsIgnoringCase(std::string_view text, std::string_view start)
{
    if (text.size() < start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(start[i])))
            return false;
    return true;
}

} // namespace

std::string chosenBecause(const Emulator &e)
{
    static const Say kWhy[] = {Say::Hint, Say::ChosenDesktop, Say::ChosenAlternative, Say::ChosenUsual,
                               Say::ChosenAssociation};
    return e.choice == Choice::None ? std::string() : say(System::Linux, kWhy[int(e.choice)], {e.name, e.program});
}

std::vector<Line> describe(const Situation &s, const Places &places)
{
    const System system = places.system;
    // Paths as the player reads them: below the home folder with ~.
    const auto shown = [&](const std::string &path) {
        const std::string &home = places.home;
        return !home.empty() && path.starts_with(home + "/") ? std::string("~").append(path, home.size()) : path;
    };
    std::vector<Line> lines;
    const auto add = [&](Tone tone, Say what, std::initializer_list<std::string_view> values = {}) {
        lines.push_back({tone, say(system, what, values)});
    };
    if (!s.argument) {
        add(Tone::Asked, Say::NoArgument);
        add(Tone::Problem, Say::NotByItself);
        add(Tone::Advice, Say::StartPlaydeck);
        add(Tone::Hint, Say::Hint);
        return lines;
    }
    const std::string &argument = *s.argument, name = fileNameOf(argument);
    const Found &file = s.file;
    const std::string path = shown(file.path), playerFolder = shown(s.playerFolder);
    add(Tone::Asked, Say::Asked, {s.game.empty() ? name : s.game});

    if (file.kind != FileKind::Missing) {
        add(Tone::Detail, Say::FoundAt, {argument, path});
    } else if (file.onlyAsGiven) {
        add(Tone::Detail, Say::LookedOnlyAt, {argument, path});
    } else {
        std::string folders;
        for (const std::string &folder : file.lookedIn)
            folders += (folders.empty() ? "" : ", ") + shown(folder);
        add(Tone::Detail, Say::LookedIn, {argument, folders});
    }
    const Emulator &e = s.emulator;
    const bool emulatorUsable = e.choice != Choice::None && !e.missing && !e.ourselves;
    if (emulatorUsable)
        add(Tone::Detail, Say::EmulatorIs, {chosenBecause(e)});

    // What is wrong with the game's file.
    switch (file.kind) {
    case FileKind::Missing:
        add(Tone::Problem, Say::Missing, {name});
        for (const NearMiss &near : file.nearMisses) {
            static const Say kNear[] = {Say::NearRenamed, Say::NearPacked, Say::NearFolder};
            // "x.dat.nes" is shown as "x.dat" where extensions are hidden.
            const bool hidden = near.what == NearMiss::Renamed && startsIgnoringCase(near.name, name + ".");
            add(Tone::Advice, hidden ? Say::NearHidden : kNear[near.what], {shown(near.folder), near.name, name});
        }
        if (file.nearMisses.empty()) {
            if (file.onlyAsGiven)
                add(Tone::Advice, Say::PutThere);
            else
                add(Tone::Advice, Say::PutInto, {playerFolder, name});
        }
        break;
    case FileKind::Unreadable: {
        // Nobody can copy a file they cannot read: for one outside their folder
        // the way round is their own copy, which is looked for first.
        const bool onlyThisOne = s.playerFolder.empty()
            || startsIgnoringCase(file.path, s.playerFolder + (system == System::Windows ? "\\" : "/"));
        add(Tone::Problem, Say::Unreadable, {file.whyUnreadable});
        add(Tone::Advice, onlyThisOne ? Say::MakeReadable : Say::HaveMadeReadable, {path, playerFolder});
        break;
    }
    case FileKind::Empty:
    case FileKind::Truncated:
        if (file.kind == FileKind::Empty)
            add(Tone::Problem, Say::Empty);
        else
            add(Tone::Problem, Say::Truncated, {std::to_string(file.expected), std::to_string(file.size)});
        add(Tone::Advice, Say::GetAgain, {name});
        break;
    case FileKind::Archive:
        add(Tone::Problem, Say::Archive);
        add(Tone::Advice, Say::Unpack, {name});
        break;
    case FileKind::NotInes:
        add(Tone::Problem, Say::NotInes);
        add(Tone::Advice, Say::UseIne, {name});
        break;
    case FileKind::Ines:
        break;
    }

    // What is wrong with the emulator, at the same time.
    const std::string openWith = say(system, Say::OpenWith);
    const std::string ownProgram = shown(places.ownProgram);
    const std::string ownFolder = ownProgram.substr(0, ownProgram.find_last_of("/\\"));
    if (e.choice == Choice::None) {
        add(Tone::Problem, Say::NoEmulator);
        add(Tone::Advice, Say::GetEmulator,
            {openWith, ownProgram, ownFolder,
             // The player's games folder, named as every other sentence names it.
             (places.gamesFolders.empty() ? std::string("%LOCALAPPDATA%\\PLAYDECK") : shown(places.gamesFolders.front()))
                 + "\\data"});
    } else if (e.missing) {
        add(Tone::Problem, Say::EmulatorMissing, {e.program});
        add(Tone::Advice, Say::Reinstall, {openWith});
    } else if (e.ourselves) {
        add(Tone::Problem, Say::Ourselves, {chosenBecause(e)});
        add(Tone::Advice, Say::ChooseReal, {openWith});
    } else if (!s.handOffError.empty()) {
        add(Tone::Problem, Say::CouldNotStart, {e.name, s.handOffError});
        add(Tone::Advice, Say::CheckStarts, {e.name});
    }
    add(Tone::Hint, Say::Hint);
    return lines;
}

} // namespace standin

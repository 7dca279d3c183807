#include "standin_words.h"

#include "catalogue.h"

namespace standin {

namespace {

enum class Say {
    Hint, NoArgument, NotByItself, StartPlaydeck, Asked, EmulatorIs,
    Missing, LookedOnlyAt, PutThere, LookedIn, PutInto, FoundAt,
    Unreadable, MakeReadable, HaveMadeReadable, Archive, Unpack, NotInes, UseIne,
    NoEmulator, GetEmulator, CouldNotStart, CheckStarts, WouldPlay,
    ChosenDesktop, ChosenAlternative, ChosenUsual, ChosenAssociation,
};

// Every sentence, {1} and {2} standing for what is filled in. Where the
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
    {Say::FoundAt, "Its file {1} is at {2}.", nullptr},
    {Say::Unreadable, "The game file cannot be read: {1}.", nullptr},
    {Say::MakeReadable, "Make it readable: chmod a+r {1} (with sudo if it is not your file).",
     "Make it readable: close the program that holds it open, or give yourself Read in the Security tab of "
     "its Properties."},
    {Say::HaveMadeReadable, "Have it made readable (sudo chmod a+r {1}), or put your own copy of the game's iNES "
                            "image into {2}, which is looked in first.",
     "Have it made readable, or put your own copy of the game's iNES image into {2}, which is looked in first."},
    {Say::Archive, "The game file is a packed archive (.zip or .7z), not an iNES image.", nullptr},
    {Say::Unpack, "Unpack the .nes file from the archive and rename it to {1}.", nullptr},
    {Say::NotInes, "The game file is not an iNES image.", nullptr},
    {Say::UseIne, "Use the game's iNES image (a .nes file) renamed to {1}.", nullptr},
    {Say::NoEmulator, "No NES emulator is installed.", "No program is chosen to open NES images (.nes files)."},
    {Say::GetEmulator, "Install nestopia, fceux or mednafen (for example: sudo apt install fceux); the application "
                       "your desktop opens NES images with is used first.",
     "Install a NES emulator, then open any .nes file once with \"Open with\", pick the emulator and tick "
     "\"Always\"; or put the emulator itself into PLAYDECK's data folder as Runcart.exe."},
    {Say::CouldNotStart, "Could not start {1}: {2}.", nullptr},
    {Say::CheckStarts, "Check that {1} starts when run by itself.", nullptr},
    {Say::WouldPlay, "This is an iNES image, and {1} would play it.", nullptr},
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

std::string fileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

FileKind kindOfBytes(std::string_view bytes)
{
    using namespace std::string_view_literals;
    if (bytes.starts_with("NES\x1A"sv))
        return FileKind::Ines;
    if (bytes.starts_with("PK\x03\x04"sv) || bytes.starts_with("7z\xBC\xAF\x27\x1C"sv))
        return FileKind::Archive;
    return FileKind::Other;
}

std::string gameOfFile(std::string_view fileName)
{
    const auto game = playdeck::gameOfDataFile(fileNameOf(fileName));
    if (!game)
        return {};
    if (game->part.empty())
        return std::string(game->title);
    if (game->part.starts_with(game->title))
        return std::string(game->part);
    return std::string(game->part) + " (" + std::string(game->title) + ")";
}

std::string chosenBecause(Choice choice, std::string_view name, std::string_view program)
{
    static const Say kWhy[] = {Say::Hint, Say::ChosenDesktop, Say::ChosenAlternative, Say::ChosenUsual,
                               Say::ChosenAssociation};
    return choice == Choice::None ? std::string() : say(System::Linux, kWhy[int(choice)], {name, program});
}

Lines describe(const Facts &s, System system)
{
    Lines lines;
    lines.hint = say(system, Say::Hint);
    if (!s.argument) {
        lines.asked = say(system, Say::NoArgument);
        lines.problem = say(system, Say::NotByItself);
        lines.advice = say(system, Say::StartPlaydeck);
        return lines;
    }
    const std::string name = fileNameOf(*s.argument);
    lines.asked = say(system, Say::Asked, {s.game.empty() ? name : s.game});
    if (!s.emulator.empty())
        lines.emulator = say(system, Say::EmulatorIs, {s.emulatorBecause});
    if (s.kind == FileKind::Missing) {
        lines.problem = say(system, Say::Missing, {name});
        if (s.onlyAsGiven) {
            lines.path = say(system, Say::LookedOnlyAt, {*s.argument, s.path});
            lines.advice = say(system, Say::PutThere);
            return lines;
        }
        std::string places;
        for (const std::string &place : s.lookedIn)
            places += (places.empty() ? "" : ", ") + place;
        lines.path = say(system, Say::LookedIn, {*s.argument, places});
        lines.advice = say(system, Say::PutInto, {s.playerFolder, name});
        return lines;
    }
    lines.path = say(system, Say::FoundAt, {*s.argument, s.path});
    if (s.kind == FileKind::Unreadable) {
        // Nobody can copy a file they cannot read: for one outside their folder
        // the way round is their own copy, which is looked for first.
        const bool onlyThisOne = s.playerFolder.empty() || s.playersOwnCopy;
        lines.problem = say(system, Say::Unreadable, {s.unreadableBecause});
        lines.advice = say(system, onlyThisOne ? Say::MakeReadable : Say::HaveMadeReadable, {s.path, s.playerFolder});
        return lines;
    }
    // What is wrong with a file that is there but is no iNES image.
    static const struct {
        FileKind kind;
        Say problem, advice;
    } kWrongFiles[] = {{FileKind::Archive, Say::Archive, Say::Unpack}, {FileKind::Other, Say::NotInes, Say::UseIne}};
    for (const auto &wrong : kWrongFiles) {
        if (wrong.kind == s.kind) {
            lines.problem = say(system, wrong.problem);
            lines.advice = say(system, wrong.advice, {name});
            return lines;
        }
    }
    if (s.emulator.empty()) {
        lines.problem = say(system, Say::NoEmulator);
        lines.advice = say(system, Say::GetEmulator);
    } else if (!s.handOffError.empty()) {
        lines.problem = say(system, Say::CouldNotStart, {s.emulator, s.handOffError});
        lines.advice = say(system, Say::CheckStarts, {s.emulator});
    } else {
        lines.problem = say(system, Say::WouldPlay, {s.emulator});
    }
    return lines;
}

} // namespace standin

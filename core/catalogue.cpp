#include "catalogue.h"

#include <algorithm>
#include <cctype>

namespace playdeck {

namespace {

constexpr std::array<Entry, kEntryCount> kEntries{{
    {0, 120, "Label1", "Teenage Mutant Ninja Turtles",
     "Label7", "Ultra Games / Konami 1989 / 1990 / 1992 Rating : X X X X", "turtles", ""},
    {1, 960, "Label2", "Captain Tsubasa",
     "Label8", "Tecmo 1988 / 1990 Rating : X X X X X", "tsubasa", ""},
    {2, 1800, "Label3", "Ninja Gaiden",
     "Label9", "Tecmo 1989 / 1990 Rating : X X X X", "gaiden", ""},
    {3, 2640, "Label4", "Contra",
     "Label10", "Konami 1988 / 1990 Rating : X X X X X", "contra", ""},
    {4, 3480, "Label5", "Adventure Island 3",
     "Label11", "Capcom 1992   Rating : X X X X", "", "\\data\\Runcart.exe data\\mado3.dat"},
    {5, 4320, "Label6", "Duck Tales",
     "Label12", "Capcom 1992 / 1993 Rating : X X X", "duckt", ""},
}};

// Grouped by dialog, in button order; partsOf() relies on that.
constexpr std::array<GamePart, 11> kParts{{
    {"turtles", "Command1", "Teenage Mutant Ninja Turtles 1", "\\Data\\Runcart.exe data\\kora1.dat"},
    {"turtles", "Command2", "Teenage Mutant Ninja Turtles 2", "\\Data\\Runcart.exe data\\kora2.dat"},
    {"turtles", "Command3", "Teenage Mutant Ninja Turtles 3", "\\Data\\Runcart.exe data\\kora3.dat"},
    {"tsubasa", "Command1", "Captain Tsubasa 1", "\\data\\Runcart.exe data\\vemi1.dat"},
    {"tsubasa", "Command2", "Captain Tsubasa 2", "\\data\\Runcart.exe data\\vemi2.dat"},
    {"gaiden", "Command1", "Ninja Gaiden 1", "\\data\\runcart.exe data\\palu1.dat"},
    {"gaiden", "Command2", "Ninja Gaiden 2", "\\data\\runcart.exe data\\palu2.dat"},
    {"contra", "Command1", "Contra", "\\data\\Runcart.exe data\\bexo.dat"},
    {"contra", "Command2", "Super Contra", "\\data\\Runcart.exe data\\zuna.dat"},
    {"duckt", "Command1", "Duck Tales 1", "\\data\\Runcart.exe data\\lori1.dat"},
    {"duckt", "Command2", "Duck Tales 2", "\\data\\Runcart.exe data\\lori2.dat"},
}};

}  // namespace

const std::array<Entry, kEntryCount>& entries() { return kEntries; }

const Entry* entryByIndex(int index)
{
    if (index < 0 || index >= kEntryCount)
        return nullptr;
    return &kEntries[static_cast<std::size_t>(index)];
}

const Entry* entryAtStop(float top)
{
    for (const Entry& e : kEntries)
        if (e.stop == top)
            return &e;
    return nullptr;
}

std::span<const GamePart> partsOf(std::string_view dialog)
{
    auto same = [dialog](const GamePart& p) { return p.dialog == dialog; };
    auto first = std::find_if(kParts.begin(), kParts.end(), same);
    auto last = std::find_if_not(first, kParts.end(), same);
    return {first, last};
}

std::string_view dataFileOf(std::string_view tail)
{
    const std::size_t cut = tail.find_last_of("\\/ ");
    return cut == std::string_view::npos ? tail : tail.substr(cut + 1);
}

std::optional<DataFileGame> gameOfDataFile(std::string_view fileName)
{
    auto same = [fileName](std::string_view tail) {
        const std::string_view name = dataFileOf(tail);
        return name.size() == fileName.size() &&
               std::equal(name.begin(), name.end(), fileName.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (const Entry& e : kEntries) {
        if (e.dialog.empty() && same(e.tail))
            return DataFileGame{e.title, {}};
        for (const GamePart& p : partsOf(e.dialog))
            if (same(p.tail))
                return DataFileGame{e.title, p.caption};
    }
    return std::nullopt;
}

std::string_view singlePartTail()
{
    auto single = std::find_if(kEntries.begin(), kEntries.end(),
                               [](const Entry& e) { return e.dialog.empty(); });
    return single->tail;
}

}  // namespace playdeck

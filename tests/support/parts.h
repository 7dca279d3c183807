// The titles top to bottom in the menu, as a player reaches their games: the
// window and caption of the part dialog (empty for the title that starts at
// once) and the launch tail of each part, in button order. One table for the
// C++ tests and, read line by line, for the shell tests (titles in script.sh).
#pragma once

struct Title {
    const char *dialog, *caption, *tails[3];
};
inline constexpr Title kTitles[] = {
    {"turtles", "Teenage Mutant Ninja Turtles", {"\\Data\\Runcart.exe data\\kora1.dat", "\\Data\\Runcart.exe data\\kora2.dat", "\\Data\\Runcart.exe data\\kora3.dat"}},
    {"tsubasa", "Captain Tsubasa", {"\\data\\Runcart.exe data\\vemi1.dat", "\\data\\Runcart.exe data\\vemi2.dat"}},
    {"gaiden", "Ninja Gaiden", {"\\data\\runcart.exe data\\palu1.dat", "\\data\\runcart.exe data\\palu2.dat"}},
    {"contra", "Contra", {"\\data\\Runcart.exe data\\bexo.dat", "\\data\\Runcart.exe data\\zuna.dat"}},
    {"", "", {"\\data\\Runcart.exe data\\mado3.dat"}},
    {"duckt", "Duck Tales", {"\\data\\Runcart.exe data\\lori1.dat", "\\data\\Runcart.exe data\\lori2.dat"}},
};

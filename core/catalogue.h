// The fixed game catalogue: six menu entries and the eleven parts reached
// through the part-selection dialogs. Everything here is compiled-in data.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace playdeck {

// Vertical positions of the menu cursor, in twips.
inline constexpr float kFirstStop = 120.0f;
inline constexpr float kStopStep = 840.0f;
inline constexpr int kEntryCount = 6;
inline constexpr float kLastStop = kFirstStop + kStopStep * (kEntryCount - 1);

struct Entry {
    int index;                      // 0 (top) to 5
    float stop;                     // cursor stop: 120 + 840 * index
    std::string_view titleLabel;    // main menu label showing the title
    std::string_view title;
    std::string_view detailsLabel;  // main menu label showing publisher, years, rating
    std::string_view details;
    std::string_view dialog;        // part-selection window, empty for a single-part title
    std::string_view tail;          // launch tail of a single-part title, else empty
};

struct GamePart {
    std::string_view dialog;   // window name of the part-selection dialog
    std::string_view button;   // Command1..Command3
    std::string_view caption;
    std::string_view tail;     // launch tail, used exactly as written
};

const std::array<Entry, kEntryCount>& entries();

const Entry* entryByIndex(int index);
// Exact match of the cursor position with a stop; anything else is no entry.
const Entry* entryAtStop(float top);
// The parts of one dialog, in button order (empty for an unknown name).
std::span<const GamePart> partsOf(std::string_view dialog);
// The launch tail of the one title that starts without a dialog.
std::string_view singlePartTail();

// The game a data file belongs to, by the file's name (e.g. "palu2.dat",
// letter case ignored): its title and, for a game in parts, the part's
// caption (empty for the single-part title). Null for any other name.
struct DataFileGame {
    std::string_view title;
    std::string_view part;
};
std::optional<DataFileGame> gameOfDataFile(std::string_view fileName);
// The data file name a launch tail passes ("data\\palu2.dat" -> "palu2.dat").
std::string_view dataFileOf(std::string_view tail);

}  // namespace playdeck

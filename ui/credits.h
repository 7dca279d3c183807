// Names and contact shown by the help and About pages.
#pragma once

namespace ui {
inline constexpr const char* kMakerName = "Bright Cartridge Studio";
inline constexpr const char* kAuthorName = "Robin Keyes";
inline constexpr const char* kContactAddress = "robin.keyes@example.org";
}  // namespace ui

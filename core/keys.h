// Keys by their virtual-key numbers, the numbers every backend hands over.
#pragma once

namespace playdeck::vk {

inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;

}  // namespace playdeck::vk

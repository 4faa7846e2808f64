#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/colour.h"

namespace sonvale::engine {

// The nine Sound modes: a rate multiplier and a variant of it.
enum class SoundMode { Green1, Red1, Green2, Brown2, White2, Green4, Red4, Brown4, White4 };

struct SoundModeInfo {
  SoundMode mode;
  std::string_view label;
  std::int8_t multiplier;
  std::int8_t variant;            // value of that multiplier's variant byte
  platform::Colour button_colour;  // back colour of the lit selector button
};

inline constexpr std::array<SoundModeInfo, 9> kSoundModes{{
    {SoundMode::Green1, "Green x 1", 1, 0, 0x606000},
    {SoundMode::Red1, "Red x 1", 1, 1, 0x400080},
    {SoundMode::Green2, "Green x 2", 2, 0, 0x606000},
    {SoundMode::Brown2, "Brown x 2", 2, 1, 0x006060},
    {SoundMode::White2, "White x 2", 2, 2, 0xC8C8C8},
    {SoundMode::Green4, "Green x 4", 4, 0, 0x606000},
    {SoundMode::Red4, "Red x 4", 4, 1, 0x400080},
    {SoundMode::Brown4, "Brown x 4", 4, 2, 0x006060},
    {SoundMode::White4, "White x 4", 4, 3, 0xC8C8C8},
}};

constexpr const SoundModeInfo& info_of(SoundMode mode) {
  return kSoundModes[static_cast<std::size_t>(mode)];
}

// The mode a multiplier and its variant byte select; nothing for values outside
// the table.
constexpr std::optional<SoundMode> sound_mode_of(int multiplier, int variant) {
  for (const SoundModeInfo& info : kSoundModes)
    if (info.multiplier == multiplier && info.variant == variant) return info.mode;
  return std::nullopt;
}

// Post filters: 0 off (LPF blue), 1 Hamming 255 (LPF green), 2 Blackman 255
// (LPF red), 3 Hamming 2047 on every processor (LPF brown).
inline constexpr int kPostFilterOff = 0;
inline constexpr int kPostFilterHamming255 = 1;
inline constexpr int kPostFilterBlackman255 = 2;
inline constexpr int kPostFilterHamming2047 = 3;

}  // namespace sonvale::engine

#include "analysis/results.h"

#include <cstdio>

namespace sonvale::analysis {

std::optional<ToneLevels> CombinationResult::largest_image() const {
  const Passband band = passband_of(source_rate);
  std::optional<ToneLevels> largest;
  for (const ToneLevels& tone : sweep.tones)
    if (tone.frequency_hz <= band.high_hz && (!largest || tone.spur_db > largest->spur_db)) largest = tone;
  return largest;
}

std::string format_number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string format_db(double db) { return db <= -399.0 ? "-inf" : format_number(db, 2); }

}  // namespace sonvale::analysis

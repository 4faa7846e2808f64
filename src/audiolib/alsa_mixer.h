#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _snd_mixer;

namespace sonvale::audiolib::alsa {

// The capture controls of one sound card: its simple mixer elements that have a
// capture switch or a capture volume ("Capture", "Line", "Mic", ...), in the
// mixer's order. A card without any has none; nothing here fails loudly.
class CaptureMixer {
 public:
  CaptureMixer() = default;
  CaptureMixer(const CaptureMixer&) = delete;
  CaptureMixer& operator=(const CaptureMixer&) = delete;
  ~CaptureMixer() { close(); }

  // Opens the mixer of card `card`; false when it has none to open.
  bool open(int card);
  void close();

  // The elements' names; an element of index n > 0 is named "Name n".
  const std::vector<std::string>& inputs() const { return names_; }

  // Switches capture of input `input` on or off (when given) and sets its capture
  // volume (when given): 0.0 to 1.0, linear over the element's own range. False for
  // an input that does not exist.
  bool set_input(int input, std::optional<bool> on, std::optional<float> volume);

 private:
  _snd_mixer* mixer_ = nullptr;
  std::vector<std::string> names_;
  std::vector<void*> elements_;  // snd_mixer_elem_t*, in the order of names_
};

}  // namespace sonvale::audiolib::alsa

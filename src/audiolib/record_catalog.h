#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audiolib/capture_stream.h"

namespace sonvale::audiolib {

// What one recording device index stands for. The order is: every hardware capture
// device (hw:C,D), the built-in "Test loop", then devices added while the program
// runs, in the order they were added.
struct RecordDeviceEntry {
  enum class Kind { Hardware, Pcm, TestLoop, Stream };
  Kind kind = Kind::TestLoop;
  std::string name;    // "card name: device name (hw:C,D)", "Test loop"
  std::string driver;  // the ALSA PCM name, or "testloop"
  std::string config;  // ALSA configuration text that defines `driver`, if any
  int card = -1;       // hardware devices: the card whose capture mixer holds the inputs
  std::function<std::shared_ptr<CaptureStream>()> make_stream;  // Kind::Stream only
};

// The hardware devices are taken from the sound cards at first use and again by
// rescan_record_devices(), so that an index means the same device in between.
void rescan_record_devices();
std::optional<RecordDeviceEntry> record_device_entry(int index);

// Adds an ALSA PCM as a recording device, opened like a hw: device (its own format
// negotiated, the rate exact), with one input, "Capture". `config`, when not empty,
// is ALSA configuration text that defines `pcm`, such as a file device that reads a
// raw recording:
//   pcm.take { type file slave.pcm null file "/dev/null" infile "/tmp/in.raw" format raw }
// Returns the device's index.
int record_add_pcm_device(std::string name, std::string pcm, std::string config = {});
// Adds a device over any CaptureStream, made anew for each recording, with one
// input, "Capture". Returns its index.
int record_add_stream_device(std::string name, std::function<std::shared_ptr<CaptureStream>()> make_stream);

}  // namespace sonvale::audiolib

#include "audiolib/record_catalog.h"

#include <mutex>
#include <vector>

#include "audiolib/alsa_cards.h"

namespace sonvale::audiolib {
namespace {

struct Catalog {
  std::mutex lock;  // guards everything below
  bool scanned = false;
  std::vector<alsa::PcmDevice> hardware;
  std::vector<RecordDeviceEntry> added;

  // Holds `lock`.
  void scan_once() {
    if (scanned) return;
    hardware = alsa::list_capture_devices();
    scanned = true;
  }
};

Catalog& catalog() {
  static Catalog instance;
  return instance;
}

}  // namespace

void rescan_record_devices() {
  Catalog& c = catalog();
  std::lock_guard guard(c.lock);
  c.scanned = false;
  c.scan_once();
}

std::optional<RecordDeviceEntry> record_device_entry(int index) {
  Catalog& c = catalog();
  std::lock_guard guard(c.lock);
  c.scan_once();
  if (index < 0) return std::nullopt;
  const auto i = static_cast<std::size_t>(index);
  if (i < c.hardware.size()) {
    const alsa::PcmDevice& d = c.hardware[i];
    const std::string id = std::to_string(d.card) + "," + std::to_string(d.device);
    return RecordDeviceEntry{RecordDeviceEntry::Kind::Hardware, d.card_name + ": " + d.device_name + " (hw:" + id + ")",
                             "hw:" + id, {}, d.card, {}};
  }
  if (i == c.hardware.size()) return RecordDeviceEntry{RecordDeviceEntry::Kind::TestLoop, "Test loop", "testloop", {}, -1, {}};
  const std::size_t added = i - c.hardware.size() - 1;
  if (added < c.added.size()) return c.added[added];
  return std::nullopt;
}

namespace {

int add(RecordDeviceEntry entry) {
  Catalog& c = catalog();
  std::lock_guard guard(c.lock);
  c.scan_once();
  c.added.push_back(std::move(entry));
  return static_cast<int>(c.hardware.size() + c.added.size());
}

}  // namespace

int record_add_pcm_device(std::string name, std::string pcm, std::string config) {
  return add({RecordDeviceEntry::Kind::Pcm, std::move(name), std::move(pcm), std::move(config), -1, {}});
}

int record_add_stream_device(std::string name, std::function<std::shared_ptr<CaptureStream>()> make_stream) {
  std::string driver = name;
  return add({RecordDeviceEntry::Kind::Stream, std::move(name), std::move(driver), {}, -1, std::move(make_stream)});
}

}  // namespace sonvale::audiolib

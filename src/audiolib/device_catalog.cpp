#include "audiolib/device_catalog.h"

#include <mutex>
#include <vector>

#include "audiolib/alsa_cards.h"

namespace sonvale::audiolib {
namespace {

struct Catalog {
  std::mutex lock;
  bool scanned = false;
  std::vector<alsa::PcmDevice> hardware;
  std::vector<AsioDriverEntry> asio_added;
  std::vector<WasapiDeviceEntry> wasapi_added;

  // Holds `lock`.
  void scan_once() {
    if (scanned) return;
    hardware = alsa::list_playback_devices();
    scanned = true;
  }
};

Catalog& catalog() {
  static Catalog instance;
  return instance;
}

// The catalogue, scanned and locked for the length of one call.
class Scanned {
 public:
  Scanned() : guard_(catalog().lock) { catalog().scan_once(); }
  Catalog* operator->() { return &catalog(); }

 private:
  std::lock_guard<std::mutex> guard_;
};

std::string hardware_name(const alsa::PcmDevice& d, const char* prefix) {
  return d.card_name + ": " + d.device_name + " (" + prefix + std::to_string(d.card) + "," +
         std::to_string(d.device) + ")";
}

std::string pcm_id(const alsa::PcmDevice& d, const char* prefix) {
  return prefix + std::to_string(d.card) + "," + std::to_string(d.device);
}

int add_asio(AsioDriverEntry entry) {
  Scanned c;
  c->asio_added.push_back(std::move(entry));
  return static_cast<int>(c->hardware.size() + c->asio_added.size());
}

}  // namespace

void rescan_devices() {
  Catalog& c = catalog();
  std::lock_guard<std::mutex> guard(c.lock);
  c.scanned = false;
  c.scan_once();
}

std::optional<AsioDriverEntry> asio_driver_entry(int index) {
  Scanned c;
  if (index < 0) return std::nullopt;
  const auto i = static_cast<std::size_t>(index);
  if (i < c->hardware.size()) {
    const alsa::PcmDevice& d = c->hardware[i];
    AsioDriverEntry entry;
    entry.kind = AsioDriverEntry::Kind::Hardware;
    entry.name = hardware_name(d, "hw:");
    entry.driver = pcm_id(d, "hw:");
    return entry;
  }
  if (i == c->hardware.size()) {
    AsioDriverEntry entry;
    entry.kind = AsioDriverEntry::Kind::Null;
    entry.name = "Null output";
    entry.driver = "null";
    return entry;
  }
  const std::size_t added = i - c->hardware.size() - 1;
  if (added < c->asio_added.size()) return c->asio_added[added];
  return std::nullopt;
}

std::optional<WasapiDeviceEntry> wasapi_device_entry(int index) {
  Scanned c;
  if (index < 0) return std::nullopt;
  const auto i = static_cast<std::size_t>(index);
  if (i < c->hardware.size()) {
    const alsa::PcmDevice& d = c->hardware[i];
    return WasapiDeviceEntry{hardware_name(d, "plughw:"),
                             pcm_id(d, "plughw:"),
                             {},
                             kWasapiDeviceEnabled | (d.is_default ? kWasapiDeviceDefault : 0u)};
  }
  const std::size_t added = i - c->hardware.size();
  if (added < c->wasapi_added.size()) return c->wasapi_added[added];
  return std::nullopt;
}

int asio_add_pcm_driver(std::string name, std::string pcm, std::string config) {
  AsioDriverEntry entry;
  entry.kind = AsioDriverEntry::Kind::Pcm;
  entry.name = std::move(name);
  entry.driver = std::move(pcm);
  entry.config = std::move(config);
  return add_asio(std::move(entry));
}

int asio_add_render_driver(std::string wav_path) {
  AsioDriverEntry entry;
  entry.kind = AsioDriverEntry::Kind::Render;
  entry.name = "Render to " + wav_path;
  entry.driver = std::move(wav_path);
  entry.listed = false;
  return add_asio(std::move(entry));
}

int asio_add_stream_driver(std::string name,
                           std::function<std::shared_ptr<DeviceStream>()> make_stream) {
  AsioDriverEntry entry;
  entry.kind = AsioDriverEntry::Kind::Stream;
  entry.name = std::move(name);
  entry.driver = entry.name;
  entry.make_stream = std::move(make_stream);
  return add_asio(std::move(entry));
}

int wasapi_add_pcm_device(std::string name, std::string pcm, std::string config) {
  Scanned c;
  c->wasapi_added.push_back(
      {std::move(name), std::move(pcm), std::move(config), kWasapiDeviceEnabled});
  return static_cast<int>(c->hardware.size() + c->wasapi_added.size() - 1);
}

}  // namespace sonvale::audiolib

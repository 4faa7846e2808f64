#include <string>

#include "output/settings_window.h"
#include "output/transport.h"
#include "platform/player_ids.h"

namespace sonvale::output {
namespace {

std::string wasapi_item(int index, const std::string& name) { return std::to_string(index) + " @ " + name; }

std::string asio_name_at(const DeviceCalls& calls, int index) {
  audiolib::AsioDeviceInfo info;
  return calls.asio_device_info(index, &info) ? info.name : std::string();
}

std::string wasapi_name_at(const DeviceCalls& calls, int index) {
  audiolib::WasapiDeviceInfo info;
  return calls.wasapi_device_info(index, &info) && is_usable_wasapi(info.flags) ? info.name : std::string();
}

// A rescan renumbers the devices when some came or went before the chosen one; the
// chosen index then follows its device, found by name, so that the choice stays.
void follow_renumbering(const DeviceCalls& calls, const std::string& asio_name,
                        const std::string& wasapi_name, OutputChoice& choice) {
  if (!asio_name.empty() && asio_name_at(calls, choice.asio_device) != asio_name)
    for (int i = 0; i < kAsioTableSize; ++i)
      if (asio_name_at(calls, i) == asio_name) {
        choice.asio_device = i;
        break;
      }
  if (!wasapi_name.empty() && wasapi_name_at(calls, choice.wasapi_device) != wasapi_name) {
    audiolib::WasapiDeviceInfo info;
    for (int i = 0; calls.wasapi_device_info(i, &info); ++i)
      if (is_usable_wasapi(info.flags) && info.name == wasapi_name) {
        choice.wasapi_device = i;
        break;
      }
  }
}

}  // namespace

void device_all_scan(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls) {
  const std::string asio_chosen = asio_name_at(calls, choice.asio_device);
  const std::string wasapi_chosen = wasapi_name_at(calls, choice.wasapi_device);
  calls.rescan();
  follow_renumbering(calls, asio_chosen, wasapi_chosen, choice);

  ui.clear_list(ids::kAsioDeviceList);
  fill_asio_table(calls, choice.asio_table);
  for (int i = 0; i < kAsioTableSize; ++i) {
    const std::string& name = choice.asio_table[static_cast<std::size_t>(i)].name;
    if (name.empty()) continue;
    ui.add_list_item(ids::kAsioDeviceList, name);
    if (i == choice.asio_device)
      ui.select_list_item(ids::kAsioDeviceList, ui.list_item_count(ids::kAsioDeviceList) - 1, true);
  }

  ui.clear_list(ids::kWasapiDeviceList);
  audiolib::WasapiDeviceInfo device;
  int item = 0;
  for (int i = 0; calls.wasapi_device_info(i, &device); ++i) {
    if (!is_usable_wasapi(device.flags)) continue;
    ui.add_list_item(ids::kWasapiDeviceList, wasapi_item(i, device.name));
    if (i == choice.wasapi_device) ui.select_list_item(ids::kWasapiDeviceList, item, true);
    ++item;
  }
}

void apply_device_choice(platform::Ui& ui, OutputChoice& choice, const DeviceCalls& calls) {
  if (ui.gadget_state(ids::kAsioOption) != 0) {
    choice.last_applied_asio_name = ui.gadget_text(ids::kAsioDeviceList);
    // An empty list names no driver: the driver stays, the path becomes ASIO.
    if (!choice.last_applied_asio_name.empty())
      for (int i = 0; i < kAsioTableSize; ++i)
        if (choice.asio_table[static_cast<std::size_t>(i)].name == choice.last_applied_asio_name) {
          choice.asio_device = i;
          break;
        }
    choice.mode = kOutputAsio;
  } else if (ui.gadget_state(ids::kWasapiOption) != 0) {
    const std::string chosen = ui.gadget_text(ids::kWasapiDeviceList);
    audiolib::WasapiDeviceInfo device;
    for (int i = 0; !chosen.empty() && calls.wasapi_device_info(i, &device); ++i)
      if (is_usable_wasapi(device.flags) && wasapi_item(i, device.name) == chosen) {
        choice.wasapi_device = i;
        choice.mode = kOutputWasapi;
        break;
      }
  }
  show_output_type(ui, choice.mode);
}

void open_asio_control_panel(const OutputChoice& choice, const DeviceCalls& calls) {
  constexpr std::uint32_t kOwnThread = 1;
  if (!calls.asio_init(choice.asio_device, kOwnThread)) return;
  calls.asio_control_panel();
  calls.asio_free();
}

}  // namespace sonvale::output

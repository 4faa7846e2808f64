#include "shell/access_counter.h"

#include "output/project_addresses.h"
#include "platform/gif_decoder.h"
#include "platform/http_fetch.h"
#include "platform/player_ids.h"

namespace sonvale::shell {
namespace {

constexpr std::string_view kCounterPath = "/_userdata/sonvale/mgcount.cgi";
constexpr int kReceiveBufferSize = 4096;
constexpr int kTimeoutMs = 5000;
constexpr int kStopWaitMs = 10;

// Decodes the GIF's first frame into `image`; false, with no image made, when it does
// not decode.
bool catch_gif(platform::Ui& ui, int image, std::span<const std::uint8_t> data) {
  const std::optional<platform::RgbImage> frame = platform::decode_gif_first_frame(data);
  return frame && ui.load_image(image, *frame);
}

}  // namespace

std::string counter_address(std::string_view host) {
  if (host.empty()) return {};
  return std::string(host) + std::string(kCounterPath);
}

std::string default_counter_address() { return counter_address(output::kCounterHost); }

AccessCounter::AccessCounter(platform::Ui& ui, const std::atomic<std::int8_t>& banner_flag,
                             std::atomic<std::int8_t>& picture_flag)
    : ui_(ui), banner_flag_(banner_flag), picture_flag_(picture_flag) {}

AccessCounter::~AccessCounter() { stop(); }

void AccessCounter::start(const std::string& address) {
  if (started_) return;
  started_ = true;
  if (address.empty()) {
    ui_.set_gadget_image(ids::kCounterLabel, ids::kIsolatedImage);
    return;
  }
  // A thread that cannot be made is a fetch that failed.
  if (!thread_.start(
          [this, address](std::intptr_t) {
            run(address);
            return 0;
          },
          0, platform::kPriorityNormal))
    ui_.set_gadget_image(ids::kCounterLabel, ids::kIsolatedImage);
}

void AccessCounter::stop() {
  cancel_.raise();
  while (thread_.is_running()) ui_.wait_event(kStopWaitMs);
  thread_.wait();
}

void AccessCounter::run(const std::string& address) {
  const std::optional<std::vector<std::uint8_t>> picture =
      platform::http_fetch(address, kReceiveBufferSize, kTimeoutMs, &cancel_);
  if (cancel_.raised()) return;
  if (!picture) {
    ui_.set_gadget_image(ids::kCounterLabel, ids::kIsolatedImage);
    return;
  }
  const bool caught = catch_gif(ui_, ids::kCounterImage, *picture);
  picture_flag_ = caught ? 1 : 0;
  if (cancel_.raised()) return;
  show_picture_or_panel(caught);
}

void AccessCounter::show_picture_or_panel(bool caught) {
  if (caught && banner_flag_.load() == 1) {
    ui_.set_gadget_image(ids::kBanner, ids::kCounterImage);
    // A first click on the banner or PLAY that came between the look at the flag and
    // the switch found nothing to put away; the plain panel takes the picture's place.
    if (banner_flag_.load() != 1 && ui_.gadget_image(ids::kBanner) == ids::kCounterImage)
      ui_.set_gadget_image(ids::kBanner, ids::kBlankPanelImage);
    return;
  }
  ui_.set_gadget_image(ids::kBanner, ids::kBlankPanelImage);
  if (ui_.gadget_image(ids::kCounterLabel) == ids::kLaunchCounterImage) ui_.hide_gadget(ids::kCounterLabel, true);
}

}  // namespace sonvale::shell

#include "shell/skin_images.h"

#include <array>
#include <string_view>

#include "platform/player_ids.h"
#include "platform/png_decoder.h"
#include "shell/skin_assets.h"

namespace sonvale::shell {
namespace {

struct SkinPicture {
  int image;
  std::string_view file;
};

constexpr std::array kPictures{
    SkinPicture{ids::kLogoImage, "logo.png"},
    SkinPicture{ids::kLaunchCounterImage, "launch_counter.png"},
    SkinPicture{ids::kIsolatedImage, "isolated.png"},
    SkinPicture{ids::kBannerImage, "banner.png"},
    SkinPicture{ids::kInputImage, "input_illustration.png"},
    SkinPicture{ids::kBlankPanelImage, "blank_panel.png"},
    SkinPicture{ids::kOrbImage, "orb.png"},
};

}  // namespace

void load_skin_images(platform::Ui& ui) {
  for (const SkinPicture& picture : kPictures)
    if (const auto pixels = platform::decode_png(skin_asset(picture.file)))
      ui.load_image(picture.image, *pixels);
  ui.create_image(ids::kPanelImage, 540, 100);
}

}  // namespace sonvale::shell

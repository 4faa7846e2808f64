#include "playlist_test_support.h"

namespace sonvale::playlist {

std::vector<std::string> PlaylistTest::list_texts(int page) const {
  std::vector<std::string> texts;
  for (int i = 0; i < ui_.list_item_count(ids::page_list(page)); ++i)
    texts.push_back(ui_.list_item_text(ids::page_list(page), i));
  return texts;
}

std::vector<PlaylistEntry> PlaylistTest::entries(int page) const {
  std::vector<PlaylistEntry> copy;
  for (std::size_t i = 0; i < playlist_.size(page); ++i) copy.push_back(*playlist_.entry(page, static_cast<int>(i)));
  return copy;
}

std::string PlaylistTest::wav_at(const std::string& path, int rate) const {
  test::write_wav(path, test::reference_pcm(rate, 2, 16, 2000));
  return path;
}

}  // namespace sonvale::playlist

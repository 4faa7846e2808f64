#include "playlist/probe_file.h"

#include "platform/files.h"
#include "playlist/candidate.h"
#include "playlist/creation_calls.h"
#include "playlist/entry_texts.h"

namespace sonvale::playlist {
CreationCalls probe_calls_for(const std::string& key) {
  if (key == "MP3" || key == "OGG" || key == "WAV") return CreationCalls::Plain;
  if (key == "M4A" || key == "AAC") return CreationCalls::Mp4Family;
  if (key == "WMA") return CreationCalls::Wma;
  if (key == "FLAC") return CreationCalls::Flac;
  if (key == ".WV") return CreationCalls::WavPack;
  return CreationCalls::None;
}

bool probe_file(Playlist& playlist, const std::string& path, const std::string& extension) {
  PlaylistEntry& staged = playlist.staged();
  // Nothing of the previous file may carry over into this one.
  staged = PlaylistEntry{};
  const std::string key = upper_ascii(extension);
  const audiolib::Handle stream = create_stream(probe_calls_for(key), path, kProbeFlags);
  if (stream == 0) return false;

  staged.path = path;
  staged.extension = key == ".WV" ? "WV" : extension;
  float rate = 0;
  audiolib::BASS_ChannelGetAttribute(stream, audiolib::kAttributeRate, &rate);
  staged.sample_rate = static_cast<std::int32_t>(rate);
  std::atomic<std::int32_t>& source_rate = playlist.source_rate();
  if (source_rate.load() == 0) {
    source_rate.store(staged.sample_rate);
  } else if (source_rate.load() != staged.sample_rate) {
    audiolib::BASS_StreamFree(stream);
    return false;
  }

  const std::string folder = existing_folder_of(path);
  staged.title = title_of(path, folder, staged.extension.size());
  staged.folder_name = folder_name_of(folder);
  staged.display_text = display_text(staged.extension, staged.sample_rate, path, staged.folder_name, staged.title);
  staged.created = static_cast<std::int32_t>(platform::file_created_local_seconds(path).value_or(0));
  staged.folder_and_title = staged.folder_name + "/" + staged.title;
  staged.track_title = staged.title;
  staged.artist = staged.extension;
  audiolib::BASS_StreamFree(stream);
  return true;
}

}  // namespace sonvale::playlist

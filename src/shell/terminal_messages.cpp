#include "shell/terminal_messages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

#include "audiolib/bass.h"
#include "audiolib/device_wav_file.h"
#include "output/rate_negotiation.h"
#include "output/stop_playback.h"
#include "platform/player_ids.h"
#include "playlist/candidate.h"
#include "playlist/probe_file.h"

namespace sonvale::shell {
namespace {

// Why the decoder refused a file whose name says `key`.
std::string decoder_refusal(const std::string& key, int code) {
  const std::string kind = key == ".WV" ? "WV" : key;
  switch (code) {
    case audiolib::kErrorFileFormat: return "not a playable " + kind + " file";
    case audiolib::kErrorSampleRate: return "its sample rate is not one a sound card plays (8,000 to 768,000 Hz)";
    default: return audiolib::error_text(code);
  }
}

}  // namespace

std::string refusal_reason(const std::string& path, std::int32_t source_rate) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? "no such file" : std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "a folder: name the files in it";
  const playlist::Candidate candidate = playlist::classify_listed(path);
  if (candidate.kind == playlist::Candidate::Kind::Ignore)
    return "not a kind of file Sonvale plays (WAV, MP3, OGG, M4A, AAC, WMA, FLAC, WV)";
  if (candidate.kind == playlist::Candidate::Kind::CdTrack) return "no audio-CD track could be read there";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (::access(path.c_str(), R_OK) != 0) return std::string("cannot be read: ") + std::strerror(errno);

  const std::string key = playlist::upper_ascii(candidate.extension);
  const audiolib::Handle stream =
      playlist::create_stream(playlist::probe_calls_for(key), path, playlist::kProbeFlags);
  if (stream == 0) return decoder_refusal(key, audiolib::BASS_ErrorGetCode());
  float rate = 0;
  audiolib::BASS_ChannelGetAttribute(stream, audiolib::kAttributeRate, &rate);
  audiolib::BASS_StreamFree(stream);
  const auto hz = static_cast<std::int32_t>(rate);
  if (source_rate != 0 && hz != source_rate)
    return "it is at " + std::to_string(hz) + " Hz, the files before it at " + std::to_string(source_rate) +
           " Hz, and a playlist plays at one rate";
  return "not a playable file";
}

std::string message_note(std::string_view title, std::string_view text) {
  int code = 0;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (title != "ERROR" || failed != std::errc() || end != text.data() + text.size()) return {};
  return std::string("a track could not be opened: ") + audiolib::error_text(code);
}

std::optional<std::string> render_target_problem(const std::string& render_path,
                                                 const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    std::error_code error;
    if (std::filesystem::equivalent(render_path, file, error))
      return render_path + " is one of the files to play: render into another file";
  }
  const audiolib::DeviceStatus writable = audiolib::check_writable(render_path);
  if (!writable.ok()) return writable.message;
  return std::nullopt;
}

std::optional<std::string> mode_problem(const engine::SoundModeInfo& mode, std::int32_t source_rate) {
  const std::int64_t rate = std::int64_t{source_rate} * mode.multiplier;
  if (mode.multiplier == 1 || rate <= output::kHighestUpsampledRate) return std::nullopt;
  std::vector<std::string> playable;
  for (const engine::SoundModeInfo& other : engine::kSoundModes)
    if (other.multiplier == 1 || std::int64_t{source_rate} * other.multiplier <= output::kHighestUpsampledRate)
      playable.push_back("\"" + std::string(other.label) + "\"");
  std::string modes;
  for (std::size_t i = 0; i < playable.size(); ++i)
    modes += (i == 0 ? "" : i + 1 == playable.size() ? " or " : ", ") + playable[i];
  return std::string(mode.label) + " would need " + std::to_string(rate) + " Hz, above the " +
         std::to_string(output::kHighestUpsampledRate) + " Hz limit of the up-sampling modes; files at " +
         std::to_string(source_rate) + " Hz play in " + modes;
}

std::string start_failure(const platform::HeadlessUi& ui, std::size_t first_box, const output::Player& player) {
  const std::vector<platform::RecordedMessageBox> boxes = ui.message_boxes();
  auto shown = [&](std::string_view title_start) {
    for (std::size_t i = first_box; i < boxes.size(); ++i)
      if (boxes[i].title.starts_with(title_start)) return true;
    return false;
  };
  const std::string display = ui.gadget_text(ids::kRateDisplay);
  if (display == "Reject") {
    if (shown("ASIO didn't set") || shown("WASAPI didn't set"))
      return "the output device refused: " + output::output_failure(player);
    return "the Sound mode's rate is above " + std::to_string(output::kHighestUpsampledRate) + " Hz";
  }
  if (shown("ERROR")) return "the first track could not be opened";
  return "no sound could be decoded from the first track";
}

}  // namespace sonvale::shell

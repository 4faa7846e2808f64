#include <chrono>
#include <map>
#include <mutex>
#include <set>

#include "audiolib/bass_cd.h"
#include "audiolib/cd_drives.h"
#include "audiolib/cddb_cache.h"
#include "audiolib/channel_table.h"

namespace sonvale::audiolib {
namespace {

// Adding a disc waits on the server, so it is not kept waiting long.
constexpr std::chrono::seconds kExchangeTimeout{3};
constexpr std::chrono::seconds kLookUpTimeout{8};

// CDDB counts frames from the start of the lead-in, 150 before the first sector.
constexpr int kLeadIn = 150;
constexpr int kFramesPerSecond = 75;

// What GetID returned last on this thread.
thread_local std::string t_answer;

const char* answer(std::string text) {
  t_answer = std::move(text);
  set_error(kErrorOk);
  return t_answer.c_str();
}

const char* no_answer(int code) {
  set_error(code);
  return nullptr;
}

// "TITLE0=Album", "PERFORMER0=Band", "TITLE1=Song", ... each ended by a zero, the
// list by the string's own.
std::string cd_text_list(const cdio::Disc& disc) {
  std::string list;
  for (const cdio::CdTextItem& item : disc.cd_text()) {
    list += item.field + std::to_string(item.track) + "=" + item.value;
    list.push_back('\0');
  }
  return list;
}

cddb::DiscToc toc_of(const cdio::Disc& disc) {
  cddb::DiscToc toc;
  for (const cdio::Track& track : disc.tracks()) toc.offsets.push_back(track.first + kLeadIn);
  toc.seconds = (disc.leadout() + kLeadIn) / kFramesPerSecond;
  return toc;
}

// What the CDDB server said this run.
struct Answers {
  std::mutex mutex;
  std::set<unsigned> unanswered;                                 // guarded by mutex
  std::map<int, std::pair<unsigned, std::string>> first_record;  // by drive, with its disc ID; guarded by mutex
};

Answers& answers() {
  static Answers kept;
  return kept;
}

const char* ask_server(int drive, const cdio::Disc& disc) {
  const std::optional<cddb::Server> server = cddb_server();
  if (!server) return no_answer(kErrorNotAvailable);
  const cddb::DiscToc toc = toc_of(disc);
  const unsigned id = cddb::disc_id(toc);
  Answers& kept = answers();
  {
    // A disc the server could not tell about is not asked for again in this run:
    // adding its other tracks must not wait on the network each time.
    std::lock_guard lock(kept.mutex);
    if (kept.unanswered.contains(id)) return no_answer(kErrorNotAvailable);
  }
  std::optional<cddb::Match> match = cddb::look_up(*server, toc, kExchangeTimeout, kLookUpTimeout);
  std::lock_guard lock(kept.mutex);
  if (!match) {
    kept.unanswered.insert(id);
    return no_answer(kErrorNotAvailable);
  }
  cache_cddb_record(id, match->record);
  kept.first_record[drive] = {id, match->record};
  return answer(std::move(match->query));
}

const char* first_record(int drive, const cdio::Disc& disc) {
  const unsigned id = cddb::disc_id(toc_of(disc));
  Answers& kept = answers();
  std::lock_guard lock(kept.mutex);
  const auto found = kept.first_record.find(drive);
  // Only an answer about the disc now in the drive.
  if (found == kept.first_record.end() || found->second.first != id) return no_answer(kErrorNotAvailable);
  return answer(found->second.second);
}

}  // namespace

const char* BASS_CD_GetID(int drive, std::uint32_t id) {
  const std::optional<CdDrive> found = cd_drive(drive);
  if (!found) return no_answer(kErrorDevice);
  if (id != kCdIdText && id != kCdIdCddbQuery && id != kCdIdCddbFirst && id != kCdIdCddbCached)
    return no_answer(kErrorIllegalType);
  const std::unique_ptr<cdio::Disc> disc = open_disc(*found);
  if (!disc) return no_answer(kErrorNoCd);
  switch (id) {
    case kCdIdText: {
      std::string list = cd_text_list(*disc);
      return list.empty() ? no_answer(kErrorNotAvailable) : answer(std::move(list));
    }
    case kCdIdCddbCached: {
      std::optional<std::string> record = cached_cddb_record(cddb::disc_id(toc_of(*disc)));
      return record ? answer(std::move(*record)) : no_answer(kErrorNotAvailable);
    }
    case kCdIdCddbQuery:
      return ask_server(drive, *disc);
    default:
      return first_record(drive, *disc);
  }
}

}  // namespace sonvale::audiolib

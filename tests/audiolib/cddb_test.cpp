// CDDB through a small server on 127.0.0.1: the query and the record, the cache
// that spares asking twice, silence and "off".

#include <filesystem>

#include "audiolib/bass_cd.h"
#include "audiolib/cddb_cache.h"
#include "decoding_test_support.h"
#include "support/cddb_server.h"
#include "support/disc_images.h"
#include "support/scoped_env.h"

namespace sonvale::audiolib {
namespace {

namespace fs = std::filesystem;
using test::CddbServer;

class Cddb : public DecodingTest {
 protected:
  int disc(const std::string& name, std::vector<std::int64_t> sectors = {90, 80, 70}) {
    const test::DiscImage image = test::make_cue_image(dir_, name, test::plain_layout(std::move(sectors)));
    return cd_attach_drive(image.sheet);
  }

  test::TempDir cache_;
  test::ScopedEnv cache_env_{"XDG_CACHE_HOME", cache_.path()};
};

TEST_F(Cddb, TheQueryFindsTheDiscAndItsRecordIsKeptForNextTime) {
  CddbServer server({"DTITLE=Band / Album", "TTITLE0=First", "TTITLE1=Second", "TTITLE2=Third track"});
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const int drive = disc("album");
  ASSERT_GE(drive, 0);

  EXPECT_EQ(BASS_CD_GetID(drive, kCdIdCddbCached), nullptr);
  const char* query = BASS_CD_GetID(drive, kCdIdCddbQuery);
  ASSERT_NE(query, nullptr);
  const std::string answer = query;
  EXPECT_TRUE(answer.starts_with("200 rock ")) << answer;
  EXPECT_TRUE(answer.ends_with(" Band / Album")) << answer;
  const std::string id = answer.substr(9, 8);

  const char* first = BASS_CD_GetID(drive, kCdIdCddbFirst);
  ASSERT_NE(first, nullptr);
  const std::string record = first;
  EXPECT_NE(record.find("\r\nDTITLE=Band / Album\r\n"), std::string::npos) << record;
  EXPECT_NE(record.find("\r\nTTITLE2=Third track\r\n"), std::string::npos) << record;
  EXPECT_EQ(server.connections(), 1);
  // The handshake, then the disc asked for by its ID.
  const std::vector<std::string> commands = server.commands();
  ASSERT_GE(commands.size(), 4u);
  EXPECT_TRUE(commands[2].starts_with("cddb query " + id + " 3 150 ")) << commands[2];

  EXPECT_TRUE(fs::is_regular_file(cache_.path() + "/sonvale/cddb/" + id));
  const char* cached = BASS_CD_GetID(drive, kCdIdCddbCached);
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(std::string(cached), record);
  EXPECT_EQ(server.connections(), 1);
}

TEST_F(Cddb, AnAnswerKeepsItsOwnBytes) {
  CddbServer server({"DTITLE=Caf\xe9 / Cr\xe8me", "TTITLE0=\xc9t\xe9", "TTITLE1=b"});
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const int drive = disc("latin", {50, 50});
  ASSERT_NE(BASS_CD_GetID(drive, kCdIdCddbQuery), nullptr);
  const std::string record = BASS_CD_GetID(drive, kCdIdCddbFirst);
  EXPECT_NE(record.find("DTITLE=Caf\xe9 / Cr\xe8me\r\n"), std::string::npos);
  EXPECT_NE(record.find("TTITLE0=\xc9t\xe9\r\n"), std::string::npos);
}

TEST_F(Cddb, ASilentServerIsGivenUpAndNotAskedAgainForTheSameDisc) {
  CddbServer server({}, CddbServer::Mode::Silent);
  test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
  const int drive = disc("quiet");
  EXPECT_EQ(BASS_CD_GetID(drive, kCdIdCddbQuery), nullptr);
  EXPECT_EQ(BASS_CD_GetID(drive, kCdIdCddbFirst), nullptr);
  EXPECT_EQ(BASS_CD_GetID(drive, kCdIdCddbQuery), nullptr);
  EXPECT_EQ(server.connections(), 1);
}

TEST_F(Cddb, NoMatchOffAndNoServerGiveNothing) {
  {
    CddbServer server({}, CddbServer::Mode::NoMatch);
    test::ScopedEnv at("SONVALE_CDDB_SERVER", server.address());
    EXPECT_EQ(BASS_CD_GetID(disc("unknown"), kCdIdCddbQuery), nullptr);
    EXPECT_EQ(server.connections(), 1);
  }
  CddbServer server({"DTITLE=Band / Album"});
  {
    test::ScopedEnv off("SONVALE_CDDB_SERVER", "off");
    EXPECT_EQ(BASS_CD_GetID(disc("off"), kCdIdCddbQuery), nullptr);
  }
  {
    // A port nothing listens on.
    CddbServer closed({});
    const std::string address = closed.address();
    test::ScopedEnv at("SONVALE_CDDB_SERVER", address.substr(0, address.find(':')) + ":1");
    EXPECT_EQ(BASS_CD_GetID(disc("refused"), kCdIdCddbQuery), nullptr);
  }
  EXPECT_EQ(server.connections(), 0);
}

TEST(CddbServerSetting, HostAndPortOffAndNonsense) {
  {
    test::ScopedEnv unset("SONVALE_CDDB_SERVER", std::nullopt);
    ASSERT_TRUE(cddb_server());
    EXPECT_EQ(cddb_server()->port, 8880);
    EXPECT_FALSE(cddb_server()->host.empty());
  }
  {
    test::ScopedEnv set("SONVALE_CDDB_SERVER", "cddb.example:8000");
    EXPECT_EQ(cddb_server()->host, "cddb.example");
    EXPECT_EQ(cddb_server()->port, 8000);
  }
  {
    test::ScopedEnv set("SONVALE_CDDB_SERVER", "cddb.example");
    EXPECT_EQ(cddb_server()->port, 8880);
  }
  for (const char* refused : {"off", "cddb.example:", "cddb.example:99999", "cddb.example:http", ":8880"}) {
    test::ScopedEnv set("SONVALE_CDDB_SERVER", refused);
    EXPECT_FALSE(cddb_server()) << refused;
  }
}

}  // namespace
}  // namespace sonvale::audiolib

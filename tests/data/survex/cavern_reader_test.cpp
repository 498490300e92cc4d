// Opening a Survex source through cavern: the result, the folders it leaves
// alone, and the ways it stops.
#include "data/cavern_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/reader_table.h"
#include "dump_listing.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

const std::string kDir = MV_SURVEX_TEST_DIR;

// A fresh folder, used as the temporary folder too while the test runs.
class Sandbox {
 public:
  Sandbox() {
    std::string p = (fs::temp_directory_path() / "mv-svx-test-XXXXXX").string();
    path_ = ::mkdtemp(p.data());
    fs::create_directory(path_ / "tmp");
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    ::setenv("TMPDIR", (path_ / "tmp").c_str(), 1);
  }
  ~Sandbox() {
    if (oldTmp_.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    }
    fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }
  size_t Entries(const fs::path& dir) const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

 private:
  fs::path path_;
  std::string oldTmp_;
};

bool HaveCavern() {
  return std::system("command -v cavern >/dev/null 2>&1") == 0;
}

TEST(SurvexSource, CavernsResultReadsAsTheStoredThreeD) {
  if (!HaveCavern()) GTEST_SKIP() << "cavern is not installed (Debian package survex)";
  Sandbox box;
  const fs::path svx = box.path() / "small.svx";
  fs::copy_file(kDir + "/small.svx", svx);
  const LoadResult r = LoadSurveySource(svx);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.info.format, SourceFormat::kSurvexSource);
  const Expected e = ParseDump(kDir + "/small_v8.dump.txt", LegOptions{});
  EXPECT_EQ(LegsOf(RowsOf(r.model)), LegsOf(e.rows));
  EXPECT_EQ(r.model.entranceNames, e.entranceNames);
  // Nothing beside the source, nothing left in the temporary folder.
  EXPECT_EQ(box.Entries(box.path()), 2u);
  EXPECT_EQ(box.Entries(box.path() / "tmp"), 0u);
}

TEST(SurvexSource, FailuresSayWhy) {
  Sandbox box;
  const fs::path bad = box.path() / "bad.svx";
  std::ofstream(bad) << "*begin x\n1 2 10 0 0\n2 3 zz 0 0\n*fix 1 0 0 0\n*end x\n";
  // A program that outlives its welcome.
  const fs::path slow = box.path() / "slow";
  std::ofstream(slow) << "#!/bin/sh\nexec sleep 30\n";
  fs::permissions(slow, fs::perms::owner_all);

  struct Row {
    std::string what;
    CavernOptions options;
    std::string error;
    bool needsCavern;
  };
  CavernOptions missing;
  missing.program = "no-such-cavern-here";
  CavernOptions cancelled;
  cancelled.program = slow.string();
  cancelled.cancelled = [] { return true; };
  CavernOptions timed;
  timed.program = slow.string();
  timed.timeLimit = std::chrono::milliseconds(300);
  const Row rows[] = {
      {"cavern's own messages",
       {},
       "cavern could not process the survey\n" + bad.string() + ":3:",
       true},
      {"no cavern", missing, "the Debian package \"survex\" provides it", false},
      {"cancelled", cancelled, "cancelled while cavern was processing the survey", false},
      {"too slow", timed, "cavern took longer than 300 ms and was stopped", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    if (r.needsCavern && !HaveCavern()) continue;
    const auto start = std::chrono::steady_clock::now();
    const ReadResult s = ReadSurvexSource(bad, LegOptions{}, r.options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.ErrorMessage().find(r.error), std::string::npos) << s.ErrorMessage();
    EXPECT_EQ(s.ErrorMessage().rfind(bad.string() + ": ", 0), 0u) << s.ErrorMessage();
    EXPECT_EQ(box.Entries(box.path() / "tmp"), 0u);
  }
}

}  // namespace
}  // namespace mv

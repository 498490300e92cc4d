// Loading from a folder on disk: finding the files and opening them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "data/survey_folder.h"
#include "survey_bytes.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::Files;
using test::SmallSurvey;
using test::TempDir;
using test::WriteFile;

void WriteSurvey(const fs::path& dir, const Files& f, const char* stations = "Dane.bin",
                 const char* lines = "Dane1.bin", const char* object = "Dane2.bin") {
  WriteFile(dir / stations, f.stations);
  WriteFile(dir / lines, f.lines);
  if (f.object) WriteFile(dir / object, *f.object);
}

TEST(LoaderFolderTest, LoadsReadOnlyFiles) {
  TempDir dir;
  WriteSurvey(dir.path(), SmallSurvey());
  for (const char* name : {"Dane.bin", "Dane1.bin", "Dane2.bin"})
    fs::permissions(dir.path() / name,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const LoadResult r = LoadSurveyFolder(dir.path());
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.entranceCount, 2);
}

TEST(LoaderFolderTest, FindsFileNamesInAnyLetterCase) {
  TempDir dir;
  WriteSurvey(dir.path(), SmallSurvey(), "DANE.BIN", "dane1.bin", "dAnE2.BiN");
  const LoadResult r = LoadSurveyFolder(dir.path());
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.entranceCount, 2);  // the object file was found
}

TEST(LoaderFolderTest, NamesDifferingOnlyByCaseAreChosenDeterministically) {
  const Files good = SmallSurvey();
  const test::Bytes garbage(100, 0xEE);
  TempDir dir;
  // The exact spelling wins over any other.
  WriteFile(dir.path() / "DANE.BIN", garbage);
  WriteFile(dir.path() / "Dane.bin", good.stations);
  WriteFile(dir.path() / "dane.bin", garbage);
  // Without it, the first name in byte order ("DANE1.BIN" < "dane1.bin").
  WriteFile(dir.path() / "dane1.bin", garbage);
  WriteFile(dir.path() / "DANE1.BIN", good.lines);
  EXPECT_EQ(FindSurveyFile(dir.path(), "Dane1.bin").filename(), "DANE1.BIN");
  const LoadResult r = LoadSurveyFolder(dir.path());
  EXPECT_TRUE(r.ok) << r.error;
}

TEST(LoaderFolderTest, MissingOrUnopenableFiles) {
  struct Row {
    const char* remove;  // file taken away
    const char* folder;  // a folder of that name made instead
    bool fifo;           // a named pipe of that name made instead
    std::string error;   // empty when the load succeeds
  } rows[] = {
      {"Dane2.bin", nullptr, false, ""},
      {"Dane2.bin", "dane2.bin", false, ""},  // a folder is no object file
      {"Dane2.bin", nullptr, true, "Dane2.bin: is not a regular file"},  // and must not block
      {"Dane.bin", nullptr, false, "Dane.bin: is missing from "},
      {"Dane1.bin", nullptr, false, "Dane1.bin: is missing from "},
      {"Dane.bin", "DANE.BIN", false, "Dane.bin: is missing from "},
  };
  for (const Row& row : rows) {
    TempDir dir;
    WriteSurvey(dir.path(), SmallSurvey());
    fs::remove(dir.path() / row.remove);
    if (row.folder) fs::create_directory(dir.path() / row.folder);
    if (row.fifo) {
      ASSERT_EQ(::mkfifo((dir.path() / row.remove).c_str(), 0600), 0);
    }
    const LoadResult r = LoadSurveyFolder(dir.path());
    EXPECT_EQ(r.ok, row.error.empty()) << row.remove << ": " << r.error;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error);
  }
}

TEST(LoaderFolderTest, LargeFilesAreReadAcrossChunks) {
  // More records than one read takes, with a bad one far in.
  const int kStations = 100000;
  std::vector<test::Texts> rows;
  for (int i = 0; i < kStations; ++i) rows.push_back({std::to_string(i), "0", "-1"});
  Files f{test::StationFile(rows), test::LineFile({{1, 0, kStations - 1}}), {}};
  TempDir dir;
  WriteSurvey(dir.path(), f);
  LoadResult r = LoadSurveyFolder(dir.path());
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.model.StationCount(), kStations);
  EXPECT_EQ(r.model.X(kStations - 1), kStations - 1.0);

  f.stations[70001 * 32 + 5] = 'x';
  WriteSurvey(dir.path(), f);
  EXPECT_EQ(LoadSurveyFolder(dir.path()).error,
            "Dane.bin: record 70001: X text \"x0000\" is not a number");
}

}  // namespace
}  // namespace mv

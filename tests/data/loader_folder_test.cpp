// Loading from a folder on disk: finding the files and opening them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "data/loader.h"
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
  EXPECT_EQ(r.model.StationCount(), 3);
  EXPECT_EQ(r.model.entranceCount, 2);
}

TEST(LoaderFolderTest, FindsFileNamesInAnyLetterCase) {
  struct Row {
    const char *stations, *lines, *object;
  } rows[] = {
      {"DANE.BIN", "dane1.bin", "dAnE2.BiN"},
      {"dane.bin", "DANE1.BIN", "DANE2.BIN"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    WriteSurvey(dir.path(), SmallSurvey(), row.stations, row.lines, row.object);
    const LoadResult r = LoadSurveyFolder(dir.path());
    EXPECT_TRUE(r.ok) << row.stations << ": " << r.error;
    EXPECT_EQ(r.model.entranceCount, 2) << row.object;  // the object file was found
  }
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
  WriteFile(dir.path() / "DANE1.BIN", good.lines);
  WriteFile(dir.path() / "dane1.bin", garbage);
  EXPECT_EQ(FindSurveyFile(dir.path(), "Dane.bin").filename(), "Dane.bin");
  EXPECT_EQ(FindSurveyFile(dir.path(), "Dane1.bin").filename(), "DANE1.BIN");
  EXPECT_TRUE(FindSurveyFile(dir.path(), "Dane2.bin").empty());
  const LoadResult r = LoadSurveyFolder(dir.path());
  EXPECT_TRUE(r.ok) << r.error;
}

TEST(LoaderFolderTest, MissingOrUnopenableFilesFail) {
  struct Row {
    const char* what;
    const char* remove;     // file taken away
    const char* directory;  // made a folder instead
    bool ok;
    std::string error;
  } rows[] = {
      {"no object file", "Dane2.bin", nullptr, true, ""},
      {"object name taken by a folder", "Dane2.bin", "Dane2.bin", true, ""},
      {"no station file", "Dane.bin", nullptr, false, "Dane.bin: is missing from "},
      {"no line file", "Dane1.bin", nullptr, false, "Dane1.bin: is missing from "},
      {"station name taken by a folder", "Dane.bin", "dane.bin", false,
       "Dane.bin: is missing from "},
  };
  for (const Row& row : rows) {
    TempDir dir;
    WriteSurvey(dir.path(), SmallSurvey());
    fs::remove(dir.path() / row.remove);
    if (row.directory) fs::create_directory(dir.path() / row.directory);
    const LoadResult r = LoadSurveyFolder(dir.path());
    EXPECT_EQ(r.ok, row.ok) << row.what << ": " << r.error;
    EXPECT_EQ(r.error.substr(0, row.error.size()), row.error) << row.what;
  }
  const LoadResult none = LoadSurveyFolder("/nonexistent/folder/for/mvdata");
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.error.substr(0, 8), "Dane.bin");
}

TEST(LoaderFolderTest, ObjectFileThatIsNoRegularFileFails) {
  TempDir dir;
  WriteSurvey(dir.path(), SmallSurvey());
  fs::remove(dir.path() / "Dane2.bin");
  ASSERT_EQ(::mkfifo((dir.path() / "Dane2.bin").c_str(), 0600), 0);
  const LoadResult r = LoadSurveyFolder(dir.path());  // must not block on the pipe
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Dane2.bin: is not a regular file");
}

// Loading reads the files afresh: replaced files give the new survey.
TEST(LoaderFolderTest, LoadingAgainShowsReplacedFiles) {
  TempDir dir;
  Files f = SmallSurvey();
  WriteSurvey(dir.path(), f);
  ASSERT_EQ(LoadSurveyFolder(dir.path()).model.StationCount(), 3);
  f.stations =
      test::StationFile({{"1", "1", "1"}, {"2", "2", "2"}, {"3", "3", "3"}, {"4", "4", "4"}});
  WriteSurvey(dir.path(), f);
  const LoadResult r = LoadSurveyFolder(dir.path());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.StationCount(), 4);
  EXPECT_EQ(r.model.X(3), 1004.0);
}

TEST(LoaderFolderTest, LargeFilesAreReadAcrossChunks) {
  // More records than one read takes, with the bad one far in.
  std::vector<test::Texts> rows;
  for (int i = 0; i < 100000; ++i)
    rows.push_back({std::to_string(i), "0", std::to_string(-i % 80)});
  Files f;
  f.stations = test::StationFile(rows);
  std::vector<std::vector<int32_t>> lines;
  for (int i = 0; i + 1 < 100000; i += 29) {
    std::vector<int32_t> line = {std::min(29, 99999 - i)};
    for (int k = 0; k <= line[0]; ++k) line.push_back(i + k);
    lines.push_back(line);
  }
  f.lines = test::LineFile(lines);
  TempDir dir;
  WriteSurvey(dir.path(), f);
  LoadResult r = LoadSurveyFolder(dir.path());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.StationCount(), 100000);
  EXPECT_EQ(r.model.X(99999), 99999.0);
  EXPECT_EQ(r.model.SurveyLineCount(), static_cast<int32_t>(lines.size()));
  EXPECT_EQ(r.model.Line(r.model.SurveyLineCount() - 1)[1], lines.back()[1]);

  f.stations[(70000 + 1) * 32 + 5] = 'x';
  WriteSurvey(dir.path(), f);
  r = LoadSurveyFolder(dir.path());
  EXPECT_EQ(r.error.substr(0, 26), "Dane.bin: record 70001: X ");
}

}  // namespace
}  // namespace mv

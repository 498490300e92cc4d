// The text form of a survey, the writer and the mvdata tool.
#include "survey_text.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "data/reader_table.h"
#include "data/survey_folder.h"
#include "data/survey_writer.h"
#include "survey_bytes.h"

namespace mv {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(SurveyTextTest, LongChainsSplitIntoRecordsSharingTheirJoints) {
  struct Row {
    int stations;
    std::vector<std::pair<int, int>> records;  // first station, shot count
  } rows[] = {
      {0, {}},
      {1, {{0, 0}}},
      {2, {{0, 1}}},
      {30, {{0, 29}}},
      {31, {{0, 29}, {29, 1}}},
      {59, {{0, 29}, {29, 29}}},
      {60, {{0, 29}, {29, 29}, {58, 1}}},
  };
  for (const Row& row : rows) {
    std::vector<int32_t> chain(row.stations);
    for (int i = 0; i < row.stations; ++i) chain[i] = 100 + i;
    std::vector<int32_t> lines;
    AppendChain(lines, chain);
    ASSERT_EQ(lines.size(), row.records.size() * kLineColumns) << row.stations;
    for (size_t r = 0; r < row.records.size(); ++r) {
      const int32_t* line = &lines[r * kLineColumns];
      const auto [first, shots] = row.records[r];
      EXPECT_EQ(line[0], shots) << row.stations << " record " << r;
      for (int c = 1; c <= shots + 1; ++c) EXPECT_EQ(line[c], 100 + first + c - 1);
      for (int c = shots + 2; c < kLineColumns; ++c) EXPECT_EQ(line[c], 0);
    }
  }
}

std::string Repeat(const std::string& s, int times) {
  std::string r;
  for (int i = 0; i < times; ++i) r += s;
  return r;
}

TEST(SurveyTextTest, BadInputNamesItsLine) {
  struct Row {
    std::string text;
    std::string error;
  } rows[] = {
      {"station a 1 2\n", "line 1: station needs a name and three numbers"},
      {"# c\n\nstation a 1 2 x\n", "line 3: Z \"x\" is not a number"},
      {"station a 123456789 0 0\n", "line 1: X \"123456789\" does not fit in 8 characters"},
      {"station a 0 0 0\nstation a 1 1 1\n", "line 2: station \"a\" is defined twice"},
      {"station a 0 0 0\nline a b\n", "line 2: unknown station \"b\""},
      {"line\n", "line 1: line needs at least one station"},
      {"origin 1 2 3\norigin 1 2 3\n", "line 2: a second origin"},
      {"name " + std::string(76, 'n') + "\n", "line 1: the name has 76 bytes; at most 75 fit"},
      {"stacja a 0 0 0\n", "line 1: unknown statement \"stacja\""},
      {"station a 0 0 0\n" + Repeat("entrance a\n", 11), "line 12: more than 10 entrances"},
  };
  for (const Row& row : rows) {
    std::istringstream in(row.text);
    SurveyText s;
    std::string error;
    EXPECT_FALSE(ParseSurveyText(in, s, error)) << row.text;
    EXPECT_EQ(error.substr(0, row.error.size()), row.error) << row.text;
  }
}

TEST(SurveyTextTest, ReadsStatementsAndComments) {
  std::istringstream in(
      "# a cave\r\n"
      "name Jaskinia # with a hash\n"
      "origin 100.5 -20 350\n"
      "  station a 0 0 0   # the entrance\n"
      "station b\t1.5 -2 -3\n"
      "line a b a\n"
      "entrance b\n");
  SurveyText s;
  std::string error;
  ASSERT_TRUE(ParseSurveyText(in, s, error)) << error;
  EXPECT_EQ(s.name, "Jaskinia # with a hash");
  EXPECT_EQ(s.model.originY.AsDouble(), -20.0);
  EXPECT_EQ(s.model.stations, (std::vector<double>{0, 0, 0, 1.5, -2, -3}));
  EXPECT_EQ(std::vector<int32_t>(s.model.lines.begin(), s.model.lines.begin() + 5),
            (std::vector<int32_t>{2, 0, 1, 0, 0}));
  EXPECT_EQ(s.model.entranceCount, 1);
  EXPECT_EQ(s.model.entrances[0], 1);
}

// A station file may hold a number the writer cannot store ("1e9" fits the
// field, its nine digits do not); the text still shows it.
TEST(SurveyTextTest, PrintsCoordinatesTheWriterCannotStore) {
  SurveyText s;
  s.model.stations = {1e9, -2.5, 0};
  std::ostringstream out;
  PrintSurveyText(out, s);
  EXPECT_NE(out.str().find("station S0 1e+09 -2.50000 0.000000\n"), std::string::npos) << out.str();
}

// What the writer writes, the loader reads back, the origin added.
TEST(SurveyTextTest, WrittenFoldersLoad) {
  SurveyModel m;
  m.originX = 5000.25L;
  m.originY = -100.0L;
  m.originZ = 812.5L;
  m.stations = {5000.25, -100, 812.5, 5012.75, -90.125, 800.5, 4990.0, -130.0, 740.0};
  AppendChain(m.lines, std::vector<int32_t>{0, 1, 2});
  m.entranceCount = 1;
  TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteSurveyFolder(dir.path(), m, WriteOptions{"Test", false}, error)) << error;
  const LoadResult r = LoadSurveyFolder(dir.path());
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.model.stations, m.stations);
  EXPECT_EQ(r.model.lines, m.lines);
  EXPECT_EQ(r.model.originZ.AsDouble(), 812.5);

  m.stations[3] = 5000.25 + 1e9;
  EXPECT_FALSE(WriteSurveyFolder(dir.path(), m, WriteOptions{}, error));
  EXPECT_NE(error.find("station row 1"), std::string::npos) << error;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs mvdata with standard output to `output` and standard error beside it.
int RunTool(const std::string& args, const fs::path& output) {
  const std::string command = std::string(MV_MVDATA) + " " + args + " >" + output.string() + " 2>" +
                              output.string() + ".err";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SurveyTextTest, ToolRoundTripsASurvey) {
  TempDir dir;
  const fs::path text = dir.path() / "cave.txt";
  {
    std::ofstream out(text);
    out << "name Próba\norigin 123456.75 -9876.5 412.125\n";
    for (int i = 0; i < 70; ++i)
      out << "station p" << i << ' ' << i * 1.37 << ' ' << -i * 0.333333 << ' ' << -i * 1.1 << '\n';
    out << "line";
    for (int i = 0; i < 70; ++i) out << " p" << i;
    out << "\nline p3 p40\nentrance p0\nentrance p69\n";
  }
  const fs::path a = dir.path() / "a", b = dir.path() / "b", dump = dir.path() / "dump.txt";
  ASSERT_EQ(RunTool("build " + text.string() + " " + a.string(), dir.path() / "log"), 0);
  ASSERT_EQ(RunTool("dump " + a.string(), dump), 0);
  ASSERT_EQ(RunTool("build " + dump.string() + " " + b.string(), dir.path() / "log"), 0);
  for (const char* name : {"Dane.bin", "Dane1.bin", "Dane2.bin"})
    EXPECT_EQ(ReadAll(dir.path() / "a" / name), ReadAll(dir.path() / "b" / name)) << name;
  EXPECT_EQ(fs::file_size(dir.path() / "a" / "Dane1.bin"), 5u * 124);  // 3 records for 69 shots
  const std::string text2 = ReadAll(dump);
  EXPECT_NE(text2.find("name Próba\n"), std::string::npos);
  EXPECT_NE(text2.find("origin 123456.75 -9876.5 412.125\n"), std::string::npos);
  EXPECT_NE(text2.find("entrance S69\n"), std::string::npos);
}

TEST(SurveyTextTest, ToolExitCodes) {
  TempDir dir;
  const fs::path bad = dir.path() / "bad.txt";
  std::ofstream(bad) << "station a 0 0 0\nline a b\n";
  const fs::path log = dir.path() / "log";
  struct Row {
    std::string args;
    int code;
    std::string message;  // expected on standard error
  } rows[] = {
      {"", 2, "usage:"},
      {"frobnicate", 2, "unknown command"},
      {"build " + bad.string(), 2, "usage:"},
      {"build " + bad.string() + " " + (dir.path() / "out").string(), 1,
       "bad.txt: line 2: unknown station \"b\""},
      {"build " + (dir.path() / "none.txt").string() + " " + dir.path().string(), 1,
       "cannot be opened"},
      {"dump " + (dir.path() / "empty").string(), 1, "Dane.bin: is missing"},
      {"help", 0, "usage:"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RunTool(row.args, log), row.code) << row.args;
    EXPECT_NE(ReadAll(log.string() + ".err").find(row.message), std::string::npos) << row.args;
  }
}

// A Survex file converted by the tool loads in the viewer as the same
// survey the viewer reads from the .3d file itself.
TEST(SurveyTextTest, ToolConvertsASurvexFileTheViewerThenLoads) {
  TempDir dir;
  const fs::path source = fs::path(MV_TEST_DATA_DIR) / "survex" / "jaskinie_zimna.3d";
  const fs::path out = dir.path() / "zimna";
  ASSERT_EQ(RunTool("from3d " + source.string() + " " + out.string(), dir.path() / "log"), 0);
  EXPECT_NE(ReadAll(dir.path() / "log").find(" stations, "), std::string::npos);
  const LoadResult converted = LoadSurveyFolder(out);
  const LoadResult direct = LoadSurveySource(source);
  ASSERT_TRUE(converted.ok) << converted.error;
  ASSERT_TRUE(direct.ok) << direct.error;
  EXPECT_EQ(converted.model.stations, direct.model.stations);
  EXPECT_EQ(converted.model.lines, direct.model.lines);
  EXPECT_EQ(converted.model.entranceCount, direct.model.entranceCount);
  EXPECT_EQ(ModelSize(converted.box), ModelSize(direct.box));

  // Other formats convert to the same survey, to the millimetre the
  // station file's texts keep; info describes them.
  for (const char* name : {"jaskinie_czarna.plt", "jaskinie_czarna.lox"}) {
    SCOPED_TRACE(name);
    const fs::path other = fs::path(MV_TEST_DATA_DIR) / "survex" / name;
    ASSERT_EQ(RunTool("convert " + other.string() + " " + out.string(), dir.path() / "log"), 0);
    const LoadResult folder = LoadSurveyFolder(out), file = LoadSurveySource(other);
    ASSERT_TRUE(folder.ok && file.ok) << folder.error << file.error;
    ASSERT_EQ(folder.model.stations.size(), file.model.stations.size());
    for (size_t i = 0; i < file.model.stations.size(); ++i)
      ASSERT_NEAR(folder.model.stations[i], file.model.stations[i], 0.0005);
    EXPECT_EQ(folder.model.lines, file.model.lines);
    ASSERT_EQ(RunTool("info " + other.string(), dir.path() / "log"), 0);
    EXPECT_NE(ReadAll(dir.path() / "log").find("\nlegs: 133 (133 shown)\n"), std::string::npos)
        << ReadAll(dir.path() / "log");
  }

  const fs::path broken = dir.path() / "broken.3d";
  std::ofstream(broken) << "Survex 3D Image File\nv8\n";
  EXPECT_EQ(RunTool("from3d " + broken.string() + " " + out.string(), dir.path() / "log"), 1);
  EXPECT_NE(ReadAll(dir.path() / "log.err").find("broken.3d"), std::string::npos);
}

// The bundled sample's files are the ones its text describes, and it loads
// with the whole cave below its main entrance.
TEST(SurveyTextTest, SampleFilesMatchTheirText) {
  const fs::path dir = MV_SAMPLE_DIR;
  std::ifstream in(dir / "cave.txt");
  SurveyText s;
  std::string error;
  ASSERT_TRUE(ParseSurveyText(in, s, error)) << error;
  SurveyFiles files;
  ASSERT_TRUE(EncodeSurvey(s.model, WriteOptions{s.name, true}, files, error)) << error;
  auto asString = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
  EXPECT_EQ(ReadAll(dir / "Dane.bin"), asString(files.stations));
  EXPECT_EQ(ReadAll(dir / "Dane1.bin"), asString(files.lines));
  EXPECT_EQ(ReadAll(dir / "Dane2.bin"), asString(files.object));

  const LoadResult r = LoadSurveyFolder(dir);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.box.maxZ.AsDouble(), r.model.originZ.AsDouble());
  EXPECT_GE(r.model.entranceCount, 2);
}

}  // namespace
}  // namespace mv

#include "survey_bytes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data/records.h"

namespace mv::test {

Bytes StationFile(const std::vector<Texts>& rows) {
  Bytes b(kStationRecordSize, 0);
  for (const Texts& t : rows) {
    std::array<uint8_t, kStationRecordSize> r{};
    if (!EncodeStationRecord(t[0], t[1], t[2], r)) throw std::invalid_argument("text too long");
    b.insert(b.end(), r.begin(), r.end());
  }
  return b;
}

Bytes LineFile(const std::vector<std::vector<int32_t>>& rows) {
  Bytes b(kSurveyLineRecordSize, 0);
  for (const auto& row : rows) {
    SurveyLineRecord r;
    for (size_t c = 0; c < row.size() && c < r.columns.size(); ++c) r.columns[c] = row[c];
    const auto bytes = EncodeSurveyLineRecord(r);
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  return b;
}

Bytes ObjectFile(long double ox, long double oy, long double oz, int32_t entranceCount,
                 const std::vector<int32_t>& entrances, const std::string& name) {
  ObjectRecord r;
  r.name.text = name;
  r.originX = ox;
  r.originY = oy;
  r.originZ = oz;
  r.entranceCount = entranceCount;
  for (size_t i = 0; i < entrances.size() && i < r.entrances.size(); ++i)
    r.entrances[i] = entrances[i];
  std::array<uint8_t, kObjectRecordSize> bytes{};
  if (!EncodeObjectRecord(r, bytes)) throw std::invalid_argument("name too long");
  Bytes b(kObjectRecordSize, 0);
  b.insert(b.end(), bytes.begin(), bytes.end());
  return b;
}

SurveyBytes Files::View() const {
  SurveyBytes v;
  v.stations = stations;
  v.lines = lines;
  if (object) v.object = std::span<const uint8_t>(*object);
  return v;
}

Files SmallSurvey() {
  Files f;
  f.stations = StationFile({{"0", "0", "0"}, {"10.5", "0", "-2"}, {"10.5", "-20", "-30.25"}});
  f.lines = LineFile({{2, 0, 1, 2}});
  f.object = ObjectFile(1000, 2000, 300, 2, {0, 2});
  return f;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "mvdata-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files left by a test must not stop the clean-up.
  for (const auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string RunProgram(const std::string& command, int* status) {
  TempDir dir;
  const std::filesystem::path out = dir.path() / "output";
  const int raw = std::system((command + " >" + out.string() + " 2>&1").c_str());
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(out, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace mv::test

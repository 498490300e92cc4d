// Survey files built in memory for the data tests.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/loader.h"

namespace mv::test {

using Bytes = std::vector<uint8_t>;
using Texts = std::array<std::string, 3>;

// A station file: an all-zero leading record, then one record per row.
Bytes StationFile(const std::vector<Texts>& rows);
// A survey-line file; each row is the shot count followed by station rows,
// the unused columns zero.
Bytes LineFile(const std::vector<std::vector<int32_t>>& rows);
// An object file of a leading record and record 1.
Bytes ObjectFile(long double ox, long double oy, long double oz, int32_t entranceCount,
                 const std::vector<int32_t>& entrances, const std::string& name = "Test");

struct Files {
  Bytes stations, lines;
  std::optional<Bytes> object;
  SurveyBytes View() const;
};

// Three stations along the axes, one line through them, an origin and two
// entrances.
Files SmallSurvey();

// Writes the files under `dir` with the given names.
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A fresh empty folder under the system's temporary folder, removed again
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs a shell command; returns what it printed (standard output and
// error) and sets `status` to its exit status (-1 when it did not exit).
std::string RunProgram(const std::string& command, int* status);

}  // namespace mv::test

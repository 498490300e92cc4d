#include "data/survey_writer.h"

#include <algorithm>
#include <fstream>

#include "data/records.h"
#include "data/survey_folder.h"

namespace mv {

bool EncodeSurvey(const SurveyModel& m, const WriteOptions& options, SurveyFiles& out,
                  std::string& error) {
  SurveyFiles f;
  const size_t rows = m.stations.size() / 3;
  f.stations.assign((rows + 1) * kStationRecordSize, 0);
  const double origin[3] = {options.stationsRelative ? 0.0 : m.originX.AsDouble(),
                            options.stationsRelative ? 0.0 : m.originY.AsDouble(),
                            options.stationsRelative ? 0.0 : m.originZ.AsDouble()};
  std::array<uint8_t, kStationRecordSize> record;
  for (size_t r = 0; r < rows; ++r) {
    std::string text[3];
    for (int i = 0; i < 3; ++i) {
      const double v = m.stations[3 * r + i] - origin[i];
      text[i] = FormatCoordinate(v);
      if (text[i].empty()) {
        error = "station row " + std::to_string(r) + ": coordinate " + std::to_string(v) +
                " does not fit in " + std::to_string(kCoordinateCapacity) + " characters";
        return false;
      }
    }
    EncodeStationRecord(text[0], text[1], text[2], record);
    std::copy(record.begin(), record.end(), f.stations.begin() + (r + 1) * kStationRecordSize);
  }

  const size_t lineRows = m.lines.size() / kLineColumns;
  f.lines.assign((lineRows + 1) * kSurveyLineRecordSize, 0);
  for (size_t r = 0; r < lineRows; ++r) {
    SurveyLineRecord line;
    std::copy_n(m.lines.begin() + r * kLineColumns, kLineColumns, line.columns.begin());
    const auto bytes = EncodeSurveyLineRecord(line);
    std::copy(bytes.begin(), bytes.end(), f.lines.begin() + (r + 1) * kSurveyLineRecordSize);
  }

  ObjectRecord object;
  object.name.text = options.name;
  object.originX = m.originX;
  object.originY = m.originY;
  object.originZ = m.originZ;
  object.entranceCount = m.entranceCount;
  object.entrances = m.entrances;
  std::array<uint8_t, kObjectRecordSize> objectBytes;
  if (!EncodeObjectRecord(object, objectBytes)) {
    error = "the name is longer than " + std::to_string(kNameCapacity) + " bytes";
    return false;
  }
  f.object.assign(kObjectRecordSize, 0);
  f.object.insert(f.object.end(), objectBytes.begin(), objectBytes.end());
  out = std::move(f);
  return true;
}

bool WriteSurveyFiles(const std::filesystem::path& dir, const SurveyFiles& files,
                      std::string& error) {
  const std::pair<std::string_view, const std::vector<uint8_t>*> all[3] = {
      {kStationFileName, &files.stations},
      {kSurveyLineFileName, &files.lines},
      {kObjectFileName, &files.object}};
  for (const auto& [name, bytes] : all) {
    const std::filesystem::path path = dir / std::string(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()),
              static_cast<std::streamsize>(bytes->size()));
    out.close();
    if (!out) {
      error = path.string() + ": cannot be written";
      return false;
    }
  }
  return true;
}

bool WriteSurveyFolder(const std::filesystem::path& dir, const SurveyModel& m,
                       const WriteOptions& options, std::string& error) {
  SurveyFiles files;
  return EncodeSurvey(m, options, files, error) && WriteSurveyFiles(dir, files, error);
}

void AppendChain(std::vector<int32_t>& lines, std::span<const int32_t> chain) {
  constexpr size_t kMaxStations = kLineColumns - 1;
  if (chain.empty()) return;
  size_t start = 0;
  do {
    const size_t count = std::min(kMaxStations, chain.size() - start);
    const size_t at = lines.size();
    lines.resize(at + kLineColumns, 0);
    lines[at] = static_cast<int32_t>(count - 1);
    std::copy_n(chain.begin() + start, count, lines.begin() + at + 1);
    start += count - 1;
  } while (start + 1 < chain.size());
}

}  // namespace mv

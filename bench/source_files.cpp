#include "source_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace mv::bench {

namespace {

constexpr double kFeetPerMetre = 1 / 0.3048;

struct Point {
  double x, y, z;
};

Point Absolute(const SurveyModel& m, int32_t row) {
  return {m.X(row) + m.originX.AsDouble(), m.Y(row) + m.originY.AsDouble(),
          m.Z(row) + m.originZ.AsDouble()};
}

std::string Written(std::ofstream& out, const std::filesystem::path& file) {
  out.close();
  return out ? std::string() : file.string() + ": cannot be written";
}

void Put32(std::vector<char>& b, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<char>(v >> (8 * k)));
}

void PutDouble(std::vector<char>& b, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int k = 0; k < 8; ++k) b.push_back(static_cast<char>(bits >> (8 * k)));
}

void PutChunk(std::ofstream& out, uint32_t type, uint32_t count, const std::vector<char>& records,
              const std::vector<char>& data) {
  std::vector<char> header;
  for (const uint32_t v :
       {type, static_cast<uint32_t>(records.size()), count, static_cast<uint32_t>(data.size())})
    Put32(header, v);
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  out.write(records.data(), static_cast<std::streamsize>(records.size()));
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

}  // namespace

std::string WriteCompassPlot(const SurveyModel& cave, const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  if (!out) return file.string() + ": cannot be created";
  Point lo = Absolute(cave, 0), hi = lo;
  for (int32_t r = 0; r < cave.StationCount(); ++r) {
    const Point p = Absolute(cave, r);
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  char line[160];
  // Bounds: north, east and up, each low and high, in feet.
  std::snprintf(line, sizeof line, "Z %.3f %.3f %.3f %.3f %.3f %.3f\r\n", lo.y * kFeetPerMetre,
                hi.y * kFeetPerMetre, lo.x * kFeetPerMetre, hi.x * kFeetPerMetre,
                lo.z * kFeetPerMetre, hi.z * kFeetPerMetre);
  out << line << "SBENCH\r\nNBENCH D 1 1 2024 CGenerated cave\r\n";
  for (int32_t r = 0; r < cave.SurveyLineCount(); ++r) {
    const int32_t* l = cave.Line(r);
    for (int32_t c = 1; c <= l[0] + 1; ++c) {
      const Point p = Absolute(cave, l[c]);
      std::snprintf(line, sizeof line, "%c %.3f %.3f %.3f S%d P -9 -9 -9 -9\r\n",
                    c == 1 ? 'M' : 'D', p.y * kFeetPerMetre, p.x * kFeetPerMetre,
                    p.z * kFeetPerMetre, l[c]);
      out << line;
    }
  }
  out << "X 0 0 0 0 0 0\r\n\x1a";
  return Written(out, file);
}

std::string WriteTherionLox(const SurveyModel& cave, const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  if (!out) return file.string() + ": cannot be created";
  // Surveys: the unnamed root and the cave under it.
  std::vector<char> records, data{'b', 'e', 'n', 'c', 'h', '\0'};
  for (const uint32_t v : {0u, 0u, 0u, 0u, 0u, 0u, 1u, 0u, 6u, 0u, 0u, 0u}) Put32(records, v);
  PutChunk(out, 1, 2, records, data);

  records.clear();
  data.clear();
  std::vector<bool> entrance(static_cast<size_t>(cave.StationCount()), false);
  for (int32_t i = 0; i < std::clamp(cave.entranceCount, 0, kMaxEntrances); ++i)
    if (cave.ValidStation(cave.entrances[i])) entrance[cave.entrances[i]] = true;
  for (int32_t r = 0; r < cave.StationCount(); ++r) {
    const std::string name = std::to_string(r);
    const uint32_t at = static_cast<uint32_t>(data.size());
    data.insert(data.end(), name.begin(), name.end());
    data.push_back('\0');
    // id, survey, name, comment, flags (2: entrance)
    for (const uint32_t v : {static_cast<uint32_t>(r), 1u, at,
                             static_cast<uint32_t>(name.size() + 1), 0u, 0u, entrance[r] ? 2u : 0u})
      Put32(records, v);
    const Point p = Absolute(cave, r);
    for (const double v : {p.x, p.y, p.z}) PutDouble(records, v);
  }
  PutChunk(out, 2, static_cast<uint32_t>(cave.StationCount()), records, data);

  records.clear();
  data.clear();
  uint32_t shots = 0;
  for (int32_t r = 0; r < cave.SurveyLineCount(); ++r) {
    const int32_t* l = cave.Line(r);
    for (int32_t c = 1; c <= l[0]; ++c, ++shots) {
      Put32(records, static_cast<uint32_t>(l[c]));
      Put32(records, static_cast<uint32_t>(l[c + 1]));
      for (int k = 0; k < 8; ++k) PutDouble(records, -1);       // no passage dimensions
      for (const uint32_t v : {0u, 0u, 1u}) Put32(records, v);  // flags, section, survey
      PutDouble(records, 60);
    }
  }
  PutChunk(out, 3, shots, records, data);
  return Written(out, file);
}

}  // namespace mv::bench

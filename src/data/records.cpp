#include "data/records.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "data/reader_kit.h"

namespace mv {

namespace {
constexpr size_t kStationX = 4, kStationY = 13, kStationZ = 22;
constexpr size_t kObjectOriginX = 76, kObjectOriginY = 82, kObjectOriginZ = 88;
constexpr size_t kObjectEntranceCount = 96, kObjectEntrances = 100;

// Characters that may make up a number once the decimal separator has been
// turned into a dot. Checked before conversion so that words the converter
// would take ("inf", "nan") are refused.
bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}
}  // namespace

StoredText ReadText(const uint8_t* field, int capacity) {
  StoredText t;
  t.length = field[0];
  t.overlong = t.length > capacity;
  const int n = t.overlong ? capacity : t.length;
  t.text = std::string_view(reinterpret_cast<const char*>(field + 1), static_cast<size_t>(n));
  return t;
}

bool WriteText(uint8_t* field, int capacity, std::string_view text) {
  if (text.size() > static_cast<size_t>(capacity)) return false;
  std::memset(field, 0, static_cast<size_t>(capacity) + 1);
  field[0] = static_cast<uint8_t>(text.size());
  std::memcpy(field + 1, text.data(), text.size());
  return true;
}

int32_t ReadInt32(const uint8_t* p) {
  return static_cast<int32_t>(LittleEndian32(p));
}

void WriteInt32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

StationRecord DecodeStationRecord(const uint8_t* record) {
  return {ReadText(record + kStationX, kCoordinateCapacity),
          ReadText(record + kStationY, kCoordinateCapacity),
          ReadText(record + kStationZ, kCoordinateCapacity)};
}

bool EncodeStationRecord(std::string_view x, std::string_view y, std::string_view z,
                         std::array<uint8_t, kStationRecordSize>& out) {
  std::array<uint8_t, kStationRecordSize> r{};
  if (!WriteText(&r[kStationX], kCoordinateCapacity, x) ||
      !WriteText(&r[kStationY], kCoordinateCapacity, y) ||
      !WriteText(&r[kStationZ], kCoordinateCapacity, z))
    return false;
  out = r;
  return true;
}

SurveyLineRecord DecodeSurveyLineRecord(const uint8_t* record) {
  SurveyLineRecord r;
  for (int c = 0; c < kLineColumns; ++c) r.columns[c] = ReadInt32(record + 4 * c);
  return r;
}

std::array<uint8_t, kSurveyLineRecordSize> EncodeSurveyLineRecord(const SurveyLineRecord& r) {
  std::array<uint8_t, kSurveyLineRecordSize> out{};
  for (int c = 0; c < kLineColumns; ++c) WriteInt32(&out[4 * c], r.columns[c]);
  return out;
}

ObjectRecord DecodeObjectRecord(const uint8_t* record) {
  ObjectRecord r;
  r.name = ReadText(record, kNameCapacity);
  r.originX = Real48::FromBytes(record + kObjectOriginX);
  r.originY = Real48::FromBytes(record + kObjectOriginY);
  r.originZ = Real48::FromBytes(record + kObjectOriginZ);
  r.entranceCount = ReadInt32(record + kObjectEntranceCount);
  for (int i = 0; i < kMaxEntrances; ++i)
    r.entrances[i] = ReadInt32(record + kObjectEntrances + 4 * i);
  return r;
}

bool EncodeObjectRecord(const ObjectRecord& r, std::array<uint8_t, kObjectRecordSize>& out) {
  std::array<uint8_t, kObjectRecordSize> b{};
  if (!WriteText(&b[0], kNameCapacity, r.name.text)) return false;
  const size_t at[3] = {kObjectOriginX, kObjectOriginY, kObjectOriginZ};
  const Real48 origin[3] = {r.originX, r.originY, r.originZ};
  for (int i = 0; i < 3; ++i) {
    const auto bytes = origin[i].ToBytes();
    std::memcpy(&b[at[i]], bytes.data(), bytes.size());
  }
  WriteInt32(&b[kObjectEntranceCount], r.entranceCount);
  for (int i = 0; i < kMaxEntrances; ++i) WriteInt32(&b[kObjectEntrances + 4 * i], r.entrances[i]);
  out = b;
  return true;
}

NumberError ParseNumber(std::string_view text, std::string_view decimalPoint, double& out) {
  text = Trim(text);
  if (text.empty()) return NumberError::kEmpty;
  if (decimalPoint.empty()) decimalPoint = ".";

  // The converter takes a leading minus but no plus, and only a dot.
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
      return NumberError::kNotANumber;
  }
  const bool dotOnly = decimalPoint == ".";
  char buf[64];
  size_t n = 0;
  for (size_t i = 0; i < text.size();) {
    if (n == sizeof buf) return NumberError::kNotANumber;
    if (!dotOnly && text.compare(i, decimalPoint.size(), decimalPoint) == 0) {
      buf[n++] = '.';
      i += decimalPoint.size();
      continue;
    }
    char c = text[i++];
    if (c == ',') c = '.';
    if (!IsNumberChar(c)) return NumberError::kNotANumber;
    buf[n++] = c;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(buf, buf + n, v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return NumberError::kOutOfRange;
  if (ec != std::errc() || end != buf + n) return NumberError::kNotANumber;
  out = v;
  return NumberError::kNone;
}

const char* Describe(NumberError e) {
  switch (e) {
    case NumberError::kNone:
      return "is a number";
    case NumberError::kEmpty:
      return "is empty";
    case NumberError::kNotANumber:
      return "is not a number";
    case NumberError::kOutOfRange:
      return "is out of range";
  }
  return "is not a number";
}

std::string LocaleDecimalPoint() {
  const std::lconv* lc = std::localeconv();
  if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0') return ".";
  return lc->decimal_point;
}

std::string FormatCoordinate(double v) {
  if (!std::isfinite(v)) return {};
  // Start from the decimals the integer part leaves room for ("0." leaves
  // six) and take one fewer while rounding makes the text too long.
  const double a = std::fabs(v);
  const int intDigits = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
  const int room = kCoordinateCapacity - (v < 0 ? 1 : 0) - intDigits - 1;
  for (int decimals = std::clamp(room, 0, 6); decimals >= 0; --decimals) {
    // to_chars, unlike printf, writes a dot whatever the locale.
    char buf[kCoordinateCapacity + 1];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    const long len = end - buf;
    if (ec != std::errc() || len > kCoordinateCapacity) continue;
    std::string s(buf, static_cast<size_t>(len));
    // A tiny negative value prints as "-0.00000"; write it as the zero it
    // reads back as, so formatting what was read gives the same text again.
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos)
      return FormatCoordinate(0.0);
    return s;
  }
  return {};
}

}  // namespace mv

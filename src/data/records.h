// The fixed-size records of the three survey files, and the coordinate texts
// of the station file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/read_result.h"
#include "data/real48.h"
#include "data/survey_model.h"

namespace mv {

inline constexpr size_t kStationRecordSize = 32;
inline constexpr size_t kSurveyLineRecordSize = 124;
inline constexpr size_t kObjectRecordSize = 140;

// Capacities of the text fields: a coordinate has at most 8 characters, the
// object's name at most 75.
inline constexpr int kCoordinateCapacity = 8;
inline constexpr int kNameCapacity = 75;

// A length-prefixed text field as stored: the length byte and the characters
// it covers. The characters are never taken from beyond the field, so an
// over-long length byte leaves `text` cut to the capacity and sets `overlong`.
struct StoredText {
  int length = 0;
  std::string_view text;
  bool overlong = false;
};

// Reads the text field at `field` (one length byte, then `capacity` bytes).
StoredText ReadText(const uint8_t* field, int capacity);

// Stores `text` at `field` with its length byte; the rest of the field is
// zero. Returns false (and writes nothing) when the text is longer than the
// capacity.
bool WriteText(uint8_t* field, int capacity, std::string_view text);

// Little-endian 32-bit signed integers.
int32_t ReadInt32(const uint8_t* p);
void WriteInt32(uint8_t* p, int32_t v);

// Station file: bytes 0-3 unused, X at 4, Y at 13, Z at 22 (texts of
// capacity 8), byte 31 unused.
struct StationRecord {
  StoredText x, y, z;
};
StationRecord DecodeStationRecord(const uint8_t* record);
// Returns false when a text is longer than its capacity.
bool EncodeStationRecord(std::string_view x, std::string_view y, std::string_view z,
                         std::array<uint8_t, kStationRecordSize>& out);

// Survey-line file: 31 integers, the shot count n and then the station rows
// of the line in columns 1 to n + 1.
struct SurveyLineRecord {
  std::array<int32_t, kLineColumns> columns{};
};
SurveyLineRecord DecodeSurveyLineRecord(const uint8_t* record);
std::array<uint8_t, kSurveyLineRecordSize> EncodeSurveyLineRecord(const SurveyLineRecord& r);

// Object file: name (text of capacity 75) at 0, origin X, Y, Z as six-byte
// reals at 76, 82, 88, bytes 94-95 unused, entrance count at 96, ten entrance
// rows at 100.
struct ObjectRecord {
  StoredText name;
  Real48 originX, originY, originZ;
  int32_t entranceCount = 0;
  std::array<int32_t, kMaxEntrances> entrances{};
};
ObjectRecord DecodeObjectRecord(const uint8_t* record);
// Returns false when the name is longer than its capacity.
bool EncodeObjectRecord(const ObjectRecord& r, std::array<uint8_t, kObjectRecordSize>& out);

// Why a coordinate text did not convert.
enum class NumberError { kNone, kEmpty, kNotANumber, kOutOfRange };

// Converts a coordinate text. Accepted: blanks around the number, an optional
// sign, digits with at most one decimal separator (`decimalPoint`, the user's,
// a plain dot, or a comma) and an optional exponent. Anything else fails,
// thousands separators, "inf" and "nan" included. Both dot and comma are taken
// whatever the locale, so files written on a machine with either convention
// load on the other; with no thousands separators allowed, "1,5" can only
// mean one and a half.
NumberError ParseNumber(std::string_view text, std::string_view decimalPoint, double& out);

// Describes a failed conversion for a message: "is empty", "is not a number"...
const char* Describe(NumberError e);

// The decimal separator of the current C locale (the user's, once the
// program has adopted it).
std::string LocaleDecimalPoint();

// The text a coordinate is written with: a dot decimal with as many decimals
// as fit in 8 characters. Empty when not even the integer part fits.
std::string FormatCoordinate(double v);

}  // namespace mv

// What the survey readers share: blanks and trimming, decimal words,
// little-endian fields, the budget for station names, mapping a format's
// flag bits onto the model's, and the message of a file with no legs to
// show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace mv {

// Space and tab: what separates the words of a line in the text formats.
constexpr std::string_view kBlanks = " \t";
// Every character C's isspace() takes for white space.
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// `text` without the characters of `blanks` at either end.
std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks);

// A whole word read as a decimal number with a dot, an optional sign (a
// plus too) and an optional exponent; nothing when it is not one, or when
// it is infinite or NaN.
std::optional<double> DecimalNumber(std::string_view word);

// The `n` (at most 8) bytes at `p` read as a little-endian unsigned number.
uint64_t LittleEndian(const uint8_t* p, size_t n);
inline uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(LittleEndian(p, 4));
}
// An IEEE double stored little-endian.
double LittleEndianDouble(const uint8_t* p);

// How many bytes of station and survey names a file of `fileBytes` may
// make: a fixed allowance and `perFileByte` for each byte of the file, so
// that a small file cannot claim memory without end.
constexpr size_t NameBudget(size_t fileBytes, size_t perFileByte) {
  return (size_t{64} << 20) + perFileByte * fileBytes;
}

// A format's flag bit and the model's flag it stands for.
struct FlagMapping {
  unsigned formatBit;
  uint8_t modelFlag;
};

// The model's flags for a format's `bits`.
uint8_t MapFlags(unsigned bits, std::initializer_list<FlagMapping> mapping);

// The fault of a file whose every leg was left out, or that has none.
std::string NoLegsToShow(int64_t legsLeftOut);

}  // namespace mv

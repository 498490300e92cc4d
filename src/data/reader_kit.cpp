#include "data/reader_kit.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace mv {

std::string_view Trim(std::string_view text, std::string_view blanks) {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<double> DecimalNumber(std::string_view word) {
  // The converter takes a leading minus but no plus.
  std::string_view digits = word;
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (word.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
      !std::isfinite(v))
    return std::nullopt;
  return v;
}

uint64_t LittleEndian(const uint8_t* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = n; i-- > 0;) v = v << 8 | p[i];
  return v;
}

double LittleEndianDouble(const uint8_t* p) {
  const uint64_t bits = LittleEndian(p, 8);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

uint8_t MapFlags(unsigned bits, std::initializer_list<FlagMapping> mapping) {
  uint8_t flags = 0;
  for (const FlagMapping& m : mapping)
    if (bits & m.formatBit) flags |= m.modelFlag;
  return flags;
}

std::string NoLegsToShow(int64_t legsLeftOut) {
  return "the file holds no survey legs to show (" + std::to_string(legsLeftOut) +
         " left out by their flags)";
}

}  // namespace mv

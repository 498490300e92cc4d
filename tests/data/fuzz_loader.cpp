// Fuzzing the loader with mutated survey files. Built two ways: as a libFuzzer
// target (MV_LIBFUZZER, clang) and as a bounded, seeded test that runs with
// the others, under the sanitizers in the sanitizer build.
//
// Input: byte 0 holds flags (bit 0: there is an object file, bit 1: the
// user's decimal separator is a comma, bit 2: raw mode). In raw mode bytes
// 1-4 split the rest into the station, line and object files. Otherwise the
// rest is a list of 4-byte edits of a small valid survey: byte 0 picks the
// file (bits 0-1) and the operation (bits 2-3), bytes 1-2 an offset, byte 3 a
// value.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "data/records.h"
#include "data/survey_folder.h"
#include "drawable_model.h"
#include "survey_bytes.h"

namespace mv {
namespace {

using test::Bytes;

const test::Files& Base() {
  static const test::Files f = [] {
    test::Files b;
    b.stations = test::StationFile({{"0", "0", "0"},
                                    {"12,5", "-3.25", "-10"},
                                    {" 7 ", "+8", "-1e1"},
                                    {"-0.5", "99999999", "-3,5"}});
    b.lines = test::LineFile({{3, 0, 1, 2, 3}, {1, 3, 0}, {0, 2}});
    b.object = test::ObjectFile(1000.5L, -200.25L, 350, 2, {0, 3}, "Jaskinia");
    return b;
  }();
  return f;
}

// Values that sit on the edges the loader checks.
int32_t Interesting(uint8_t v) {
  static const int32_t kValues[] = {0, 1, -1, 2, 3, 4, 28, 29, 30, 31, 10, 11, INT_MAX, INT_MIN};
  return kValues[v % std::size(kValues)];
}

void Edit(Bytes& b, uint8_t op, uint16_t offset, uint8_t value) {
  switch (op) {
    case 0:  // set a byte
      if (!b.empty()) b[offset % b.size()] = value;
      break;
    case 1:  // cut the file short
      if (offset < b.size()) b.resize(offset);
      break;
    case 2:  // append bytes
      b.insert(b.end(), value % 150, static_cast<uint8_t>(offset));
      break;
    case 3:  // store a telling integer on a 4-byte boundary
      if (b.size() >= 4) WriteInt32(&b[(offset % (b.size() / 4)) * 4], Interesting(value));
      break;
  }
}

// A copy in a block of exactly its size, so that a read past the end is a
// read past the allocation.
struct ExactCopy {
  explicit ExactCopy(const Bytes& b) : size(b.size()), data(new uint8_t[b.size()]) {
    if (size) std::memcpy(data.get(), b.data(), size);
  }
  std::span<const uint8_t> View() const { return {data.get(), size}; }
  size_t size;
  std::unique_ptr<uint8_t[]> data;
};

// Loads the files the input describes and returns what is wrong with the
// result, or an empty string.
std::string CheckInput(const uint8_t* data, size_t size, bool* loaded = nullptr) {
  if (size == 0) return {};
  const uint8_t flags = data[0];
  Bytes files[3];
  if (flags & 4) {
    const uint8_t* p = data + 1;
    size_t left = size - 1;
    size_t cut[2] = {0, 0};
    for (size_t& c : cut) {
      if (left >= 2) {
        c = p[0] | p[1] << 8;
        p += 2;
        left -= 2;
      }
    }
    const size_t a = std::min(cut[0], left), b = std::min(cut[1], left - a);
    files[0].assign(p, p + a);
    files[1].assign(p + a, p + a + b);
    files[2].assign(p + a + b, p + left);
  } else {
    files[0] = Base().stations;
    files[1] = Base().lines;
    files[2] = *Base().object;
    for (size_t i = 1; i + 4 <= size; i += 4) {
      const uint8_t which = data[i] & 3;
      if (which == 3) continue;
      Edit(files[which], (data[i] >> 2) & 3, static_cast<uint16_t>(data[i + 1] | data[i + 2] << 8),
           data[i + 3]);
    }
  }
  const ExactCopy stations(files[0]), lines(files[1]), object(files[2]);
  SurveyBytes bytes;
  bytes.stations = stations.View();
  bytes.lines = lines.View();
  if (flags & 1) bytes.object = object.View();
  const LoadResult r = LoadSurveyBytes(bytes, (flags & 2) ? "," : ".");
  if (loaded) *loaded = r.ok;

  if (!r.ok) {
    if (r.error.empty()) return "failed without saying why";
    const bool named =
        r.error.rfind("Dane", 0) == 0 || r.error.find("no extent") != std::string::npos;
    if (!named) return "error names no file: " + r.error;
    if (r.sourceRead != (r.error.find("no extent") != std::string::npos))
      return "read before failing: " + r.error;
    return {};
  }
  if (std::string fault = test::DrawableFault(r.model); !fault.empty()) return fault;
  const long double boxSize = ModelSize(r.box);
  if (!(boxSize > 0) || !std::isfinite(static_cast<double>(boxSize))) return "the box has no size";
  return {};
}

}  // namespace
}  // namespace mv

#ifdef MV_LIBFUZZER

#include "fuzz_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return mv::test::StopOnFault(mv::CheckInput(data, size));
}

#else

#include <gtest/gtest.h>

#include <random>

namespace mv {
namespace {

TEST(FuzzLoaderTest, MutatedFilesNeverCrashOrMisload) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> edits(1, 8);
  int loaded = 0, failed = 0;
  for (int i = 0; i < 50000; ++i) {
    std::vector<uint8_t> input;
    if (i % 10 == 9) {
      // Raw files of random bytes, sized near whole records.
      input.push_back(static_cast<uint8_t>(4 | (byte(rng) & 3)));
      int sizes[2] = {32 * (byte(rng) % 6), 124 * (byte(rng) % 4)};
      for (int& s : sizes) s += byte(rng) % 3;  // now and then a partial record
      for (const int s : sizes) {
        input.push_back(static_cast<uint8_t>(s));
        input.push_back(static_cast<uint8_t>(s >> 8));
      }
      const int total = sizes[0] + sizes[1] + 280;
      for (int k = 0; k < total; ++k) input.push_back(static_cast<uint8_t>(byte(rng)));
    } else {
      input.push_back(static_cast<uint8_t>(byte(rng) & 3));
      for (int e = edits(rng); e > 0; --e) {
        // Edits aim at the data records more often than at random offsets.
        const uint8_t which = static_cast<uint8_t>(byte(rng) % 3);
        const uint8_t op =
            static_cast<uint8_t>(byte(rng) % 8 < 5 ? (byte(rng) % 2 ? 0 : 3) : 1 + byte(rng) % 2);
        const int low = byte(rng), high = byte(rng);
        const int offset = byte(rng) % 2 ? low * 2 : low | high << 8;
        input.push_back(static_cast<uint8_t>(which | op << 2));
        input.push_back(static_cast<uint8_t>(offset));
        input.push_back(static_cast<uint8_t>(offset >> 8));
        input.push_back(static_cast<uint8_t>(byte(rng)));
      }
    }
    bool ok = false;
    const std::string fault = CheckInput(input.data(), input.size(), &ok);
    ASSERT_EQ(fault, "") << "input " << i;
    (ok ? loaded : failed)++;
  }
  // The mutations reach both ends: files that still load and files that fail.
  EXPECT_GT(loaded, 5000);
  EXPECT_GT(failed, 5000);
}

}  // namespace
}  // namespace mv

#endif

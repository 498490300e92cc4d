// Fuzzing the readers of the other formats. Built two ways: as a libFuzzer
// target per format (MV_LIBFUZZER, clang; MV_FUZZ_FORMAT is its index in
// kFormats), and as a bounded, seeded test that mutates real files and runs
// with the others, under the sanitizers in the sanitizer build.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "data/compass_plot.h"
#include "data/read_result.h"
#include "data/therion_lox.h"
#include "drawable_model.h"

namespace mv {
namespace {

struct Format {
  const char* name;
  ReadResult (*read)(std::span<const uint8_t>, std::string_view, const LegOptions&);
  const char* seeds[3];  // files under tests/files/survex
};

const Format kFormats[] = {
    {"fuzz.plt", ReadCompassPlot, {"small.plt", "jaskinie_czarna.plt", "passages.plt"}},
    {"fuzz.lox", ReadTherionLox, {"small.lox", "jaskinie_czarna.lox", "passages.lox"}},
};

// Reads `bytes` as `f` and returns what is wrong with the result, or an
// empty string: a failure must say where, and a model must be drawable.
std::string CheckInput(const Format& f, std::span<const uint8_t> bytes, bool* loaded = nullptr) {
  for (const bool splays : {false, true}) {
    LegOptions options;
    options.splays = splays;
    const ReadResult r = f.read(bytes, f.name, options);
    if (loaded) *loaded = r.ok();
    if (!r.ok()) {
      if (r.ErrorMessage().rfind(std::string(f.name) + ": ", 0) != 0)
        return "error names no file: " + r.ErrorMessage();
      continue;
    }
    if (std::string fault = test::ReadModelFault(r.model); !fault.empty()) return fault;
  }
  return {};
}

}  // namespace
}  // namespace mv

#ifdef MV_LIBFUZZER

#include "fuzz_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return mv::test::StopOnFault(mv::CheckInput(mv::kFormats[MV_FUZZ_FORMAT], {data, size}));
}

#else

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "byte_mutator.h"

namespace mv {
namespace {

TEST(FuzzFormats, MutatedFilesNeverCrashOrMisload) {
  // A fixed seed keeps the run repeatable; a failure prints the case.
  std::mt19937 rng(20240616);
  for (const Format& f : kFormats) {
    int loaded = 0, failed = 0;
    for (const char* seed : f.seeds) {
      std::ifstream in(std::string(MV_TEST_DATA_DIR) + "/survex/" + seed, std::ios::binary);
      const std::vector<uint8_t> whole{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
      ASSERT_FALSE(whole.empty()) << seed;
      for (int i = 0; i < 1500; ++i) {
        std::vector<uint8_t> b = whole;
        test::MutateBytes(b, rng, 6);
        const std::vector<uint8_t> exact(b);  // no spare capacity past the end
        bool ok = false;
        ASSERT_EQ(CheckInput(f, exact, &ok), "") << seed << " case " << i;
        (ok ? loaded : failed)++;
      }
    }
    // The mutations reach both ends: files that still load and files that fail.
    EXPECT_GT(loaded, 100) << f.name;
    EXPECT_GT(failed, 100) << f.name;
  }
}

}  // namespace
}  // namespace mv

#endif

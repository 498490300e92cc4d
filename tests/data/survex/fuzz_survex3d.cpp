// libFuzzer entry for the .3d reader. Seed it with the .3d files beside this
// one:  fuzz_survex3d -max_total_time=300 corpus/ tests/data/survex/
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "data/survex3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool splays : {false, true}) {
    mv::LegOptions options;
    options.splays = splays;
    const mv::ReadResult s = mv::ReadSurvex3d({data, size}, "fuzz.3d", options);
    if (!s.ok()) continue;
    // Whatever is accepted must be drawable.
    const mv::SurveyModel& m = s.model;
    for (int32_t r = 0; r < m.SurveyLineCount(); ++r) {
      const int32_t* l = m.Line(r);
      if (l[0] < 1 || l[0] > 29) std::abort();
      for (int32_t i = 1; i <= l[0] + 1; ++i) {
        if (!m.ValidStation(l[i])) std::abort();
      }
    }
    if (m.entranceCount < 0 || m.entranceCount > mv::kMaxEntrances) std::abort();
    for (int32_t i = 0; i < m.entranceCount; ++i) {
      if (!m.ValidStation(m.entrances[i])) std::abort();
    }
  }
  return 0;
}

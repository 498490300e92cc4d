// libFuzzer entry for the .3d reader. Seed it with the stored .3d files:
//   fuzz_survex3d -max_total_time=300 corpus/ tests/files/survex/
#include <cstddef>
#include <cstdint>

#include "data/survex3d.h"
#include "drawable_model.h"
#include "fuzz_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool splays : {false, true}) {
    mv::LegOptions options;
    options.splays = splays;
    const mv::ReadResult s = mv::ReadSurvex3d({data, size}, "fuzz.3d", options);
    if (!s.ok()) continue;
    // Whatever is accepted must be drawable.
    mv::test::StopOnFault(mv::test::ReadModelFault(s.model));
  }
  return 0;
}

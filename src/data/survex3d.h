// Reading a Survex .3d file (every format version: v0.01, Bv0.01, v2 to v8)
// into the survey model.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/read_result.h"

namespace mv {

// Reads a whole .3d file held in memory; `name` stands for the file in
// messages, which give the byte offset of a fault. Station names are the
// full dotted labels. A survey whose file flags no entrance has none.
// Never throws and never reads outside `bytes`.
ReadResult ReadSurvex3d(std::span<const uint8_t> bytes, std::string_view name,
                        const LegOptions& options = {});

// Whether `head` (the first bytes of a file) is how a .3d file begins.
bool LooksLikeSurvex3d(std::span<const uint8_t> head);

}  // namespace mv

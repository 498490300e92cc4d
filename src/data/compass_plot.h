// Reading a Compass plot file (.plt, and .plf for features) into the survey
// model.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/read_result.h"

namespace mv {

// Reads a whole plot file held in memory; `name` stands for the file in
// messages, which give the line of a fault. Coordinates are feet, converted
// to metres. A draw record is a leg; one the file says not to plot (flag P,
// flag X or a lower-case d) is left out, splays (flag S) and shots excluded
// from lengths (flag L, taken as duplicates) by the options. Station names
// are kept, recoded from Windows-1252 unless the file is UTF-8 already. The
// format marks no entrances, so the survey has none.
// Never throws and never reads outside `bytes`.
ReadResult ReadCompassPlot(std::span<const uint8_t> bytes, std::string_view name,
                           const LegOptions& options = {});

// Whether `head` (the first bytes of a file) looks like a plot file: its
// first line is a plot record.
bool LooksLikeCompassPlot(std::span<const uint8_t> head);

// Appends `text`, read as Windows-1252, to `out` as UTF-8.
void AppendWindows1252(std::string& out, std::string_view text);

// Whether `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text);

}  // namespace mv

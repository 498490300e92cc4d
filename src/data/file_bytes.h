// Reading a whole file into memory for the readers, which take bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "data/read_result.h"

namespace mv {

// Reads the file at `path` into `out`. On failure returns the error, which
// names the file as `path` spells it. Never throws.
std::optional<SourceError> ReadFileBytes(const std::filesystem::path& path,
                                         std::vector<uint8_t>& out);

}  // namespace mv

// Opening a Survex source (.svx) by running Survex's cavern on it and
// reading the .3d file it writes.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "data/read_result.h"

namespace mv {

struct CavernOptions {
  // The program to run: a bare name is looked for on the PATH.
  std::string program = "cavern";
  // Cavern is stopped, and the open fails, after this long.
  std::chrono::milliseconds timeLimit = std::chrono::minutes(5);
  // Polled while cavern runs (a few times a second); returning true stops
  // it and the open fails as cancelled.
  std::function<bool()> cancelled;
};

// Runs cavern on `svx` in a private temporary folder, which is removed
// afterwards, so nothing is ever written beside the user's file; then reads
// the .3d it wrote. No shell is involved. On failure the error carries
// cavern's own messages ("cave.svx:12:5: error: ..."); without cavern it says
// which package provides it. Never throws.
ReadResult ReadSurvexSource(const std::filesystem::path& svx, const LegOptions& legs = {},
                            const CavernOptions& options = {});

}  // namespace mv

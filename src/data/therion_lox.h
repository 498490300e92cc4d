// Reading a Therion .lox file (the model Therion exports for its viewer)
// into the survey model.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/read_result.h"

namespace mv {

// Reads a whole .lox file held in memory; `name` stands for the file in
// messages, which give the byte offset of a fault. The file is a run of
// little-endian chunks (surveys, stations, shots, then scraps and surface
// data, which are skipped, as is a chunk of a type this reader does not
// know). Shots flagged surface, duplicate or splay are kept by the options;
// shots Therion marks invisible are left out. Station names are qualified by
// their survey ("1@entrance.cave"); entrances and fixed stations are flagged.
// Never throws and never reads outside `bytes`.
ReadResult ReadTherionLox(std::span<const uint8_t> bytes, std::string_view name,
                          const LegOptions& options = {});

// Whether `head` (the first bytes of a file) starts with a .lox chunk header
// of surveys, stations or shots whose size fits its record count.
bool LooksLikeTherionLox(std::span<const uint8_t> head);

}  // namespace mv

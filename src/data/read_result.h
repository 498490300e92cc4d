// What every survey reader shares: the result it returns, the error that
// names the file and the place of a fault, which legs it keeps, and what it
// counts while reading.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/survey_model.h"

namespace mv {

enum class SourceFormat {
  kUnknown,
  kSurveyFolder,  // the viewer's own three files
  kSurvex3d,
  kCompassPlot,
  kTherionLox,
  kSurvexSource,  // processed by cavern into a .3d
};

// A short name for messages and listings: "Survex .3d", "Compass .plt"...
const char* FormatName(SourceFormat f);

// The one fault that stopped a read, and where it lies.
struct SourceError {
  enum class Place { kFile, kLine, kByte, kRecord };

  std::string file;  // the name the reader was given; empty for no file
  Place place = Place::kFile;
  uint64_t at = 0;  // line (from 1), byte offset or record number
  std::string what;

  // "cave.plt: line 12: what", "cave.3d: byte 40: what", "cave.lox: what".
  std::string Message() const;
};

// Which legs go into the model, by their flags (LegFlag, in survey_model.h).
// A leg with several flags is left out when any of them is left out. The
// default keeps every leg: the model flags each row's kind.
struct LegOptions {
  bool splays = true;
  bool surface = true;
  bool duplicates = true;

  bool Keeps(unsigned flags) const {
    return ((flags & kLegSplay) == 0 || splays) && ((flags & kLegSurface) == 0 || surface) &&
           ((flags & kLegDuplicate) == 0 || duplicates);
  }
};

// What a source says about itself besides the model.
struct SourceInfo {
  SourceFormat format = SourceFormat::kUnknown;
  int version = 0;               // the .3d format version (0 for v0.01)
  std::string coordinateSystem;  // when the file gives one
  bool extendedElevation = false;

  // Legs in the file, how many carry each flag, and how many were left out
  // (by the options, or because the format says not to draw them).
  int64_t legs = 0;
  int64_t splayLegs = 0;
  int64_t surfaceLegs = 0;
  int64_t duplicateLegs = 0;
  int64_t legsLeftOut = 0;

  // Distinct entrance positions; the model keeps them all.
  int64_t entrancesFound = 0;
  // Passage sections in the file (the model keeps those at its stations),
  // and triangles of the wall meshes it gives.
  int64_t sectionsFound = 0;
  int64_t wallTriangles = 0;
  // What the reader skipped without failing, one line each, to show the
  // user (at most ModelBuilder::kMaxWarnings and a line saying how many
  // more).
  std::vector<std::string> warnings;

  // Counts one leg and says whether `options` keep it.
  bool CountLeg(unsigned flags, const LegOptions& options) {
    ++legs;
    if (flags & kLegSplay) ++splayLegs;
    if (flags & kLegSurface) ++surfaceLegs;
    if (flags & kLegDuplicate) ++duplicateLegs;
    const bool keep = options.Keeps(flags);
    if (!keep) ++legsLeftOut;
    return keep;
  }
};

// The result of every reader. On failure the model and info are left empty.
struct ReadResult {
  std::optional<SourceError> error;
  SurveyModel model;
  SourceInfo info;

  bool ok() const { return !error; }
  std::string ErrorMessage() const { return error ? error->Message() : std::string(); }
};

// A read finished for the viewer: the model with its bounding box.
struct LoadResult {
  bool ok = false;
  SurveyModel model;  // the loaded survey when ok
  SourceInfo info;
  Extents box;
  // The source was read, and only then the load failed (a survey with no
  // extent).
  bool sourceRead = false;
  // When not ok: one line saying what failed, naming the file and the place.
  std::string error;
};

// The common end of every load: the bounding box of an already filled
// model and a new generation. Fails only when the model has no extent.
LoadResult FinishLoad(SurveyModel&& model);

// A reader's result finished the same way; a failed read stays failed, and
// a survey without extent is named after `source`. The reader's warnings
// go to standard error, a line each.
LoadResult FinishLoad(ReadResult&& read, std::string_view source);

// Quotes a piece of a file for a message, spelling out bytes that are not
// printable ASCII; a text longer than `maxBytes` is cut and ends in "...".
std::string Quoted(std::string_view text, size_t maxBytes = std::string_view::npos);

// Thrown inside a reader at a fault it has placed; the reader's entry point
// turns it into the result's error.
struct ReadFault {
  SourceError::Place place;
  uint64_t at;
  std::string what;
};

// Thrown where a survey outgrows what the model can hold; placed at the
// reader's current position.
struct ModelLimit {
  std::string what;
};

// Runs a reader's body and turns whatever it throws into an error naming
// `file`: a ReadFault where it says, a ModelLimit at (place, at) as they
// stand when it is thrown, and running out of memory as such. Nothing
// escapes.
template <class Body>
ReadResult GuardedRead(std::string_view file, SourceError::Place place, const uint64_t& at,
                       Body&& body) {
  ReadResult r;
  SourceError e{std::string(file), SourceError::Place::kFile, 0, {}};
  try {
    body(r);
    return r;
  } catch (const ReadFault& f) {
    e.place = f.place;
    e.at = f.at;
    e.what = f.what;
  } catch (const ModelLimit& l) {
    e.place = place;
    e.at = at;
    e.what = l.what;
  } catch (const std::bad_alloc&) {
    e.what = "not enough memory to read the survey";
  } catch (const std::exception& x) {
    e.what = x.what();
  }
  ReadResult failed;
  failed.error = std::move(e);
  return failed;
}

}  // namespace mv

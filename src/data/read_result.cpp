#include "data/read_result.h"

#include <cstdio>

namespace mv {

const char* FormatName(SourceFormat f) {
  switch (f) {
    case SourceFormat::kSurveyFolder:
      return "survey folder";
    case SourceFormat::kSurvex3d:
      return "Survex .3d";
    case SourceFormat::kCompassPlot:
      return "Compass .plt";
    case SourceFormat::kTherionLox:
      return "Therion .lox";
    case SourceFormat::kSurvexSource:
      return "Survex .svx";
    case SourceFormat::kUnknown:
      break;
  }
  return "unknown";
}

std::string SourceError::Message() const {
  std::string m;
  if (!file.empty()) m = file + ": ";
  switch (place) {
    case Place::kLine:
      m += "line " + std::to_string(at) + ": ";
      break;
    case Place::kByte:
      m += "byte " + std::to_string(at) + ": ";
      break;
    case Place::kRecord:
      m += "record " + std::to_string(at) + ": ";
      break;
    case Place::kFile:
      break;
  }
  return m + what;
}

std::string Quoted(std::string_view text, size_t maxBytes) {
  const bool cut = text.size() > maxBytes;
  if (cut) text = text.substr(0, maxBytes);
  std::string q = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      q += '\\';
      q += c;
    } else if (u >= 0x20 && u < 0x7f) {
      q += c;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      q += buf;
    }
  }
  if (cut) q += "...";
  q += '"';
  return q;
}

LoadResult FinishLoad(SurveyModel&& model) {
  LoadResult r;
  r.sourceRead = true;
  r.box = ComputeExtents(model);
  if (!(ModelSize(r.box) > 0)) {
    r.error = "the survey has no extent (every station lies at the origin)";
    return r;
  }
  r.model = std::move(model);
  r.model.generation = NextModelGeneration();
  r.ok = true;
  return r;
}

LoadResult FinishLoad(ReadResult&& read, std::string_view source) {
  if (!read.ok()) {
    LoadResult r;
    r.error = read.error->Message();
    return r;
  }
  for (const std::string& line : read.info.warnings) std::fprintf(stderr, "%s\n", line.c_str());
  LoadResult r = FinishLoad(std::move(read.model));
  r.info = std::move(read.info);
  if (!r.ok && !source.empty()) r.error = std::string(source) + ": " + r.error;
  return r;
}

}  // namespace mv

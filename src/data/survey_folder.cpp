#include "data/survey_folder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "data/read_result.h"
#include "data/records.h"

namespace mv {

namespace {

// Each file is read front to back in pieces of about a megabyte (whole
// records), so memory stays near the model's own size whatever the file's.
constexpr size_t kChunkBytes = size_t{1} << 20;

// One file's bytes, handed out front to back.
class Source {
 public:
  virtual ~Source() = default;
  virtual uint64_t Size() const = 0;
  // The next n bytes, valid until the next call; nullptr when they cannot be
  // read (the file shrank or a read failed).
  virtual const uint8_t* Next(size_t n) = 0;
};

class MemorySource final : public Source {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  const uint8_t* Next(size_t n) override {
    if (n > bytes_.size() - pos_) return nullptr;
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += n;
    return p;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

class FileSource final : public Source {
 public:
  // Opens `path` for reading only: a survey on a read-only medium or with
  // read-only permissions loads like any other. Sets `error` on failure.
  FileSource(const std::filesystem::path& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = "is not a regular file";
      return;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
      error = std::string("cannot be opened: ") + std::strerror(errno);
      return;
    }
    // Reads go straight into our buffer instead of through stdio's.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
      error = "cannot be read: " + ec.message();
      return;
    }
    size_ = size;
  }
  ~FileSource() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  uint64_t Size() const override { return size_; }
  const uint8_t* Next(size_t n) override {
    if (buffer_.size() < n) buffer_.resize(n);
    if (std::fread(buffer_.data(), 1, n, file_) != n) return nullptr;
    return buffer_.data();
  }

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  std::vector<uint8_t> buffer_;
};

// One of the three files, opened (or found missing) when the load reaches it.
struct Opened {
  std::unique_ptr<Source> source;  // null when absent or not opened
  std::string name;                // for messages
  std::string error;               // why it could not be opened
};
enum class FileKind { kObject, kStations, kLines };
using Opener = std::function<Opened(FileKind)>;

// The fault that stops a load: in a file as a whole, or in one record.
SourceError InFile(const std::string& name, std::string what) {
  return {name, SourceError::Place::kFile, 0, std::move(what)};
}
SourceError AtRecord(const std::string& name, uint64_t record, std::string what) {
  return {name, SourceError::Place::kRecord, record, std::move(what)};
}

// How many data rows a file of `size` bytes yields, checked as the viewer
// reads it: the leading record is skipped, then records 1, 2, ... are read
// whole until the end. A file without a whole record 1 fails here; a partial
// record after the whole ones fails once the rows before it were read
// (see FailOnPartialTail), so a bad record earlier in the file is reported
// first.
bool CountRows(const Opened& f, size_t recordSize, uint64_t& rows, SourceError& error) {
  const uint64_t size = f.source->Size();
  const uint64_t whole = size / recordSize;
  if (size == 0) {
    error = InFile(f.name, "the file is empty");
    return false;
  }
  if (whole < 2) {
    error = InFile(f.name, size == recordSize ? "the file holds only its leading record"
                                              : "record 1 is cut short (the file is " +
                                                    std::to_string(size) + " bytes)");
    return false;
  }
  rows = whole - 1;
  // Row numbers are 32-bit everywhere in the model.
  if (rows > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    error = InFile(f.name, "too many records (" + std::to_string(rows) + ")");
    return false;
  }
  return true;
}

bool FailOnPartialTail(const Opened& f, size_t recordSize, SourceError& error) {
  const uint64_t size = f.source->Size();
  if (size % recordSize == 0) return true;
  error =
      InFile(f.name, "record " + std::to_string(size / recordSize) + " is cut short (the file is " +
                         std::to_string(size) + " bytes, not a whole number of " +
                         std::to_string(recordSize) + "-byte records)");
  return false;
}

// Calls visit(bytes, record number) for each whole data record, reading the
// file in chunks. Stops at the first visit that returns false.
template <class Visit>
bool ForEachRecord(const Opened& f, size_t recordSize, uint64_t rows, SourceError& error,
                   Visit&& visit) {
  Source& s = *f.source;
  if (s.Next(recordSize) == nullptr) {
    error = InFile(f.name, "cannot be read");
    return false;
  }
  const uint64_t perChunk = std::max<uint64_t>(1, kChunkBytes / recordSize);
  uint64_t record = 1;
  for (uint64_t left = rows; left > 0;) {
    const uint64_t k = std::min(left, perChunk);
    const uint8_t* p = s.Next(static_cast<size_t>(k * recordSize));
    if (p == nullptr) {
      error = InFile(f.name, "cannot be read past record " + std::to_string(record - 1));
      return false;
    }
    for (uint64_t i = 0; i < k; ++i, ++record, p += recordSize)
      if (!visit(p, record)) return false;
    left -= k;
  }
  return true;
}

bool ReadObject(const Opened& f, SurveyModel& m, SourceError& error) {
  if (f.source == nullptr) {
    // No object file: the origin is 0 and the first station is the only
    // entrance.
    m.originX = m.originY = m.originZ = 0.0L;
    m.entranceCount = 1;
    m.entrances.fill(0);
    return true;
  }
  // Only record 1 is read; whatever follows it does not matter.
  const uint64_t size = f.source->Size();
  if (size < 2 * kObjectRecordSize) {
    error = InFile(f.name, "record 1 is missing or cut short (the file is " + std::to_string(size) +
                               " bytes)");
    return false;
  }
  const uint8_t* p = nullptr;
  if (f.source->Next(kObjectRecordSize) != nullptr) p = f.source->Next(kObjectRecordSize);
  if (p == nullptr) {
    error = InFile(f.name, "cannot be read");
    return false;
  }
  const ObjectRecord r = DecodeObjectRecord(p);
  // A length byte beyond the name's field means the file is not what it
  // claims to be: refuse it rather than guess.
  if (r.name.overlong) {
    error = AtRecord(f.name, 1,
                     "name length " + std::to_string(r.name.length) + " is above its capacity " +
                         std::to_string(kNameCapacity));
    return false;
  }
  // The object's name is the survey's title, its bytes as stored.
  m.title = r.name.text;
  m.originX = r.originX;
  m.originY = r.originY;
  m.originZ = r.originZ;
  // The entrance count and rows are kept as read, even out of range: the
  // entrance drawer draws only the valid rows among the ten slots, so a bad
  // entrance costs one sphere, not the whole survey.
  m.entranceCount = r.entranceCount;
  m.entrances = r.entrances;
  return true;
}

bool ReadStations(const Opened& f, const ReadOptions& options, SurveyModel& m, SourceError& error) {
  uint64_t rows = 0;
  if (!CountRows(f, kStationRecordSize, rows, error)) return false;
  // Reserved, not filled: a huge file of garbage fails at its first bad
  // record without the memory for all its rows ever being touched.
  m.stations.clear();
  m.stations.reserve(3 * rows);
  // The origin is added in double precision.
  const double origin[3] = {options.addOrigin ? m.originX.AsDouble() : 0.0,
                            options.addOrigin ? m.originY.AsDouble() : 0.0,
                            options.addOrigin ? m.originZ.AsDouble() : 0.0};
  static const char* const kAxis[3] = {"X", "Y", "Z"};
  const bool ok =
      ForEachRecord(f, kStationRecordSize, rows, error, [&](const uint8_t* p, uint64_t record) {
        const StationRecord r = DecodeStationRecord(p);
        const StoredText* texts[3] = {&r.x, &r.y, &r.z};
        for (int i = 0; i < 3; ++i) {
          const StoredText& t = *texts[i];
          // Taking the text cut to its field would read a different number
          // than the one the writer meant; refuse the file instead.
          if (t.overlong) {
            error = AtRecord(f.name, record,
                             std::string(kAxis[i]) + " text length " + std::to_string(t.length) +
                                 " is above its capacity " + std::to_string(kCoordinateCapacity));
            return false;
          }
          double v = 0;
          const NumberError e = ParseNumber(t.text, options.decimalPoint, v);
          if (e != NumberError::kNone) {
            error = AtRecord(f.name, record,
                             std::string(kAxis[i]) + " text " + Quoted(t.text) + " " + Describe(e));
            return false;
          }
          m.stations.push_back(v + origin[i]);
        }
        return true;
      });
  return ok && FailOnPartialTail(f, kStationRecordSize, error);
}

bool ReadLines(const Opened& f, SurveyModel& m, SourceError& error) {
  uint64_t rows = 0;
  if (!CountRows(f, kSurveyLineRecordSize, rows, error)) return false;
  m.lines.clear();
  m.lines.reserve(kLineColumns * rows);
  const int64_t stationCount = m.StationCount();
  const bool ok =
      ForEachRecord(f, kSurveyLineRecordSize, rows, error, [&](const uint8_t* p, uint64_t record) {
        const std::array<int32_t, kLineColumns> out = DecodeSurveyLineRecord(p).columns;
        // A record holds at most 30 stations (29 shots); a longer line would
        // run past the record, so the file is refused. A negative count is
        // harmless: the line passes through no station and draws nothing.
        const int64_t n = out[0];
        if (n + 1 > kLineColumns - 1) {
          error =
              AtRecord(f.name, record,
                       "a line of " + std::to_string(n) + " shots needs " + std::to_string(n + 1) +
                           " stations; a record holds at most " + std::to_string(kLineColumns - 1));
          return false;
        }
        // A station row outside the station file would put the line at a
        // point that does not exist: refuse the file.
        for (int64_t c = 1; c <= n + 1; ++c) {
          const int32_t row = out[c];
          if (row < 0 || row >= stationCount) {
            error = AtRecord(f.name, record,
                             "column " + std::to_string(c) + " names station row " +
                                 std::to_string(row) + ", but the rows are 0 to " +
                                 std::to_string(stationCount - 1));
            return false;
          }
        }
        m.lines.insert(m.lines.end(), out.begin(), out.end());
        return true;
      });
  return ok && FailOnPartialTail(f, kSurveyLineRecordSize, error);
}

// Reads the three files in the viewer's order: the object file (optional),
// then the stations, then the survey lines; each file is opened only when
// the load reaches it.
bool ReadWith(const Opener& open, const ReadOptions& options, SurveyModel& m, SourceError& error) {
  try {
    Opened object = open(FileKind::kObject);
    if (!object.error.empty()) {
      error = InFile(object.name, object.error);
      return false;
    }
    if (!ReadObject(object, m, error)) return false;
    object.source.reset();

    Opened stations = open(FileKind::kStations);
    if (stations.source == nullptr) {
      error = InFile(stations.name, stations.error);
      return false;
    }
    if (!ReadStations(stations, options, m, error)) return false;
    stations.source.reset();

    Opened lines = open(FileKind::kLines);
    if (lines.source == nullptr) {
      error = InFile(lines.name, lines.error);
      return false;
    }
    return ReadLines(lines, m, error);
  } catch (const std::bad_alloc&) {
    error = InFile("", "not enough memory for the survey");
  } catch (const std::exception& e) {
    error = InFile("", e.what());
  }
  return false;
}

// The legs of the line rows and the entrances among the ten slots that name
// a station, for the counts a reader reports.
SourceInfo FolderInfo(const SurveyModel& m) {
  SourceInfo info;
  info.format = SourceFormat::kSurveyFolder;
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r) info.legs += std::max(0, m.Line(r)[0]);
  const int32_t slots = std::clamp(m.entranceCount, 0, kMaxEntrances);
  for (int32_t i = 0; i < slots; ++i) info.entrancesFound += m.ValidStation(m.entrances[i]);
  return info;
}

ReadResult Finished(bool ok, SourceError&& error, SurveyModel&& model) {
  ReadResult r;
  if (!ok) {
    r.error = std::move(error);
    return r;
  }
  r.info = FolderInfo(model);
  // One survey, named by the object.
  model.surveys = {SurveyNode{-1, model.title}};
  r.model = std::move(model);
  return r;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::filesystem::path FindSurveyFile(const std::filesystem::path& dir, std::string_view name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path exact = dir / fs::path(std::string(name));
  if (fs::exists(exact, ec) && !fs::is_directory(exact, ec)) return exact;
  std::vector<std::string> found;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (!SameIgnoringCase(entry, name)) continue;
    std::error_code dirEc;
    if (it->is_directory(dirEc)) continue;
    found.push_back(entry);
  }
  if (found.empty()) return {};
  return dir / *std::min_element(found.begin(), found.end());
}

ReadResult ReadSurveyBytes(const SurveyBytes& files, const ReadOptions& options) {
  const Opener open = [&](FileKind kind) {
    Opened o;
    switch (kind) {
      case FileKind::kObject:
        o.name = kObjectFileName;
        if (files.object) o.source = std::make_unique<MemorySource>(*files.object);
        break;
      case FileKind::kStations:
        o.name = kStationFileName;
        o.source = std::make_unique<MemorySource>(files.stations);
        break;
      case FileKind::kLines:
        o.name = kSurveyLineFileName;
        o.source = std::make_unique<MemorySource>(files.lines);
        break;
    }
    return o;
  };
  SurveyModel model;
  SourceError error;
  const bool ok = ReadWith(open, options, model, error);
  return Finished(ok, std::move(error), std::move(model));
}

ReadResult ReadSurveyFolder(const std::filesystem::path& dir, const ReadOptions& options) {
  const Opener open = [&](FileKind kind) {
    const std::string_view name = kind == FileKind::kObject     ? kObjectFileName
                                  : kind == FileKind::kStations ? kStationFileName
                                                                : kSurveyLineFileName;
    Opened o;
    o.name = name;
    const std::filesystem::path path = FindSurveyFile(dir, name);
    if (path.empty()) {
      // A missing object file is allowed; the other two are not.
      if (kind != FileKind::kObject) {
        std::error_code ec;
        const std::filesystem::path where = std::filesystem::absolute(dir, ec).lexically_normal();
        o.error = "is missing from " + (ec ? dir : where).string();
      }
      return o;
    }
    o.name = path.filename().string();
    auto source = std::make_unique<FileSource>(path, o.error);
    if (o.error.empty()) o.source = std::move(source);
    return o;
  };
  SurveyModel model;
  SourceError error;
  const bool ok = ReadWith(open, options, model, error);
  return Finished(ok, std::move(error), std::move(model));
}

LoadResult LoadSurveyBytes(const SurveyBytes& files, std::string_view decimalPoint) {
  ReadOptions options;
  options.decimalPoint = decimalPoint;
  return FinishLoad(ReadSurveyBytes(files, options), "");
}

LoadResult LoadSurveyFolder(const std::filesystem::path& dir) {
  ReadOptions options;
  options.decimalPoint = LocaleDecimalPoint();
  return FinishLoad(ReadSurveyFolder(dir, options), "");
}

}  // namespace mv

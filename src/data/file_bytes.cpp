#include "data/file_bytes.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <system_error>

namespace mv {

std::optional<SourceError> ReadFileBytes(const std::filesystem::path& path,
                                         std::vector<uint8_t>& out) {
  const auto fail = [&](const char* what) {
    return SourceError{path.string(), SourceError::Place::kFile, 0, what};
  };
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return fail("cannot open the file");
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (file == nullptr || ec) return fail("cannot open the file");
  try {
    out.resize(static_cast<size_t>(size));
  } catch (const std::exception&) {  // bad_alloc, or length_error past max_size
    return fail("not enough memory to read the file");
  }
  // A file that shrank since its size was taken is cut short here and fails
  // in its reader like any other short file.
  out.resize(std::fread(out.data(), 1, out.size(), file.get()));
  if (std::ferror(file.get())) return fail("cannot read the file");
  return std::nullopt;
}

}  // namespace mv

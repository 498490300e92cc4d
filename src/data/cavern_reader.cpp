#include "data/cavern_reader.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "data/file_bytes.h"
#include "data/survex3d.h"

extern char** environ;

namespace mv {

namespace {

// Cavern's output past this is not looked at for its messages.
constexpr size_t kMaxLogBytes = size_t{4} << 20;
constexpr size_t kMaxMessageLines = 20;

std::filesystem::path FindProgram(const std::string& program) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto runnable = [&](const fs::path& p) {
    return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
  };
  if (program.find('/') != std::string::npos) return runnable(program) ? fs::path(program) : "";
  const char* path = std::getenv("PATH");
  std::string_view dirs = path != nullptr ? path : "/usr/bin:/bin";
  while (true) {
    const size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    const fs::path candidate = fs::path(dir.empty() ? "." : std::string(dir)) / program;
    if (runnable(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    dirs.remove_prefix(colon + 1);
  }
}

// A fresh folder of our own under the system's temporary folder, removed
// with everything in it when the object goes.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "morvalka-XXXXXX").string();
    if (ec) pattern = "/tmp/morvalka-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Cavern's messages about the survey: "file:line: ..." and "cavern: ...".
bool IsMessage(std::string_view line) {
  if (line.starts_with("cavern: ")) return true;
  const size_t colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos || line[0] == ' ') return false;
  size_t i = colon + 1, digits = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i, ++digits;
  return digits > 0 && i < line.size() && line[i] == ':';
}

std::string Messages(const std::filesystem::path& log) {
  std::ifstream in(log, std::ios::binary);
  std::string text(kMaxLogBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  std::string found;
  size_t lines = 0;
  for (size_t pos = 0; pos < text.size() && lines < kMaxMessageLines;) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string_view line = std::string_view(text).substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsMessage(line)) {
      found += '\n';
      found += line;
      ++lines;
    }
    pos = eol + 1;
  }
  return found;
}

std::string Duration(std::chrono::milliseconds d) {
  const auto ms = d.count();
  if (ms % 60000 == 0) return std::to_string(ms / 60000) + " minute" + (ms == 60000 ? "" : "s");
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " second" + (ms == 1000 ? "" : "s");
  return std::to_string(ms) + " ms";
}

ReadResult Failed(const std::filesystem::path& svx, std::string what) {
  ReadResult r;
  r.error = SourceError{svx.string(), SourceError::Place::kFile, 0, std::move(what)};
  return r;
}

// Starts `program` with `args`, its output and errors going to `log`.
// Returns the process id, or -1 with errno set.
pid_t Spawn(const std::filesystem::path& program, const std::vector<std::string>& args,
            const std::filesystem::path& log) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int e = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (e != 0) {
    errno = e;
    return -1;
  }
  return pid;
}

}  // namespace

ReadResult ReadSurvexSource(const std::filesystem::path& svx, const LegOptions& legs,
                            const CavernOptions& options) {
  try {
    const std::filesystem::path program = FindProgram(options.program);
    if (program.empty())
      return Failed(svx, "a Survex source needs Survex's cavern, and \"" + options.program +
                             "\" was not found (the Debian package \"survex\" provides it)");
    PrivateFolder folder;
    if (folder.path().empty())
      return Failed(svx, std::string("cannot make a temporary folder: ") + std::strerror(errno));
    const std::filesystem::path out = folder.path() / "survey.3d";
    const std::filesystem::path log = folder.path() / "cavern.log";
    // -s: no .err file; "--" so that a file name starting with '-' stays one.
    const pid_t pid =
        Spawn(program,
              {options.program, "-q", "-s", "--output=" + out.string(), "--", svx.string()}, log);
    if (pid < 0) return Failed(svx, "cannot run " + program.string() + ": " + std::strerror(errno));

    // However this ends (a cancel callback may even throw), cavern is not
    // left running in a folder about to be removed.
    struct Child {
      pid_t pid;
      bool reaped = false;
      ~Child() {
        if (reaped) return;
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
      }
    } child{pid};
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    for (;;) {
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid || (done < 0 && errno != EINTR)) break;
      if (options.cancelled && options.cancelled())
        return Failed(svx, "cancelled while cavern was processing the survey");
      if (std::chrono::steady_clock::now() - start > options.timeLimit)
        return Failed(
            svx, "cavern took longer than " + Duration(options.timeLimit) + " and was stopped");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    child.reaped = true;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::string what = "cavern could not process the survey";
      if (WIFSIGNALED(status))
        what += " (it was killed by signal " + std::to_string(WTERMSIG(status)) + ")";
      return Failed(svx, what + Messages(log));
    }
    std::vector<uint8_t> bytes;
    if (const auto e = ReadFileBytes(out, bytes))
      return Failed(svx, "cavern wrote no .3d file we could read (" + e->what + ")");
    ReadResult r = ReadSurvex3d(bytes, svx.string(), legs);
    if (r.ok()) r.info.format = SourceFormat::kSurvexSource;
    return r;
  } catch (const std::exception& e) {
    return Failed(svx, e.what());
  }
}

}  // namespace mv

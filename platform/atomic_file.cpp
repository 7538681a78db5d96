#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/errors.h"

namespace {

std::string TempNameFor(const std::string& path) { return path + ".tmp-XXXXXX"; }

}  // namespace

void WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  std::string tmp = TempNameFor(path);
  const int fd = mkstemp(tmp.data());
  if (fd < 0) throw TFileError(path, std::string("cannot create file: ") + std::strerror(errno));
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    const int err = errno;
    close(fd);
    unlink(tmp.c_str());
    throw TFileError(path, std::string("cannot create file: ") + std::strerror(err));
  }
  auto fail = [&](const std::string& reason) {
    std::fclose(f);
    unlink(tmp.c_str());
    throw TFileError(path, reason);
  };
  bool ok = false;
  try {
    ok = write(f);
  } catch (...) {
    std::fclose(f);
    unlink(tmp.c_str());
    throw;
  }
  if (!ok) fail("cannot write file");
  if (std::fflush(f) != 0 || std::ferror(f))
    fail(std::string("cannot write file: ") + std::strerror(errno));
  // New files get the usual permissions (mkstemp makes them 0600).
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  const mode_t mode = (stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : (0666 & ~mask);
  fchmod(fileno(f), mode);
  if (fsync(fileno(f)) != 0 && errno != EINVAL)
    fail(std::string("cannot write file: ") + std::strerror(errno));
  if (std::fclose(f) != 0) {
    const int err = errno;
    unlink(tmp.c_str());
    throw TFileError(path, std::string("cannot write file: ") + std::strerror(err));
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    unlink(tmp.c_str());
    throw TFileError(path, std::string("cannot write file: ") + std::strerror(err));
  }
}

std::string WriteProblem(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return path + ": not a file";
  std::string tmp = TempNameFor(path);
  const int fd = mkstemp(tmp.data());
  if (fd < 0) return path + ": cannot create file: " + std::strerror(errno);
  close(fd);
  unlink(tmp.c_str());
  return {};
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
  WriteFileAtomically(path, [&](std::FILE* f) {
    return std::fwrite(content.data(), 1, content.size(), f) == content.size();
  });
}

std::string ReadWholeFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw TFileError(path, "file not found");
  if (S_ISDIR(st.st_mode)) throw TFileError(path, "is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TFileError(path, std::string("cannot open file: ") + std::strerror(errno));
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) throw TFileError(path, "cannot read file");
  return ss.str();
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

#pragma once
// Runs a command-line tool in a scratch folder and collects its exit status and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"

namespace cli_test {

struct TResult {
  int status = -1;
  std::string err;
  std::string out;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TScratch : public testsupport::TTempDirTest {
 protected:
  TResult Run(const std::string& tool, const std::vector<std::string>& args) const {
    std::string cmd = Quote(tool);
    for (const auto& a : args) cmd.append(" ").append(Quote(a));
    const auto errFile = dir_ / ".stderr", outFile = dir_ / ".stdout";
    cmd.append(" >").append(Quote(outFile.string()));
    cmd.append(" 2>").append(Quote(errFile.string())).append(" </dev/null");
    const int raw = std::system(cmd.c_str());
    TResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.err = Slurp(errFile);
    r.out = Slurp(outFile);
    std::filesystem::remove(errFile);
    std::filesystem::remove(outFile);
    return r;
  }

  // Files in the scratch folder other than `keep`.
  std::vector<std::string> OtherFiles(const std::vector<std::string>& keep) const {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      const std::string n = e.path().filename().string();
      if (std::find(keep.begin(), keep.end(), n) == keep.end()) found.push_back(n);
    }
    return found;
  }
};

inline int LineCount(const std::string& s) {
  return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

}  // namespace cli_test

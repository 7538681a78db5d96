#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "test_support.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using AtomicFileTest = TempDirTest;

std::size_t EntriesIn(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST_F(AtomicFileTest, WritesAndReplaces) {
  const std::string path = Path("a.cfg");
  WriteFileAtomically(path, std::string("first"));
  EXPECT_EQ(ReadWholeFile(path), "first");
  WriteFileAtomically(path, std::string("second, longer"));
  EXPECT_EQ(ReadWholeFile(path), "second, longer");
  EXPECT_EQ(EntriesIn(dir_), 1u) << "no temporary file left behind";
}

TEST_F(AtomicFileTest, FailedWriterKeepsTheOldFile) {
  const std::string path = Path("a.cfg");
  WriteFileAtomically(path, std::string("old"));
  EXPECT_THROW(WriteFileAtomically(path,
                                   [](std::FILE* f) -> bool {
                                     std::fputs("half", f);
                                     throw std::runtime_error("writer broke");
                                   }),
               std::runtime_error);
  EXPECT_EQ(ReadWholeFile(path), "old");
  ExpectFileError([&] { WriteFileAtomically(path, [](std::FILE*) { return false; }); }, path,
                  "cannot write file");
  EXPECT_EQ(ReadWholeFile(path), "old");
  EXPECT_EQ(EntriesIn(dir_), 1u);
}

TEST_F(AtomicFileTest, NewFileWhoseWriterFailsIsNotCreated) {
  const std::string path = Path("new.bmp");
  EXPECT_THROW(WriteFileAtomically(path, [](std::FILE*) -> bool { throw std::bad_alloc(); }),
               std::bad_alloc);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(EntriesIn(dir_), 0u);
}

TEST_F(AtomicFileTest, PermissionsFollowUmaskOrTheOldFile) {
  const std::string fresh = Path("fresh");
  const mode_t mask = umask(022);
  WriteFileAtomically(fresh, std::string("x"));
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  chmod(fresh.c_str(), 0600);
  WriteFileAtomically(fresh, std::string("y"));
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(AtomicFileTest, ErrorsNameTheFile) {
  const std::string inMissing = Path("no/such/a.cfg");
  ExpectFileError([&] { WriteFileAtomically(inMissing, std::string("x")); }, inMissing,
                  "cannot create file");
  ExpectFileError([&] { ReadWholeFile(Path("missing")); }, Path("missing"), "file not found");
  ExpectFileError([&] { ReadWholeFile(dir_.string()); }, dir_.string(), "folder");
  EXPECT_FALSE(FileExists(dir_.string()));
  EXPECT_FALSE(FileExists(Path("missing")));
  WriteFileAtomically(Path("there"), std::string());
  EXPECT_TRUE(FileExists(Path("there")));
  EXPECT_EQ(ReadWholeFile(Path("there")), "");
}

}  // namespace

TEST_F(AtomicFileTest, WriteProblemForeseesFailures) {
  std::filesystem::create_directories(Path("folder"));
  struct Case {
    std::string path;
    bool problem;
  } cases[] = {{Path("new.cfg"), false}, {Path("folder"), true}, {Path("missing/new.cfg"), true}};
  WriteFileAtomically(Path("old.cfg"), "x");
  for (const Case& c : cases) {
    const std::string problem = WriteProblem(c.path);
    EXPECT_EQ(!problem.empty(), c.problem) << c.path << ": " << problem;
    if (c.problem) {
      EXPECT_NE(problem.find(c.path), std::string::npos) << problem;
    }
  }
  EXPECT_EQ(WriteProblem(Path("old.cfg")), "");
  // Nothing is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2) << "folder and old.cfg only";
}

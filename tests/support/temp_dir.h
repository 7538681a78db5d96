#pragma once
// A fresh folder per test, named after the test and removed afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace testsupport {

class TTempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir_ = std::filesystem::temp_directory_path() /
           ("dw_test_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& file) const { return (dir_ / file).string(); }

  std::filesystem::path dir_;
};

}  // namespace testsupport

#pragma once
// Command line of maskwright-cli, parsed without Qt.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct TCliStep {
  enum TKind { kRotate, kMove } kind;
  float x, y, z;
};

struct TCliOptions {
  enum TCommand { kHelp, kRender, kExport } command = kHelp;
  std::string model;
  std::string output;
  int width = 640, height = 480;
  std::vector<TCliStep> steps;  // --rotate and --move in the order given
  int frames = 60;
  int turns[3] = {0, 1, 0};
  bool byX = true, byY = false, byZ = true;
  int fps = 25;       // export to .avi
  std::string codec;  // export to .avi: four-character code, empty for uncompressed
  bool progress = false;
};

// A command line that makes no sense; main prints its text and the usage line, exit status 2.
struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

TCliOptions ParseCommandLine(const std::vector<std::string>& args);
extern const char* const kUsage;
extern const char* const kHelpText;

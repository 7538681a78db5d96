#pragma once
// The command line of dotweave-cli.
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct TRenderOptions {
  std::string mask;
  std::string output;
  std::string texture;
  std::string config;
  // (section, key, value) in the order given; a plain KEY belongs to section "Options".
  struct TSetting {
    std::string section, key, value;
  };
  std::vector<TSetting> settings;
  bool blend = false;
  bool progress = false;
};

// A command line that does not fit the interface; exit status 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCommand { Help, Render };

// Throws TUsageError.
TCommand ParseArguments(const std::vector<std::string>& args, TRenderOptions& options);

extern const char kUsage[];
extern const char kHelp[];

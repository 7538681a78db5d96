#pragma once
// Errors of the engine's own making (an empty mask, mismatched pictures). Readers throw
// TFileError instead; windows and command-line tools catch both as std::runtime_error.
#include <stdexcept>

class TRenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

#pragma once
// Readers and writers throw TFileError, whose message names the file and the reason, ready to be
// shown to the user ("mask.bmp: truncated file"). Windows and command-line tools catch it.
#include <stdexcept>
#include <string>

class TFileError : public std::runtime_error {
 public:
  TFileError(const std::string& fileName, const std::string& reason)
      : std::runtime_error(fileName + ": " + reason), fileName_(fileName), reason_(reason) {}
  const std::string& FileName() const { return fileName_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string fileName_;
  std::string reason_;
};

#pragma once
// Writes a file through a temporary file in the same folder and a rename, so readers and crashes
// never see a half-written file. On failure the temporary is removed, the old file stays, and
// TFileError is thrown with the target's name and the system's reason.
#include <cstdio>
#include <functional>
#include <string>

// `write` receives an open FILE* for the temporary; it may throw, and should return false when it
// failed on its own terms (the message is then "cannot write file").
void WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write);
void WriteFileAtomically(const std::string& path, const std::string& content);

// Reads a whole file; throws TFileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

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

// Why an atomic write of `path` would fail now (a temporary cannot be made beside it, or the
// name is taken by something other than a file), or an empty string. Leaves nothing behind.
std::string WriteProblem(const std::string& path);

// Reads a whole file; throws TFileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

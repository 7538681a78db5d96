#pragma once
// Pictures built into the program as JPEG resources (":/JPG/<name>"), decoded with libjpeg.
#include <string>

#include "platform/dib.h"

// Reads the resource into `target` as a 24-bit picture. TFileError when it is missing or damaged.
void LoadJpegResource(const std::string& name, TDIB& target);

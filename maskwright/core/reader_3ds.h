#pragma once
// 3DS model files: every triangle mesh of the file goes into the one mesh builder, centred on the
// model frame's origin and scaled so that its largest extent is 9 units.
// Errors: a file that cannot be read, or a record that runs past the end of the file, throws
// TFileError; a first chunk whose length is not the file size makes Parse3DS return false.
#include <string>

#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"

inline constexpr const char* kUnsupportedInputType = "Unsupported input file type";
inline constexpr const char* kParseError = "Error parsing 3DS file";
inline constexpr const char* kCaption = "Depthsmith 1.55";

// Whether the name ends in ".3ds", in any case.
bool Has3dsExtension(const std::string& name);

// The whole load as the Open command runs it: errors go to the host's error box, the result is
// stored as ModelLoaded and returned.
bool Open3DS(TMaskCore& core, TMaskHost& host, const std::string& name);
// Rebuilds the scene, parses and normalises; true when the file was read.
bool LoadModel(TMaskCore& core, TMaskHost& host, const std::string& name);
// Reads the meshes into the (empty) mesh builder; false when the size check failed.
bool Parse3DS(TMaskCore& core, TMaskHost& host, const std::string& name);
// After a successful load: the model matrix and the reference distance Z0 from the model frame.
void CaptureLoadedModel(TMaskCore& core);

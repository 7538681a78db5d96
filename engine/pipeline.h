#pragma once
// The render pipeline: reads the mask and texture files, fits the mask, builds the pattern, renders
// and reports through the host's status bar. Readers' TFileError and the engine's TRenderError
// propagate to the caller; the busy state is switched off on every exit.
#include <string>

#include "engine/engine.h"

// Makes a new stereogram in OutputImage. With reloadMask false MaskImage must hold the mask.
// Does nothing when a needed file is missing. The caller learns of a cancel from CancelRequested.
void ReloadPix(TEngine& engine, bool reloadMask);

// Reads a BMP/DIB, JPEG (".jpg"), GIF or PNG file into `picture`. False, with the picture left as
// it was, when the file does not exist. In 8-bit mode BMP and PNG pictures get the halftone
// palette, with the pixels of 1/4/8-bit ones moved to the nearest halftone entries of their
// colours.
bool LoadInDib(TDIB& picture, const std::string& fileName, int bitRate);

// Fills each "%d" of a (translated) format with the next number; "%%" gives "%". Other
// characters, stray "%" included, stand as they are.
std::string FormatNumbers(const std::string& format, std::initializer_list<int> numbers);

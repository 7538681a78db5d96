#pragma once
// The steps of an animation export that do not depend on a window: the turn per frame, one frame,
// and the names of a BMP sequence.
#include <string>

#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"

// Clears the cancel request and gives the model frame a turn of 2·n·π / frames per Move about
// the axis of GetRotationParms(counts). Returns n.
int PrepareRotation(TMaskCore& core, int X, int Y, int Z, int frames);
// One step of the turn, the view redrawn, then the mask and its preview.
void RenderFrame(TMaskCore& core, TMaskHost& host);
// prefix + the number padded with zeros to at least four digits + ".bmp".
std::string SequenceFileName(const std::string& prefix, int number);

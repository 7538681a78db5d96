#pragma once
#include <ostream>

#include "cli_options.h"

// Renders and writes the stereogram; returns the exit status (0, 1 or 2) and writes one line to
// `err` on failure.
int RunRender(const TRenderOptions& options, std::ostream& err);

// direvo-compose's movie outputs: --views-movie, --depth-movie, --sbs-movie and --movie
// --span.
#pragma once

#include "options.h"

namespace tool {

// Composes the movie the options ask for; returns the exit status (0), or ends the
// program with status 2 on failure and by the signal itself on Ctrl+C, leaving no file.
int composeMovie(const Options& o);

}  // namespace tool

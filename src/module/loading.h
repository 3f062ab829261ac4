#pragma once

#include "module/runtime.h"

namespace rigkit {

// Runs the import's steps in the module whose state is `s`; throws on failure.
void load(const State &s);

}  // namespace rigkit

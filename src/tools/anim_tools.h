// AnimTools: the finished animation tools, split by tool over anim_tools.cpp
// (the class, its curve sources, the Smart Euler Filter) and
// anim_tools_sync.cpp (the timeline questions).
#pragma once

#include "module/methods.h"

namespace rigkit {

void addAnimToolsSyncMembers(ClassBuilder &cls);

}  // namespace rigkit

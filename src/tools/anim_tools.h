// AnimTools: the finished animation tools, split by tool over anim_tools.cpp
// (the class, its curve sources, the Smart Euler Filter) and
// anim_tools_sync.cpp (the timeline questions) and anim_tools_keys.cpp (key
// kinds and the small target queries).
#pragma once

#include "module/methods.h"

namespace rigkit {

void addAnimToolsSyncMembers(ClassBuilder &cls);
void addAnimToolsKeyMembers(ClassBuilder &cls);

}  // namespace rigkit

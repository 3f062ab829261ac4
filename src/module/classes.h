// One define function per class; each makes its class in the module's
// namespace. Loading calls them in the module's class order.
#pragma once

#include "module/runtime.h"

namespace rigkit {

void defineAnimControl(const State &s);
void defineFrameTime(const State &s);
void defineSelectionBuilder(const State &s);
void defineNode(const State &s);
void defineSelectionReader(const State &s);
void defineLayerQueries(const State &s);
void defineAnimLayer(const State &s);
void defineKeyQueries(const State &s);
void defineChannelBox(const State &s);
void defineMirrorRules(const State &s);
void defineAnimAttr(const State &s);
void defineAnimTools(const State &s);

}  // namespace rigkit

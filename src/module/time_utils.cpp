// AnimControl and FrameTime: Maya's time API for the module and its callers.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineAnimControl(const State &s) {
    defineClass(s, "AnimControl", "MAnimControl", [](ClassBuilder &) {});
}

void defineFrameTime(const State &s) {
    defineClass(s, "FrameTime", "MTime", [](ClassBuilder &) {});
}

}  // namespace rigkit

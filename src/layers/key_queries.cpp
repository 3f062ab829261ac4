// KeyQueries: key kinds on runs of frames; the base of ChannelBox and AnimTools.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineKeyQueries(const State &s) {
    defineClass(s, "KeyQueries", "CoreObject", [](ClassBuilder &) {});
}

}  // namespace rigkit

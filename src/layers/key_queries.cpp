// KeyQueries: key kinds on runs of frames; the base of ChannelBox and AnimTools.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineKeyQueries(const State &s) {
    const char *doc =
        "Key kinds on runs of frames; the base of ChannelBox and AnimTools.";
    defineClass(s, "KeyQueries", "CoreObject", doc, [](ClassBuilder &) {});
}

}  // namespace rigkit

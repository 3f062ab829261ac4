// ChannelBox: the Channel Box selection as attribute wrappers.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineChannelBox(const State &s) {
    const char *doc =
        "The Channel Box selection as attribute wrappers.\n"
        "\n"
        "keepAlive holds every plug array handed out, for the module's lifetime.";
    defineClass(s, "ChannelBox", "KeyQueries", doc, [](ClassBuilder &cls) {
        // Every plug array handed out stays referenced here for the module's
        // lifetime, so plugs taken from it never outlive their array.
        cls.constant("keepAlive", steal(PyList_New(0)));
    });
}

}  // namespace rigkit

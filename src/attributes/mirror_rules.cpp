// MirrorRules: the base of AnimAttr; names, channel families and mirroring.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineMirrorRules(const State &s) {
    defineClass(s, "MirrorRules", "CoreObject", [](ClassBuilder &cls) {
        // Node name to mirror node, shared by every attribute wrapper.
        cls.constant("mirrorNodeCache", steal(PyDict_New()));
    });
}

}  // namespace rigkit

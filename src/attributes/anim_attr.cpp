// AnimAttr: one attribute of one node, held as an MPlug.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineAnimAttr(const State &s) {
    defineClass(s, "AnimAttr", "MirrorRules", [&](ClassBuilder &cls) {
        cls.constant("controllerClass", s.global(steal(PyUnicode_InternFromString("ChannelBox")).ptr()));
    });
}

}  // namespace rigkit

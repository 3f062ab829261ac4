// AnimLayer: one animation layer node, known by name.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineAnimLayer(const State &s) {
    const char *doc =
        "One animation layer, known by its name.\n"
        "\n"
        "The k* constants are the keys of the settings dictionary.";
    defineClass(s, "AnimLayer", "CoreObject", doc, [](ClassBuilder &cls) {
        // Keys of the settings dictionary.
        cls.constant("kMute", text("m"));
        cls.constant("kLock", text("l"));
        cls.constant("kSolo", text("s"));
        cls.constant("kOverride", text("o"));
        cls.constant("kPassthrough", text("pt"));
        cls.constant("kPreferred", text("pf"));
        cls.constant("kRotationAccumulationMode", text("ra"));
        cls.constant("kScaleAccumulationMode", text("sa"));
        cls.constant("kWeight", text("wgth"));
    });
}

}  // namespace rigkit

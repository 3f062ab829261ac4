// LayerQueries: the scene's animation layers as a whole.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineLayerQueries(const State &s) {
    const char *doc =
        "Questions about the scene's animation layers as a whole.\n"
        "\n"
        "BASE_LAYER is the name of Maya's root layer.";
    defineClass(s, "LayerQueries", "CoreObject", doc, [](ClassBuilder &cls) {
        // Maya's root layer; every base-layer test compares against this.
        cls.constant("BASE_LAYER", text("BaseAnimation"));
    });
}

}  // namespace rigkit

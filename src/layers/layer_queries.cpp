// LayerQueries: the scene's animation layers as a whole.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineLayerQueries(const State &s) {
    defineClass(s, "LayerQueries", "CoreObject", [](ClassBuilder &cls) {
        // Maya's root layer; every base-layer test compares against this.
        cls.constant("BASE_LAYER", text("BaseAnimation"));
    });
}

}  // namespace rigkit

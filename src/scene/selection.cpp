// SelectionBuilder and SelectionReader: node names and the active selection as
// API objects and paths.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineSelectionBuilder(const State &s) {
    const char *doc =
        "Builds Maya selection lists from node names.";
    defineClass(s, "SelectionBuilder", "CoreObject", doc, [](ClassBuilder &) {});
}

void defineSelectionReader(const State &s) {
    const char *doc =
        "Reads node names and the active selection as API objects and paths.";
    defineClass(s, "SelectionReader", "CoreObject", doc, [](ClassBuilder &) {});
}

}  // namespace rigkit

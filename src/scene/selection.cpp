// SelectionBuilder and SelectionReader: node names and the active selection as
// API objects and paths.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineSelectionBuilder(const State &s) {
    defineClass(s, "SelectionBuilder", "CoreObject", [](ClassBuilder &) {});
}

void defineSelectionReader(const State &s) {
    defineClass(s, "SelectionReader", "CoreObject", [](ClassBuilder &) {});
}

}  // namespace rigkit

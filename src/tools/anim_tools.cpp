// AnimTools: the finished animation tools.
#include "module/classes.h"
#include "module/methods.h"

namespace rigkit {

void defineAnimTools(const State &s) {
    const char *doc =
        "The finished animation tools.\n"
        "\n"
        "MODE_TARGET_CURVES, MODE_SELECTED_KEYS and MODE_ALT choose which curves a\n"
        "tool works on.";
    defineClass(s, "AnimTools", "KeyQueries", doc, [](ClassBuilder &cls) {
        cls.constant("MODE_TARGET_CURVES", steal(PyLong_FromLong(0)));
        cls.constant("MODE_SELECTED_KEYS", steal(PyLong_FromLong(1)));
        cls.constant("MODE_ALT", steal(PyLong_FromLong(2)));
    });
}

}  // namespace rigkit

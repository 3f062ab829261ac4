// The timeline questions: whether the time slider should show the keys of the
// Channel Box selection, tint while channels are selected, and show the keys
// of the selected layers. Nothing changes until the animator accepts.
#include "tools/anim_tools.h"

namespace rigkit {
namespace {

const char *const kHighlightOption = "channelBoxSelectionTimelineHighlight";

py::object timeControl(const State &s, PyObject *kwnames) {
    return callMethodKw(s.global(s.cmds), s.timeControl, kwnames,
                        getAttr(s.global(s.CORE), s.timeSlider), Py_True, Py_True);
}

// ToolMessage.show("auxKit", title, body, askMessageKind, onMessageClick=callback)
void ask(const State &s, py::handle title, py::handle body, py::handle callback,
         const char *messageId) {
    callMethodKw(s.global(s.ToolMessage), s.show, s.kwOnMessageClickMessageId, text("auxKit"),
                 title, body, s.global(s.askMessageKind), callback, text(messageId));
}

py::object highlightOption(const State &s) {
    return call(s.global(s.AuxToolOption), text(kHighlightOption));
}

void runHighlightCommand(const State &s) {
    callMethod(getAttr(s.global(s.CORE), s.trigger),
               s.channelBoxAuxKit_channelBoxSelectionTimelineHighlight);
}

bool accepted(const State &s, py::handle clickValue) {
    return equal(clickValue, getAttr(s.global(s.MessageClick), s.accepted));
}

// Without an interface nobody could answer a question: both return at once.
py::object updateChannelBoxHighlight(const State &s, py::handle self) {
    InterfaceCheck ui(s);
    if (!ui.present()) return none();
    if (!truthy(getAttr(call(s.global(s.ChannelBox)), s.selectedChannelPaths))) return none();
    if (!equal(timeControl(s, s.kwQueryShowKeys), text("mainChannelBox"))) {
        ask(s, text("Sync your timeline with Channel Box?"),
            text("It's highly recommended to enable all the power of Zentrik.\n"
                 "This will filter your target only to channels selected in the channelbox.\n"
                 "You can use the command Clear Channel Box Selection when you need to clear "
                 "the filtering."),
            getAttr(self, s.onTimelineSyncMessageClick), "timeline_channelbox_sync");
        return none();
    }
    if (truthy(callMethod(highlightOption(s), s.load))) return none();
    py::object body = steal(PyList_New(0));
    for (const char *line : {"This will tint your timeline when you have channels selected in "
                             "the Channel Box to prevent actions on filtered channels "
                             "accidentally",
                             "channelBoxSelectionTimelineHighlight.gif"})
        if (PyList_Append(body.ptr(), text(line).ptr()) < 0) throwPythonError();
    ask(s, text("Turn on Channel Box Selection Timeline Highlight?"), body,
        getAttr(self, s.onHighlightMessageClick), "channel_box_selection_timeline_highlight");
    return none();
}

py::object updateAnimLayerSync(const State &s, py::handle self) {
    InterfaceCheck ui(s);
    if (!ui.present()) return none();
    py::object selected = getAttr(call(s.global(s.LayerQueries)), s.selectedLayers);
    const Py_ssize_t count = PyObject_Size(selected.ptr());
    if (count < 0) throwPythonError();
    if (count <= 1) return none();
    if (equal(timeControl(s, s.kwQueryAnimLayerFilterOptions), text("activeAndSelected")))
        return none();
    ask(s, text("Sync your timeline keys with selected Anim Layers?"),
        text("It's highly recommended to enable all the power of Zentrik.\n"
             "This will enable applying features to multiple anim layers."),
        getAttr(self, s.onTimelineSyncMessageClick), "timeline_animlayers_sync");
    return none();
}

// Shows the Channel Box keys of every active and selected layer, and turns the
// highlight on: the option is stored off first, so the command always starts
// from off.
py::object onTimelineSyncMessageClick(const State &s, py::handle, py::handle clickValue) {
    if (!accepted(s, clickValue)) return none();
    callMethodKw(s.global(s.cmds), s.timeControl, s.kwEditShowKeysCombinedLayerFilter,
                 getAttr(s.global(s.CORE), s.timeSlider), Py_True, text("mainChannelBox"),
                 Py_True, text("activeAndSelected"));
    callMethod(highlightOption(s), s.save, Py_False);
    runHighlightCommand(s);
    return none();
}

// The command toggles the highlight: an answer that comes after the
// animator turned it on some other way must not turn it off again.
py::object onHighlightMessageClick(const State &s, py::handle, py::handle clickValue) {
    if (accepted(s, clickValue) && !truthy(callMethod(highlightOption(s), s.load)))
        runHighlightCommand(s);
    return none();
}

}  // namespace

void addAnimToolsSyncMembers(ClassBuilder &cls) {
    cls.method<updateChannelBoxHighlight>("updateChannelBoxHighlight",
        "With channels selected in the Channel Box, offer to show their keys on the\n"
        "time slider, or else to turn the selection highlight on. Nothing in batch.",
        {"self"});
    cls.method<updateAnimLayerSync>("updateAnimLayerSync",
        "With several layers selected, offer to show their keys on the time slider.\n"
        "Nothing in batch.",
        {"self"});
    cls.method<onTimelineSyncMessageClick>("onTimelineSyncMessageClick",
        "The answer to a sync question: accepting shows the Channel Box keys of\n"
        "the active and selected layers and turns the highlight on.",
        {"self", "clickValue"});
    cls.method<onHighlightMessageClick>("onHighlightMessageClick",
        "The answer to the highlight question: accepting turns the highlight on,\n"
        "unless it is on by then.",
        {"self", "clickValue"});
}

}  // namespace rigkit

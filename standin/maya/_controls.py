"""The two UI controls the suite reads and drives: the main Channel Box
(``cmds.channelBox``) and the time slider (``cmds.timeControl``).

Maya has one Channel Box, "mainChannelBox", and one time slider,
"timeControl1" (``$gPlayBackSlider``, also accepted as a path ending in
"|timeControl1"); the stand-in has those two and no others: another name
raises ``RuntimeError``, and creating a control raises too.

Their state starts over with each new scene, so every test begins from
Maya's defaults; in Maya the time slider's settings are preferences that
outlive a scene.

In batch mode (``maya.standalone.initialize()``) neither control exists:
``exists`` answers False and every other use raises ``RuntimeError`` as for
a missing control (see ``maya._session`` for what is documented and what is
guessed).

``maya.cmds`` imports this module and exposes its commands; import it
through ``maya.cmds``.
"""

from ._cmd_base import _command, _display, _names, _plug
from ._scene import SCENE
from ._session import isBatch, requireInterface

__all__ = ["channelBox", "timeControl"]


MAIN_CHANNEL_BOX = "mainChannelBox"


TIME_SLIDER = "timeControl1"


# The Channel Box's sections, top to bottom.
SECTIONS = ("main", "shape", "history", "output")


# animLayerFilterOptions values: "allAffecting" is no filter.
LAYER_FILTERS = ("allAffecting", "active", "animLayerEditor", "activeAndSelected", "selected")


class _ControlState(object):
    """Settings of the two controls in one scene, at Maya's defaults."""

    def __init__(self):
        self.showKeys = "active"
        self.showKeysCombined = False
        self.animLayerFilterOptions = "allAffecting"
        self.channelSelection = dict((section, []) for section in SECTIONS)


_STATE = [None, None]   # the scene's world node, and the state made for it


def state():
    """The controls' state for the current scene; a new scene (which makes a
    new world node) starts from the defaults."""
    if _STATE[0] is not SCENE.world:
        _STATE[:] = [SCENE.world, _ControlState()]
    return _STATE[1]


def _controlName(args, command):
    names = _names(args)
    if len(names) != 1:
        raise RuntimeError("%s: a control name is required." % command)
    return names[0]


# --- Channel Box ------------------------------------------------------------------

def _isIntermediate(node):
    attr = node.findAttr("intermediateObject")
    return attr is not None and bool(SCENE.value((node, attr, ())))


def _hasKeyableChannel(node):
    """Whether any plug of the node is keyable (array elements are judged by
    their array's flag: a simplification)."""
    return any(SCENE.isKeyable((node, attr, ())) for attr in node.allAttrs())


def _hiddenFromSections(node):
    """DAG nodes have sections of their own, and animation (curves, layer
    blends) and sets are not construction history: the INPUTS and OUTPUTS
    sections neither list these nor look past them."""
    return (node.isDag or SCENE.isAnimationNode(node)
            or node.nodeType.isA("objectSet"))


def _neighbours(node, upstream):
    """The nodes connected into ``node`` (upstream) or fed by it, in the
    order the connections were made."""
    found = []
    for key in list(SCENE.connectedKeys.get(node, ())):
        if upstream:
            src = SCENE.connections.get(key)
            others = [src] if src is not None else []
        else:
            others = SCENE.destinationsOf(key)
        for other in others:
            if other[0] is not node and other[0].alive and other[0] not in found:
                found.append(other[0])
    return found


def _historyOrFuture(shown, upstream):
    """INPUTS (``upstream``) or OUTPUTS: the dependency nodes that feed the
    shown nodes, or that they feed, directly or through other dependency
    nodes, nearest first; listed when they have a keyable channel, as the
    Channel Box lists only nodes with channels to edit.  Maya follows the
    construction history connections of a node's main data (its geometry);
    the model follows every connection, which is the same for the
    dependency-node chains rigs are made of."""
    seen = set(shown)
    listed = []
    frontier = list(shown)
    while frontier:
        following = []
        for node in frontier:
            for other in _neighbours(node, upstream):
                if other in seen or _hiddenFromSections(other):
                    continue
                seen.add(other)
                following.append(other)
                if _hasKeyableChannel(other):
                    listed.append(other)
        frontier = following
    return listed


def sectionObjects(section):
    """The nodes a Channel Box section shows.  Main: the selected nodes in
    selection order (Maya shows the last one, and edits apply to all).
    Shape: the shapes directly below them, intermediate shapes left out.
    History (INPUTS) and output (OUTPUTS): the dependency nodes feeding and
    fed by the main and shape nodes (see ``_historyOrFuture``)."""
    main = [node for node in SCENE.selection if node.alive]
    if section == "main":
        return main
    shapes = []
    for node in main:
        if not node.isDag or node.nodeType.isShape:
            continue
        for child in node.children:
            if child.nodeType.isShape and not _isIntermediate(child) and child not in shapes:
                shapes.append(child)
    if section == "shape":
        return shapes
    return _historyOrFuture(main + shapes, section == "history")


def _attributeOn(node, name):
    """The attribute ``name`` (a short plug path such as "tx") names on
    ``node``, or None."""
    try:
        return SCENE.parsePlug(node, name)[0]
    except ValueError:
        return None


def selectedAttributes(section):
    """Short names of the attributes selected in a section that one of its
    objects has, in the order the Channel Box lists them (the attribute
    order of the first object holding each)."""
    objects = sectionObjects(section)
    ranked = []
    for name in state().channelSelection[section]:
        for node in objects:
            attr = _attributeOn(node, name)
            if attr is not None:
                ranked.append((node.attributeIndex(attr), name))
                break
    return [name for _, name in sorted(ranked)]


def selectChannels(plugNames):
    """``channelBox -edit -select``: the given plugs ("ctrl.tx") become the
    attribute selection, each in the section that shows its node; a plug of
    a node the Channel Box does not show selects nothing.  An empty name or
    list clears the selection.  A plug that does not exist raises
    ``ValueError`` as other commands do."""
    chosen = dict((section, []) for section in SECTIONS)
    shown = dict((section, sectionObjects(section)) for section in SECTIONS)
    for text in _names([plugNames]):
        if not text:
            continue
        node, attr, indices = _plug(text)
        name = SCENE.plugPath(attr, indices, longNames=False, fullPath=False)
        for section in SECTIONS:
            if node in shown[section]:
                if name not in chosen[section]:
                    chosen[section].append(name)
                break
    state().channelSelection = chosen


# What each channelBox query flag answers: (section, objects or attributes).
_CHANNEL_BOX_QUERIES = dict(
    mainObjectList=("main", "objects"), shapeObjectList=("shape", "objects"),
    historyObjectList=("history", "objects"), outputObjectList=("output", "objects"),
    selectedMainAttributes=("main", "attributes"),
    selectedShapeAttributes=("shape", "attributes"),
    selectedHistoryAttributes=("history", "attributes"),
    selectedOutputAttributes=("output", "attributes"))


@_command("channelBox", dict(query="q", edit="e", exists="ex", select="s",
                             mainObjectList="mol", shapeObjectList="sol",
                             historyObjectList="hol", outputObjectList="ool",
                             selectedMainAttributes="sma", selectedShapeAttributes="ssa",
                             selectedHistoryAttributes="sha", selectedOutputAttributes="soa"))
def channelBox(*args, **flags):
    """Queries the object lists and the selected attributes of the main
    Channel Box's four sections (``None`` when empty, as Maya answers;
    objects by their shortest unique names, attributes by short name), and
    edits its attribute selection with ``select`` (see ``selectChannels``).
    The object lists follow the active selection (see ``sectionObjects``);
    the attribute selection persists while the objects change, and a
    section answers the selected attributes its objects have."""
    name = _controlName(args, "channelBox")
    if flags.get("exists"):
        return name == MAIN_CHANNEL_BOX and not isBatch()
    requireInterface("channelBox", name)
    if name != MAIN_CHANNEL_BOX:
        raise RuntimeError("channelBox: Object '%s' not found." % name)
    if flags.get("query"):
        for flag, (section, what) in _CHANNEL_BOX_QUERIES.items():
            if flags.get(flag):
                if what == "objects":
                    return [_display(node) for node in sectionObjects(section)] or None
                return selectedAttributes(section) or None
        raise RuntimeError("channelBox: the stand-in answers only the object lists "
                           "and the selected attributes.")
    if flags.get("edit"):
        if "select" in flags:
            selectChannels(flags["select"])
        return None
    raise RuntimeError("channelBox: Object's name '%s' is not unique." % name)


# --- time slider ------------------------------------------------------------------

def _isTimeSlider(name):
    return name.rpartition("|")[2] == TIME_SLIDER


def _setSlider(flags):
    """Apply timeControl's edit flags, checking their values first."""
    current = state()
    showKeys = flags.get("showKeys")
    if showKeys is not None and showKeys not in ("active", "none", MAIN_CHANNEL_BOX):
        raise RuntimeError("timeControl: '%s' is not a selection connection or channel box."
                           % showKeys)
    layerFilter = flags.get("animLayerFilterOptions")
    if layerFilter is not None and layerFilter not in LAYER_FILTERS:
        raise RuntimeError("timeControl: invalid animLayerFilterOptions value '%s'."
                           % layerFilter)
    if showKeys is not None:
        current.showKeys = showKeys
    if flags.get("showKeysCombined") is not None:
        current.showKeysCombined = bool(flags["showKeysCombined"])
    if layerFilter is not None:
        current.animLayerFilterOptions = layerFilter


@_command("timeControl", dict(query="q", edit="e", exists="ex", showKeys="sk",
                              showKeysCombined="skc", animLayerFilterOptions="alf"))
def timeControl(*args, **flags):
    """Queries or edits which keys the time slider shows: ``showKeys``
    ("active" by default, "none", or "mainChannelBox" for the Channel Box
    selection), ``showKeysCombined`` (False by default) and
    ``animLayerFilterOptions`` ("allAffecting" by default, or one of
    "active", "animLayerEditor", "activeAndSelected", "selected").  Edits
    return ``None``; a value Maya does not take raises ``RuntimeError``."""
    name = _controlName(args, "timeControl")
    if flags.get("exists"):
        return _isTimeSlider(name) and not isBatch()
    requireInterface("timeControl", name)
    if not _isTimeSlider(name):
        raise RuntimeError("timeControl: Object '%s' not found." % name)
    if flags.get("query"):
        for flag in ("showKeys", "showKeysCombined", "animLayerFilterOptions"):
            if flags.get(flag):
                return getattr(state(), flag)
        raise RuntimeError("timeControl: the stand-in answers only showKeys, "
                           "showKeysCombined and animLayerFilterOptions.")
    if flags.get("edit"):
        _setSlider(flags)
        return None
    raise RuntimeError("timeControl: only one timeControl may be created.")

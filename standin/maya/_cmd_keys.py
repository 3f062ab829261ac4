"""Commands on keys: ``setKeyframe``, ``keyframe``, ``cutKey``,
``keyTangent`` and ``selectKey``.  Gathered by ``maya.cmds``.
"""

from . import _attrs, _keys, _layers
from ._cmd_base import _command, _display, _fromUi, _names, _node, _plug, _toUi
from ._scene import SCENE

__all__ = ["setKeyframe", "keyframe", "cutKey", "keyTangent", "selectKey"]


# --- keys ------------------------------------------------------------------------

def _keyTargets(names, attributes):
    """Plug keys that setKeyframe / keyframe act on."""
    if isinstance(attributes, str):
        attributes = [attributes]
    result = []
    objects = names or [_display(n) for n in SCENE.selection]
    for name in objects:
        if "." in name:
            result.append(_plug(name))
            continue
        node = _node(name)
        if attributes:
            for a in attributes:
                result.append(_plug("%s.%s" % (_display(node), a)))
        elif node.keys is not None:
            result.append(("curve", node))
        else:
            for top in node.topAttrs():
                for attr in top.walk():
                    if attr.arrayDepth() or attr.children:
                        continue
                    key = (node, attr, ())
                    if SCENE.isKeyable(key) and SCENE.curveTypeFor(attr) is not None:
                        result.append(key)
    return result


def _leafKeys(key):
    node, attr, indices = key
    if not attr.children:
        return [key]
    result = []
    for child in attr.children:
        result.extend(_leafKeys((node, child, indices)))
    return result


# --- the time and index flags ------------------------------------------------------
#
# Both flags are multi-use, as the key commands' reference pages describe
# ("-time 1.0sec -time 15ntsc -time 20", "-index 2 -index 5 -index 7"), and
# each use names one time (index) or a range of them ("-time 10:20", with an
# open end for "10:" or ":10", and ":" for all).  From Python a list gives
# the uses, a tuple of one or two items is one use (a time, or a range whose
# ends may be None), and a string is the MEL form:
#   time=5, time=(5,)          the key at 5
#   time=(1, 5), time="1:5"    the keys from 1 to 5
#   time=[1, 5, 7]             the keys at 1, at 5 and at 7
#   time=[(1, 2), (5, 5)]      the keys from 1 to 2 and the key at 5
# Times are in the working time unit (the stand-in reads no unit suffix).

_OPEN = (None, "")


def _flagError(flag, value):
    return TypeError("Invalid arguments for flag '%s': %r" % (flag, value))


def _timeValue(flag, value):
    """One end of a time use, in ticks."""
    if isinstance(value, bool) or isinstance(value, (list, tuple, dict)):
        raise _flagError(flag, value)
    try:
        return SCENE.ticksFromUi(value)
    except (TypeError, ValueError):
        raise _flagError(flag, value)


def _indexValue(flag, value):
    """One end of an index use: a key index (0 for the first key)."""
    if isinstance(value, str):
        try:
            value = int(value.strip())
        except ValueError:
            raise _flagError(flag, value)
    if isinstance(value, bool) or not isinstance(value, int) or value < 0:
        raise _flagError(flag, value)
    return value


def _span(flag, item, convert):
    """One use of a time or index flag as ``(low, high, isRange)``; an open
    end is infinite."""
    if isinstance(item, str) and ":" in item:
        low, _, high = item.partition(":")
        low = convert(flag, low) if low.strip() else float("-inf")
        high = convert(flag, high) if high.strip() else float("inf")
        return low, high, True
    if isinstance(item, tuple):
        if len(item) == 1 and item[0] not in _OPEN:
            value = convert(flag, item[0])
            return value, value, False
        if len(item) not in (1, 2):
            raise _flagError(flag, item)
        low = float("-inf") if item[0] in _OPEN else convert(flag, item[0])
        high = float("inf") if item[-1] in _OPEN else convert(flag, item[-1])
        return low, high, True
    value = convert(flag, item)
    return value, value, False


def _spans(flag, value, convert):
    """A time or index flag as the list of its uses (see ``_span``), or
    ``None`` when it is not given.  An empty list names nothing, which
    Maya's flag parser refuses rather than taking as every key."""
    if value is None:
        return None
    if isinstance(value, list):
        if not value:
            raise _flagError(flag, value)
        return [_span(flag, item, convert) for item in value]
    return [_span(flag, value, convert)]


def _timeSpans(value):
    """The ``time`` flag of a keyset command (see ``_span``)."""
    return _spans("time", value, _timeValue)


def _indexSpans(value):
    """The ``index`` flag of a keyset command (see ``_span``)."""
    return _spans("index", value, _indexValue)


def _setTimes(value, default):
    """setKeyframe's ``time`` flag: one time per use (a list or tuple gives
    several), ``default`` when not given.  A key is set at a time, not over a
    range, so range forms are refused."""
    if value is None:
        return [default]
    items = list(value) if isinstance(value, (list, tuple)) else [value]
    if not items:
        raise _flagError("time", value)
    times = []
    for item in items:
        if isinstance(item, str) and ":" in item:
            raise _flagError("time", value)
        times.append(_timeValue("time", item))
    return times


def _inSpans(position, spans, upperBound=True):
    """Whether a key time (ticks) or index lies in one of ``spans``;
    ``upperBound`` False leaves out the upper end of a range whose ends
    differ (Maya's ``includeUpperBound``, which applies to ranges only)."""
    for low, high, isRange in spans:
        if not low - 1e-6 <= position <= high + 1e-6:
            continue
        if isRange and not upperBound and low < high and abs(position - high) < 1e-6:
            continue
        return True
    return False


def _keyIndexAt(curve, ticks):
    """The index of the key of ``curve`` at ``ticks``."""
    return [abs(k[0] - ticks) < 1e-6 for k in curve.keys].index(True)


@_command("setKeyframe", dict(attribute="at", time="t", value="v",
                              breakdown="bd", inTangentType="itt",
                              outTangentType="ott", hierarchy="hi",
                              controlPoints="cp", shape="s", animLayer="al",
                              identity="id", insert="i", dirtyDG="dd",
                              respectKeyable="rk", minimizeRotation="mr",
                              noResolve="nr", float="f", animated="an",
                              useCurrentLockedWeights="lw"))
def setKeyframe(*args, **flags):
    """Returns the number of keys set.  A key's value defaults to the plug's
    value at that time; ``value`` is in working units; ``insert`` keys an
    animated plug's curve with the curve's own value, keeping its shape.  A
    plug in animation layers is keyed on the curve of the ``animLayer`` layer when that layer
    holds it (Maya ignores the flag otherwise), else of its best layer (see
    ``maya._layers``); ``value`` is then the layer's own value, and a key
    in a locked layer is not set.

    ``time`` takes one time per use (see ``_setTimes``).  ``breakdown``
    sets the breakdown state of every key set, a new key as well as one
    already at that time; without the flag a new key is a normal key and
    an existing one keeps its state.  A key of a boolean or enum attribute
    gets a stepped out tangent (Maya steps those attributes, see
    ``keyTangent -stepAttributes``) unless ``outTangentType`` is given, and
    a key ``insert`` adds to a curve gets fixed tangents (a stepped
    attribute's out tangent stays stepped) unless types are given."""
    names = _names(args)
    times = _setTimes(flags.get("time"), SCENE.currentTicks)
    for flag in ("inTangentType", "outTangentType"):
        if flags.get(flag) is not None and flags[flag] not in _keys.TANGENT_TYPES:
            raise RuntimeError("setKeyframe: Invalid tangent type '%s'." % flags[flag])
    targets = _keyTargets(names, flags.get("attribute"))
    count = 0
    edited = []
    for target in targets:
        if target[0] == "curve":
            continue
        for key in _leafKeys(target):
            if SCENE.isLocked(key):
                continue
            if SCENE.curveTypeFor(key[1]) is None:
                continue
            slot = _layers.keySlot(key, flags.get("animLayer"))
            if slot is False:
                continue  # the layer that would take the key is locked
            if slot is None:
                if SCENE.connections.get(key) is not None and SCENE.curveDriving(key) is None:
                    continue
                if flags.get("animated") and SCENE.curveDriving(key) is None:
                    continue
            elif flags.get("animated") and not _layers.curvesFeeding(key):
                continue
            for ticks in times:
                value = None
                inserted = SCENE.curveDriving(key if slot is None else slot) \
                    if flags.get("insert") else None
                if inserted is not None:  # keeps the curve's shape
                    value = SCENE.evaluateCurve(inserted, ticks)
                elif flags.get("value") is not None:
                    value = _fromUi(key[1], flags["value"])
                elif slot is not None:
                    value = _layers.valueToKey(key, slot, ticks)
                elif key in SCENE.overrides and ticks == SCENE.currentTicks:
                    value = SCENE.overrides[key]
                curve = SCENE.keyPlug(key if slot is None else slot, ticks, value)
                _setNewKeyState(curve, _keyIndexAt(curve, ticks), key[1], flags,
                                inserted is not None)
                if curve not in edited:
                    edited.append(curve)
                count += 1
    if edited:
        from ._anim_control import _fireCurvesEdited
        _fireCurvesEdited(edited)
    return count


def _isStepped(attr):
    """Whether setKeyframe steps the keys of an attribute: booleans and
    enums, whose values do not blend."""
    return attr.kind == _attrs.ENUM or (attr.kind == _attrs.NUMERIC
                                        and attr.numericType == _attrs.N_BOOLEAN)


def _setNewKeyState(curve, index, attr, flags, inserted):
    """Give the key setKeyframe set at ``index`` its tangent types and
    breakdown state (see ``setKeyframe``)."""
    inType, outType = flags.get("inTangentType"), flags.get("outTangentType")
    if inserted:  # fixed tangents keep the curve's shape
        inType = inType or "fixed"
        outType = outType or ("step" if _isStepped(attr) else "fixed")
    elif outType is None and _isStepped(attr):
        outType = "step"
    if inType is not None:
        _keys.setTangentType(curve, index, "inTangent", inType)
    if outType is not None:
        _keys.setTangentType(curve, index, "outTangent", outType)
    if flags.get("breakdown") is not None:
        _keys.setFlag(curve, index, "breakdown", flags["breakdown"])


def _curvesOf(targets):
    curves = []
    for target in targets:
        if target[0] == "curve":
            curves.append((None, target[1]))
            continue
        for key in _leafKeys(target):
            curve = SCENE.curveDriving(key)
            if curve is None and _layers.chain(key):
                curve = SCENE.curveDriving(_layers.slotOf(_layers.bestLayer(key), key))
            if curve is not None:
                curves.append((key, curve))
    return curves


def _keysIn(curve, timeSpans, indexSpans, activeOnly=False, upperBound=True):
    """``(index, key)`` of the keys of ``curve`` named by the ``time`` and
    ``index`` flags (see ``_timeSpans``; ``None`` names every key), only
    selected keys when ``activeOnly``; ``upperBound`` is the
    ``includeUpperBound`` flag, which Maya applies to time ranges only."""
    for i, k in enumerate(curve.keys):
        if indexSpans is not None and not _inSpans(i, indexSpans):
            continue
        if activeOnly and not _keys.isSelected(k):
            continue
        if timeSpans is not None and not _inSpans(k[0], timeSpans, upperBound):
            continue
        yield i, k


def _keysetFlags(command, flags):
    """The ``time`` and ``index`` uses and the ``includeUpperBound`` flag of
    a keyset command, read before anything changes.  ``float`` (keys of
    unitless-input curves) is not modelled and raises rather than leaving
    the command to act on every key."""
    if flags.get("float") is not None:
        raise RuntimeError("%s: the float flag is not modelled by the stand-in." % command)
    return (_timeSpans(flags.get("time")), _indexSpans(flags.get("index")),
            flags.get("includeUpperBound", True) is not False)


def _activeCurves():
    """``(None, curve)`` for every anim curve that has selected keys, in
    creation order."""
    return [(None, node) for node in SCENE.nodes
            if node.keys is not None and any(_keys.isSelected(k) for k in node.keys)]


def _keyset(names, flags, curves):
    """The curves a key command works on, and whether only their selected
    keys count, by Maya's ``animation`` rule ("keysOrObjects" unless given):
    with no object or attribute named, the selected keys when there are any,
    else ``curves`` (of the named or selected objects); "keys" always takes
    the selected keys and "objects" never does.  ``selected`` (queries) keeps
    only selected keys, of ``curves`` when something is named."""
    named = bool(names) or bool(flags.get("attribute"))
    if flags.get("selected"):
        if named:
            return [(k, c) for k, c in curves if any(_keys.isSelected(x) for x in c.keys)], True
        return _activeCurves(), True
    animation = flags.get("animation") or "keysOrObjects"
    if animation == "objects" or (animation != "keys" and named):
        return curves, False  # named objects never look at the key selection
    active = _activeCurves()
    if animation == "keys" or active:
        return active, True
    return curves, False


@_command("keyframe", dict(query="q", edit="e", timeChange="tc", valueChange="vc",
                           keyframeCount="kc", attribute="at", time="t",
                           index="in", absolute="a", relative="r", option="o",
                           name="n", indexValue="iv", selected="sl",
                           float="f", lastSelected="lsl", hierarchy="hi",
                           controlPoints="cp", shape="s", animation="an",
                           includeUpperBound="iub",
                           breakdown="bd", eval="ev", tickDrawSpecial="tds"))
def keyframe(*args, **flags):
    """Query (``query=True``) or edit (``edit=True``) keys.  Queries answer
    ``None`` when there are no keys; times and values in working units.
    ``breakdown`` queries the times of the breakdown keys; ``breakdown`` and
    ``tickDrawSpecial`` edits set those flags of the keys (see
    ``maya._keys``).  A plug in animation layers answers with the curve of
    its best layer (see ``maya._layers``).  Which keys count follows
    ``_keyset``: with no object or attribute named, the selected keys when
    there are any; ``selected`` keeps only selected keys.  ``time`` and
    ``index`` are multi-use (see ``_span``).

    Without ``query`` the command edits, as Maya's does, and answers the
    number of curves on which keys were modified: the curves with a key in
    the keyset, each counted (and edited) once however often it is named.
    ``timeChange`` and ``valueChange`` are absolute unless ``relative``
    (and not ``absolute``) is given."""
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    curves, activeOnly = _keyset(names, flags, _curvesOf(targets))
    timeSpans, indexSpans, upperBound = _keysetFlags("keyframe", flags)

    def selectedKeys(curve):
        return _keysIn(curve, timeSpans, indexSpans, activeOnly, upperBound)

    def uiValue(key, curve, value):
        attr = key[1] if key is not None else curve.findAttr("output")
        return _toUi(attr, value) if attr.kind != _attrs.NUMERIC else float(value)

    if flags.get("query"):
        if flags.get("name"):
            return [c.name for _, c in curves] or None
        if flags.get("keyframeCount"):
            return sum(len(list(selectedKeys(c))) for _, c in curves)
        result = []
        for key, curve in curves:
            for i, k in selectedKeys(curve):
                if flags.get("timeChange"):
                    result.append(SCENE.ticksToUi(k[0]))
                if flags.get("valueChange"):
                    result.append(float(uiValue(key, curve, k[1])))
                if flags.get("indexValue"):
                    result.append(i)
                if flags.get("breakdown") and _keys.isBreakdown(k):
                    result.append(SCENE.ticksToUi(k[0]))
        return result or None
    changes = [flag for flag in ("timeChange", "valueChange", "breakdown", "tickDrawSpecial")
               if flags.get(flag) is not None]
    if not changes:
        return 0
    relative = flags.get("relative") and not flags.get("absolute")
    edited = []
    for key, curve in curves:
        if curve in edited:
            continue
        attr = key[1] if key is not None else curve.findAttr("output")
        chosen = list(selectedKeys(curve))
        if not chosen:
            continue
        for i, k in chosen:
            if flags.get("valueChange") is not None:
                v = flags["valueChange"]
                if relative:
                    k[1] = k[1] + (_fromUi(attr, v) - _fromUi(attr, 0))
                else:
                    k[1] = _fromUi(attr, v)
            if flags.get("timeChange") is not None:
                t = flags["timeChange"]
                k[0] = k[0] + SCENE.ticksFromUi(t) if relative else SCENE.ticksFromUi(t)
            for flag in ("breakdown", "tickDrawSpecial"):
                if flags.get(flag) is not None:
                    _keys.setFlag(curve, i, flag, flags[flag])
        curve.keys.sort(key=lambda item: item[0])
        edited.append(curve)
    if edited:
        from ._anim_control import _fireCurvesEdited
        _fireCurvesEdited(edited)
    return len(edited)


@_command("cutKey", dict(attribute="at", time="t", index="in", clear="cl",
                         option="o", hierarchy="hi", controlPoints="cp",
                         shape="s", animation="an", float="f",
                         includeUpperBound="iub", selectKey="sl"))
def cutKey(*args, **flags):
    """Removes keys (all, or those ``time`` and ``index`` name, see
    ``_span``); a curve left without keys is deleted.  Returns the number of
    curves changed."""
    names = _names(args)
    curves = _curvesOf(_keyTargets(names, flags.get("attribute")))
    timeSpans, indexSpans, upperBound = _keysetFlags("cutKey", flags)
    changed = []
    for key, curve in curves:
        if curve in changed:
            continue
        cut = set(i for i, _ in _keysIn(curve, timeSpans, indexSpans, upperBound=upperBound))
        if not cut:
            continue
        curve.keys[:] = [k for i, k in enumerate(curve.keys) if i not in cut]
        changed.append(curve)
        if not curve.keys:
            SCENE.delete([curve])
    return len(changed)


@_command("keyTangent", dict(query="q", edit="e", attribute="at", time="t", index="in",
                             inTangentType="itt", outTangentType="ott",
                             weightedTangents="wt", animation="an", float="f",
                             hierarchy="hi", controlPoints="cp", shape="s",
                             includeUpperBound="iub"))
def keyTangent(*args, **flags):
    """Tangent types of keys and the weighted flag of curves, with
    ``keyframe``'s choice of keys (see ``_keyset``).

    Queries: ``inTangentType`` / ``outTangentType`` answer the type names
    of the keys in order ("auto", "linear", ...), ``weightedTangents`` one
    boolean per curve; ``None`` when nothing matches.  Edits (the default
    mode) set the given types on the keys and ``weightedTangents`` on the
    curves, and answer the number of curves changed (a curve without a key
    in the keyset changes only through ``weightedTangents``).  Types are recorded
    only: the stand-in's curves interpolate linearly (see ``maya._keys``).
    """
    names = _names(args)
    curves, activeOnly = _keyset(names, flags, _curvesOf(_keyTargets(names, flags.get("attribute"))))
    timeSpans, indexSpans, upperBound = _keysetFlags("keyTangent", flags)

    def keysOf(curve):
        return _keysIn(curve, timeSpans, indexSpans, activeOnly, upperBound)

    if flags.get("query"):
        result = []
        for _, curve in curves:
            if flags.get("weightedTangents"):
                result.append(bool(SCENE.value((curve, curve.findAttr("weightedTangents"), ()))))
                continue
            for _, k in keysOf(curve):
                inType, outType = _keys.tangentTypes(k)
                if flags.get("inTangentType"):
                    result.append(inType)
                if flags.get("outTangentType"):
                    result.append(outType)
        return result or None
    for flag in ("inTangentType", "outTangentType"):
        if flags.get(flag) is not None and flags[flag] not in _keys.TANGENT_TYPES:
            raise RuntimeError("keyTangent: Invalid tangent type '%s'." % flags[flag])
    changed = []
    for _, curve in curves:
        if curve in changed:
            continue
        chosen = [i for i, _ in keysOf(curve)]
        if flags.get("weightedTangents") is not None:
            SCENE.setValue((curve, curve.findAttr("weightedTangents"), ()),
                           bool(flags["weightedTangents"]))
        elif not chosen:
            continue
        for i in chosen:
            for flag, side in (("inTangentType", "inTangent"), ("outTangentType", "outTangent")):
                if flags.get(flag) is not None:
                    _keys.setTangentType(curve, i, side, flags[flag])
        changed.append(curve)
    return len(changed)


# Flags of selectKey that pick tangents or unitless-input keys, which the
# stand-in does not model.
_UNMODELLED_KEY_SELECTION = ("inTangent", "outTangent", "float", "unsnappedKeys")


def _clearKeySelection():
    """Take every key off the active list; returns the curves that had
    selected keys."""
    cleared = []
    for _, curve in _activeCurves():
        for i, k in enumerate(curve.keys):
            if _keys.isSelected(k):
                _keys.setFlag(curve, i, "selected", False)
        cleared.append(curve)
    return cleared


@_command("selectKey", dict(addTo="add", animation="an", attribute="at", clear="cl",
                            controlPoints="cp", float="f", hierarchy="hi", inTangent="it",
                            includeUpperBound="iub", index="in", keyframe="k",
                            outTangent="ot", remove="rm", replace="r", shape="s",
                            time="t", toggle="tgl", unsnappedKeys="uk"))
def selectKey(*args, **flags):
    """Puts keys on the active list: those of the curves ``keyframe`` would
    work on (see ``_keyset``) in ``time`` and ``index``, replacing the key
    selection unless ``addTo``, ``remove`` or ``toggle`` is given; ``clear``
    empties it.  Returns the number of curves whose keys were selected or
    deselected.  A reversed time range holds no key.  The key selection is
    kept apart from the object selection (``ls -sl`` does not list curves);
    selecting tangents or unitless-input keys is not modelled and raises,
    and ``hierarchy``, ``shape`` and ``controlPoints`` change nothing."""
    for flag in _UNMODELLED_KEY_SELECTION:
        if flags.get(flag):
            raise RuntimeError("selectKey: the %s flag is not modelled by the stand-in." % flag)
    if flags.get("clear"):
        return len(_clearKeySelection())
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    curves, activeOnly = _keyset(names, flags, _curvesOf(targets))
    timeSpans, indexSpans, upperBound = _keysetFlags("selectKey", flags)
    if flags.get("remove"):
        mode = "remove"
    elif flags.get("toggle"):
        mode = "toggle"
    elif flags.get("addTo"):
        mode = "add"
    else:
        mode = "replace"
    chosen = []
    seen = set()
    for _, curve in curves:
        if curve in seen:
            continue
        seen.add(curve)
        picked = [i for i, _ in _keysIn(curve, timeSpans, indexSpans, activeOnly, upperBound)]
        if picked:
            chosen.append((curve, picked))
    if mode == "replace":
        _clearKeySelection()
    for curve, picked in chosen:
        for i in picked:
            state = not _keys.isSelected(curve.keys[i]) if mode == "toggle" else mode != "remove"
            _keys.setFlag(curve, i, "selected", state)
    return len(chosen)

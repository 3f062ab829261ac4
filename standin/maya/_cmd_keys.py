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


def _times(value, default):
    if value is None:
        return [default]
    if isinstance(value, (list, tuple)):
        return [SCENE.ticksFromUi(v) for v in value]
    return [SCENE.ticksFromUi(value)]


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
    in a locked layer is not set."""
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    count = 0
    edited = []
    for target in targets:
        if target[0] == "curve":
            continue
        for key in _leafKeys(target):
            if SCENE.isLocked(key) or key[0].locked:
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
            for ticks in _times(flags.get("time"), SCENE.currentTicks):
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
                _setNewKeyTangents(curve, ticks, flags)
                if curve not in edited:
                    edited.append(curve)
                count += 1
    if edited:
        from ._anim_control import _fireCurvesEdited
        _fireCurvesEdited(edited)
    return count


def _setNewKeyTangents(curve, ticks, flags):
    """Give the key at ``ticks`` the tangent types setKeyframe was given."""
    for flag, side in (("inTangentType", "inTangent"), ("outTangentType", "outTangent")):
        if flags.get(flag) is not None:
            index = [abs(k[0] - ticks) < 1e-6 for k in curve.keys].index(True)
            _keys.setTangentType(curve, index, side, flags[flag])


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


def _inRange(ticks, rangeTicks):
    if rangeTicks is None:
        return True
    lo, hi = rangeTicks
    return lo - 1e-6 <= ticks <= hi + 1e-6


def _timeRange(value):
    if value is None:
        return None
    if isinstance(value, (list, tuple)):
        if len(value) == 1:
            value = value[0]
        if isinstance(value, (list, tuple)):
            lo, hi = value[0], value[-1]
        else:
            lo, hi = value, value
    else:
        lo, hi = value, value
    lo = SCENE.ticksFromUi(lo) if lo not in (None, "") else float("-inf")
    hi = SCENE.ticksFromUi(hi) if hi not in (None, "") else float("inf")
    return lo, hi


def _indexRange(value):
    """A key command's ``index`` flag as an inclusive (first, last) pair, or
    ``None``: one index, a one-element list of either, or a pair."""
    if value is None:
        return None
    if not isinstance(value, (list, tuple)):
        return (value, value)
    if len(value) == 1:
        return value[0] if isinstance(value[0], (list, tuple)) else (value[0], value[0])
    return value


def _keysIn(curve, rangeTicks, indexRange, activeOnly=False, upperBound=True):
    """``(index, key)`` of the keys of ``curve`` in an index range and a time
    range (both inclusive, either ``None`` for all; ``upperBound`` False
    leaves out the last time of a range), only selected keys when
    ``activeOnly``."""
    for i, k in enumerate(curve.keys):
        if indexRange is not None and not indexRange[0] <= i <= indexRange[-1]:
            continue
        if activeOnly and not _keys.isSelected(k):
            continue
        if not _inRange(k[0], rangeTicks):
            continue
        if not upperBound and rangeTicks is not None and rangeTicks[0] < rangeTicks[1] \
                and abs(k[0] - rangeTicks[1]) < 1e-6:
            continue
        yield i, k


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
    there are any; ``selected`` keeps only selected keys."""
    names = _names(args)
    targets = _keyTargets(names, flags.get("attribute"))
    curves, activeOnly = _keyset(names, flags, _curvesOf(targets))
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))

    def selectedKeys(curve):
        return _keysIn(curve, rangeTicks, indexRange, activeOnly)

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
    if flags.get("edit") or flags.get("timeChange") is not None \
            or flags.get("valueChange") is not None:
        relative = flags.get("relative") and not flags.get("absolute")
        changed = 0
        edited = []
        for key, curve in curves:
            attr = key[1] if key is not None else curve.findAttr("output")
            for i, k in list(selectedKeys(curve)):
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
                changed += 1
            curve.keys.sort(key=lambda item: item[0])
            edited.append(curve)
        if edited:
            from ._anim_control import _fireCurvesEdited
            _fireCurvesEdited(edited)
        return changed
    return len(curves)


@_command("cutKey", dict(attribute="at", time="t", index="in", clear="cl",
                         option="o", hierarchy="hi", controlPoints="cp",
                         shape="s", animation="an", float="f",
                         includeUpperBound="iub", selectKey="sl"))
def cutKey(*args, **flags):
    """Removes keys (all, or those in ``time``); a curve left without keys is
    deleted.  Returns the number of curves changed."""
    names = _names(args)
    curves = _curvesOf(_keyTargets(names, flags.get("attribute")))
    rangeTicks = _timeRange(flags.get("time"))
    changed = 0
    for key, curve in curves:
        before = len(curve.keys)
        curve.keys[:] = [k for k in curve.keys if not _inRange(k[0], rangeTicks)]
        if len(curve.keys) != before:
            changed += 1
        if not curve.keys:
            SCENE.delete([curve])
    return changed


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
    curves, and answer the number of curves changed.  Types are recorded
    only: the stand-in's curves interpolate linearly (see ``maya._keys``).
    """
    names = _names(args)
    curves, activeOnly = _keyset(names, flags, _curvesOf(_keyTargets(names, flags.get("attribute"))))
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))
    if flags.get("query"):
        result = []
        for _, curve in curves:
            if flags.get("weightedTangents"):
                result.append(bool(SCENE.value((curve, curve.findAttr("weightedTangents"), ()))))
                continue
            for _, k in _keysIn(curve, rangeTicks, indexRange, activeOnly):
                inType, outType = _keys.tangentTypes(k)
                if flags.get("inTangentType"):
                    result.append(inType)
                if flags.get("outTangentType"):
                    result.append(outType)
        return result or None
    for flag in ("inTangentType", "outTangentType"):
        if flags.get(flag) is not None and flags[flag] not in _keys.TANGENT_TYPES:
            raise RuntimeError("keyTangent: Invalid tangent type '%s'." % flags[flag])
    changed = 0
    for _, curve in curves:
        if flags.get("weightedTangents") is not None:
            SCENE.setValue((curve, curve.findAttr("weightedTangents"), ()),
                           bool(flags["weightedTangents"]))
        for i, _ in list(_keysIn(curve, rangeTicks, indexRange, activeOnly)):
            for flag, side in (("inTangentType", "inTangent"), ("outTangentType", "outTangent")):
                if flags.get(flag) is not None:
                    _keys.setTangentType(curve, i, side, flags[flag])
        changed += 1
    return changed


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
    rangeTicks = _timeRange(flags.get("time"))
    indexRange = _indexRange(flags.get("index"))
    upperBound = flags.get("includeUpperBound", True) is not False
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
        picked = [i for i, _ in _keysIn(curve, rangeTicks, indexRange, activeOnly, upperBound)]
        if picked:
            chosen.append((curve, picked))
    if mode == "replace":
        _clearKeySelection()
    for curve, picked in chosen:
        for i in picked:
            state = not _keys.isSelected(curve.keys[i]) if mode == "toggle" else mode != "remove"
            _keys.setFlag(curve, i, "selected", state)
    return len(chosen)

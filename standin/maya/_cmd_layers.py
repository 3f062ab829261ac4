"""The ``animLayer`` command.  Gathered by ``maya.cmds``.
"""

from . import _attrs, _layers
from ._cmd_base import _command, _display, _names, _nodes, _plug, _plugText
from ._cmd_keys import _keyTargets, _leafKeys
from ._scene import SCENE

__all__ = ["animLayer"]


# --- animation layers ----------------------------------------------------------------

# Layer settings the animLayer command reads and writes as flags, by flag name
# (all but weight are on/off).
_LAYER_SETTINGS = ("mute", "lock", "solo", "override", "passthrough", "preferred",
                   "selected", "collapse", "weight")


def _layerPlugKeys(texts):
    """The leaf plug keys of plug names given to animLayer ("ctrl.t" gives
    its three children)."""
    keys = []
    for text in _names([texts]):
        for key in _leafKeys(_plug(text)):
            if key not in keys:
                keys.append(key)
    return keys


def _selectedLayerPlugs(flags):
    """The keyable plugs of the selected nodes that addSelectedObjects and
    removeSelectedObjects act on, less the excluded kinds."""
    excluded = {"translate": flags.get("excludeTranslate"),
                "rotate": flags.get("excludeRotate"),
                "scale": flags.get("excludeScale"),
                "visibility": flags.get("excludeVisibility")}
    keys = []
    for key in _keyTargets([_display(n) for n in SCENE.selection], None):
        if key[0] == "curve":
            continue
        attr = key[1]
        top = attr.parent.longName if attr.parent is not None else attr.longName
        if excluded.get(top) or (flags.get("excludeDynamic") and attr.dynamic) or \
                (flags.get("excludeEnum") and attr.kind == _attrs.ENUM) or \
                (flags.get("excludeBoolean") and attr.numericType == _attrs.N_BOOLEAN):
            continue
        keys.append(key)
    return keys


def _editLayer(layer, flags):
    """Apply animLayer's create or edit flags to one layer."""
    if flags.get("parent") and not isinstance(flags["parent"], bool):
        _layers.setParent(layer, _layers.layerNamed(flags["parent"]))
    for name in _LAYER_SETTINGS:
        if flags.get(name) is not None:
            _layers.setFlag(layer, name, flags[name])
    for key in _layerPlugKeys(flags.get("attribute")):
        _layers.addPlug(layer, key)
    if flags.get("addSelectedObjects"):
        for key in _selectedLayerPlugs(flags):
            _layers.addPlug(layer, key)
    for key in _layerPlugKeys(flags.get("removeAttribute")):
        _layers.removePlug(layer, key)
    if flags.get("removeSelectedObjects"):
        for key in _selectedLayerPlugs(flags):
            _layers.removePlug(layer, key)
    if flags.get("removeAllAttributes"):
        _layers.dissolve(layer)


def _layerNames(layers):
    """Names of nodes for a query answer; None for none."""
    return [layer.name for layer in layers] or None


def _curveNames(curves):
    """Names of curves for a query answer; None for none."""
    return [curve.name for curve in curves] or None


def _bestLayers(names, flags):
    """Names of the best layers for the given (or selected) objects, or for
    the plugs the attribute flag names."""
    if _layers.baseLayer() is None:
        return None
    if isinstance(flags.get("attribute"), (str, list, tuple)):
        found = [_layers.bestLayer(key) for key in _layerPlugKeys(flags["attribute"])]
    else:
        nodes = _nodes(names)
        found = [_layers.bestLayerFor(_layers.layersOfNodes([node])) for node in nodes]
    result = []
    for layer in found:
        if layer.name not in result:
            result.append(layer.name)
    return result or None


def _queryLayer(names, flags):
    """animLayer in query mode."""
    if flags.get("exists"):
        return bool(names) and any(_layers.isLayer(n) for n in SCENE.resolve(names[0]))
    if flags.get("root"):
        base = _layers.baseLayer()
        return base.name if base is not None else None
    if flags.get("bestAnimLayer"):
        return _bestLayers(names, flags)
    if flags.get("bestLayer"):
        keys = _layerPlugKeys(names or flags.get("attribute"))
        return _layers.bestLayer(keys[0]).name if keys and _layers.baseLayer() else None
    if flags.get("affectedLayers"):
        affected = _layers.layersOfNodes(_nodes(names))
        return [_layers.BASE_LAYER] + _layerNames(affected) if affected else None
    if flags.get("maxLayers"):
        return 1000000
    if isinstance(flags.get("children"), str):
        names = [flags["children"]]
    if not names:
        raise RuntimeError("animLayer: No animation layer was given.")
    layer = _layers.layerNamed(names[0])
    if flags.get("children"):
        return _layerNames(_layers.childLayers(layer))
    if flags.get("parent"):
        parent = _layers.parentOf(layer)
        return parent.name if parent is not None else None
    if flags.get("animCurves"):
        return _curveNames(_layers.layerCurves(layer))
    if flags.get("baseAnimCurves"):
        return _curveNames(_layers.baseCurves(layer))
    if flags.get("blendNodes"):
        return _layerNames(_layers.blendsOf(layer))
    if isinstance(flags.get("findCurveForPlug"), str):
        slot = _layers.slotOf(layer, _plug(flags["findCurveForPlug"]))
        curve = SCENE.curveDriving(slot) if slot is not None else None
        return [curve.name] if curve is not None else None
    if isinstance(flags.get("layeredPlug"), str):
        slot = _layers.slotOf(layer, _plug(flags["layeredPlug"]))
        return _plugText(slot) if slot is not None else None
    if flags.get("attribute"):
        return [_plugText(key) for key in _layers.members(layer)] or None
    for name in _LAYER_SETTINGS:
        if flags.get(name):
            value = _layers.flag(layer, name)
            return float(value) if name == "weight" else bool(value)
    raise RuntimeError("animLayer: a query flag is required by the stand-in.")


@_command("animLayer", dict(
    query="q", edit="e", addRelatedKG="akg", addSelectedObjects="aso",
    affectedLayers="afl", animCurves="anc", attribute="at", baseAnimCurves="bac",
    bestAnimLayer="blr", bestLayer="bl", blendNodes="bld", children="c", collapse="col",
    copy="cp", copyAnimation="ca", copyNoAnimation="cna", excludeBoolean="ebl",
    excludeDynamic="edn", excludeEnum="een", excludeRotate="ert", excludeScale="esc",
    excludeTranslate="etr", excludeVisibility="evs", exists="ex", extractAnimation="ea",
    findCurveForPlug="fcv", forceUIRebuild="fur", forceUIRefresh="uir", layeredPlug="lp",
    lock="l", maxLayers="ml", moveLayerAfter="mva", moveLayerBefore="mvb", mute="m",
    override="o", parent="p", passthrough="pth", preferred="prf", removeAllAttributes="raa",
    removeAttribute="ra", removeSelectedObjects="rso", root="r", selected="sel", solo="s",
    weight="w", writeBlendnodeDestinations="wbd"))
def animLayer(*args, **flags):
    """Creates a layer (returns its name, made unique as a node name is, and
    makes BaseAnimation first), edits layers (``edit=True``) or answers a
    query (``query=True``); see ``maya._layers`` for the model.  Queries of
    lists answer ``None`` when empty; ``affectedLayers`` and
    ``bestAnimLayer`` read the selection when no object is given.  The copy,
    extract and move flags are not modelled and raise."""
    names = _names(args)
    for unmodelled in ("copy", "copyAnimation", "copyNoAnimation", "extractAnimation",
                       "moveLayerAfter", "moveLayerBefore"):
        if flags.get(unmodelled):
            raise RuntimeError("animLayer: -%s is not modelled by the stand-in." % unmodelled)
    if flags.get("query"):
        return _queryLayer(names, flags)
    if flags.get("edit"):
        if not names:
            raise RuntimeError("animLayer: No animation layer was given.")
        for name in names:
            _editLayer(_layers.layerNamed(name), flags)
        return None
    parent = None
    if flags.get("parent"):
        parent = _layers.layerNamed(flags.pop("parent"))
    layer = _layers.createLayer(names[0] if names else None, parent)
    _editLayer(layer, flags)
    return layer.name

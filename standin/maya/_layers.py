"""Animation layers over the stand-in scene, as ``cmds.animLayer`` and
``cmds.setKeyframe`` see them.

The scene is wired as Maya wires it:

- The root layer ``BaseAnimation`` is made with the first layer.  A layer is
  a child of its parent through ``layer.parentLayer -> parent.childrenLayers[i]``
  (and the parent's foregroundWeight, outMute and childsoloed feed the
  child's parentWeight, parentMute and siblingSolo).  The stack, bottom to
  top, is BaseAnimation then every layer in the order of its parent's
  childrenLayers indices, each followed by its own children.
- A layered plug feeds ``layer.dagSetMembers[i]``; the layer is its set.
- Adding a plug to a layer puts a blend between the plug and what drove it:
  what drove the plug (a curve, a lower layer's blend, or its static value)
  moves to the blend's inputA, the layer's own curve goes to inputB, the
  layer's backgroundWeight and foregroundWeight feed weightA and weightB and
  the blend's output drives the plug.  Blends of higher layers sit above
  blends of lower ones.  Translate-like channels get an
  animBlendNodeAdditiveDL, plain numbers an animBlendNodeAdditive, scale
  channels one animBlendNodeAdditiveScale each, the three rotate channels of
  a node one animBlendNodeAdditiveRotation (its outputX..Z drive rotateX..Z),
  booleans, enums and times a switching blend.  Blends are named
  "node_attribute_layer" ("node_rotate_layer"), a layer's curves after the
  blend input they feed ("node_translateX_layer_inputB").

Simplifications:

- Blends are made when the plug is added to the layer, as Maya does; the
  blend's inputB then holds the layer's neutral value (0, or 1 for scale in
  multiply accumulation) in an additive layer, the plug's value in an
  override layer or a switching blend.
- The best layer for a plug (the one a key without an explicit layer goes
  to) follows Maya's default "hybrid" keying mode: the top-most preferred
  layer that holds the plug, else the top-most layer that holds it, else
  BaseAnimation; locked layers are passed over.  A layer's "selected" flag
  is kept for queries and changes no keying.
- ``preferred`` and ``selected`` are flags of each layer: setting one on a
  layer leaves the other layers' flags as they were.
- A key set without a value on a layered plug keeps the value the plug
  shows: the blends from the plug down to the keyed input are solved for it,
  holding their other inputs.  The solution is exact for additive layers and
  scale multiplication; where a weight is 0 the input's own value is keyed.
- Deleting a layer with ``cmds.delete`` takes its blends and curves out and
  joins what fed the blends to what they drove; child layers stay.
- No pairBlend, character set or keying group takes part.
"""

from . import _attrs
from ._scene import SCENE

BASE_LAYER = "BaseAnimation"

_ROTATION_BLEND = "animBlendNodeAdditiveRotation"
_SCALE_BLEND = "animBlendNodeAdditiveScale"
_SWITCHING_BLENDS = ("animBlendNodeBoolean", "animBlendNodeEnum", "animBlendNodeTime")
# The blend of a keyable attribute of each kind (booleans switch too).
_BLEND_BY_KIND = {_attrs.LINEAR: "animBlendNodeAdditiveDL",
                  _attrs.ANGLE: "animBlendNodeAdditiveDA",
                  _attrs.TIME: "animBlendNodeTime", _attrs.ENUM: "animBlendNodeEnum",
                  _attrs.NUMERIC: "animBlendNodeAdditive"}


# --- layer nodes ------------------------------------------------------------------

def isLayer(node):
    """Whether a node is an animation layer."""
    return node.alive and node.nodeType.isA("animLayer")


def isBlend(node):
    """Whether a node is an animation layer blend."""
    return node.nodeType.isA("animBlendNodeBase")


def baseLayer():
    """The BaseAnimation layer node, or None."""
    for node in SCENE.byName.get(BASE_LAYER, ()):
        if isLayer(node):
            return node
    return None


def layerNamed(name):
    """The layer node a command's layer argument names; a name that matches
    nothing is Maya's ValueError, another kind of node a RuntimeError."""
    node = SCENE.resolveOne(name)
    if not isLayer(node):
        raise RuntimeError("animLayer: '%s' is not an animation layer." % name)
    return node


def _plugKey(node, name, indices=()):
    """The plug key of a named attribute of a node."""
    return (node, node.findAttr(name), indices)


def _nextIndex(node, name):
    """One past the highest connected element of a multi: new members and
    children come after the ones already there."""
    attr = node.findAttr(name)
    used = [i for i in SCENE.existingIndices(node, attr, ())
            if (node, attr, (i,)) in SCENE.connections]
    return max(used) + 1 if used else 0


def _connectedElements(node, name):
    """(index, source key) of each connected element of a multi, by index."""
    attr = node.findAttr(name)
    result = []
    for index in SCENE.existingIndices(node, attr, ()):
        src = SCENE.connections.get((node, attr, (index,)))
        if src is not None:
            result.append((index, src))
    return result


def flag(layer, name):
    """A layer attribute's value (mute, lock, weight ...)."""
    return SCENE.value(_plugKey(layer, name))


def setFlag(layer, name, value):
    """Set a layer attribute's own value."""
    key = _plugKey(layer, name)
    if key[1].kind == _attrs.NUMERIC and key[1].numericType == _attrs.N_BOOLEAN:
        value = bool(value)
    elif key[1].kind == _attrs.ENUM:
        value = int(value)
    else:
        value = float(value)
    SCENE.setPlugValue(key, value)


def childLayers(layer):
    """The layer's children in childrenLayers index order."""
    return [src[0] for _, src in _connectedElements(layer, "childrenLayers")]


def parentOf(layer):
    """The layer's parent layer, or None."""
    for dst in SCENE.destinationsOf(_plugKey(layer, "parentLayer")):
        if isLayer(dst[0]):
            return dst[0]
    return None


def _attach(layer, parent):
    """Wire a layer in as the last child of ``parent``, as Maya does."""
    index = _nextIndex(parent, "childrenLayers")
    SCENE._connect(_plugKey(layer, "parentLayer"), _plugKey(parent, "childrenLayers", (index,)))
    SCENE._connect(_plugKey(layer, "solo"), _plugKey(parent, "childrenSolo", (index,)))
    SCENE._connect(_plugKey(parent, "foregroundWeight"), _plugKey(layer, "parentWeight"))
    SCENE._connect(_plugKey(parent, "outMute"), _plugKey(layer, "parentMute"))
    SCENE._connect(_plugKey(parent, "childsoloed"), _plugKey(layer, "siblingSolo"))


def _detach(layer):
    """Undo ``_attach``: the layer has no parent afterwards."""
    for name in ("parentLayer", "solo"):
        src = _plugKey(layer, name)
        for dst in SCENE.destinationsOf(src):
            SCENE._disconnect(src, dst)
    for name in ("parentWeight", "parentMute", "siblingSolo"):
        dst = _plugKey(layer, name)
        src = SCENE.connections.get(dst)
        if src is not None:
            SCENE._disconnect(src, dst)


def setParent(layer, parent):
    """Make ``layer`` the last child of ``parent``."""
    node = parent
    while node is not None:
        if node is layer:
            raise RuntimeError("animLayer: '%s' cannot be parented under itself." % layer.name)
        node = parentOf(node)
    _detach(layer)
    _attach(layer, parent)


def createLayer(name, parent=None):
    """Create a layer (and BaseAnimation first, when missing) as the last
    child of ``parent`` (BaseAnimation when None).  Returns the node."""
    base = baseLayer()
    if base is None:
        base = SCENE.createNode("animLayer", BASE_LAYER)
        setFlag(base, "override", True)
    layer = SCENE.createNode("animLayer", name or SCENE.autoName("AnimLayer"))
    _attach(layer, parent if parent is not None else base)
    return layer


def stack():
    """Every layer, bottom to top: BaseAnimation, then each child followed by
    its own children."""
    base = baseLayer()
    order = []

    def visit(layer):
        """Add a layer, then its children."""
        if layer in order:
            return
        order.append(layer)
        for child in childLayers(layer):
            visit(child)
    if base is not None:
        visit(base)
    return order


# --- membership ---------------------------------------------------------------------

def members(layer):
    """The plug keys in the layer, in dagSetMembers index order."""
    return [src for _, src in _connectedElements(layer, "dagSetMembers")]


def layersOfPlug(key):
    """The layers (BaseAnimation left out) that hold a plug, bottom to top."""
    dsm = {}
    for dst in SCENE.destinationsOf(key):
        if isLayer(dst[0]) and dst[1].longName == "dagSetMembers":
            dsm[dst[0]] = True
    return [layer for layer in stack() if layer in dsm]


def layersOfNodes(nodes):
    """The layers (BaseAnimation left out) that hold any plug of ``nodes``,
    bottom to top."""
    wanted = set(nodes)
    return [layer for layer in stack()[1:]
            if any(key[0] in wanted for key in members(layer))]


def blendTypeFor(key):
    """The blend node type Maya puts on a layered plug, or None for a plug
    that cannot be layered."""
    attr = key[1]
    parent = attr.parent
    if key[0].nodeType.isTransform and parent is not None and not attr.multi:
        if parent.longName == "rotate" and attr.kind == _attrs.ANGLE:
            return _ROTATION_BLEND
        if parent.longName == "scale":
            return _SCALE_BLEND
    if SCENE.curveTypeFor(attr) is None:
        return None
    if attr.kind == _attrs.NUMERIC and attr.numericType == _attrs.N_BOOLEAN:
        return "animBlendNodeBoolean"
    return _BLEND_BY_KIND[attr.kind]


def layerOfBlend(blend):
    """The layer whose blendNodes list a blend, or None."""
    for dst in SCENE.destinationsOf(_plugKey(blend, "message")):
        if isLayer(dst[0]):
            return dst[0]
    return None


def blendsOf(layer):
    """The layer's blend nodes, in blendNodes index order."""
    return [src[0] for _, src in _connectedElements(layer, "blendNodes")]


def ports(blend, out):
    """(inputA, inputB, output) plug keys of a blend for the channel its
    output plug ``out`` carries (outputY -> inputAY, inputBY, outputY)."""
    outAttr = blend.findAttr("output")
    if out[1] is not outAttr and out[1].parent is outAttr:
        position = outAttr.children.index(out[1])
        return ((blend, blend.findAttr("inputA").children[position], ()),
                (blend, blend.findAttr("inputB").children[position], ()),
                (blend, out[1], ()))
    return _plugKey(blend, "inputA"), _plugKey(blend, "inputB"), _plugKey(blend, "output")


def chain(key):
    """The blends between a plug and its base animation, top first, as
    (blend, inputA, inputB, output) keys of the plug's channel."""
    result = []
    slot = key
    while True:
        src = SCENE.connections.get(slot)
        if src is None or not isBlend(src[0]) or any(src[0] is b for b, _, _, _ in result):
            return result
        entry = (src[0],) + ports(src[0], src)
        result.append(entry)
        slot = entry[1]


def _channelPorts(blend, key):
    """The blend's ports for the channel of ``key`` (rotateY -> outputY)."""
    outAttr = blend.findAttr("output")
    if outAttr.children:
        position = key[1].parent.children.index(key[1])
        return ports(blend, (blend, outAttr.children[position], ()))
    return ports(blend, _plugKey(blend, "output"))


def _neutral(layer, blendType, key):
    """The value a new blend's inputB holds before the layer is keyed."""
    if blendType in _SWITCHING_BLENDS or flag(layer, "override"):
        return SCENE.value(key)
    if blendType == _SCALE_BLEND and flag(layer, "scaleAccumulationMode") == 0:
        return 1.0
    return 0.0


def _newBlend(layer, blendType, key):
    """Create a layer's blend for a plug, named and wired to the layer."""
    node, attr, indices = key
    if blendType == _ROTATION_BLEND:
        part = "rotate"
    else:
        part = SCENE.plugPath(attr, indices, fullPath=False).replace(".", "_").replace(
            "[", "_").replace("]", "")
    blend = SCENE.createNode(blendType, "%s_%s_%s" % (node.name, part, layer.name))
    SCENE._connect(_plugKey(layer, "backgroundWeight"), _plugKey(blend, "weightA"))
    SCENE._connect(_plugKey(layer, "foregroundWeight"), _plugKey(blend, "weightB"))
    if blendType == _ROTATION_BLEND:
        SCENE._connect(_plugKey(layer, "outRotationAccumulationMode"),
                       _plugKey(blend, "accumulationMode"))
        SCENE._connect(_plugKey(node, "rotateOrder"), _plugKey(blend, "rotateOrder"))
    elif blendType == _SCALE_BLEND:
        SCENE._connect(_plugKey(layer, "scaleAccumulationMode"),
                       _plugKey(blend, "accumulationMode"))
    SCENE._connect(_plugKey(blend, "message"),
                   _plugKey(layer, "blendNodes", (_nextIndex(layer, "blendNodes"),)))
    return blend


def _rotationBlend(layer, node):
    """The layer's existing rotation blend for a node, or None."""
    for blend in blendsOf(layer):
        if blend.typeName == _ROTATION_BLEND and any(
                dst[0] is node for dst in _blendDestinations(blend)):
            return blend
    return None


def _blendDestinations(blend):
    """The plugs a blend's outputs feed, following blends above it."""
    result = []
    outAttr = blend.findAttr("output")
    for attr in [outAttr] + list(outAttr.children):
        for dst in SCENE.destinationsOf((blend, attr, ())):
            if isBlend(dst[0]):
                result.extend(_blendDestinations(dst[0]))
            else:
                result.append(dst)
    return result


def addPlug(layer, key):
    """Add a leaf plug to a layer: connect it to dagSetMembers and put the
    layer's blend into its chain at the layer's place in the stack."""
    if layer is baseLayer() or key in members(layer):
        return
    blendType = blendTypeFor(key)
    if blendType is None:
        raise RuntimeError("animLayer: Cannot add '%s' to a layer: it cannot be keyed."
                           % SCENE.plugName(*key))
    src = SCENE.connections.get(key)
    if src is not None and not SCENE.isAnimationNode(src[0]):
        raise RuntimeError("animLayer: Cannot add '%s' to a layer: it is driven by '%s'."
                           % (SCENE.plugName(*key), SCENE.plugName(*src)))
    order = dict((l, i) for i, l in enumerate(stack()))
    SCENE._connect(key, _plugKey(layer, "dagSetMembers", (_nextIndex(layer, "dagSetMembers"),)))
    slot = key
    for blend, inputA, _, _ in chain(key):
        if order.get(layerOfBlend(blend), -1) <= order[layer]:
            break
        slot = inputA
    blend = _rotationBlend(layer, key[0]) if blendType == _ROTATION_BLEND else None
    if blend is None:
        blend = _newBlend(layer, blendType, key)
    inputA, inputB, output = _channelPorts(blend, key)
    SCENE.setValue(inputB, _neutral(layer, blendType, key))
    below = SCENE.connections.get(slot)
    if below is not None:
        SCENE._disconnect(below, slot)
        SCENE._connect(below, inputA)
    else:
        SCENE.setValue(inputA, SCENE.value(slot))
    SCENE._connect(output, slot)


def _bypass(blend, inputA, inputB, output):
    """Take one channel of a blend out of its chain: what fed inputA feeds
    what the output fed; the channel's layer curve goes."""
    below = SCENE.connections.get(inputA)
    for dst in SCENE.destinationsOf(output):
        SCENE._disconnect(output, dst)
        if below is not None:
            SCENE._connect(below, dst)
        else:
            SCENE.setValue(dst, SCENE.value(inputA))
    if below is not None:
        SCENE._disconnect(below, inputA)
    curve = SCENE.connections.get(inputB)
    if curve is not None:
        SCENE._disconnect(curve, inputB)
        if curve[0].keys is not None and not SCENE.outgoing.get(curve):
            SCENE.delete([curve[0]])
    outAttr = blend.findAttr("output")
    if not any(SCENE.destinationsOf((blend, a, ())) for a in [outAttr] + list(outAttr.children)):
        SCENE.delete([blend])


def removePlug(layer, key):
    """Take a plug out of a layer, its blend channel and its layer curve."""
    for index, src in _connectedElements(layer, "dagSetMembers"):
        if src == key:
            SCENE._disconnect(src, _plugKey(layer, "dagSetMembers", (index,)))
    for entry in chain(key):
        if layerOfBlend(entry[0]) is layer:
            _bypass(*entry)
            return


def dissolve(layer):
    """Take every plug out of a layer before the layer is deleted."""
    for key in members(layer):
        removePlug(layer, key)


# --- keying ----------------------------------------------------------------------------

def bestLayerFor(layers):
    """Of the layers (bottom to top) that hold a plug, the one a key goes
    to: the top-most preferred unlocked layer, else the top-most unlocked
    one, else BaseAnimation."""
    unlocked = [l for l in layers if not flag(l, "lock")]
    preferred = [l for l in unlocked if flag(l, "preferred")]
    if preferred:
        return preferred[-1]
    if unlocked:
        return unlocked[-1]
    return baseLayer()


def bestLayer(key):
    """The layer a key on the plug goes to."""
    return bestLayerFor(layersOfPlug(key))


def slotOf(layer, key):
    """The plug a key on ``key`` in ``layer`` lands on: the layer blend's
    inputB, for BaseAnimation the lowest blend's inputA (the plug itself
    when it is in no layer); None when the layer does not hold the plug."""
    blends = chain(key)
    if layer is baseLayer() or layer is None:
        return blends[-1][1] if blends else key
    for blend, _, inputB, _ in blends:
        if layerOfBlend(blend) is layer:
            return inputB
    return None


def keySlot(key, layerName=None):
    """Where ``setKeyframe`` keys a plug: None for a plug in no layer (its
    own curve), False when the layer that would take the key is locked,
    else the blend input to key.  ``layerName`` (the animLayer flag) is
    used when that layer holds the plug, as Maya ignores it otherwise."""
    if not chain(key):
        return None
    layer = None
    if layerName:
        named = layerNamed(layerName)
        if named is baseLayer() or named in layersOfPlug(key):
            layer = named
    if layer is None:
        layer = bestLayer(key)
    if flag(layer, "lock"):
        return False
    return slotOf(layer, key)


def _solve(blend, inputA, inputB, output, target, wanted, ticks):
    """The value of ``target`` (inputA or inputB) that makes the blend's
    output ``wanted``, the other input held; None when no value does."""
    wa = SCENE.value(_plugKey(blend, "weightA"), ticks)
    wb = SCENE.value(_plugKey(blend, "weightB"), ticks)
    other = SCENE.value(inputB if target == inputA else inputA, ticks)
    ownWeight, otherWeight = (wa, wb) if target == inputA else (wb, wa)
    if blend.typeName in _SWITCHING_BLENDS:
        picksB = wb >= 0.5
        return wanted if picksB == (target == inputB) else None
    if ownWeight == 0:
        return None
    multiply = blend.typeName == _SCALE_BLEND and \
        SCENE.value(_plugKey(blend, "accumulationMode"), ticks) == 0
    if multiply:
        rest = abs(other) ** otherWeight if otherWeight else 1.0
        if rest == 0 or wanted / rest < 0:
            return None
        return (wanted / rest) ** (1.0 / ownWeight)
    return (wanted - other * otherWeight) / ownWeight


def valueToKey(key, slot, ticks):
    """The value a key set on ``slot`` without a value gets: the slot's own
    value, or, where ``key`` shows a value set by hand at this time, the
    value that makes the plug show it."""
    current = SCENE.value(slot, ticks)
    if key not in SCENE.overrides or ticks != SCENE.currentTicks:
        return current
    wanted = SCENE.overrides[key]
    for blend, inputA, inputB, output in chain(key):
        target = inputB if slot == inputB else inputA
        wanted = _solve(blend, inputA, inputB, output, target, wanted, ticks)
        if wanted is None:
            return current
        if target == slot:
            return wanted
    return wanted


# --- curves ------------------------------------------------------------------------------

def curvesFeeding(key):
    """The anim curves that animate a plug through layer blends, base first:
    the curve connected to it, or every curve behind the blend that drives
    it (all three channels of a rotation blend).  A compound plug counts
    only through its own connection; a child also through its parent's."""
    src = SCENE.connections.get(key)
    if src is None and not key[1].multi:
        src = SCENE.sourceOf(key)
    if src is None:
        return []
    return _curvesBehind(src[0], set())


def _curvesBehind(node, seen):
    """The curves a node is or that feed its blend inputs, recursively."""
    if node in seen:
        return []
    seen.add(node)
    if node.keys is not None:
        return [node]
    if not isBlend(node):
        return []
    result = []
    for name in ("inputA", "inputB"):
        top = node.findAttr(name)
        for attr in [top] + list(top.children):
            src = SCENE.connections.get((node, attr, ()))
            if src is not None:
                for curve in _curvesBehind(src[0], seen):
                    if curve not in result:
                        result.append(curve)
    return result


def layerCurves(layer):
    """The curves a layer's keys live on: those on its blends' inputB, for
    BaseAnimation those at the bottom of every layered chain."""
    result = []
    if layer is baseLayer():
        for other in stack()[1:]:
            for key in members(other):
                blends = chain(key)
                if blends:
                    curve = SCENE.curveDriving(blends[-1][1])
                    if curve is not None and curve not in result:
                        result.append(curve)
        return result
    for blend in blendsOf(layer):
        top = blend.findAttr("inputB")
        for attr in [top] + list(top.children):
            curve = SCENE.curveDriving((blend, attr, ()))
            if curve is not None and curve not in result:
                result.append(curve)
    return result


def baseCurves(layer):
    """The BaseAnimation curves under the plugs of a layer."""
    result = []
    for key in members(layer):
        blends = chain(key)
        curve = SCENE.curveDriving(blends[-1][1]) if blends else None
        if curve is not None and curve not in result:
            result.append(curve)
    return result

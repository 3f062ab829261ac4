"""Per-key flags of anim curves: breakdown, tick-draw-special and selected.

A key in ``Node.keys`` is a ``[ticks, value]`` list.  Maya also keeps two
flags per key: whether the key is a breakdown (``MFnAnimCurve.isBreakdown``,
``keyframe -breakdown``) and whether its tick in the time slider is drawn
in the special colour (``keyframe -tickDrawSpecial``).  A new key has
neither.  Setting a flag puts a ``FlaggedKey`` with the same time and value
in the key's place; it still reads as the pair ``[ticks, value]``, so code
that indexes or unpacks keys sees no difference.

Whether a key is on the active list (``selectKey``) is kept the same way, as
a third flag: a selected key stays selected while its time, value or other
flags change, and leaves the selection when it is cut or its curve deleted.

The curve node's per-key array attributes ``keyBreakdown`` and
``keyTickDrawSpecial`` read and write these flags: element ``i`` is the
flag of key ``i`` in time order (see ``flagAt``).  Maya numbers the elements
by its own logical indices, which need not follow the key order after
edits; the stand-in's follow it.

Each key also keeps its in and out tangent types by their ``keyTangent``
names ("auto", "linear", ...); a new key has Maya's default, "auto".  The
types are recorded only: curves still interpolate linearly.
"""

# The tangent types by keyTangent name, in MFnAnimCurve.TangentType order.
TANGENT_TYPES = ("global", "fixed", "linear", "flat", "smooth", "step", "slow",
                 "fast", "clamped", "plateau", "stepnext", "auto")
DEFAULT_TANGENT = "auto"


class FlaggedKey(list):
    """A ``[ticks, value]`` key that carries its flags and tangent types."""

    __slots__ = ("breakdown", "tickDrawSpecial", "selected", "inTangent", "outTangent")

    def __init__(self, key):
        list.__init__(self, key)
        self.breakdown = getattr(key, "breakdown", False)
        self.tickDrawSpecial = getattr(key, "tickDrawSpecial", False)
        self.selected = getattr(key, "selected", False)
        self.inTangent = getattr(key, "inTangent", DEFAULT_TANGENT)
        self.outTangent = getattr(key, "outTangent", DEFAULT_TANGENT)


def isBreakdown(key):
    """Whether the key is a breakdown key."""
    return getattr(key, "breakdown", False)


def isTickDrawSpecial(key):
    """Whether the key's time-slider tick is drawn as special."""
    return getattr(key, "tickDrawSpecial", False)


def isSelected(key):
    """Whether the key is on the active list (selected with ``selectKey``)."""
    return getattr(key, "selected", False)


def setFlag(curve, index, name, state):
    """Set the flag ``name`` ("breakdown", "tickDrawSpecial" or "selected") of the key
    at ``index`` of ``curve`` and return that key (a ``FlaggedKey``)."""
    key = curve.keys[index]
    if not isinstance(key, FlaggedKey):
        key = FlaggedKey(key)
        curve.keys[index] = key
    setattr(key, name, bool(state))
    return key


def flagAt(curve, index, name):
    """The flag ``name`` of the key at ``index``; ``False`` past the last
    key, where an array element has no key to describe."""
    keys = curve.keys or ()
    return bool(getattr(keys[index], name, False)) if 0 <= index < len(keys) else False


def setFlagAt(curve, index, name, state):
    """Set the flag ``name`` of the key at ``index``; an index past the
    last key changes nothing."""
    if 0 <= index < len(curve.keys or ()):
        setFlag(curve, index, name, state)


def tangentTypes(key):
    """The key's ``(inTangent, outTangent)`` type names."""
    return (getattr(key, "inTangent", DEFAULT_TANGENT),
            getattr(key, "outTangent", DEFAULT_TANGENT))


def setTangentType(curve, index, side, typeName):
    """Set the in ("inTangent") or out ("outTangent") tangent type of the
    key at ``index``; an unknown type name raises ``ValueError``."""
    if typeName not in TANGENT_TYPES:
        raise ValueError("Unknown tangent type: %s" % typeName)
    key = curve.keys[index]
    if not isinstance(key, FlaggedKey):
        key = FlaggedKey(key)
        curve.keys[index] = key
    setattr(key, side, typeName)
    return key

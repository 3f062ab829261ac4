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

The stand-in keeps the flags on the keys only; Maya's per-key array
attributes of the curve node (``keyBreakdown``, ``keyTickDrawSpecial``) are
not modelled.
"""


class FlaggedKey(list):
    """A ``[ticks, value]`` key that carries its flags."""

    __slots__ = ("breakdown", "tickDrawSpecial", "selected")

    def __init__(self, key):
        list.__init__(self, key)
        self.breakdown = getattr(key, "breakdown", False)
        self.tickDrawSpecial = getattr(key, "tickDrawSpecial", False)
        self.selected = getattr(key, "selected", False)


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

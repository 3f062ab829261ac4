"""Per-key flags of anim curves: breakdown and tick-draw-special.

A key in ``Node.keys`` is a ``[ticks, value]`` list.  Maya also keeps two
flags per key: whether the key is a breakdown (``MFnAnimCurve.isBreakdown``,
``keyframe -breakdown``) and whether its tick in the time slider is drawn
in the special colour (``keyframe -tickDrawSpecial``).  A new key has
neither.  Setting a flag puts a ``FlaggedKey`` with the same time and value
in the key's place; it still reads as the pair ``[ticks, value]``, so code
that indexes or unpacks keys sees no difference.

The stand-in keeps the flags on the keys only; Maya's per-key array
attributes of the curve node (``keyBreakdown``, ``keyTickDrawSpecial``) are
not modelled.
"""


class FlaggedKey(list):
    """A ``[ticks, value]`` key that carries its two flags."""

    __slots__ = ("breakdown", "tickDrawSpecial")

    def __init__(self, key):
        list.__init__(self, key)
        self.breakdown = getattr(key, "breakdown", False)
        self.tickDrawSpecial = getattr(key, "tickDrawSpecial", False)


def isBreakdown(key):
    """Whether the key is a breakdown key."""
    return getattr(key, "breakdown", False)


def isTickDrawSpecial(key):
    """Whether the key's time-slider tick is drawn as special."""
    return getattr(key, "tickDrawSpecial", False)


def setFlag(curve, index, name, state):
    """Set the flag ``name`` ("breakdown" or "tickDrawSpecial") of the key
    at ``index`` of ``curve`` and return that key (a ``FlaggedKey``)."""
    key = curve.keys[index]
    if not isinstance(key, FlaggedKey):
        key = FlaggedKey(key)
        curve.keys[index] = key
    setattr(key, name, bool(state))
    return key

"""The suite's rotation helpers: rotate-order names and an Euler filter.

Kept apart from ``_core`` because it is plain arithmetic: nothing here
touches the scene or the suite's records. Angles are radians throughout,
Maya's internal angle unit, so key values read through ``MFnAnimCurve`` go
in and out unchanged.
"""

import math

_TURN = 2.0 * math.pi
_AXES = "xyz"


class _RotationMath(object):
    """Rotation helpers of the suite.

    ``orderNames`` are Maya's rotate orders in the order of the rotateOrder
    enum (0 = "xyz" ... 5 = "zyx"); ``orderKey`` joins them as
    ``EnumAttribute.enumKey`` joins an enum's fields, so a rotate-order enum
    is recognised by its key.

    The filters make a rotation continuous with the one before it without
    changing the orientation it gives: ``filterAngle`` for one channel on
    its own, ``filterRotation`` for the three channels of one rotate order.
    """

    orderNames = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")
    orderKey = ":".join(orderNames)

    def orderIndex(self, rotationOrder):
        """The rotateOrder enum value (0 to 5) of ``rotationOrder``, given
        as that value or as its name ("xyz"); anything else raises
        ``ValueError``."""
        if rotationOrder in self.orderNames:
            return self.orderNames.index(rotationOrder)
        if isinstance(rotationOrder, int) and not isinstance(rotationOrder, bool) \
                and 0 <= rotationOrder < len(self.orderNames):
            return rotationOrder
        raise ValueError("Zentrik - unknown rotate order %r" % (rotationOrder,))

    @staticmethod
    def filterAngle(previous, current):
        """``current`` moved by whole turns (2π) to lie within π of
        ``previous``, as a float.

        A value already within π comes back unchanged, bit for bit; at
        exactly π either side may be chosen. When either value is not
        finite there is no nearest turn and ``current`` comes back as it
        is.
        """
        current = float(current)
        if not (math.isfinite(previous) and math.isfinite(current)):
            return current
        turns = round((previous - current) / _TURN)
        if turns == 0:
            return current
        return current + turns * _TURN

    def filterRotation(self, previousXYZ, currentXYZ, rotationOrder):
        """The Euler triple for ``currentXYZ``'s orientation that lies
        closest to ``previousXYZ``, as a list ``[x, y, z]``.

        An orientation has two Euler triples for one rotate order, apart
        from whole turns: the given one, and the one that turns the first
        and last axes of the order by a half turn more and mirrors the
        middle axis, ``(x + π, π - y, z + π)`` for "xyz" and
        ``(π - x, y + π, z + π)`` for "zxy", whose middle axis is x. Each
        triple is brought component by component to within π of the
        previous one (``filterAngle``); the one with the smaller sum of
        absolute differences from ``previousXYZ`` wins, the given one on a
        tie. ``rotationOrder`` is a rotateOrder enum value or name (see
        ``orderIndex``); a triple of another length raises ``ValueError``.
        """
        previous = self._triple(previousXYZ)
        current = self._triple(currentXYZ)
        middle = _AXES.index(self.orderNames[self.orderIndex(rotationOrder)][1])
        flipped = [value + math.pi for value in current]
        flipped[middle] = math.pi - current[middle]
        best, bestDistance = None, None
        for candidate in (current, flipped):
            unwrapped = [self.filterAngle(p, c) for p, c in zip(previous, candidate)]
            distance = sum(abs(p - u) for p, u in zip(previous, unwrapped))
            if best is None or distance < bestDistance:
                best, bestDistance = unwrapped, distance
        return best

    @staticmethod
    def _triple(values):
        triple = [float(value) for value in values]
        if len(triple) != 3:
            raise ValueError("Zentrik - a rotation needs 3 angles, got %r" % (values,))
        return triple


rotationMath = _RotationMath()

"""Mirroring: sides, ``MirrorNode``, ``MirrorStore`` and the mirror
service.  Gathered by ``_core``.
"""

import re

from ._core_base import CORE, _Service

__all__ = ["MirrorNode", "MirrorStore", "mirrorService"]


# --- mirroring ---------------------------------------------------------------

class _Side(object):
    """One side of the mirror plane: ``MirrorNode.kCenter``, ``kLeft`` or
    ``kRight``. There is one object per side, so sides compare by identity."""

    __slots__ = ("name",)

    def __init__(self, name):
        self.name = name

    def __repr__(self):
        return "MirrorNode.k%s" % self.name


_CENTER, _LEFT, _RIGHT = _Side("Center"), _Side("Left"), _Side("Right")


# A side marker and what it marks: its side and the other side's marker,
# in the same letter case.
_SIDE_MARKERS = {
    "L": (_LEFT, "R"), "R": (_RIGHT, "L"),
    "l": (_LEFT, "r"), "r": (_RIGHT, "l"),
    "Left": (_LEFT, "Right"), "Right": (_RIGHT, "Left"),
    "left": (_LEFT, "right"), "right": (_RIGHT, "left"),
    "LEFT": (_LEFT, "RIGHT"), "RIGHT": (_RIGHT, "LEFT"),
}


# Where a side marker may stand in a name, the first match deciding:
# - a whole token between "_" or "." and the ends: L_arm, arm_L, arm_L_ctrl,
#   l_arm, Left_arm, arm_right, LEFT_arm;
# - "left"/"right" opening a token, followed by a capital or a digit:
#   leftEye, right2;
# - "Left"/"Right" as a capitalised word, followed by the end of the token, a
#   capital or a digit: LeftEye, eyeLeft, armLeftUpper.
# Marker-like letters inside a word never count: Lock, leftover, upright,
# bright_ctrl. Neither do one-letter camel prefixes (lArm).
_SIDE_MARKER = re.compile(
    r"(?<![^_.])(?:L|R|l|r|Left|Right|left|right|LEFT|RIGHT)(?![^_.])"
    r"|(?<![^_.])(?:left|right)(?=[A-Z0-9])"
    r"|(?:Left|Right)(?![^_.A-Z0-9])")


def _swapSide(name):
    """``(name with its first side marker swapped, side)``, or
    ``(None, _CENTER)`` when the name carries no marker."""
    match = _SIDE_MARKER.search(name)
    if match is None:
        return None, _CENTER
    side, other = _SIDE_MARKERS[match.group()]
    return name[:match.start()] + other + name[match.end():], side


class MirrorNode(object):
    """What the mirror service knows of one node: its side and counterpart.

    Sides come from the node's leaf name (the last DAG path component)
    without its namespace; the first side marker decides (see
    ``splitSideName`` for the markers). The counterpart's name is the same
    name with that marker swapped for the other side's, in the same
    namespace; a node whose name has no marker is centred and is its own
    counterpart. Counterparts are looked up by that short name, so it must
    name one node.

    Built from a node wrapper offering ``nodeName``, ``fullName()``,
    ``shortName()`` and ``exists()``; the counterpart's node is a wrapper of
    the same class. Attributes, fixed when built:

    - ``node``: the wrapper given;
    - ``nodeName``: the node's leaf name with its namespace
      ("char1:L_arm_ctrl"), the name given when the node does not exist;
    - ``namespacePrefix``: the namespace with its trailing ":" ("char1:"),
      or "";
    - ``side``: ``kLeft``, ``kRight`` or ``kCenter``, these very objects;
    - ``partnerName``: the counterpart's name ("char1:R_arm_ctrl"), the
      node's own for a centred node.
    """

    kCenter = _CENTER
    kLeft = _LEFT
    kRight = _RIGHT

    def __init__(self, node):
        self.node = node
        if node.exists():
            name = node.shortName()
        else:
            name = node.nodeName.rpartition("|")[2]
        self.nodeName = name
        namespace, colon, baseName = name.rpartition(":")
        self.namespacePrefix = namespace + colon
        otherName, self.side = _swapSide(baseName)
        if otherName is None:
            self.partnerName = name
        else:
            self.partnerName = self.namespacePrefix + otherName
        self._partner = None

    @property
    def partner(self):
        """The counterpart's ``MirrorNode``; a centred node's is itself.

        Kept once built, and built again once its node is gone or no
        longer carries the counterpart's name, so a counterpart created,
        replaced or renamed later is found.
        """
        if self.side is _CENTER:
            return self
        partner = self._partner
        if partner is None or not partner.node.exists() \
                or partner.node.shortName() != self.partnerName:
            partner = MirrorNode(type(self.node)(self.partnerName))
            if partner.partnerName == self.nodeName:
                partner._partner = self
            self._partner = partner
        return self._partner

    @staticmethod
    def splitSideName(attrName):
        """``(otherName, side)`` for an attribute name.

        ``otherName`` is the name of the other side's attribute, the first
        side marker swapped ("leftEyeBlink" gives "rightEyeBlink",
        "blink_L" gives "blink_R"), or ``None`` when the name carries no
        marker; ``side`` is the side the name marks, ``kCenter`` when none.
        Markers: "L", "R", "l", "r", "Left", "Right", "left", "right",
        "LEFT", "RIGHT" as a whole token between "_" or "." and the ends;
        "left"/"right" opening a token before a capital or a digit;
        "Left"/"Right" as a capitalised word.
        """
        return _swapSide(attrName)

    def __repr__(self):
        return "MirrorNode(%r, side=%r, partnerName=%r)" % (
            self.nodeName, self.side, self.partnerName)


class MirrorStore(object):
    """Reads the value one of the mirror stores (``CORE.mirrorStoreA`` ...
    ``D``) holds for an attribute wrapper.

    A store's ``entries`` dictionary is keyed by text. ``lookup(attr)``
    tries these keys of the wrapper in turn and returns the first value
    stored (not ``None``):

    1. ``attr.settingsKey``: "parent|node.attr" without namespaces, one
       attribute of one node of a rig ("rig|L_arm_ctrl.translateX");
    2. ``attr.plainPlugName``: "node.attr" without namespace;
    3. ``attr.attrName``: the attribute's name alone, a rule for that
       channel on every node ("translateX");
    4. ``attr.shortAttrName``: the same by the short name ("tx").

    With ``lookupFlag`` true only the per-channel keys 3 and 4 are tried:
    the channel's rule, whatever the store holds for single nodes. None of
    the keys carries a namespace, so one setting serves every reference of
    a rig. A wrapper lacking one of the name forms skips that key.

    ``container`` is the store read (``None`` reads as an empty store);
    ``lookupFlag`` selects the per-channel keys only.
    """

    _NODE_KEYS = ("settingsKey", "plainPlugName")
    _CHANNEL_KEYS = ("attrName", "shortAttrName")

    def __init__(self, container=None, lookupFlag=False):
        self.container = container
        self.lookupFlag = lookupFlag

    def keysFor(self, attr):
        """The keys ``lookup`` tries for ``attr``, in order, without repeats."""
        names = self._CHANNEL_KEYS
        if not self.lookupFlag:
            names = self._NODE_KEYS + names
        keys = []
        for name in names:
            key = getattr(attr, name, None)
            if key is not None and key not in keys:
                keys.append(key)
        return keys

    def lookup(self, attr):
        """The value stored for the attribute wrapper ``attr``, or ``None``."""
        if self.container is None:
            return None
        entries = self.container.entries
        for key in self.keysFor(attr):
            value = entries.get(key)
            if value is not None:
                return value
        return None


class _MirrorService(_Service):
    """The suite's mirror service: which node mirrors which."""

    def getMirrorFromNode(self, node):
        """A new wrapper, of ``node``'s class, of the node that mirrors
        ``node``: the counterpart named by ``MirrorNode(node).partnerName``;
        a centred node gives a wrapper of itself, by the name ``node`` was
        built from. The counterpart need not exist."""
        self._record("getMirrorFromNode", node)
        mirror = MirrorNode(node)
        if mirror.side is _CENTER:
            return type(node)(node.nodeName)
        return type(node)(mirror.partnerName)


mirrorService = _MirrorService(CORE.calls, "mirrorService")

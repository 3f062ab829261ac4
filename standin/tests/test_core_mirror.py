"""The suite core's mirror objects: sides and counterparts from node and
attribute names, the mirror service, and the mirror stores."""
from types import SimpleNamespace

import pytest
from maya import cmds
import maya.OpenMaya as om
from scene_lookup import dependNode

from Zentrik._api.__hybrid__._core import CORE, MirrorNode, MirrorStore, mirrorService

LEFT, RIGHT, CENTER = MirrorNode.kLeft, MirrorNode.kRight, MirrorNode.kCenter


class Node(object):
    """The part of rigkit0's node wrapper the mirror objects use. Like
    rigkit0's, it stays bound to the node its name designated when first
    asked, and one whose name found nothing never exists."""

    def __init__(self, nodeName):
        self.nodeName = nodeName
        self._handle = None

    def _object(self):
        if self._handle is None:
            try:
                self._handle = om.MObjectHandle(dependNode(self.nodeName))
            except RuntimeError:
                self._handle = om.MObjectHandle(om.MObject())
        return self._handle.object()

    def exists(self):
        return not self._object().isNull() and self._handle.isValid()

    def fullName(self):
        return om.MFnDagNode(self._object()).fullPathName()

    def shortName(self):
        return om.MFnDependencyNode(self._object()).name()


def make(name):
    """A transform of that name (a namespace included), with no selection change."""
    return cmds.createNode("transform", name=name, skipSelect=True)


@pytest.mark.parametrize("name, side, partnerName, namespacePrefix", [
    ("L_arm_ctrl", LEFT, "R_arm_ctrl", ""), ("arm_R", RIGHT, "arm_L", ""),
    ("arm_L_ctrl", LEFT, "arm_R_ctrl", ""), ("r_foot", RIGHT, "l_foot", ""),
    ("Left_hand", LEFT, "Right_hand", ""), ("leftEye", LEFT, "rightEye", ""),
    ("eyeRight", RIGHT, "eyeLeft", ""), ("LEFT_brow", LEFT, "RIGHT_brow", ""),
    ("L_arm_L", LEFT, "R_arm_L", ""), ("char1:L_arm_ctrl", LEFT, "char1:R_arm_ctrl", "char1:"),
    ("a:b:arm_R", RIGHT, "a:b:arm_L", "a:b:"),
    # The namespace is not part of the name that carries the side.
    ("L:spine", CENTER, "L:spine", "L:"), ("spine_ctrl", CENTER, "spine_ctrl", ""),
    ("Lock_ctrl", CENTER, "Lock_ctrl", ""), ("leftover", CENTER, "leftover", ""),
    ("bright_ctrl", CENTER, "bright_ctrl", ""), ("upright", CENTER, "upright", ""),
])
def test_side_and_partner_come_from_the_name(name, side, partnerName, namespacePrefix):
    node = Node(make(name))
    mirror = MirrorNode(node)
    assert mirror.node is node and mirror.side is side
    assert (mirror.nodeName, mirror.partnerName, mirror.namespacePrefix) == (
        name, partnerName, namespacePrefix)


def test_nested_node_uses_its_leaf_and_finds_its_partner_under_another_parent():
    for side in "LR":
        arm = make("char1:%s_arm" % side)
        cmds.parent(arm, make("char1:%s_rig" % side))
        cmds.parent(make("char1:%s_hand" % side), arm)
    mirror = MirrorNode(Node("|char1:L_rig|char1:L_arm|char1:L_hand"))
    assert (mirror.nodeName, mirror.partnerName) == ("char1:L_hand", "char1:R_hand")
    partner = mirror.partner
    assert partner.node.fullName() == "|char1:R_rig|char1:R_arm|char1:R_hand"
    assert partner.side is RIGHT and partner.partner is mirror and mirror.partner is partner


def test_a_partner_is_found_once_created_and_let_go_once_renamed():
    mirror = MirrorNode(Node(make("L_foot")))
    assert mirror.partner.nodeName == "R_foot" and not mirror.partner.node.exists()
    first = make("R_foot")
    assert mirror.partner.node.exists()
    cmds.rename(first, "R_foot_old")
    assert not mirror.partner.node.exists()
    make("R_foot")
    assert mirror.partner.node.fullName() == "|R_foot"


def test_a_missing_node_keeps_the_leaf_of_its_name_and_a_centred_one_is_its_own_partner():
    mirror = MirrorNode(Node("|rig|L_gone"))
    assert (mirror.nodeName, mirror.side, mirror.partnerName) == ("L_gone", LEFT, "R_gone")
    mirror = MirrorNode(Node(make("spine")))
    assert mirror.partner is mirror


@pytest.mark.parametrize("attrName, otherName, side", [
    ("leftEyeBlink", "rightEyeBlink", LEFT), ("blink_R", "blink_L", RIGHT),
    ("L_lid", "R_lid", LEFT), ("browRight", "browLeft", RIGHT), ("translateX", None, CENTER),
    ("rotateOrder", None, CENTER), ("lockLength", None, CENTER),
])
def test_split_side_name(attrName, otherName, side):
    found = MirrorNode.splitSideName(attrName)
    assert found == (otherName, side) and found[1] is side


@pytest.mark.parametrize("name, expected", [
    ("char1:L_arm_ctrl", "|char1:R_arm_ctrl"), ("arm_R", "|arm_L"),
    ("char1:spine", "|char1:spine"),
])
def test_mirror_service_gives_the_partners_node(name, expected):
    for each in {name, expected.lstrip("|")}:
        make(each)
    node = Node(name)
    mirror = mirrorService.getMirrorFromNode(node)
    assert type(mirror) is Node
    assert mirror.fullName() == expected
    assert CORE.calls[-1] == ("mirrorService", "getMirrorFromNode", (node,))


def wrapper(**names):
    forms = dict(settingsKey="rig|L_arm_ctrl.translateX", plainPlugName="L_arm_ctrl.translateX",
                 attrName="translateX", shortAttrName="tx")
    forms.update(names)
    return SimpleNamespace(**dict((k, v) for k, v in forms.items() if v is not None))


ALL_FORMS = {"rig|L_arm_ctrl.translateX": 1, "L_arm_ctrl.translateX": 2,
             "translateX": 3, "tx": 4, "rig|L_arm_ctrl.translateY": 5}


@pytest.mark.parametrize("entries, attr, lookupFlag, expected", [
    (ALL_FORMS, wrapper(), False, 1), (ALL_FORMS, wrapper(), True, 3),
    ({"L_arm_ctrl.translateX": 2, "translateX": 3}, wrapper(), False, 2),
    ({"tx": 4}, wrapper(), False, 4), ({"tx": 4}, wrapper(), True, 4),
    ({"rig|L_arm_ctrl.translateX": 1, "translateX": None}, wrapper(), True, None),
    ({"rig|R_arm_ctrl.translateX": 1}, wrapper(), False, None),
    ({"translateX": 3}, wrapper(settingsKey=None, shortAttrName=None), False, 3),
    ({}, wrapper(), False, None),
], ids=["settingsKey first", "channel only", "plainPlugName", "short name",
        "short name per channel", "stored None", "other node", "missing forms", "empty"])
def test_store_lookup(entries, attr, lookupFlag, expected):
    CORE.mirrorStoreB.entries.update(entries)
    assert MirrorStore(container=CORE.mirrorStoreB, lookupFlag=lookupFlag).lookup(attr) == expected


def test_stores_start_empty_after_a_reset_and_without_a_container():
    for store in (CORE.mirrorStoreA, CORE.mirrorStoreB, CORE.mirrorStoreC, CORE.mirrorStoreD):
        store.entries["translateX"] = -1
    CORE.resetRecords()
    stores = (CORE.mirrorStoreA, CORE.mirrorStoreB, CORE.mirrorStoreC, CORE.mirrorStoreD)
    assert [MirrorStore(container=s).lookup(wrapper()) for s in stores] == [None] * 4
    assert MirrorStore().lookup(wrapper()) is None

"""The main Channel Box and the time slider: object lists that follow the selection,
the attribute selection an animator makes, the slider's key display settings."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE

pytestmark = pytest.mark.interactive

BOX = "mainChannelBox"


def box(**flags):
    return cmds.channelBox(BOX, query=True, **flags)


def slider(**flags):
    return cmds.timeControl(CORE.timeSlider, query=True, **flags)


@pytest.fixture
def rig():
    """Transforms a and b; a has a locator shape and an intermediate mesh."""
    cmds.createNode("transform", name="a")
    cmds.createNode("transform", name="b")
    cmds.createNode("locator", name="aShape", parent="a")
    cmds.createNode("mesh", name="aOrig", parent="a")
    cmds.setAttr("aOrig.intermediateObject", True)
    cmds.createNode("multiplyDivide", name="md")
    cmds.select(clear=True)


# The short flags read the same lists as the long ones.
@pytest.mark.parametrize("selection, flags, expected", [
    ([], ("mainObjectList", "shapeObjectList", "historyObjectList", "outputObjectList",
          "selectedMainAttributes", "selectedShapeAttributes", "selectedHistoryAttributes",
          "selectedOutputAttributes", "mol", "sol", "hol", "ool", "sma", "ssa", "sha", "soa"),
     [None] * 16),
    (["b", "a", "md"], ("mainObjectList", "shapeObjectList", "historyObjectList",
                        "outputObjectList"), [["b", "a", "md"], ["aShape"], None, None]),
    (["aShape"], ("mol", "sol"), [["aShape"], None]),  # a selected shape is a main object
])
def test_main_list_is_the_selection_in_order_and_shapes_follow(rig, selection, flags, expected):
    for name in selection:
        cmds.select(name, add=True)
    assert [box(**{flag: True}) for flag in flags] == expected


def test_inputs_and_outputs_are_the_dependency_nodes_with_channels_around_the_shown(rig):
    """Nearest first; past a node without channels; never DAG nodes, curves or sets."""
    for node, nodeType in (("md2", "multiplyDivide"), ("pma", "plusMinusAverage"),
                           ("pm", "passMatrix")):
        cmds.createNode(nodeType, name=node)
    for src, dst in (("md.outputX", "a.tx"), ("md2.outputX", "md.input1X"),
                     ("b.tx", "a.ty"), ("a.tz", "pma.input1D[0]"), ("pma.output1D", "b.tz"),
                     ("aShape.worldMatrix[0]", "pm.inMatrix")):
        cmds.connectAttr(src, dst)
    cmds.setKeyframe("a.rx", time=(1,), value=1.0)
    cmds.animLayer("layer1", attribute="a.sx")
    cmds.select("a")
    cmds.channelBox(BOX, edit=True, select=["md2.input2X", "pma.operation", "b.tx"])
    assert [box(hol=True), box(ool=True), box(sha=True), box(soa=True)] == [
        ["md", "md2"], ["pma"], ["i2x"], ["op"]]


def chose(value):
    """Selects attributes in the Channel Box, by the long flags or the short ones."""
    if isinstance(value, list):
        return cmds.channelBox(BOX, edit=True, select=value)
    cmds.channelBox(BOX, e=True, s=value)


class TestAttributeSelection:
    # A tuple selects objects, a list or a string selects attributes.
    @pytest.mark.parametrize("steps, main, shape", [
        ([("a", "b"), ["b.ry", "a.tx", "b.tx", "a.translateX"]], ["tx", "ry"], None),
        ([("a",), "aShape.localPositionX"], None, ["lpx"]),
        ([("a",), ["a.tx", "a.ty"], ["a.rz"]], ["rz"], None),  # a new selection replaces
        ([("a",), ["a.tx"], ""], None, None),
        ([("a",), ["a.tx"], ("md",)], None, None),              # md has no tx
        ([("a",), ["a.tx"], ("md",), ("b",)], ["tx"], None),    # b has
        ([("a",), ["b.tx"], ("b",)], None, None),               # b was not shown
        ([("a",), ["a.tx"], None, ("a",)], None, None),         # None: a new scene
    ], ids=["once each in channel box order", "shape plug", "replaced", "cleared",
            "object without the attribute", "object with it", "unshown node", "new scene"])
    def test_selected_attributes_follow_the_objects_shown(self, rig, steps, main, shape):
        for step in steps:
            if step is None:
                cmds.file(new=True, force=True)
                cmds.createNode("transform", name="a")
            elif isinstance(step, tuple):
                cmds.select(*step)
            else:
                chose(step)
        assert (box(selectedMainAttributes=True), box(ssa=True)) == (main, shape)

    def test_a_missing_plug_raises(self, rig):
        cmds.select("a")
        with pytest.raises(ValueError):
            chose(["a.noSuchAttr"])


class TestTimeSlider:
    @pytest.mark.parametrize("flag, short, default, value", [
        ("showKeys", "sk", "active", "mainChannelBox"), ("showKeysCombined", "skc", False, True),
        ("animLayerFilterOptions", "alf", "allAffecting", "activeAndSelected")])
    def test_edit_and_query_by_either_name_until_a_new_scene(self, flag, short, default, value):
        assert slider(**{flag: True}) == default
        assert cmds.timeControl(CORE.timeSlider, edit=True, **{short: value}) is None
        assert slider(**{flag: True}) == value
        assert cmds.timeControl(CORE.timeSlider, q=True, **{short: True}) == value
        cmds.file(new=True, force=True)
        assert slider(**{short: True}) == default

    @pytest.mark.parametrize("flags", [dict(showKeys="someEditor"),
                                       dict(animLayerFilterOptions="everything")])
    def test_values_maya_does_not_take_raise_and_change_nothing(self, flags):
        with pytest.raises(RuntimeError):
            cmds.timeControl(CORE.timeSlider, edit=True, showKeysCombined=True, **flags)
        assert slider(skc=True) is False


class TestControlNames:
    @pytest.mark.parametrize("command, name, flag", [
        (cmds.channelBox, "otherChannelBox", "mainObjectList"),
        (cmds.timeControl, "timeControl2", "showKeys")])
    def test_unknown_controls_raise_and_do_not_exist(self, command, name, flag):
        with pytest.raises(RuntimeError):
            command(name, query=True, **{flag: True})
        assert command(name, exists=True) is False

    def test_the_slider_answers_to_its_full_path(self):
        path = "MayaWindow|mainTimeSliderLayout|formLayout9|frameLayout2|timeControl1"
        assert cmds.timeControl(path, exists=True) is True
        assert cmds.timeControl(path, query=True, showKeys=True) == "active"

"""The main Channel Box and the time slider: object lists that follow the
selection, the attribute selection an animator makes, and the time slider's
key display settings."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE

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


class TestObjectLists:
    @pytest.mark.parametrize("long_, short", [
        ("mainObjectList", "mol"), ("shapeObjectList", "sol"),
        ("historyObjectList", "hol"), ("outputObjectList", "ool"),
        ("selectedMainAttributes", "sma"), ("selectedShapeAttributes", "ssa"),
        ("selectedHistoryAttributes", "sha"), ("selectedOutputAttributes", "soa")])
    def test_everything_is_none_with_nothing_selected(self, rig, long_, short):
        assert box(**{long_: True}) is None
        assert box(**{short: True}) is None

    def test_main_list_is_the_selection_in_order_and_shapes_follow(self, rig):
        cmds.select("b", "a", "md")
        assert box(mainObjectList=True) == ["b", "a", "md"]
        assert box(shapeObjectList=True) == ["aShape"]
        assert box(historyObjectList=True) is None and box(outputObjectList=True) is None

    def test_a_selected_shape_is_in_the_main_list(self, rig):
        cmds.select("aShape")
        assert box(mol=True) == ["aShape"] and box(sol=True) is None


class TestAttributeSelection:
    def test_short_names_in_channel_box_order_once_each(self, rig):
        cmds.select("a", "b")
        cmds.channelBox(BOX, edit=True, select=["b.ry", "a.tx", "b.tx", "a.translateX"])
        assert box(selectedMainAttributes=True) == ["tx", "ry"]
        assert box(ssa=True) is None

    def test_one_plug_as_a_string_and_shape_plugs_in_the_shape_section(self, rig):
        cmds.select("a")
        cmds.channelBox(BOX, e=True, s="aShape.localPositionX")
        assert box(sma=True) is None and box(ssa=True) == ["lpx"]

    def test_a_new_selection_replaces_and_an_empty_one_clears(self, rig):
        cmds.select("a")
        cmds.channelBox(BOX, edit=True, select=["a.tx", "a.ty"])
        cmds.channelBox(BOX, edit=True, select=["a.rz"])
        assert box(sma=True) == ["rz"]
        cmds.channelBox(BOX, edit=True, select="")
        assert box(sma=True) is None

    def test_selection_persists_across_objects_that_have_the_attribute(self, rig):
        cmds.select("a")
        cmds.channelBox(BOX, edit=True, select=["a.tx"])
        cmds.select("md")
        assert box(sma=True) is None          # md has no tx
        cmds.select("b")
        assert box(sma=True) == ["tx"]

    def test_plugs_of_unshown_nodes_select_nothing(self, rig):
        cmds.select("a")
        cmds.channelBox(BOX, edit=True, select=["b.tx"])
        cmds.select("b")
        assert box(sma=True) is None

    def test_a_missing_plug_raises(self, rig):
        cmds.select("a")
        with pytest.raises(ValueError):
            cmds.channelBox(BOX, edit=True, select=["a.noSuchAttr"])

    def test_a_new_scene_clears_the_selection(self, rig):
        cmds.select("a")
        cmds.channelBox(BOX, edit=True, select=["a.tx"])
        cmds.file(new=True, force=True)
        cmds.createNode("transform", name="a")
        cmds.select("a")
        assert box(sma=True) is None


class TestTimeSlider:
    def test_defaults(self):
        assert CORE.timeSlider == "timeControl1"
        assert slider(showKeys=True) == "active"
        assert slider(showKeysCombined=True) is False
        assert slider(animLayerFilterOptions=True) == "allAffecting"

    @pytest.mark.parametrize("flag, short, value", [
        ("showKeys", "sk", "mainChannelBox"), ("showKeysCombined", "skc", True),
        ("animLayerFilterOptions", "alf", "activeAndSelected")])
    def test_edit_then_query_by_long_or_short_name(self, flag, short, value):
        assert cmds.timeControl(CORE.timeSlider, edit=True, **{short: value}) is None
        assert slider(**{flag: True}) == value
        assert cmds.timeControl(CORE.timeSlider, q=True, **{short: True}) == value

    def test_a_new_scene_restores_the_defaults(self):
        cmds.timeControl(CORE.timeSlider, edit=True, showKeys="mainChannelBox",
                         showKeysCombined=True, animLayerFilterOptions="active")
        cmds.file(new=True, force=True)
        assert (slider(sk=True), slider(skc=True), slider(alf=True)) == (
            "active", False, "allAffecting")

    @pytest.mark.parametrize("flags", [dict(showKeys="someEditor"),
                                       dict(animLayerFilterOptions="everything")])
    def test_values_maya_does_not_take_raise_and_change_nothing(self, flags):
        with pytest.raises(RuntimeError):
            cmds.timeControl(CORE.timeSlider, edit=True, showKeysCombined=True, **flags)
        assert slider(skc=True) is False


class TestControlNames:
    @pytest.mark.parametrize("command, name", [
        (cmds.channelBox, "otherChannelBox"), (cmds.timeControl, "timeControl2")])
    def test_unknown_controls_raise_and_do_not_exist(self, command, name):
        with pytest.raises(RuntimeError):
            command(name, query=True, **{"mainObjectList" if command is cmds.channelBox
                                          else "showKeys": True})
        assert command(name, exists=True) is False

    def test_the_slider_answers_to_its_full_path(self):
        path = "MayaWindow|mainTimeSliderLayout|formLayout9|frameLayout2|timeControl1"
        assert cmds.timeControl(path, exists=True) is True
        assert cmds.timeControl(path, query=True, showKeys=True) == "active"

"""AnimAttr: building the plug from a path, the identity properties, existence,
and the enriched failure of nodeName."""
import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds
from maya.OpenMaya import MPlug


@pytest.fixture
def scene():
    """|grp|pSphere1 (transform), and n (network) with a multi compound
    list[].weight / list[].name."""
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="pSphere1", parent="grp")
    cmds.createNode("network", name="n")
    cmds.addAttr("n", longName="list", shortName="li", attributeType="compound",
                 numberOfChildren=2, multi=True)
    cmds.addAttr("n", longName="weight", shortName="w", attributeType="double", parent="list")
    cmds.addAttr("n", longName="label", shortName="lb", dataType="string", parent="list")


class TestPaths:
    def test_path_is_kept_as_plug_name(self, rk, scene):
        attr = rk.AnimAttr(plugName="pSphere1.translateX")
        assert attr.plugName == "pSphere1.translateX"
        assert attr.nodeName == "|grp|pSphere1"
        assert attr.attrName == "translateX"

    def test_plug_name_of_a_plug_uses_full_path_and_long_name(self, rk, scene):
        plug = rk.Node("pSphere1").getPlug("tx")
        assert rk.AnimAttr(plug).plugName == "|grp|pSphere1.translateX"

    def test_ancestor_index_selects_the_element(self, rk, scene):
        attr = rk.AnimAttr(plugName="n.list[3].weight")
        assert attr.plug.name() == "n.list[3].weight"
        assert attr.attrName == "list[3].weight"
        assert attr.shortAttrName == "list[3].w"

    def test_index_on_the_leaf_is_not_applied(self, rk, scene):
        plug = rk.AnimAttr(plugName="n.list[3]").plug
        assert plug.isArray() and plug.name() == "n.list"

    def test_component_without_index_replaces_the_plug(self, rk, scene):
        assert rk.AnimAttr(plugName="pSphere1.translate.translateX").plug.name() == (
            "pSphere1.translate")

    def test_bare_node_name_has_no_plug(self, rk, scene):
        attr = rk.AnimAttr(plugName="pSphere1")
        assert attr.plug is None
        assert attr.plugFromPath("pSphere1") is None

    @pytest.mark.parametrize("index", ["-1", str(2 ** 32), str(2 ** 64), str(10 ** 30)])
    def test_index_out_of_maya_range_resolves_to_none(self, rk, scene, index):
        assert rk.AnimAttr(plugName="n.list[%s].weight" % index).plug is None

    @pytest.mark.parametrize("path", ["n.list[.weight", "n.list[x].weight", "n.list[].weight",
                                      "missing.tx", "pSphere1.missing"])
    def test_unresolvable_path_leaves_an_empty_wrapper(self, rk, scene, errors, path):
        attr = rk.AnimAttr(plugName=path, targetController="controller")
        assert not hasattr(attr, "plug") and not hasattr(attr, "_targetController")
        assert attr.plugName == path
        assert attr.exists is False
        assert errors[-1] == "Node Attr does not exist: %s" % path

    @pytest.mark.parametrize("path", ["", ".", "a.", "a.b[", "a.b[x]", "a.b[]", "[", "..", "a..b"])
    def test_texts_that_are_not_paths_leave_no_plug(self, rk, scene, path):
        cmds.createNode("network", name="a")
        assert getattr(rk.AnimAttr(plugName=path), "plug", None) is None

    @settings(max_examples=150, deadline=None)
    @given(st.text(alphabet="n.list[]0123456789-xweight|", max_size=24))
    def test_random_paths_resolve_or_leave_no_plug(self, rk, path):
        cmds.file(new=True, force=True)
        cmds.createNode("network", name="n")
        cmds.addAttr("n", longName="list", attributeType="compound", numberOfChildren=1, multi=True)
        cmds.addAttr("n", longName="weight", attributeType="double", parent="list")
        plug = getattr(rk.AnimAttr(plugName=path), "plug", None)
        assert plug is None or isinstance(plug, MPlug)

    def test_path_text_whose_split_gives_a_tuple(self, rk, scene):
        class Path(str):
            def split(self, *args):
                return tuple(str.split(self, *args))

        assert rk.AnimAttr(plugName=Path("n.list[3].weight")).plug.name() == "n.list[3].weight"


class TestIdentity:
    def test_short_attribute_name(self, rk, scene):
        assert rk.AnimAttr(plugName="pSphere1.translateX").shortAttrName == "tx"

    def test_node_and_api_type(self, rk, scene):
        from maya.OpenMaya import MFn

        attr = rk.AnimAttr(plugName="pSphere1.rotateX")
        assert attr.node.fullName() == "|grp|pSphere1"
        assert attr.apiType == MFn.kDoubleAngleAttribute
        assert attr.exists is True

    def test_wrapper_without_plug(self, rk, errors):
        attr = rk.AnimAttr()
        assert attr.plug is None
        assert (attr.nodeName, attr.attrName, attr.plugName, attr.node) == (None,) * 4
        assert attr.exists is False
        assert errors == ["Node Attr does not exist: None"]

    def test_target_controller_defaults_to_a_kept_channel_box(self, rk, scene):
        attr = rk.AnimAttr(plugName="pSphere1.tx")
        assert isinstance(attr.targetController, rk.ChannelBox)
        assert attr.targetController is attr.targetController
        assert rk.AnimAttr(plugName="pSphere1.tx", targetController="mine").targetController == "mine"
        attr = rk.AnimAttr(plugName="pSphere1.tx")
        attr.setTargetController("later")
        assert attr.targetController == "later"


class FailingObject:
    """A node object whose type test fails the way Maya's API can."""

    def __init__(self, error):
        self.error = error

    def hasFn(self, _):
        raise self.error


class FakePlug:
    def __init__(self, error):
        self.error = error

    def node(self):
        return FailingObject(self.error)

    def partialName(self, *flags):
        return "fake"


class TestNodeNameFailure:
    def test_runtime_error_is_raised_again_with_the_attribute(self, rk):
        original = RuntimeError("(kFailure): Object does not exist")
        with pytest.raises(RuntimeError) as caught:
            rk.AnimAttr(FakePlug(original)).nodeName
        message = str(caught.value)
        assert message.startswith("Error: (Line: ") and message.endswith(") attrName: fake")
        assert caught.value.__context__ is original

    def test_context_is_kept_inside_a_callers_except_block(self, rk):
        original = RuntimeError("(kFailure): Object does not exist")
        try:
            raise KeyError("the caller's own")
        except KeyError as handled:
            outer = handled
            with pytest.raises(RuntimeError) as caught:
                rk.AnimAttr(FakePlug(original)).nodeName
        assert caught.value.__context__ is original
        assert original.__context__ is outer

    def test_message_attribute_is_the_prefix(self, rk):
        class MayaError(RuntimeError):
            message = "Maya says no"

        with pytest.raises(MayaError, match=r"^Maya says no \(Line: \d+\) attrName: fake$"):
            rk.AnimAttr(FakePlug(MayaError("x"))).nodeName

    def test_other_errors_pass_unchanged(self, rk):
        original = KeyError("k")
        with pytest.raises(KeyError) as caught:
            rk.AnimAttr(FakePlug(original)).nodeName
        assert caught.value is original

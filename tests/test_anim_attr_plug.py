"""AnimAttr: the plug a path names, the identity properties, and nodeName's failures."""
import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds


@pytest.fixture
def scene():
    """|grp|pSphere1, and network n with multi compound list[].weight/.label and values[]."""
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="pSphere1", parent="grp")
    cmds.createNode("network", name="n")
    cmds.addAttr("n", longName="list", shortName="li", attributeType="compound",
                 numberOfChildren=2, multi=True)
    cmds.addAttr("n", longName="weight", shortName="w", attributeType="double", parent="list")
    cmds.addAttr("n", longName="label", shortName="lb", dataType="string", parent="list")
    cmds.addAttr("n", longName="values", shortName="vs", attributeType="double", multi=True)


class SplitToTuple(str):
    """A path text whose split answers a tuple."""

    def split(self, *args):
        return tuple(str.split(self, *args))


class TestPaths:
    def test_path_is_kept_as_plug_name(self, rk, scene):
        from maya.OpenMaya import MFn

        attr = rk.AnimAttr(plugName="pSphere1.translateX")
        assert (attr.plugName, attr.nodeName, attr.attrName, attr.shortAttrName) == (
            "pSphere1.translateX", "|grp|pSphere1", "translateX", "tx")
        assert attr.node.fullName() == "|grp|pSphere1"
        assert attr.apiType == MFn.kDoubleLinearAttribute and attr.exists is True

    @pytest.mark.parametrize("path, attrName, shortAttrName", [
        ("n.values[3]", "values[3]", "vs[3]"),
        ("n.list[2].weight", "list[2].weight", "list[2].w"),
    ])
    def test_index_on_the_leaf_selects_that_element(self, rk, scene, path, attrName,
                                                    shortAttrName):
        cmds.setAttr(path, 5.0)
        attr = rk.AnimAttr(plugName=path)
        assert (attr.plug.name(), attr.attrName, attr.shortAttrName) == (
            path, attrName, shortAttrName)
        assert attr.value == 5.0
        assert attr.setValue(9.0) is True
        assert cmds.getAttr(path) == 9.0
        rk.AnimAttr(plugName=path).setValueUndoable(7.0)
        assert cmds.getAttr(path) == 7.0
        assert cmds.getAttr("n.values[0]") == 0.0 and cmds.getAttr("n.list[0].weight") == 0.0

    @pytest.mark.parametrize("path, plugName, value", [
        ("n.list[4]", "n.list[4]", [2.5, "four"]),  # a compound element reads its children
        ("n.list[1].taps[2]", "n.list[1].taps[2]", 4.0),  # an array inside an element
        ("pSphere1.translate.translateX", "pSphere1.translate", [0.0, 0.0, 0.0]),
        ("pSphere1", None, None)])
    def test_the_plug_a_path_names(self, rk, scene, path, plugName, value):
        if "taps" in path:
            cmds.addAttr("n", longName="taps", attributeType="double", multi=True, parent="list")
            cmds.setAttr(path, 4.0)
        cmds.setAttr("n.list[4].weight", 2.5)
        cmds.setAttr("n.list[4].label", "four", type="string")
        attr = rk.AnimAttr(plugName=path)
        if plugName is None:
            assert attr.plug is None and attr.plugFromPath(path) is None
        else:
            assert (attr.plug.name(), attr.value) == (plugName, value)

    @pytest.mark.parametrize("form", ["n.list[%s].weight", "n.values[%s]", "n.list[%s]"])
    @pytest.mark.parametrize("index", ["-1", str(2 ** 32), str(2 ** 64), str(10 ** 30)])
    def test_index_out_of_maya_range_resolves_to_none(self, rk, scene, errors, form, index):
        attr = rk.AnimAttr(plugName=form % index)
        assert attr.plug is None
        assert attr.setValue(1.0) is None
        assert errors[-1].startswith("Zentrik - Could not set attribute %s 1.0 " % (form % index))

    @pytest.mark.parametrize("path", ["n.list[.weight", "n.list[x].weight", "n.list[].weight",
                                      "missing.tx", "pSphere1.missing", "pSphere1.tx[0]"])
    def test_unresolvable_path_leaves_an_empty_wrapper(self, rk, scene, errors, path):
        attr = rk.AnimAttr(plugName=path, targetController="controller")
        assert not hasattr(attr, "plug") and not hasattr(attr, "_targetController")
        assert (attr.plugName, attr.exists) == (path, False)
        assert errors[-1] == "Node Attr does not exist: %s" % path

    @pytest.mark.parametrize("path", ["", ".", "a.", "a.b[", "a.b[x]", "a.b[]", "[", "..", "a..b"])
    def test_texts_that_are_not_paths_leave_no_plug(self, rk, scene, path):
        cmds.createNode("network", name="a")
        assert getattr(rk.AnimAttr(plugName=path), "plug", None) is None

    @settings(max_examples=150, deadline=None)
    @given(form=st.sampled_from(["n.values[%d]", "n.list[%d].weight", "n.list[%d]"]),
           index=st.one_of(st.integers(-3, 40), st.integers(2 ** 32 - 2, 2 ** 32 + 2)),
           value=st.floats(-1e6, 1e6, allow_nan=False))
    def test_element_paths_name_and_read_the_element_the_commands_do(self, rk, form, index,
                                                                     value):
        cmds.file(new=True, force=True)
        cmds.createNode("network", name="n")
        cmds.addAttr("n", longName="values", attributeType="double", multi=True)
        cmds.addAttr("n", longName="list", attributeType="compound", numberOfChildren=1,
                     multi=True)
        cmds.addAttr("n", longName="weight", attributeType="double", parent="list")
        path = form % index
        attr = rk.AnimAttr(plugName=path)
        if not 0 <= index < 2 ** 32:
            assert attr.plug is None
            return
        leaf = path if form != "n.list[%d]" else path + ".weight"
        cmds.setAttr(leaf, value)
        assert attr.plug.name() == path
        assert attr.value == (value if leaf == path else [value])

    @pytest.mark.parametrize("given, resolves", [
        ("n.list[3].weight", True), (b"n.list[3].weight", True),
        (SplitToTuple("n.list[3].weight"), True), (b"caf\xe9.tx", False)],
        ids=["text", "bytes", "split gives a tuple", "bytes not UTF-8"])
    def test_path_given_as_bytes_is_latin_1_text(self, rk, scene, errors, given, resolves):
        attr = rk.AnimAttr(plugName=given)
        text = given.decode("latin-1") if isinstance(given, bytes) else str(given)
        assert attr.plugName == text and attr.exists is resolves
        if resolves:
            assert attr.plug.name() == attr.plugFromPath(given).name() == text
        else:
            assert not hasattr(attr, "plug")

    @pytest.mark.parametrize("path, written", [
        ("|g1|ctrl.tx", "|g1|ctrl.tx"), ("g2|ctrl.tx", "|g2|ctrl.tx"),
        ("ctrlSol*.tx", "ctrlSolo.tx"), ("*S?l*.tx", "ctrlSolo.tx")])
    def test_a_name_one_node_answers_to_still_resolves(self, rk, twins, errors, path, written):
        assert rk.AnimAttr(plugName=path).setValue(3.0) is True
        assert cmds.getAttr(written) == 3.0 and errors == []


class TestIdentity:
    def test_wrapper_without_plug(self, rk, errors):
        attr = rk.AnimAttr()
        assert attr.plug is None and attr.exists is False
        assert (attr.nodeName, attr.attrName, attr.plugName, attr.shortPlugName, attr.node,
                attr.mirrorNodeInfo, attr.mirrorAttr) == (None,) * 7
        assert errors == ["Node Attr does not exist: None"]

    def test_target_controller_defaults_to_a_kept_channel_box(self, rk, scene):
        attr = rk.AnimAttr(plugName="pSphere1.tx")
        assert isinstance(attr.targetController, rk.ChannelBox)
        assert attr.targetController is attr.targetController
        assert rk.AnimAttr(plugName="pSphere1.tx", targetController="mine").targetController == "mine"
        attr = rk.AnimAttr(plugName="pSphere1.tx")
        attr.setTargetController("later")
        assert attr.targetController == "later"


class FakePlug:
    """A plug, and its own node, whose type test fails the way Maya's API can."""

    def __init__(self, error):
        self.error = error

    def node(self):
        return self

    def hasFn(self, _):
        raise self.error

    def partialName(self, *flags):
        return "fake"


class TestNodeNameFailure:
    @pytest.mark.parametrize("inCallersExcept", [False, True])
    def test_runtime_error_is_raised_again_with_the_attribute(self, rk, inCallersExcept):
        original, outer = RuntimeError("(kFailure): Object does not exist"), KeyError("own")
        with pytest.raises(RuntimeError) as caught:
            try:
                raise outer
            except KeyError:
                if inCallersExcept:
                    rk.AnimAttr(FakePlug(original)).nodeName
            rk.AnimAttr(FakePlug(original)).nodeName
        message = str(caught.value)
        assert message.startswith("Error: (Line: ") and message.endswith(") attrName: fake")
        assert caught.value.__context__ is original
        assert original.__context__ is (outer if inCallersExcept else None)

    def test_message_attribute_is_the_prefix_and_other_errors_pass_unchanged(self, rk):
        class MayaError(RuntimeError):
            message = "Maya says no"

        with pytest.raises(MayaError, match=r"^Maya says no \(Line: \d+\) attrName: fake$"):
            rk.AnimAttr(FakePlug(MayaError("x"))).nodeName
        original = KeyError("k")
        with pytest.raises(KeyError) as caught:
            rk.AnimAttr(FakePlug(original)).nodeName
        assert caught.value is original

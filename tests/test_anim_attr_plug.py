"""AnimAttr: building the plug from a path, the identity properties, existence,
and the enriched failure of nodeName."""
import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds


@pytest.fixture
def scene():
    """|grp|pSphere1 (transform), and n (network) with a multi compound
    list[].weight / list[].label and a multi double values[]."""
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="pSphere1", parent="grp")
    cmds.createNode("network", name="n")
    cmds.addAttr("n", longName="list", shortName="li", attributeType="compound",
                 numberOfChildren=2, multi=True)
    cmds.addAttr("n", longName="weight", shortName="w", attributeType="double", parent="list")
    cmds.addAttr("n", longName="label", shortName="lb", dataType="string", parent="list")
    cmds.addAttr("n", longName="values", shortName="vs", attributeType="double", multi=True)


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

    def test_element_of_a_compound_array_reads_its_children(self, rk, scene):
        cmds.setAttr("n.list[4].weight", 2.5)
        cmds.setAttr("n.list[4].label", "four", type="string")
        assert rk.AnimAttr(plugName="n.list[4]").value == [2.5, "four"]

    def test_indices_of_an_array_inside_an_array_element(self, rk, scene):
        cmds.addAttr("n", longName="taps", attributeType="double", multi=True, parent="list")
        cmds.setAttr("n.list[1].taps[2]", 4.0)
        attr = rk.AnimAttr(plugName="n.list[1].taps[2]")
        assert attr.plug.name() == "n.list[1].taps[2]" and attr.value == 4.0

    def test_component_without_index_replaces_the_plug(self, rk, scene):
        assert rk.AnimAttr(plugName="pSphere1.translate.translateX").plug.name() == (
            "pSphere1.translate")

    def test_bare_node_name_has_no_plug(self, rk, scene):
        attr = rk.AnimAttr(plugName="pSphere1")
        assert attr.plug is None
        assert attr.plugFromPath("pSphere1") is None

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
        assert attr.plugName == path
        assert attr.exists is False
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

    @pytest.mark.parametrize("path", ["n.list[3].weight", b"n.list[3].weight"])
    def test_path_given_as_bytes_is_latin_1_text(self, rk, scene, path):
        attr = rk.AnimAttr(plugName=path)
        assert attr.plugName == "n.list[3].weight"
        assert attr.plug.name() == "n.list[3].weight"
        assert attr.plugFromPath(path).name() == "n.list[3].weight"

    def test_bytes_that_are_not_utf_8_name_nothing_without_raising(self, rk, scene, errors):
        attr = rk.AnimAttr(plugName=b"caf\xe9.tx")
        assert attr.plugName == "caf\xe9.tx"
        assert not hasattr(attr, "plug") and attr.exists is False

    def test_path_text_whose_split_gives_a_tuple(self, rk, scene):
        class Path(str):
            def split(self, *args):
                return tuple(str.split(self, *args))

        assert rk.AnimAttr(plugName=Path("n.list[3].weight")).plug.name() == "n.list[3].weight"


class TestSharedShortName:
    """Two characters' controls |g1|ctrl and |g2|ctrl: a name both answer to
    is a failed lookup, never a guess at either."""

    @pytest.mark.parametrize("name", ["ctrl", "ctrl*"])
    def test_ambiguous_name_reads_and_writes_nothing(self, rk, twins, errors, name):
        attr = rk.AnimAttr(plugName=name + ".tx")
        assert errors == ["Zentrik - Error handling object %s - More than one object matches "
                          "name: %s" % (name, name)]
        assert not hasattr(attr, "plug") and attr.exists is False
        assert attr.setValue(3.0) is None
        attr.setValueUndoable(4.0)
        assert cmds.getAttr("|g1|ctrl.tx") == 0.0 and cmds.getAttr("|g2|ctrl.tx") == 0.0
        with pytest.raises(ValueError, match="^More than one object matches name: "):
            attr.plugFromPath(name + ".tx")

    @pytest.mark.parametrize("path, written", [
        ("|g1|ctrl.tx", "|g1|ctrl.tx"), ("g2|ctrl.tx", "|g2|ctrl.tx"),
        ("ctrlSol*.tx", "ctrlSolo.tx")])
    def test_a_name_one_node_answers_to_still_resolves(self, rk, twins, errors, path, written):
        assert rk.AnimAttr(plugName=path).setValue(3.0) is True
        assert cmds.getAttr(written) == 3.0 and errors == []


class TestIdentity:
    def test_wrapper_without_plug(self, rk, errors):
        attr = rk.AnimAttr()
        assert attr.plug is None
        assert (attr.nodeName, attr.attrName, attr.plugName, attr.shortPlugName, attr.node,
                attr.mirrorNodeInfo, attr.mirrorAttr) == (None,) * 7
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

"""AnimAttr values: every attribute kind read and written in internal units, and the reports."""
import math

import pytest
from maya import cmds
from maya.OpenMaya import MDGContext, MFn, MMatrix, MPlug, MScriptUtil, MTime


@pytest.fixture
def node():
    """A transform "n" with one extra attribute of every kind."""
    cmds.createNode("transform", name="n")
    add = lambda **flags: cmds.addAttr("n", **flags)  # noqa: E731
    for name, kind in (("flag", "bool"), ("count", "long"), ("small", "short"),
                       ("byteValue", "byte"), ("ratio", "double"), ("floatValue", "float"),
                       ("distance", "doubleLinear"), ("angle", "doubleAngle"), ("moment", "time"),
                       ("plainMatrix", "matrix"), ("link", "message")):
        add(longName=name, attributeType=kind)
    for name, kind in (("label", "string"), ("typedMatrix", "matrix"),
                       ("doubles", "doubleArray"), ("ints", "Int32Array"), ("points", "pointArray")):
        add(longName=name, dataType=kind)
    add(longName="choice", attributeType="enum", enumName="a:b:c:d")
    add(longName="triple", attributeType="double3")
    for axis in "XYZ":
        add(longName="triple" + axis, attributeType="double", parent="triple")
    add(longName="group", attributeType="compound", numberOfChildren=2)
    add(longName="inner", attributeType="long", parent="group")
    add(longName="innerLabel", dataType="string", parent="group")
    return "n"


def attr(rk, name):
    return rk.AnimAttr(plugName="n." + name)


class TestRead:
    def test_internal_units_whatever_the_working_units(self, rk, node):
        cmds.currentUnit(linear="m", angle="deg")
        cmds.setAttr("n.translateX", 1)
        cmds.setAttr("n.rotateX", 90)
        assert attr(rk, "translate").value == pytest.approx([100.0, 0.0, 0.0])
        assert attr(rk, "tx").value == pytest.approx(100.0)
        assert attr(rk, "rotateX").value == pytest.approx(math.pi / 2)
        attr(rk, "translateY").setValue(100.0)
        attr(rk, "rotateY").setValue(math.pi / 2)
        assert cmds.getAttr("n.translateY") == pytest.approx(1.0)
        assert cmds.getAttr("n.rotateY") == pytest.approx(90.0)

    @pytest.mark.parametrize("writes, name, expected", [
        ({"flag": True}, "flag", True), ({"count": 7}, "count", 7), ({"small": -3}, "small", -3),
        ({"byteValue": 9}, "byteValue", 9), ({"ratio": 0.25}, "ratio", 0.25),
        ({"choice": 2}, "choice", 2), ({"label": "hello"}, "label", "hello"),
        ({"moment": 12}, "moment", 12.0), ({}, "plainMatrix", MMatrix()),
        ({}, "typedMatrix", MMatrix()), ({"tripleX": 1.5}, "triple", [1.5, 0.0, 0.0]),
        ({"inner": 4}, "group", [4, ""]), ({}, "doubles", None)])  # array data is not read
    def test_every_kind_reads_as_its_python_value(self, rk, node, writes, name, expected):
        for written, value in writes.items():
            flags = {"type": "string"} if written == "label" else {}
            cmds.setAttr("n." + written, value, **flags)
        value = attr(rk, name).value
        assert value == expected and type(value) is type(expected)

    def test_message_attribute_prints_and_gives_none(self, rk, node, capsys):
        assert attr(rk, "link").value is None
        printed = capsys.readouterr().out
        assert printed.startswith("('Zentrik - Could not get attribute', 'n.link', %d, "
                                  "'kMessageAttribute', " % MFn.kMessageAttribute)

    def test_value_in_a_context_at_another_time(self, rk, node):
        cmds.setKeyframe("n", attribute="translateX", time=1, value=0)
        cmds.setKeyframe("n", attribute="translateX", time=10, value=5)
        cmds.currentTime(1)
        context = MDGContext(MTime(10, MTime.uiUnit()))
        assert attr(rk, "tx").getValue(context) == pytest.approx(5.0)
        assert attr(rk, "translate").getValue(context)[0] == pytest.approx(5.0)
        assert attr(rk, "tx").valueAtTime(MTime(10, MTime.uiUnit())) == pytest.approx(5.0)
        assert cmds.currentTime(query=True) == 1
        for normal in (None, 0, False):
            assert attr(rk, "tx").getValue(normal) == pytest.approx(0.0)

    def test_numeric_fallbacks(self, rk, node, monkeypatch, errors):
        class BrokenNumeric:
            def __init__(self, _):
                pass

            def unitType(self):
                raise RuntimeError("no unit type")

        cmds.setAttr("n.ratio", 0.5)
        monkeypatch.setattr(rk, "MFnNumericAttribute", BrokenNumeric)
        assert attr(rk, "ratio").value == 0.5  # read as a double after all
        assert errors == []
        monkeypatch.setattr(MPlug, "asDouble", lambda *a: (_ for _ in ()).throw(ValueError("bad")))
        assert attr(rk, "ratio").value == 0
        assert errors == ["Zentrik - Could not get attribute bad, n.ratio, %d, kNumericAttribute"
                          % MFn.kNumericAttribute]

    @pytest.mark.parametrize("original", [
        RuntimeError("evaluation failed"),
        UnicodeDecodeError("utf-8", b"\xff", 0, 1, "invalid start byte")])  # cannot be rebuilt
    def test_failure_is_raised_again_with_the_attribute(self, rk, node, monkeypatch, original):
        def fail(*args):
            raise original

        monkeypatch.setattr(MPlug, "asMDistance", fail)
        with pytest.raises(type(original)) as caught:
            attr(rk, "tx").value
        if isinstance(original, UnicodeDecodeError):  # reaches the caller itself
            assert caught.value is original
            return
        assert caught.value.__context__ is original
        assert str(caught.value).startswith("Error: (Line: ")
        assert ") Attribute info: n.tx, %d, kDoubleLinearAttribute, " % (
            MFn.kDoubleLinearAttribute) in str(caught.value)

    @pytest.mark.parametrize("stop", [KeyboardInterrupt(), SystemExit(0)])
    def test_interrupts_pass_unchanged(self, rk, node, monkeypatch, errors, stop):
        def fail(*args):
            raise stop

        for accessor in ("asMDistance", "asDouble", "setMDistance"):
            monkeypatch.setattr(MPlug, accessor, fail)
        for name in ("tx", "ratio"):
            with pytest.raises(type(stop)) as caught:
                attr(rk, name).value
            assert caught.value is stop
        with pytest.raises(type(stop)):
            attr(rk, "tx").setValue(1.0)
        assert errors == []


class TestWrite:
    def test_compound_from_a_list_and_a_short_one(self, rk, node, errors):
        assert attr(rk, "translate").setValue([1.0, 2.0, 3.0]) is True
        assert cmds.getAttr("n.translate") == [(1.0, 2.0, 3.0)] and errors == []
        # A short list sets what it can and reports.
        assert attr(rk, "translate").setValue([4.0, 5.0]) is None
        assert cmds.getAttr("n.translate") == [(4.0, 5.0, 3.0)]
        assert len(errors) == 1
        assert errors[0].startswith("Zentrik - Could not set attribute n.translate [4.0, 5.0] ")

    @pytest.mark.parametrize("unit, seconds", [("film", 0.5), ("ntsc", 0.4)])
    def test_time_is_a_frame_in_the_current_unit(self, rk, node, unit, seconds):
        cmds.currentUnit(time=unit)
        attr(rk, "moment").setValue(12)
        plug = attr(rk, "moment").plug
        assert plug.asMTime().asUnits(MTime.kSeconds) == pytest.approx(seconds)

    @pytest.mark.parametrize("name, written, read", [
        ("count", 2.7, 2), ("choice", 2.7, 2), ("small", 2.7, 2),  # integers are truncated
        ("label", "text", "text"), ("doubles", [1.5, 2.5], [1.5, 2.5]), ("ints", [3, 4], [3, 4]),
        ("points", [(1, 2, 3), (4, 5, 6, 1)], [(1, 2, 3), (4, 5, 6)])])
    def test_value_written(self, rk, node, name, written, read):
        assert attr(rk, name).setValue(written) is True
        value = cmds.getAttr("n." + name)
        assert ([tuple(p)[:3] for p in value] if name == "points" else value) == read

    @pytest.mark.parametrize("name", ["plainMatrix", "typedMatrix"])
    def test_matrix_of_either_kind_is_written(self, rk, node, errors, name):
        rows = [1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 5.0, 0.0, 0.0, 1.0]
        matrix = MMatrix()
        MScriptUtil.createMatrixFromList(rows, matrix)
        assert attr(rk, name).setValue(matrix) is True
        assert attr(rk, name).value == matrix
        rows[13] = 6.0
        MScriptUtil.createMatrixFromList(rows, matrix)
        rk.Node("n").setAttrUndoable(name, matrix)
        assert attr(rk, name).value == matrix
        assert cmds.getAttr("n." + name)[13] == 6.0
        assert errors == []

    @pytest.mark.parametrize("name, typeName, value", [
        ("link", "kMessageAttribute", 1), ("group", "kCompoundAttribute", [7, "x"]),
        ("names", "kTypedAttribute", ["lost"])])
    def test_kinds_no_writer_handles_are_reported_and_not_a_success(self, rk, node, errors,
                                                                    name, typeName, value):
        cmds.addAttr("n", longName="names", dataType="stringArray")
        cmds.setAttr("n.names", 1, "kept", type="stringArray")
        before = attr(rk, name).value
        assert attr(rk, name).setValue(value) is None
        assert attr(rk, name).value == before and cmds.getAttr("n.names") == ["kept"]
        assert errors == ["Zentrik - Could not set attribute, not implemented attr type "
                          "n.%s %s %d %s" % (name, value, getattr(MFn, typeName), typeName)]

    @pytest.mark.parametrize("name, value", [
        ("tx", float("nan")), ("rx", float("inf")), ("ratio", float("-inf")),
        ("floatValue", float("nan")), ("flag", float("nan")), ("count", float("inf")),
        ("choice", float("nan")), ("moment", float("inf")), ("distance", 10 ** 400)])
    @pytest.mark.parametrize("how", ["setValue", "setValueUndoable"])
    def test_number_that_is_not_finite_is_refused(self, rk, node, errors, name, value, how):
        before = cmds.getAttr("n." + name)
        answer = getattr(attr(rk, name), how)(value)
        assert answer is None
        assert cmds.getAttr("n." + name) == before
        assert len(errors) == 1
        assert errors[0].startswith("Zentrik - Could not set attribute n.%s %s %r is not a "
                                    "finite number " % (name, value, value))

    @pytest.mark.parametrize("name", ["translate", "triple"])
    def test_compound_holding_a_number_that_is_not_finite_writes_no_child(self, rk, node,
                                                                          errors, name):
        assert attr(rk, name).setValue([1.0, float("nan"), 2.0]) is None
        assert attr(rk, name).value == [0.0, 0.0, 0.0]
        assert errors[0].startswith("Zentrik - Could not set attribute n.%s [1.0, nan, 2.0] "
                                    "nan is not a finite number " % name)

    def test_locked_plug(self, rk, node, errors):
        cmds.setAttr("n.tx", lock=True)
        modifier = __import__("maya.OpenMaya", fromlist=["MDGModifier"]).MDGModifier()
        assert attr(rk, "tx").setValue(5.0, modifier) is None
        modifier.doIt()
        assert errors == [] and cmds.getAttr("n.tx") == 0.0
        assert attr(rk, "tx").setValue(5.0) is None
        assert cmds.getAttr("n.tx") == 0.0
        assert len(errors) == 1 and errors[0].startswith("Zentrik - Could not set attribute n.tx 5.0 ")

    def test_modifier_queues_until_done_and_undoes(self, rk, node):
        from maya.OpenMaya import MDGModifier

        modifier = MDGModifier()
        assert attr(rk, "translate").setValue([1.0, 2.0, 3.0], modifier) is True
        assert cmds.getAttr("n.tx") == 0.0
        modifier.doIt()
        assert cmds.getAttr("n.translate") == [(1.0, 2.0, 3.0)]
        modifier.undoIt()
        assert cmds.getAttr("n.translate") == [(0.0, 0.0, 0.0)]

    def test_undoable_write_reports_a_bad_child_and_writes_the_others_in_one_step(
            self, rk, node, errors):
        from Zentrik._api.__hybrid__._core import CORE

        attr(rk, "scale").setValueUndoable([2.0, "x", 3.0])
        assert cmds.getAttr("n.scale") == [(2.0, 1.0, 3.0)]
        assert len(errors) == 1 and "n.scaleY x in method" in errors[0]
        CORE.lastModifier.undoIt()
        assert cmds.getAttr("n.scale") == [(1.0, 1.0, 1.0)]

    def test_wrapper_without_plug_reports_instead_of_raising(self, rk, errors):
        assert rk.AnimAttr().setValue(1) is None
        assert errors[0].startswith("Zentrik - Could not set attribute None 1 ")

    def test_free_to_change(self, rk, node):
        assert attr(rk, "tx").isFreeToChange is True
        cmds.setAttr("n.ty", lock=True)
        cmds.connectAttr("n.ratio", "n.tz")
        assert attr(rk, "ty").isFreeToChange is False
        assert attr(rk, "tz").isFreeToChange is False


UNIT_TYPES = {  # unit type: (read as, written)
    "kBoolean": (bool, True), "kShort": (int, True), "kInt": (int, True), "kLong": (int, True),
    "kByte": (int, True), "k2Short": (int, False), "k3Short": (int, False),
    "k2Int": (int, False), "k3Int": (int, False), "k2Long": (int, False), "k3Long": (int, False),
    "kFloat": (float, True), "kDouble": (float, True), "kAddr": (float, True),
    "kChar": (float, False), "k2Float": (float, False), "k3Float": (float, False),
    "k2Double": (float, False), "k3Double": (float, False), "k4Double": (float, False),
    "kInvalid": (int, False),  # reads as zero
}


@pytest.mark.parametrize("unitType", sorted(UNIT_TYPES))
def test_every_numeric_unit_type(rk, unitType, errors):
    from maya import _scene
    from maya.OpenMaya import MFnNumericData

    readAs, written = UNIT_TYPES[unitType]
    cmds.createNode("network", name="net")
    _scene.addNumericAttribute("net", "number", "num", getattr(MFnNumericData, unitType), 3)
    attribute = rk.AnimAttr(plugName="net.number")
    value = attribute.value
    read = True if readAs is bool else 0 if unitType == "kInvalid" else 3
    assert type(value) is readAs and value == read
    # A unit type no writer handles keeps its value: reported, and no success.
    assert attribute.setValue(0) is (True if written else None)
    assert errors == ([] if written else [
        "Zentrik - Could not set attribute, not implemented attr type net.number 0 %d "
        "kNumericAttribute" % MFn.kNumericAttribute])
    assert rk.AnimAttr(plugName="net.number").value == (0 if written else read)


@pytest.mark.parametrize("name, unitType", [
    ("flag", "kBoolean"), ("ratio", "kDouble"), ("count", "kLong"), ("tx", None),
    ("choice", None), ("label", None)])
def test_numeric_info_describes_numeric_attributes_only(rk, node, name, unitType):
    from maya.OpenMaya import MFnNumericData

    info = attr(rk, name).numericInfo
    if unitType is None:
        assert info is None
    else:
        assert info.unitType == getattr(MFnNumericData, unitType)
        assert info.isBoolean is (unitType == "kBoolean")
        assert info.attribute == attr(rk, name).plug.attribute()

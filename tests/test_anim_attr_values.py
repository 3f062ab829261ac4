"""AnimAttr values: every attribute kind read and written in internal units, and the reports."""
import math

import pytest
from maya import cmds
from maya.OpenMaya import (MDGContext, MDGModifier, MFn, MFnNumericData, MMatrix, MPlug,
                           MScriptUtil, MTime)

from Zentrik._api.__hybrid__._core import CORE


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
    for name, kind in (("label", "string"), ("typedMatrix", "matrix"), ("doubles", "doubleArray"),
                       ("ints", "Int32Array"), ("points", "pointArray")):
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


def raising(error):
    def fail(*args):
        raise error
    return fail


NUMERIC = ("flag", "count", "small", "byteValue", "ratio")


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
        # Only plain numeric attributes carry numeric info: not enums, units, texts or compounds.
        assert (attr(rk, name).numericInfo is None) is (name not in NUMERIC)

    def test_message_attribute_prints_and_gives_none(self, rk, node, capsys):
        assert attr(rk, "link").value is None
        printed = capsys.readouterr().out
        assert printed.startswith("('Zentrik - Could not get attribute', 'n.link', %d, "
                                  "'kMessageAttribute', " % MFn.kMessageAttribute)

    def test_value_in_a_context_at_another_time(self, rk, sliding):
        context = MDGContext(MTime(9, MTime.uiUnit()))
        assert attr(rk, "tx").getValue(context) == pytest.approx(8.0)
        assert attr(rk, "translate").getValue(context)[0] == pytest.approx(8.0)
        assert attr(rk, "tx").valueAtTime(MTime(9, MTime.uiUnit())) == pytest.approx(8.0)
        assert cmds.currentTime(query=True) == 1
        for normal in (None, 0, False):
            assert attr(rk, "tx").getValue(normal) == pytest.approx(0.0)

    def test_numeric_fallbacks(self, rk, node, monkeypatch, errors):
        cmds.setAttr("n.ratio", 0.5)
        monkeypatch.setattr(rk, "MFnNumericAttribute", raising(RuntimeError("no unit type")))
        assert attr(rk, "ratio").value == 0.5  # read as a double after all
        assert errors == []
        monkeypatch.setattr(MPlug, "asDouble", raising(ValueError("bad")))
        assert attr(rk, "ratio").value == 0
        assert errors == ["Zentrik - Could not get attribute bad, n.ratio, %d, kNumericAttribute"
                          % MFn.kNumericAttribute]

    @pytest.mark.parametrize("original", [
        RuntimeError("evaluation failed"),
        UnicodeDecodeError("utf-8", b"\xff", 0, 1, "invalid start byte"),  # cannot be rebuilt
        KeyboardInterrupt(), SystemExit(0)])
    def test_a_failing_read_is_raised_again(self, rk, node, monkeypatch, errors, original):
        for accessor in ("asMDistance", "asDouble", "setMDistance"):
            monkeypatch.setattr(MPlug, accessor, raising(original))
        calls = [lambda: attr(rk, "tx").value]
        if not isinstance(original, Exception):  # interrupts pass every read and write
            calls += [lambda: attr(rk, "ratio").value, lambda: attr(rk, "tx").setValue(1.0)]
        for call in calls:
            with pytest.raises(type(original)) as caught:
                call()
            if isinstance(original, RuntimeError):  # as a new error naming the attribute
                assert caught.value.__context__ is original
                assert str(caught.value).startswith("Error: (Line: ")
                assert ") Attribute info: n.tx, %d, kDoubleLinearAttribute, " % (
                    MFn.kDoubleLinearAttribute) in str(caught.value)
            else:
                assert caught.value is original
        assert errors == []


class TestWrite:
    @pytest.mark.parametrize("unit, seconds", [("film", 0.5), ("ntsc", 0.4)])
    def test_time_is_a_frame_in_the_current_unit(self, rk, node, unit, seconds):
        cmds.currentUnit(time=unit)
        attr(rk, "moment").setValue(12)
        assert attr(rk, "moment").plug.asMTime().asUnits(MTime.kSeconds) == pytest.approx(seconds)

    @pytest.mark.parametrize("name, written, read", [
        ("count", 2.7, 2), ("choice", 2.7, 2), ("small", 2.7, 2),  # integers are truncated
        ("translate", [1.0, 2.0, 3.0], [(1.0, 2.0, 3.0)]),
        ("label", "text", "text"), ("doubles", [1.5, 2.5], [1.5, 2.5]), ("ints", [3, 4], [3, 4]),
        ("points", [(1, 2, 3), (4, 5, 6, 1)], [(1, 2, 3), (4, 5, 6)])])
    def test_value_written(self, rk, node, name, written, read):
        assert attr(rk, name).setValue(written) is True
        value = cmds.getAttr("n." + name)
        assert ([tuple(p)[:3] for p in value] if name == "points" else value) == read

    @pytest.mark.parametrize("name", ["plainMatrix", "typedMatrix"])
    def test_matrix_of_either_kind_is_written(self, rk, node, errors, name):
        moved, movedAgain = MMatrix(), MMatrix()
        for matrix, y in ((moved, 0.0), (movedAgain, 6.0)):
            rows = [1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 5.0, y, 0.0, 1.0]
            MScriptUtil.createMatrixFromList(rows, matrix)
        assert attr(rk, name).setValue(moved) is True
        assert attr(rk, name).value == moved
        rk.Node("n").setAttrUndoable(name, movedAgain)
        assert attr(rk, name).value == movedAgain and cmds.getAttr("n." + name)[13] == 6.0
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

    @pytest.mark.parametrize("how", ["setValue", "setValueUndoable"])
    @pytest.mark.parametrize("name, value, after, report", [
        (name, value, None, "n.%s %s %r is not a finite number " % (name, value, value))
        for name, value in (
            ("tx", math.nan), ("rx", math.inf), ("ratio", -math.inf), ("floatValue", math.nan),
            ("flag", math.nan), ("count", math.inf), ("choice", math.nan), ("moment", math.inf),
            ("distance", 10 ** 400))
    ] + [  # a compound holding one writes no child; a short list sets what it can
        (name, [1.0, math.nan, 2.0], None, "n.%s [1.0, nan, 2.0] nan is not a finite number "
         % name) for name in ("translate", "triple")
    ] + [("translate", [4.0, 5.0], [(4.0, 5.0, 0.0)], "n.translate [4.0, 5.0] "),
         (None, 1, None, "None 1 ")])  # a wrapper without a plug
    def test_a_refused_write_is_reported_and_answers_none(self, rk, node, errors, how, name,
                                                          value, after, report):
        plug = "n.%s" % (name or "ratio")
        before = cmds.getAttr(plug)
        assert getattr(attr(rk, name) if name else rk.AnimAttr(), how)(value) is None
        assert cmds.getAttr(plug) == (before if after is None else after) and len(errors) == 1
        assert errors[0].startswith("Zentrik - Could not set attribute " + report)

    def test_locked_or_connected_plug_is_not_free_and_not_written(self, rk, node, errors):
        assert attr(rk, "tx").isFreeToChange is True
        cmds.setAttr("n.tx", lock=True)
        cmds.connectAttr("n.ratio", "n.tz")
        assert attr(rk, "tx").isFreeToChange is False and attr(rk, "tz").isFreeToChange is False
        modifier = MDGModifier()
        assert attr(rk, "tx").setValue(5.0, modifier) is None  # queued writes are not reported
        modifier.doIt()
        assert errors == [] and cmds.getAttr("n.tx") == 0.0
        assert attr(rk, "tx").setValue(5.0) is None
        assert cmds.getAttr("n.tx") == 0.0 and len(errors) == 1
        assert errors[0].startswith("Zentrik - Could not set attribute n.tx 5.0 ")

    def test_modifier_queues_until_done_and_undoes(self, rk, node):
        modifier = MDGModifier()
        assert attr(rk, "translate").setValue([1.0, 2.0, 3.0], modifier) is True
        assert cmds.getAttr("n.tx") == 0.0
        modifier.doIt()
        assert cmds.getAttr("n.translate") == [(1.0, 2.0, 3.0)]
        modifier.undoIt()
        assert cmds.getAttr("n.translate") == [(0.0, 0.0, 0.0)]

    def test_undoable_write_reports_a_bad_child_and_writes_the_others_in_one_step(
            self, rk, node, errors):
        attr(rk, "scale").setValueUndoable([2.0, "x", 3.0])
        assert cmds.getAttr("n.scale") == [(2.0, 1.0, 3.0)]
        assert len(errors) == 1 and "n.scaleY x in method" in errors[0]
        CORE.lastModifier.undoIt()
        assert cmds.getAttr("n.scale") == [(1.0, 1.0, 1.0)]



WRITTEN = ("kBoolean", "kShort", "kInt", "kLong", "kByte", "kFloat", "kDouble", "kAddr")
UNIT_TYPES = [(bool, "kBoolean")] + [(int, t) for t in (  # kInvalid reads as zero
    "kShort", "kInt", "kLong", "kByte", "k2Short", "k3Short", "k2Int", "k3Int", "k2Long",
    "k3Long", "kInvalid")] + [(float, t) for t in (
    "kFloat", "kDouble", "kAddr", "kChar", "k2Float", "k3Float", "k2Double", "k3Double",
    "k4Double")]


@pytest.mark.parametrize("readAs, unitType", UNIT_TYPES, ids=[t for _, t in UNIT_TYPES])
def test_every_numeric_unit_type(rk, readAs, unitType, errors):
    from maya import _scene

    written = unitType in WRITTEN
    cmds.createNode("network", name="net")
    _scene.addNumericAttribute("net", "number", "num", getattr(MFnNumericData, unitType), 3)
    attribute = rk.AnimAttr(plugName="net.number")
    info, value = attribute.numericInfo, attribute.value
    assert (info.unitType, info.isBoolean) == (getattr(MFnNumericData, unitType), readAs is bool)
    assert info.attribute == attribute.plug.attribute()
    read = True if readAs is bool else 0 if unitType == "kInvalid" else 3
    assert type(value) is readAs and value == read
    # A unit type no writer handles keeps its value: reported, and no success.
    assert attribute.setValue(0) is (True if written else None)
    assert errors == ([] if written else [
        "Zentrik - Could not set attribute, not implemented attr type net.number 0 %d "
        "kNumericAttribute" % MFn.kNumericAttribute])
    assert rk.AnimAttr(plugName="net.number").value == (0 if written else read)

"""Failures inside failures: chains stay finite, the caller's exception untouched."""
import pytest
from maya import cmds

# Calls that raise from inside the module while the caller handles an exception of its own.
FAILING_CALLS = {
    "value": "rk.AnimAttr(plugName='nothing.tx').value",
    "getValue": "rk.AnimAttr(plugName='nothing.tx').getValue()",
    "valueAtTime": "rk.AnimAttr(plugName='nothing.tx').valueAtTime(MTime(1.0))",
    "getAttr": "rk.Node('ctrl').getAttr('missing')",
    "getAttrAtTime": "rk.Node('ctrl').getAttrAtTime('missing', MTime(1.0))",
    "setValue": "rk.AnimAttr(plugName='ctrl.tx').setValue(Unprintable()) or failed()",
    "setValueOfWrongType": "rk.AnimAttr(plugName='ctrl.tx').setValue('text') or failed()",
    "reportFails": "rk.Node('nothing').nodeMObject",
}

# Run in a fresh interpreter: a chain that loops would hang it, and the parent's timeout ends it.
CHILD = """
import sys
from maya import cmds
from maya.OpenMaya import MTime
from Zentrik._api.__hybrid__ import _core
from Zentrik._api.__hybrid__ import rigkit0 as rk

class Unprintable(object):
    def __str__(self):
        raise LookupError("no text")
    __repr__ = __str__

def failed():
    raise RuntimeError("reported, not raised")

def failingReport(message):
    raise OSError("report service down")

cmds.createNode("transform", name="ctrl")
if sys.argv[3] == "1":
    _core.CORE.traceKit.reportError = failingReport
try:
    raise KeyError("outer")
except KeyError as outer:
    raised = []
    for i in range(int(sys.argv[2])):
        try:
            eval(sys.argv[1])
        except Exception as e:
            raised.append(e)
    assert outer.__context__ is None, "the caller's exception was modified"
    for e in raised:
        seen, link = [], e
        while link is not None:
            assert link not in seen, "context chain loops"
            seen.append(link)
            link = link.__context__
        assert seen[-1] is outer, [type(x).__name__ for x in seen]
    print(len(raised), type(raised[0]).__name__ if raised else None)
"""


def run(python, script, *args):
    """The words the fresh interpreter printed."""
    out = python(script, *args)
    assert out.returncode == 0, out.stderr
    return out.stdout.split()


class TestChainsInsideTheCallersExcept:
    @pytest.mark.parametrize("call, repeats, reportFails, raised", [
        (call, repeats, False, "AttributeError")
        for call in ("value", "getValue", "valueAtTime", "getAttr", "getAttrAtTime")
        for repeats in (2, 3)] + [
        ("getAttr", 3, True, "OSError"), ("setValueOfWrongType", 3, True, "OSError"),
        ("reportFails", 3, True, "OSError"),
        ("setValue", 2, False, "LookupError")])  # str(value) fails while reporting the write
    def test_repeated_failures_end_and_chain_to_the_callers_exception(
            self, python, call, repeats, reportFails, raised):
        assert run(python, CHILD, FAILING_CALLS[call], str(repeats), str(int(reportFails))) == [
            str(repeats), raised]

    def test_failure_while_describing_a_failure_chains_to_it_alone(self, rk):
        # Without a plug, naming the attribute for the message fails too.
        with pytest.raises(AttributeError) as info:
            rk.AnimAttr(plugName="nothing.tx").getValue()
        first = info.value.__context__
        assert isinstance(first, AttributeError) and first is not info.value
        assert first.__context__ is None


@pytest.mark.parametrize("ask, answer, report", [
    (lambda wrapper: wrapper.setValueUndoable(2.0), None, "Zentrik - Could not set attribute "
     "nothing.tx 2.0 'AnimAttr' object has no attribute 'plug' None None"),
    (lambda wrapper: wrapper.isMirrorable, False, "Zentrik - Could not determine mirrorable "
     "attribute 'AnimAttr' object has no attribute 'plug', nothing.tx, None, None")],
    ids=["modifier write", "mirrorable"])
def test_a_wrapper_without_a_plug_reports_and_answers_plainly(rk, errors, ask, answer, report):
    wrapper = rk.AnimAttr(plugName="nothing.tx")  # no plug, only the path
    del errors[:]
    assert ask(wrapper) is answer
    assert errors == [report]


def test_interrupt_during_the_last_name_lookup_attempt_is_not_a_failure(rk, monkeypatch, errors):
    class Selection(object):
        attempts = 0

        def add(self, name):
            Selection.attempts += 1
            raise KeyboardInterrupt() if Selection.attempts == 3 else RuntimeError(name)

    monkeypatch.setitem(rk.__dict__, "MSelectionList", Selection)
    with pytest.raises(KeyboardInterrupt):
        rk.Node("ctrl").nodeMObject
    assert errors == []


def test_parent_cycle_ends_in_recursion_error(python):
    # A node that is its own parent, through a C callable, so that no
    # Python frame counts the depth: only the module's own guard can.
    script = """if True:
        import itertools
        from maya import cmds
        from Zentrik._api.__hybrid__ import rigkit0 as rk
        cmds.createNode("transform", name="ctrl")
        node = rk.Node("ctrl")
        node.parent = itertools.repeat(node).__next__
        try:
            node.isVisible(requireShapes=False)
        except RecursionError:
            print("RecursionError", rk.Node("ctrl").isVisible(requireShapes=False))
        """
    assert run(python, script) == ["RecursionError", "True"]


def test_conversions_during_a_world_matrix_write_see_no_empty_slots(rk, monkeypatch):
    import gc
    import maya.OpenMaya as om

    def copyEveryList():
        """What a collector walk does: look at every item of every tracked list."""
        for obj in gc.get_objects():
            if type(obj) is list:
                obj[:]

    class WalkingAngle(om.MAngle):
        def asUnits(self, unit):
            copyEveryList()
            return om.MAngle.asUnits(self, unit)

    realLinear = rk.LinearValue

    def walkingLinear(**kwargs):
        copyEveryList()
        return realLinear(**kwargs)

    cmds.createNode("transform", name="n")
    cmds.setAttr("n.rotate", 10, 20, 30)
    cmds.setAttr("n.translate", 1, 2, 3)
    node = rk.Node("n")
    world = node.worldMatrix()
    cmds.setAttr("n.rotate", 0, 0, 0)
    monkeypatch.setitem(rk.__dict__, "MAngle", WalkingAngle)
    monkeypatch.setitem(rk.__dict__, "LinearValue", walkingLinear)
    node.setWorldMatrix(world)
    assert cmds.getAttr("n.rotate")[0] == pytest.approx((10, 20, 30))
    assert cmds.getAttr("n.translate")[0] == pytest.approx((1, 2, 3))


class TestSuiteAnswersOfAnotherShape:
    def test_a_lookup_answering_no_object_is_a_failure_with_its_reason(
            self, rk, errors, monkeypatch):
        import maya.OpenMaya as om

        class Lenient(om.MSelectionList):
            def getDependNode(self, index, obj):
                if obj is not None:
                    om.MSelectionList.getDependNode(self, index, obj)

        cmds.createNode("transform", name="ctrl")
        monkeypatch.setitem(rk.__dict__, "MSelectionList", Lenient)
        monkeypatch.setitem(rk.__dict__, "MObject", lambda: None)
        assert rk.Node("ctrl").exists() is False
        assert errors == ["Zentrik - Error handling object ctrl - the node has no object"]

    def test_a_side_split_into_three_is_refused_as_unpacking_refuses_it(self, rk, monkeypatch):
        from Zentrik._api.__hybrid__._core import MirrorNode

        cmds.createNode("transform", name="spine")
        cmds.addAttr("spine", longName="leftBlink", attributeType="double")
        monkeypatch.setattr(MirrorNode, "splitSideName",
                            staticmethod(lambda name: ("rightBlink", MirrorNode.kLeft, None)))
        with pytest.raises(ValueError, match=r"^too many values to unpack \(expected 2\)$"):
            rk.AnimAttr(rk.Node("spine").getPlug("leftBlink")).side

    def test_a_temporary_node_answered_by_name_is_used_and_removed(
            self, rk, errors, monkeypatch, sliding):
        from Zentrik._api.__hybrid__._core import CORE

        answer = CORE.graphKit.createNode
        monkeypatch.setattr(CORE.graphKit, "createNode",
                            lambda *args, **kwargs: answer(*args, **kwargs).fullName())
        matrix = rk.Node("n").worldMatrixAtFrame(5)
        assert matrix(3, 0) == pytest.approx(4.0)
        assert cmds.ls(type="passMatrix") == [] and errors == []

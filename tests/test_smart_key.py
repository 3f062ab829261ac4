"""Smart keys: the key and its kind land on the curve Maya edits; no callback outlives the call."""
from types import SimpleNamespace

import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE, AnimCurve

HOOK = "animAttr_setSmartKey"  # the one-shot callback's name in the suite's service


@pytest.fixture
def ctrl(rk):
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")
    return rk.AnimAttr(rk.Node("ctrl").getPlug("tx"))


def test_keys_without_a_layer_land_on_the_base_curve(ctrl):
    first = ctrl.setSmartKey(10)
    assert first.name() == cmds.listConnections("ctrl.tx", source=True, destination=False)[0]
    assert ctrl.lastKeyedCurve is first
    assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [10.0]
    assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) is None
    second = ctrl.setSmartKey(20, keyKind=AnimCurve.KEY_BREAKDOWN)
    assert second is not first and ctrl.lastKeyedCurve is second
    assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) == [20.0]
    # Registered through the suite's callback service, fired and removed.
    register, arguments, name, flag = [
        c[2] for c in CORE.calls if c[:2] == ("hookKit", "addCallback")][0]
    assert (name, flag, len(arguments), arguments[0].args) == (HOOK, False, 1, (ctrl,))
    assert HOOK not in CORE.hookKit.callbacks


@pytest.mark.parametrize("failure", ["locked", "locked after a key", ValueError, RuntimeError])
def test_a_key_that_fails_leaves_no_registration_behind(rk, ctrl, monkeypatch, failure):
    """A refused key (a locked channel, a ValueError) answers None; other failures go on."""
    first = ctrl.setSmartKey(10) if failure == "locked after a key" else None
    if isinstance(failure, str):
        cmds.setAttr("ctrl.tx", lock=True)
    else:
        def setKeyframe(*args, **kwargs):
            raise failure("broken")

        monkeypatch.setitem(rk.__dict__, "cmds", SimpleNamespace(**dict(
            vars(cmds), setKeyframe=setKeyframe)))
    if failure is RuntimeError:
        with pytest.raises(RuntimeError, match="broken"):
            ctrl.setSmartKey(20, keyKind=AnimCurve.KEY_BREAKDOWN)
    else:
        assert ctrl.setSmartKey(20, keyKind=AnimCurve.KEY_BREAKDOWN) is None
    assert HOOK not in CORE.hookKit.callbacks
    cmds.setKeyframe("other.ty", time=(5,), value=1.0)  # an unrelated edit
    assert (ctrl.lastKeyedCurve is first) if first else not hasattr(ctrl, "lastKeyedCurve")


@pytest.mark.parametrize("plug, layered", [("tx", True), ("translate", False), ("translate", True)])
def test_every_key_gets_the_kind_on_the_curve_maya_edits(rk, ctrl, plug, layered):
    layer = None
    if layered:
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        layer = rk.AnimLayer.create("layerA")
        layer.addAttribute("ctrl." + plug)
    attr = rk.AnimAttr(plugName="ctrl." + plug)
    curve = attr.setSmartKey(4, keyKind=AnimCurve.KEY_BREAKDOWN, animLayer=layer)
    assert curve is attr.lastKeyedCurve and curve.keyTimes == [4.0]
    keyed = attr.lastKeyedCurves
    assert keyed[0].name() == curve.name()
    assert sorted(c.drivenPlug.name() for c in keyed) == [
        "ctrl.translate" + axis for axis in ("X" if plug == "tx" else "XYZ")]
    for c in keyed:
        assert cmds.keyframe(c.name(), query=True, breakdown=True) == [4.0]
        assert cmds.nodeType(c.name()) == "animCurveTL"
    if layered:  # the layer's own curves, not the base curve
        assert sorted(rk.AnimLayer("layerA").animCurveNames) == sorted(c.name() for c in keyed)


@pytest.mark.parametrize("frame", [float("nan"), float("inf"), float("-inf"), 10 ** 400])
@pytest.mark.parametrize("keyKind", [None, AnimCurve.KEY_BREAKDOWN])
def test_frame_that_is_not_a_finite_number_keys_nothing(rk, ctrl, errors, frame, keyKind):
    cmds.setKeyframe("ctrl.tx", time=(5,), value=2.0)
    assert ctrl.setSmartKey(frame=frame, keyKind=keyKind) is None
    assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [5.0]
    assert cmds.keyframe("ctrl.tx", query=True, valueChange=True) == [2.0]
    assert errors == ["Zentrik - Could not set smart key |ctrl.translateX at frame %s: "
                      "not a finite number" % frame]
    assert HOOK not in CORE.hookKit.callbacks


class Edited(list):
    """An array of edited curves, as Maya hands it to the callback."""

    def length(self):
        return len(self)


@pytest.mark.parametrize("change", ["grow", "shrink"])
def test_an_array_changed_by_wrapping_its_curves_is_read_as_it_was(rk, ctrl, monkeypatch,
                                                                    change):
    # Kept are the curves it held, fewer when it shrank, never more.
    for attr in ("tx", "ty", "tz"):
        cmds.setKeyframe("ctrl." + attr, time=(1,), value=0.0)
    names = [cmds.listConnections("ctrl." + a, source=True)[0] for a in ("tx", "ty", "tz")]
    edited = Edited(rk.Node(name).nodeMObject for name in names)
    realCurve = rk.AnimCurve

    def changing(name):
        if change == "grow" and len(edited) < 50:
            edited.append(edited[0])
        elif change == "shrink":
            del edited[1:]
        return realCurve(name)

    monkeypatch.setitem(rk.__dict__, "AnimCurve", changing)
    ctrl.onCurveEdited(edited, None)
    kept = names if change == "grow" else names[:1]
    assert [c.name() for c in ctrl.lastKeyedCurves] == kept
    assert ctrl.lastKeyedCurve.name() == names[0]

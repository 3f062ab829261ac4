"""Smart keys: the key and its kind land on the curve Maya edits; no callback outlives the call."""
import pytest
from maya import cmds
from maya.OpenMaya import MObject, MSelectionList

from Zentrik._api.__hybrid__._core import CORE, AnimCurve


@pytest.fixture
def ctrl(rk):
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")
    return rk.AnimAttr(rk.Node("ctrl").getPlug("tx"))


def baseCurve():
    return cmds.listConnections("ctrl.tx", source=True, destination=False)[0]


class TestBaseCurve:
    def test_keys_without_a_layer_land_on_the_base_curve(self, ctrl):
        first = ctrl.setSmartKey(10)
        assert first.name() == baseCurve()
        assert ctrl.lastKeyedCurve is first
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [10.0]
        assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) is None
        second = ctrl.setSmartKey(20, keyKind=AnimCurve.KEY_BREAKDOWN)
        assert second is not first and ctrl.lastKeyedCurve is second
        assert cmds.keyframe("ctrl.tx", query=True, breakdown=True) == [20.0]

    def test_registration_goes_through_the_callback_service(self, ctrl):
        ctrl.setSmartKey(10)
        added = [c for c in CORE.calls if c[:2] == ("hookKit", "addCallback")]
        register, arguments, name, flag = added[0][2]
        assert name == "animAttr_setSmartKey" and flag is False
        assert len(arguments) == 1 and arguments[0].args == (ctrl,)
        assert "animAttr_setSmartKey" not in CORE.hookKit.callbacks  # fired and removed


class TestNoCurveKeyed:
    @pytest.mark.parametrize("earlier", [False, True])
    def test_locked_channel_leaves_no_registration_behind(self, rk, ctrl, earlier):
        first = ctrl.setSmartKey(10) if earlier else None
        cmds.setAttr("ctrl.tx", lock=True)
        assert ctrl.setSmartKey(20, keyKind=AnimCurve.KEY_BREAKDOWN) is None
        assert "animAttr_setSmartKey" not in CORE.hookKit.callbacks
        cmds.setKeyframe("other.ty", time=(5,), value=1.0)  # an unrelated edit
        assert (ctrl.lastKeyedCurve is first) if earlier else not hasattr(ctrl, "lastKeyedCurve")

    @pytest.mark.parametrize("error", [ValueError, RuntimeError])
    def test_failed_key_withdraws_the_registration(self, rk, ctrl, monkeypatch, error):
        """A refused key (ValueError) answers None; other failures go on."""
        class Failing(object):
            def __getattr__(self, name):
                return getattr(cmds, name)

            def setKeyframe(self, *args, **kwargs):
                raise error("broken")

        monkeypatch.setitem(rk.__dict__, "cmds", Failing())
        if error is ValueError:
            assert ctrl.setSmartKey(10) is None
        else:
            with pytest.raises(RuntimeError, match="broken"):
                ctrl.setSmartKey(10)
        assert "animAttr_setSmartKey" not in CORE.hookKit.callbacks


class TestCurveMayaEdits:
    @pytest.mark.parametrize("plug, layered", [("tx", True), ("translate", False),
                                               ("translate", True)])
    def test_every_key_gets_the_kind_on_the_curve_maya_edits(self, rk, ctrl, plug, layered):
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


class TestFrameNotFinite:
    @pytest.mark.parametrize("frame", [float("nan"), float("inf"), float("-inf"), 10 ** 400])
    @pytest.mark.parametrize("keyKind", [None, AnimCurve.KEY_BREAKDOWN])
    def test_frame_that_is_not_a_finite_number_keys_nothing(self, rk, ctrl, errors, frame,
                                                            keyKind):
        cmds.setKeyframe("ctrl.tx", time=(5,), value=2.0)
        assert ctrl.setSmartKey(frame=frame, keyKind=keyKind) is None
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [5.0]
        assert cmds.keyframe("ctrl.tx", query=True, valueChange=True) == [2.0]
        assert errors == ["Zentrik - Could not set smart key |ctrl.translateX at frame %s: "
                          "not a finite number" % frame]
        assert "animAttr_setSmartKey" not in CORE.hookKit.callbacks


class TestEditedCurvesThatChange:
    """Wrapping an edited curve may change the array: kept are those it held, fewer, never more."""

    class Edited(list):
        """An array of edited curves, as Maya hands it to the callback."""

        def length(self):
            return len(self)

    def curveObject(self, name):
        selection = MSelectionList()
        selection.add(name)
        obj = MObject()
        selection.getDependNode(0, obj)
        return obj

    @pytest.mark.parametrize("change", ["grow", "shrink"])
    def test_an_array_changed_by_the_wrapping_is_read_as_it_was(self, rk, ctrl, monkeypatch,
                                                                  change):
        for attr in ("tx", "ty", "tz"):
            cmds.setKeyframe("ctrl." + attr, time=(1,), value=0.0)
        names = [cmds.listConnections("ctrl." + a, source=True)[0] for a in ("tx", "ty", "tz")]
        edited = self.Edited(self.curveObject(n) for n in names)
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

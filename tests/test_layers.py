"""AnimLayer and LayerQueries: one layer's flags, contents and settings, the
activation scope, and the questions about the scene's layers as a whole."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE


@pytest.fixture
def rig():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")
    return "ctrl"


def layerCommands():
    """The flags of every animLayer command run since the last reset."""
    from maya import _scene

    return [(args, kwargs) for name, args, kwargs in _scene.commandLog() if name == "animLayer"]


class TestOneLayer:
    def test_create_wraps_the_name_maya_gave(self, rk, rig):
        first = rk.AnimLayer.create("layerA")
        second = rk.AnimLayer.create("layerA")
        assert first.name == "layerA" and second.name != "layerA"
        assert cmds.objExists(second.name) and second.exists()
        assert rk.AnimLayer("BaseAnimation").isBaseLayer
        assert not first.isBaseLayer

    def test_flags_read_and_written(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        layer.setMute(True)
        layer.setLock(True)
        layer.setSolo(True)
        fresh = rk.AnimLayer("layerA")  # properties are kept: look again
        assert (fresh.isMuted, fresh.isLocked, fresh.isSolo) == (True, True, True)
        assert fresh.isOverride is False and fresh.isPassthrough in (True, False)

    def test_contents(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        assert layer.attributes == [] and layer.nodes == [] and layer.animCurveNames == []
        for attr in ("ctrl.tx", "ctrl.ty", "other.rz"):
            layer.addAttribute(attr)
        fresh = rk.AnimLayer("layerA")
        assert fresh.attributes == ["|ctrl.translateX", "|ctrl.translateY", "|other.rotateZ"]
        assert sorted(fresh.nodes) == ["|ctrl", "|other"]
        layer.removeAttribute("ctrl.ty")
        assert rk.AnimLayer("layerA").attributes == ["|ctrl.translateX", "|other.rotateZ"]

    def test_curves_of_keys_in_the_layer(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        layer.addAttribute("ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=2.0, animLayer="layerA")
        names = rk.AnimLayer("layerA").animCurveNames
        assert len(names) == 1 and cmds.nodeType(names[0]) == "animCurveTL"

    @pytest.mark.parametrize("name, empty", [("nothing", True), ("BaseAnimation", False),
                                             ("layerA", False), ("layerB", True)])
    def test_is_empty(self, rk, rig, name, empty):
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        rk.AnimLayer.create("layerB")
        assert rk.AnimLayer(name).isEmpty() is empty

    def test_base_layer_without_children_is_empty(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        cmds.delete(layer.name)
        assert rk.AnimLayer("BaseAnimation").isEmpty() is True


class TestSettings:
    def test_settings_snapshot_has_the_eight_entries(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        layer.setMute(True)
        settings = rk.AnimLayer("layerA").settings
        assert list(settings) == ["m", "l", "s", "o", "pt", "pf", "ra", "sa"]
        assert settings["m"] is True and settings["l"] is False
        assert settings["ra"] == cmds.getAttr("layerA.rotationAccumulationMode")

    def test_apply_settings_copies_one_layer_onto_another(self, rk, rig):
        source = rk.AnimLayer.create("layerA")
        source.setMute(True)
        source.setSolo(True)
        cmds.setAttr("layerA.rotationAccumulationMode", 1)
        cmds.setAttr("layerA.scaleAccumulationMode", 0)
        target = rk.AnimLayer.create("layerB")
        target.applySettings(rk.AnimLayer("layerA").settings)
        assert rk.AnimLayer("layerB").settings == rk.AnimLayer("layerA").settings

    def test_apply_settings_through_a_modifier_is_one_undo_step(self, rk, rig):
        rk.AnimLayer.create("layerA")
        target = rk.AnimLayer.create("layerB")
        settings = dict(rk.AnimLayer("layerA").settings, ra=1, sa=0)
        modes = (cmds.getAttr("layerB.rotationAccumulationMode"),
                 cmds.getAttr("layerB.scaleAccumulationMode"))
        from Zentrik._api.__hybrid__._core import coreModifierContext

        with coreModifierContext(False, True) as (_, modifier):
            target.applySettings(settings, actionId="a1", modifier=modifier)
            # queued, not yet written
            assert cmds.getAttr("layerB.rotationAccumulationMode") == modes[0]
        assert cmds.getAttr("layerB.rotationAccumulationMode") == 1
        assert cmds.getAttr("layerB.scaleAccumulationMode") == 0
        CORE.lastModifier.undoIt()
        assert (cmds.getAttr("layerB.rotationAccumulationMode"),
                cmds.getAttr("layerB.scaleAccumulationMode")) == modes

    def test_apply_no_settings_issues_no_command(self, rk, rig):
        layer = rk.AnimLayer.create("layerA")
        from maya import _scene

        _scene.clearCommandLog()
        layer.applySettings(None)
        assert layerCommands() == []


class TestActivationScope:
    def test_scope_activates_and_restores_the_best_layer(self, rk, rig):
        rk.AnimLayer.create("layerA")
        layerB = rk.AnimLayer.create("layerB")
        cmds.select("ctrl")
        rk.AnimLayer("layerA").setActive()
        before = rk.AnimLayer.bestLayer().name
        with rk.AnimLayer.ActivationScope(layerB) as bound:
            assert bound is None
            assert rk.AnimLayer("layerB").isPreferred
        assert rk.AnimLayer.bestLayer().name == before

    def test_scope_restores_when_the_block_raises(self, rk, rig):
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        layerB = rk.AnimLayer.create("layerB")
        layerB.addAttribute("ctrl.tx")
        cmds.select("ctrl")
        rk.AnimLayer("layerA").setActive()
        with pytest.raises(KeyError):
            with rk.AnimLayer.ActivationScope(layerB):
                raise KeyError("inside")
        assert rk.AnimLayer("layerA").isPreferred

    @pytest.mark.parametrize("given", [None, "preferred"])
    def test_scope_without_a_switch_issues_no_edit(self, rk, rig, given):
        layer = rk.AnimLayer.create("layerA")
        layer.setActive()
        from maya import _scene

        _scene.clearCommandLog()
        with rk.AnimLayer.ActivationScope(None if given is None else rk.AnimLayer("layerA")):
            pass
        assert [kw for args, kw in layerCommands() if kw.get("edit") or kw.get("e")] == []

    def test_scope_with_no_best_layer_skips_the_restore(self, rk, rig, monkeypatch):
        layer = rk.AnimLayer.create("layerA")
        monkeypatch.setattr(rk.AnimLayer, "bestLayer", staticmethod(lambda: None))
        scope = rk.AnimLayer.ActivationScope(layer)
        with pytest.raises(ValueError):
            with scope:
                raise ValueError("the block's own")
        assert scope.previousLayer is None

    def test_scope_is_a_class_of_anim_layer(self, rk):
        assert rk.AnimLayer.ActivationScope.__qualname__ == "AnimLayer.ActivationScope"
        assert rk.AnimLayer.ActivationScope.__bases__ == (object,)


class TestLayerQueries:
    def test_scene_without_layers(self, rk, rig):
        queries = rk.LayerQueries()
        assert queries.layerNames == [] and queries.allLayers == []
        assert [l.name for l in queries.selectedLayers] == ["BaseAnimation"]
        assert queries.lastBestLayer.name == "BaseAnimation"
        assert queries.emptyLayerNames() == []

    def test_two_layers_in_connection_order(self, rk, rig):
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        rk.AnimLayer.create("layerB")
        queries = rk.LayerQueries()
        assert queries.layerNames == ["layerA", "layerB", "BaseAnimation"]
        assert [l.name for l in queries.allLayers] == queries.layerNames
        assert [l.name for l in queries.selectedLayers] == ["BaseAnimation"]
        assert queries.emptyLayerNames() == ["layerB"]

    def test_selected_layer(self, rk, rig):
        rk.AnimLayer.create("layerA")
        rk.AnimLayer.create("layerB")
        cmds.animLayer("layerB", edit=True, selected=True)
        assert [l.name for l in rk.LayerQueries().selectedLayers] == ["layerB"]

    def test_last_best_layer_follows_the_preferred_layer(self, rk, rig):
        for name in ("layerA", "layerB"):
            rk.AnimLayer.create(name).addAttribute("ctrl.tx")
        cmds.select("ctrl")
        rk.AnimLayer("layerA").setActive()
        assert rk.LayerQueries().lastBestLayer.name == "layerA"

    def test_affected_layers_leave_the_base_layer_out(self, rk, rig):
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        assert rk.LayerQueries.affectedLayerNames("ctrl") == ["layerA"]
        assert rk.LayerQueries.affectedLayerNames(["other"]) == []

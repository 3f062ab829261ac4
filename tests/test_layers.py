"""AnimLayer and LayerQueries: flags, contents, settings, the activation scope, scene queries."""
import gc
from contextlib import nullcontext as nullContext

import pytest
from maya import cmds

from Zentrik._api.__hybrid__._core import CORE, coreModifierContext


@pytest.fixture
def rig():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")
    return "ctrl"


# The layer attributes behind the settings, in settings order, and a new layer's values.
LAYER_ATTRIBUTES = ("mute", "lock", "solo", "override", "passthrough", "preferred",
                    "rotationAccumulationMode", "scaleAccumulationMode")
SETTING_KEYS = ("m", "l", "s", "o", "pt", "pf", "ra", "sa")
LAYER_DEFAULTS = dict(zip(LAYER_ATTRIBUTES, (False, False, False, False, True, False, 0, 0)))


def layerNodeSettings(layer):
    return dict((a, cmds.getAttr("%s.%s" % (layer, a))) for a in LAYER_ATTRIBUTES)


def preferredFlags(*layers):
    return [cmds.animLayer(name, query=True, preferred=True) for name in layers]


# Names are taken as text or as bytes, read as Latin-1: every byte a character.
SPELLINGS = pytest.mark.parametrize("spell", [str, lambda name: name.encode("latin-1")],
                                    ids=["text", "bytes"])


class TestOneLayer:
    @SPELLINGS
    def test_create_wraps_the_name_maya_gave_and_flags_are_read_and_written(self, rk, rig,
                                                                            spell):
        layer, second = rk.AnimLayer.create(spell("layerA")), rk.AnimLayer.create(spell("layerA"))
        assert layer.name == "layerA" and second.name != "layerA"
        assert cmds.objExists(second.name) and second.exists()
        assert rk.AnimLayer(spell("BaseAnimation")).isBaseLayer and not layer.isBaseLayer
        assert rk.AnimLayer(spell("caf\xe9")).name == "caf\xe9"
        assert (layer.isMuted, layer.isLocked, layer.isSolo, layer.isOverride,
                layer.isPassthrough, layer.isPreferred) == (False, False, False, False, True, False)
        for setter in (layer.setMute, layer.setLock, layer.setSolo):
            setter(True)
        layer.setActive()
        fresh = rk.AnimLayer(spell("layerA"))  # properties are kept: look again
        assert (fresh.isMuted, fresh.isLocked, fresh.isSolo, fresh.isPreferred) == (True,) * 4
        assert [cmds.getAttr("layerA." + a) for a in ("mute", "lock", "solo", "preferred")] == \
            [True] * 4
        layer.setMute(False)
        assert rk.AnimLayer("layerA").isMuted is False

    @SPELLINGS
    def test_contents(self, rk, rig, spell):
        layer = rk.AnimLayer.create("layerA")
        assert layer.attributes == [] and layer.nodes == [] and layer.animCurveNames == []
        rk.AnimLayer.create("layerB")
        assert [rk.AnimLayer(spell(n)).isEmpty() for n in ("nothing", "BaseAnimation", "layerA")
                ] == [True, False, True]  # the base layer has children
        for attr in ("ctrl.tx", "ctrl.ty", "other.rz"):
            layer.addAttribute(spell(attr))
        assert [rk.AnimLayer(n).isEmpty() for n in ("BaseAnimation", "layerA", "layerB")] == [
            False, False, True]
        fresh = rk.AnimLayer("layerA")
        assert fresh.attributes == ["|ctrl.translateX", "|ctrl.translateY", "|other.rotateZ"]
        assert sorted(fresh.nodes) == ["|ctrl", "|other"]
        layer.removeAttribute(spell("ctrl.ty"))
        assert rk.AnimLayer("layerA").attributes == ["|ctrl.translateX", "|other.rotateZ"]
        cmds.delete("layerA", "layerB")  # the base layer without children is empty ...
        assert rk.AnimLayer("BaseAnimation").isEmpty() is True
        queries = rk.LayerQueries()  # ... yet never listed among the empty layers
        assert queries.layerNames == ["BaseAnimation"] and queries.emptyLayerNames() == []

    def test_long_names_survive_a_lookup_that_empties_the_path_list(self, rk, rig, monkeypatch):
        # `ls` is Python: the walk ends where it emptied the list, with the name it gave.
        layer = rk.AnimLayer.create("layerA")
        for attr in ("ctrl.tx", "ctrl.ty", "other.rz"):
            layer.addAttribute(attr)

        class EmptyingCmds(object):
            def __getattr__(self, name):
                return getattr(cmds, name)

            def ls(self, *args, **flags):
                for holder in gc.get_referrers(args[0]):
                    if isinstance(holder, list):
                        del holder[:]
                return cmds.ls(*args, **flags)

        monkeypatch.setattr(rk, "cmds", EmptyingCmds())
        assert rk.AnimLayer("layerA").attributes == ["|ctrl.translateX"]

    @pytest.mark.parametrize("given", ["ctrl", b"ctrl", None, ""],
                             ids=["name", "bytes", "None: selection", "empty: selection"])
    def test_every_animatable_attribute_joins_and_leaves(self, rk, rig, given):
        cmds.addAttr("ctrl", longName="amount", attributeType="double", keyable=True)
        cmds.addAttr("ctrl", longName="shown", attributeType="double")
        cmds.setAttr("ctrl.shown", channelBox=True)
        rk.AnimLayer.create("layerA").addAttribute("other.tx")
        cmds.select("ctrl")
        layer = rk.AnimLayer("layerA")
        layer.addAnimatableAttributes(given)
        assert rk.AnimLayer("layerA").attributes == ["|other.translateX", "|ctrl.visibility"] + [
            "|ctrl.%s%s" % (c, axis) for c in ("translate", "rotate", "scale") for axis in "XYZ"
        ] + ["|ctrl.amount"]
        cmds.setKeyframe("ctrl.amount", time=(1,), value=2.0, animLayer="layerA")
        assert cmds.animLayer("layerA", query=True, animCurves=True) is not None
        layer.removeAnimatableAttributes(given)
        assert rk.AnimLayer("layerA").attributes == ["|other.translateX"]
        assert cmds.getAttr("ctrl.amount") == 0.0  # the layer's key went with it


def test_a_name_two_nodes_share_is_reported_and_changes_nothing(rk, twins, errors):
    ambiguous = "Zentrik - Error handling object ctrl - More than one object matches name: ctrl"
    layer = rk.AnimLayer.create("L")
    for group in ("g1", "g2"):
        layer.addAttribute("|%s|ctrl.tx" % group)
        cmds.setKeyframe("|%s|ctrl.tx" % group, time=(10,), value=5.0, animLayer="L")
    before = layer.attributes
    layer.removeAnimatableAttributes("ctrl")
    layer.addAnimatableAttributes("ctrl")
    assert layer.attributes == before
    assert [cmds.getAttr("|%s|ctrl.tx" % g, time=10) for g in ("g1", "g2")] == [5.0, 5.0]
    assert errors == [ambiguous] * 2
    channelBox = rk.ChannelBox("ctrl")  # neither does the channel box read either node
    assert channelBox.animatableAttrs == channelBox.channelBoxAttrs == []
    assert len(errors) > 2 and set(errors) == {ambiguous}
    reports = len(errors)
    reader = rk.SelectionReader(["ctrl", "ctrlSolo"])  # nor the selection reader
    assert [p.fullPathName() for p in reader.nodeDagPaths] == ["|ctrlSolo"]
    assert errors[reports:] == [ambiguous]  # the reader's own report


class TestSettings:
    @pytest.mark.parametrize("queued", [True, False], ids=["through a modifier", "at once"])
    def test_apply_settings_writes_every_flag_and_its_modifier_undoes_them(
            self, rk, rig, commandLog, queued):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=10.0)
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        target = rk.AnimLayer.create("layerB")
        target.addAttribute("ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=2.0, animLayer="layerB")
        assert cmds.getAttr("ctrl.tx") == 12.0
        changed = dict(mute=not queued, lock=True, solo=True, override=True, passthrough=False,
                       preferred=True, rotationAccumulationMode=1, scaleAccumulationMode=1)
        settings = dict(zip(SETTING_KEYS, (changed[a] for a in LAYER_ATTRIBUTES)))
        with coreModifierContext(False, True) as (_, modifier):
            target.applySettings(settings, actionId="a1", modifier=modifier if queued else None)
            # Queued, the flags, the keying into the layer and the value wait for the modifier.
            assert layerNodeSettings("layerB") == (LAYER_DEFAULTS if queued else changed)
        assert layerNodeSettings("layerB") == changed
        assert list(rk.AnimLayer("layerB").settings.items()) == list(settings.items())
        # The override layer alone; muted, the base layer alone.
        assert cmds.getAttr("ctrl.tx") == (2.0 if queued else 10.0)
        commandLog.clear()
        target.applySettings(None)
        assert commandLog("animLayer") == []
        if queued:
            CORE.lastModifier.undoIt()
            assert layerNodeSettings("layerB") == LAYER_DEFAULTS
            assert cmds.getAttr("ctrl.tx") == 12.0

    @pytest.mark.parametrize("through", ["modifier", "commands"])
    @pytest.mark.parametrize("layer, entries, error", [
        ("layerB", SETTING_KEYS[:4], KeyError), ("gone", SETTING_KEYS, ValueError),
        ("ctrl", SETTING_KEYS, RuntimeError)], ids=["short settings", "missing", "no layer"])
    def test_a_failing_call_raises_and_changes_nothing(self, rk, rig, errors, through, layer,
                                                       entries, error):
        rk.AnimLayer.create("layerB")
        settings = dict((key, True) for key in entries)
        with coreModifierContext(False, True) as (_, modifier):
            with pytest.raises(error):
                rk.AnimLayer(layer).applySettings(
                    settings, modifier=modifier if through == "modifier" else None)
        assert layerNodeSettings("layerB") == LAYER_DEFAULTS and errors == []


class TestActivationScope:
    @pytest.mark.parametrize("selected", [True, False], ids=["selection", "nothing selected"])
    @pytest.mark.parametrize("raises", [False, True], ids=["block ends", "block raises"])
    def test_the_next_key_lands_where_it_did_before_the_scope(self, rk, rig, selected, raises):
        # A scope on B must leave A, where the animator works, the layer Maya keys into.
        for name in ("layerA", "layerB"):
            rk.AnimLayer.create(name).addAttribute("ctrl.tx")
        rk.AnimLayer("layerA").setActive()
        cmds.select("ctrl") if selected else cmds.select(clear=True)
        scope = rk.AnimLayer.ActivationScope(rk.AnimLayer("layerB"))
        with pytest.raises(KeyError) if raises else nullContext():
            with scope as bound:
                assert bound is None
                assert preferredFlags("layerA", "layerB") == [False, True]
                if raises:
                    raise KeyError("inside")
        assert getattr(scope.previousLayer, "name", None) == ("layerA" if selected else None)
        assert preferredFlags("layerA", "layerB") == [True, False]
        cmds.select("ctrl")
        assert cmds.animLayer(query=True, bestAnimLayer=True) == ["layerA"]
        cmds.setKeyframe("ctrl.tx", time=(1,), value=3.0)
        assert cmds.animLayer("layerA", query=True, animCurves=True) is not None
        assert cmds.animLayer("layerB", query=True, animCurves=True) is None

    @pytest.mark.parametrize("preferred, event", [
        ((), None), (("layerA",), None), (("layerA", "layerC"), None),
        (("layerC", "BaseAnimation"), None), (("layerA", "layerC"), "layerC"),
        (("layerC",), "layerB"), (("layerA", "layerC"), "reentered")],
        ids=["none", "A", "A and C", "C and the base layer", "one deleted in the block",
             "asked one deleted before", "entered again in the block"])
    def test_every_layers_flag_is_put_back(self, rk, rig, preferred, event):
        for name in ("layerA", "layerB"):
            rk.AnimLayer.create(name)
        cmds.animLayer("layerC", parent="layerA")  # nested: not a child of the base layer
        for name in preferred:
            cmds.animLayer(name, edit=True, preferred=True)
        layers = ("BaseAnimation", "layerA", "layerB", "layerC")
        before = dict(zip(layers, preferredFlags(*layers)))
        scope = rk.AnimLayer.ActivationScope(rk.AnimLayer("layerB"))
        if event == "layerB":  # gone before the block starts: the entry fails
            cmds.delete("layerB")
        with pytest.raises((RuntimeError, ValueError)) if event == "layerB" else nullContext():
            with scope:
                for name in layers:  # the block may change any flag, or delete a layer
                    cmds.animLayer(name, edit=True, preferred=name not in preferred)
                if event == "reentered":  # would save the block's flags over the entry's
                    with pytest.raises(RuntimeError, match="^ActivationScope is already "
                                       "active: leave it before entering it again$"):
                        with scope:
                            pass
                elif event:
                    cmds.delete(event)
        if event == "reentered":  # once left, the scope may be entered again
            with scope:
                pass
        kept = [name for name in layers if name != event]
        assert preferredFlags(*kept) == [before[name] for name in kept]

    @pytest.mark.parametrize("failing", ["exit", "entry"])
    def test_a_flag_that_cannot_be_put_back_keeps_no_other_layer_from_its_own(
            self, rk, rig, monkeypatch, failing):
        for name in ("layerA", "layerB", "layerC"):
            rk.AnimLayer.create(name)
            cmds.animLayer(name, edit=True, preferred=name != "layerB")
        edit = cmds.animLayer

        def animLayer(*names, **flags):
            if flags.get("edit") and flags.get("preferred") is True and (
                    names == ("layerA",) or (failing == "entry" and names == ("layerB",))):
                raise RuntimeError("%s is stuck" % names)
            return edit(*names, **flags)
        monkeypatch.setattr(cmds, "animLayer", animLayer)
        with pytest.raises(RuntimeError, match="^layerA is stuck$") as raised:
            with rk.AnimLayer.ActivationScope(rk.AnimLayer("layerB")):
                pass
        # Layer A, first, stays off; B and C after it, the asked layer included, are back.
        assert preferredFlags("layerA", "layerB", "layerC") == [False, False, True]
        if failing == "entry":
            assert str(raised.value.__context__) == "layerB is stuck"

    @pytest.mark.parametrize("asked", ["layerA", "layerB"])
    def test_the_asked_layer_takes_the_keys_under_a_higher_preferred_one(self, rk, rig, asked):
        # B and C preferred, C top-most (a multi-selection in the layer editor).
        for name in ("layerA", "layerB", "layerC"):
            rk.AnimLayer.create(name).addAttribute("ctrl.tx")
            cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0, animLayer=name)
            cmds.animLayer(name, edit=True, preferred=name != "layerA")
        [curve] = cmds.animLayer(asked, query=True, findCurveForPlug="ctrl.tx")
        with rk.AnimLayer.ActivationScope(rk.AnimLayer(asked)):
            cmds.setKeyframe("ctrl.tx", time=(5,), value=7.0)
        assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 5.0]
        assert [c.name() for c in rk.AnimTools.curvesOfNodes(["ctrl"], rk.AnimLayer(asked))] \
            == [curve]
        assert preferredFlags("layerA", "layerB", "layerC") == [False, True, True]

    @pytest.mark.parametrize("given", [None, "preferred"])
    def test_scope_without_a_switch_issues_no_edit(self, rk, rig, commandLog, given):
        layer = rk.AnimLayer.create("layerA")
        layer.setActive()
        commandLog.clear()
        with rk.AnimLayer.ActivationScope(None if given is None else rk.AnimLayer("layerA")):
            pass
        assert [kw for args, kw in commandLog("animLayer") if kw.get("edit") or kw.get("e")] == []


class TestLayerQueries:
    def test_layers_in_connection_order_selected_and_best(self, rk, rig):
        queries = rk.LayerQueries()
        assert queries.layerNames == [] and queries.allLayers == []
        assert [l.name for l in queries.selectedLayers] == ["BaseAnimation"]
        assert queries.lastBestLayer.name == "BaseAnimation"
        assert queries.emptyLayerNames() == []
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        rk.AnimLayer.create("layerB")
        queries = rk.LayerQueries()
        assert queries.layerNames == ["layerA", "layerB", "BaseAnimation"]
        assert [l.name for l in queries.allLayers] == queries.layerNames
        assert [l.name for l in queries.selectedLayers] == ["BaseAnimation"]
        assert queries.emptyLayerNames() == ["layerB"]
        cmds.animLayer("layerB", edit=True, selected=True)
        assert [l.name for l in rk.LayerQueries().selectedLayers] == ["layerB"]
        rk.AnimLayer("layerB").addAttribute("ctrl.tx")
        cmds.select("ctrl")
        rk.AnimLayer("layerA").setActive()
        assert rk.LayerQueries().lastBestLayer.name == "layerA"
        rk.AnimLayer("layerB").addAttribute("other.tx")
        cmds.select("ctrl", "other")  # best layers: layerA for ctrl, layerB for other
        assert rk.LayerQueries().lastBestLayer.name == "layerB"

    @pytest.mark.parametrize("nodes, layers", [
        ("ctrl", ["layerA"]), (["other"], []), (["other", "ctrl"], ["layerA"]),
        (b"ctrl", ["layerA"]), ([b"ctrl"], ["layerA"]), ((b"other", "ctrl"), ["layerA"]),
        ([], []), (None, []), ("", []), ((), [])])
    def test_affected_layers_of_the_given_nodes_only(self, rk, rig, nodes, layers):
        # Never the base layer, and never the selection's layers when no node is given.
        rk.AnimLayer.create("layerA").addAttribute("ctrl.tx")
        cmds.select("ctrl")
        assert rk.LayerQueries.affectedLayerNames(nodes) == layers

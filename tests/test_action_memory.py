"""Tool actions answer, report, write and undo alike whether or not a call keeps what it
learned of the scene; the keys Maya finds by time are those a walk over every key time finds."""
import pytest
from hypothesis import HealthCheck, given, settings, strategies as st
from maya import cmds
from maya.OpenMaya import MTime

from Zentrik._api.__hybrid__._core import CORE, AnimCurve

CHANNELS = ("tx", "ty", "rx", "ry", "rz", "sx", "leftBlink", "rightBlink")
NODES = ("L_arm", "R_arm", "L_leg", "R_leg", "spine")
rigs = st.fixed_dictionaries(dict(
    namespace=st.sampled_from(["", "char:"]),
    frames=st.lists(st.sampled_from([1, 2.5, 4, 7, 10, 1 / 3.0]), min_size=2, max_size=4,
                    unique=True).map(sorted),
    swaps=st.dictionaries(st.sampled_from(["leftBlink", "translateY", "rotateZ"]),
                          st.sampled_from(["rightBlink", "translateZ", "rotateX"]), max_size=2),
    factors=st.dictionaries(st.sampled_from(["translateX", "rotateY", "leftBlink", "ry"]),
                            st.sampled_from([-1, 2]), max_size=3),
    layered=st.lists(st.sampled_from(NODES), max_size=2, unique=True),
    locked=st.lists(st.sampled_from([n + ".ty" for n in NODES]), max_size=2),
    edits=st.lists(st.tuples(st.sampled_from(["rename", "delete", "recreate", "reparent"]),
                             st.sampled_from(NODES)), max_size=3),
    kind=st.sampled_from(AnimCurve.KEY_KINDS),
    span=st.sampled_from([(1, 10), (2.5, 4), (4, 2.5), (7, 7)])))


def build(rig):
    ns = rig["namespace"]
    cmds.namespace(add=ns[:-1]) if ns else None
    cmds.group(empty=True, name=ns + "rig")
    for name in NODES:
        node = cmds.createNode("transform", name=ns + name, parent=ns + "rig")
        for attr in ("leftBlink", "rightBlink"):
            cmds.addAttr(node, longName=attr, attributeType="double", keyable=True)
        for n, frame in enumerate(rig["frames"]):  # rotations that flip, for the filter
            keys = dict(tx=n, leftBlink=-n, rx=170 * n, ry=95 * n, rz=-9 * n)
            for channel, value in keys.items():
                cmds.setKeyframe(node + "." + channel, time=(frame,), value=value)
    cmds.connectAttr(ns + "spine.tx", ns + "R_leg.tz")
    for path in rig["locked"]:
        cmds.setAttr(ns + path, lock=True)
    cmds.animLayer("layerA", attribute=[ns + n + ".tx" for n in rig["layered"]] or None)
    CORE.mirrorStoreA.entries.update(rig["swaps"])
    CORE.mirrorStoreB.entries.update(rig["factors"])


def edit(ns, what, name):
    if what == "rename":
        cmds.rename(ns + name, ns + name + "_old")
    elif what == "reparent":
        cmds.parent(ns + name, world=True)
    else:
        cmds.delete(ns + name)
        if what == "recreate":
            cmds.createNode("transform", name=ns + name, parent=ns + "rig")


def scene():
    """Every curve's keys, values and kinds, and every node's channels."""
    types = ["animCurveTA", "animCurveTL", "animCurveTU"]
    curves = [AnimCurve(c) for c in sorted(cmds.ls(type=types))]
    return ([(c.name(), c.keyTimes, c.keyValues, c.keyKinds) for c in curves],
            [(n, cmds.getAttr(n + ".t"), cmds.getAttr(n + ".r"))
             for n in sorted(cmds.ls(type="transform", long=True))])


def actions(rk, rig):
    """Ask which nodes exist and mirror every channel between edits, filter, set key kinds
    and smart keys: answers, reports and the scene after each."""
    ns, frames, seen = rig["namespace"], rig["frames"], []
    build(rig)
    kept = [rk.Node(ns + n) for n in NODES]  # bound before the edits
    for what, name in rig["edits"] + [(None, None)]:
        seen.append(([n.exists() for n in kept], [rk.Node(ns + n).exists() for n in NODES]))
        for path in [ns + n + "." + c for n in NODES for c in CHANNELS if cmds.objExists(ns + n)]:
            attr = rk.AnimAttr(plugName=path)
            value = attr.getMirrorValueAt(MTime(frames[-1], MTime.uiUnit()))
            # the name forms the stores are keyed by, of the attribute and its partner
            wrapped = getattr(attr, "plug", None) is not None
            partner = wrapped and attr.mirrorFromAnimAttr
            keys = wrapped and (attr.settingsKey, partner and partner.settingsKey)
            seen.append((path, value, attr.setValue(value) if value else None, keys))
        if what and cmds.objExists(ns + name):
            edit(ns, what, name)
    CORE.toolOptions["smartEulerFilter"] = True
    CORE.curveTarget.curveNames = cmds.ls(type="animCurveTA")
    CORE.curveTarget.targetTime = tuple(rig["span"])
    for curve in CORE.curveTarget.curveNames:
        assert cmds.keyframe(curve, query=True, timeChange=True) == AnimCurve(curve).keyTimes
    rk.AnimTools().applySmartEulerFilterToFrames(frames, "filter")
    seen += [CORE.eulerFilterCalls, scene()]
    rk.AnimTools().setKeyKind(rig["kind"], rig["span"])
    seen.append(scene())
    CORE.lastModifier.undoIt()  # one undo step restores every key
    seen.append(scene())
    layer = rk.AnimLayer("layerA") if rig["layered"] else None
    for path in [ns + n + ".ty" for n in NODES if cmds.objExists(ns + n)]:
        curve = rk.AnimAttr(plugName=path).setSmartKey(frames[0] + 0.5, rig["kind"], None, layer)
        seen.append(curve and curve.name())
    return seen + [scene(), list(CORE.traceKit.errors)]


@settings(max_examples=15, deadline=None, suppress_health_check=[HealthCheck.too_slow])
@given(rig=rigs)
def test_actions_match_the_path_that_keeps_nothing(rk, rig):
    seen = []
    for memory in (True, False):
        cmds.file(new=True, force=True)
        CORE.resetRecords()
        rk._actionMemory = memory
        try:
            seen.append(actions(rk, rig))
        finally:
            del rk._actionMemory
    assert seen[0] == seen[1]


@pytest.mark.parametrize("frame", [3, 2.5, 1 / 3.0, 4 + 1e-9, 4 + 1e-11])
@pytest.mark.parametrize("span", [(1, 10), (2.5, 4), (4, 2.5), (1 / 3.0, 1 / 3.0),
                                  (1 / 3.0 + 1e-12, 4), (1, 10 - 1e-12)])
@pytest.mark.parametrize("memory", [True, False])
def test_key_searches_find_what_every_key_time_finds(rk, frame, span, memory, monkeypatch):
    monkeypatch.setattr(rk, "_actionMemory", memory, raising=False)
    cmds.createNode("transform", name="n")
    for time in (1 / 3.0, 1, 2.5, 4, 10):
        cmds.setKeyframe("n.tx", time=(time,), value=time)
    CORE.curveTarget.curveNames = ["n_translateX"]
    rk.AnimTools().setKeyKind(AnimCurve.KEY_BREAKDOWN, span)
    curve = AnimCurve("n_translateX")
    assert [kind == AnimCurve.KEY_BREAKDOWN for kind in curve.keyKinds] == [
        span[0] <= time <= span[1] for time in curve.keyTimes]
    try:
        keyed = rk.AnimAttr(plugName="n.tx").setSmartKey(frame, keyKind=AnimCurve.KEY_SPECIAL)
    except ValueError as e:
        assert frame not in curve.keyTimes and str(e) == "%r is not in list" % frame
    else:
        assert keyed.keyKinds[keyed.keyTimes.index(frame)] == AnimCurve.KEY_SPECIAL


def test_a_call_on_another_thread_keeps_nothing_of_a_running_action(rk, monkeypatch):
    # A mirror read waits inside its partner's lookup, having resolved its own node;
    # meanwhile the main thread deletes that node and asks the scene about it.
    import threading
    from maya.OpenMaya import MSelectionList

    inside, resume, outcome = threading.Event(), threading.Event(), []

    class Selection(MSelectionList):
        def add(self, name, *args):
            if b"R_arm" in (name if isinstance(name, bytes) else name.encode()) and \
                    threading.current_thread().name == "mirror":
                inside.set()
                resume.wait(10)
            return MSelectionList.add(self, name, *args)

    cmds.group(empty=True, name="rig")
    for name in ("L_arm", "R_arm"):
        cmds.createNode("transform", name=name, parent="rig")
    left = rk.AnimAttr(rk.Node("L_arm").getPlug("tx"))
    monkeypatch.setitem(rk.__dict__, "MSelectionList", Selection)
    def read():
        try:
            outcome.append(left.getMirrorValueAt(MTime(1)))
        except RuntimeError as e:  # its node went while it read
            outcome.append(e)

    mirror = threading.Thread(name="mirror", target=read)
    mirror.start()
    try:
        assert inside.wait(10)
        cmds.delete("L_arm")
        assert [rk.Node(n).exists() for n in ("L_arm", "|rig|L_arm")] == [False, False]
    finally:
        resume.set()
        mirror.join(10)
    assert not mirror.is_alive() and len(outcome) == 1

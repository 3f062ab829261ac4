"""The pytest plugin for the suite's tool tests, run as a developer's session
in a child interpreter: a new scene and records per test, both ways of loading."""
import importlib
import os
import sys
import textwrap
import types

import pytest

pytest_plugins = ["pytester"]
# The harness runs on the stand-in's scene and its command log.
pytestmark = pytest.mark.standin_only

STANDIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Two tests that must not see each other's scene or records: the first leaves
# a node, a report, an option, a registered callback and commands behind.
TWO_TESTS = textwrap.dedent("""
    from maya.OpenMayaAnim import MAnimMessage

    fired = []


    def test_first_leaves_things_behind(maya_scene, rigkit0, reports):
        cmds = maya_scene.cmds
        cmds.createNode("transform", name="ctrl")
        assert not rigkit0.Node("missing").exists()
        assert reports == [
            "Zentrik - Error handling object missing - (kInvalidParameter): "
            "Object does not exist"]
        assert reports is maya_scene.core.traceKit.errors
        maya_scene.core.toolOptions["smartEulerFilter"] = True
        maya_scene.core.hookKit.addCallback(
            MAnimMessage.addAnimCurveEditedCallback, (fired.append,), "left")
        assert maya_scene.commands("createNode") == [(("transform",), {"name": "ctrl"})]


    def test_second_starts_afresh(maya_scene, rigkit0, reports):
        assert maya_scene.commandLog() == []
        assert rigkit0.__name__ == "Zentrik._api.__hybrid__.rigkit0"
        assert not maya_scene.cmds.objExists("ctrl")
        assert reports == [] and maya_scene.core.calls == []
        assert maya_scene.core.toolOptions == {} and maya_scene.core.hookKit.callbacks == {}
        maya_scene.cmds.setKeyframe(maya_scene.cmds.createNode("transform"), attribute="tx")
        assert fired == []
""")


def run(pytester, *args):
    return pytester.runpytest_subprocess("-q", "-p", "no:cacheprovider", *args)


# Older pytest releases import -p plugins before they apply the pythonpath setting.
@pytest.mark.parametrize("fromConftest", [False, True], ids=["-p", "conftest"])
def test_each_test_gets_a_new_scene_and_records(pytester, monkeypatch, fromConftest):
    if fromConftest:
        monkeypatch.delenv("PYTHONPATH", raising=False)
        pytester.makeini("[pytest]\npythonpath = %s\n" % STANDIN)
        pytester.makeconftest('pytest_plugins = ["rigkit_harness"]\n')
    else:
        monkeypatch.setenv("PYTHONPATH", STANDIN)
    pytester.makepyfile(test_tool=TWO_TESTS)
    run(pytester, *([] if fromConftest else ["-p", "rigkit_harness"])).assert_outcomes(passed=2)


def test_maya_found_before_the_stand_in_is_named(monkeypatch):
    # Inside a Maya installation its own maya package may come first, and the
    # fixtures would then reset a real session with a suite that has no records.
    monkeypatch.setitem(sys.modules, "maya", types.ModuleType("maya"))  # Maya's has no _scene
    monkeypatch.delitem(sys.modules, "maya._scene")
    monkeypatch.delitem(sys.modules, "rigkit_harness", raising=False)
    with pytest.raises(ImportError, match="rigkit_harness runs on the stand-in scene"):
        importlib.import_module("rigkit_harness")

"""The stand-in's pytest plugins, each session case in a child interpreter: the
choice between a real Maya (a fake with Maya's package shape on the path) and the
stand-in, made once before anything imports ``maya``; and the harness for the
suite's tool tests, a new scene and records per test, both ways of loading."""
import importlib
import os
import sys
import textwrap
import types

import pytest
import rigkit_maya_choice

pytest_plugins = ["pytester"]
# The harness runs on the stand-in's scene and its command log.
pytestmark = pytest.mark.standin_only

STANDIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FAKE_MAYA = {
    "__init__.py": "STARTED = []\n",
    "cmds.py": "",  # Maya's commands arrive with the session
    "OpenMaya.py": ("import maya\nclass MGlobal(object):\n    kInteractive, kBatch = 0, 1\n"
                    "    mayaState = staticmethod(lambda: int(bool(maya.STARTED)))\n"),  # batch
    "standalone.py": textwrap.dedent("""
        import os


        def initialize(name="python"):
            import maya
            import maya.cmds
            maya.cmds.ls = lambda *args, **flags: []
            maya.STARTED.append(name)


        def uninitialize():
            with open(os.environ["FAKE_MAYA_LOG"], "a") as log:
                log.write("uninitialized\\n")
    """),
}

TESTS = textwrap.dedent("""
    import os

    import pytest

    import maya
    from maya import cmds

    EXPECTED = os.environ["EXPECTED_MAYA"]


    def test_maya_is_the_chosen_package():
        place = os.path.dirname(os.path.dirname(maya.__file__))
        assert place == os.environ[EXPECTED.upper() + "_PLACE"]
        if EXPECTED == "real":  # started once, and its session's commands arrived
            assert maya.STARTED == ["python"] and cmds.ls() == []


    def test_the_suite_core_comes_from_the_stand_in():
        import Zentrik
        assert os.path.dirname(os.path.dirname(Zentrik.__file__)) == os.environ["STANDIN_PLACE"]


    @pytest.mark.standin_only
    def test_stand_in_internals():
        pass


    def test_private_stand_in_module():
        from maya import _scene
        cmds.createNode("transform", name="probe")
        assert _scene.commandLog()[-1] == ("createNode", ("transform",), {"name": "probe"})
""")


@pytest.fixture
def session(pytester, monkeypatch, tmp_path):
    """A child project on the stand-in's path, with a fake Maya installed."""
    site = tmp_path / "site"
    (site / "maya").mkdir(parents=True)
    for name, text in FAKE_MAYA.items():
        (site / "maya" / name).write_text(text)
    log = tmp_path / "maya.log"
    for name, value in (("PYTHONPATH", site), ("FAKE_MAYA_LOG", log), ("REAL_PLACE", site),
                        ("STANDIN_PLACE", STANDIN)):
        monkeypatch.setenv(name, str(value))
    monkeypatch.delenv("RIGKIT_MAYA", raising=False)
    pytester.makeini("[pytest]\npythonpath = %s\n" % STANDIN)
    pytester.makeconftest('pytest_plugins = ["rigkit_maya_choice"]\n')
    tests = pytester.mkpydir("tests")
    # A conftest that imports maya as the repository's own do, below the root one.
    (tests / "conftest.py").write_text("from maya import cmds  # noqa: F401\n")
    (tests / "test_tool.py").write_text(TESTS)

    def run(mode, expected="standin", installed=True, batch="0"):
        monkeypatch.setenv("RIGKIT_MAYA_BATCH", batch)
        if mode is not None:
            monkeypatch.setenv("RIGKIT_MAYA", mode)
        if not installed:
            monkeypatch.delenv("PYTHONPATH")
        monkeypatch.setenv("EXPECTED_MAYA", expected)
        result = pytester.runpytest_subprocess("-p", "no:cacheprovider", "-rs")
        return result, (log.read_text() if log.exists() else "")
    return run


@pytest.mark.parametrize("mode", [None, "real"])
def test_an_installed_maya_is_used_and_the_stand_in_checks_skip(session, mode):
    result, log = session(mode, "real")  # batch: what Maya says, whatever RIGKIT_MAYA_BATCH
    result.assert_outcomes(passed=2, skipped=2)
    result.stdout.fnmatch_lines([
        "maya: Maya's own, batch (%s)" % os.path.join(os.environ["REAL_PLACE"], "maya"),
        "*checks the stand-in's own internals*",
        "*needs the stand-in's maya._scene (not part of Maya)*"])
    assert log == "uninitialized\n"


@pytest.mark.parametrize("mode, installed, batch", [("standin", True, "1"), ("auto", False, "0")])
def test_the_stand_in_serves_when_asked_or_without_maya(session, mode, installed, batch):
    result, log = session(mode, "standin", installed, batch)
    result.assert_outcomes(passed=4)
    result.stdout.fnmatch_lines(["maya: the stand-in, %s (%s)" % (
        "batch" if batch == "1" else "interactive", os.path.join(STANDIN, "maya"))])
    assert log == ""


def test_asking_for_a_missing_maya_stops_the_session(session):
    result, _ = session("real", installed=False)
    assert result.ret == pytest.ExitCode.USAGE_ERROR
    result.stderr.fnmatch_lines(["*RIGKIT_MAYA=real, but no maya package is importable outside*"])


# In this session the stand-in is already imported: the choice only reports it.
@pytest.mark.parametrize("mode, message", [
    ("STANDIN", None), (" Auto ", None),
    ("REAL", "RIGKIT_MAYA=real, but maya was already imported from "),
    ("sometimes", "RIGKIT_MAYA=sometimes: use one of auto, real, standin$")])
def test_the_choice_ignores_letter_case_and_refuses_what_it_cannot_do(mode, message):
    if message is None:
        assert rigkit_maya_choice.choose(mode) == ("standin", sys.modules["maya"])
    else:
        with pytest.raises(pytest.UsageError, match=message):
            rigkit_maya_choice.choose(mode)


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


# Older pytest releases import -p plugins before they apply the pythonpath setting.
@pytest.mark.parametrize("fromConftest", [False, True], ids=["-p", "conftest"])
def test_each_test_gets_a_new_scene_and_records(pytester, monkeypatch, fromConftest):
    args = ["-q", "-p", "no:cacheprovider"]
    if fromConftest:
        monkeypatch.delenv("PYTHONPATH", raising=False)
        pytester.makeini("[pytest]\npythonpath = %s\n" % STANDIN)
        pytester.makeconftest('pytest_plugins = ["rigkit_harness"]\n')
    else:
        monkeypatch.setenv("PYTHONPATH", STANDIN)
        args += ["-p", "rigkit_harness"]
    pytester.makepyfile(test_tool=TWO_TESTS)
    pytester.runpytest_subprocess(*args).assert_outcomes(passed=2)


def test_maya_found_before_the_stand_in_is_named(monkeypatch):
    # Inside a Maya installation its own maya package may come first, and the
    # fixtures would then reset a real session with a suite that has no records.
    monkeypatch.setitem(sys.modules, "maya", types.ModuleType("maya"))  # Maya's has no _scene
    monkeypatch.delitem(sys.modules, "maya._scene")
    monkeypatch.delitem(sys.modules, "rigkit_harness", raising=False)
    with pytest.raises(ImportError, match="rigkit_harness runs on the stand-in scene"):
        importlib.import_module("rigkit_harness")

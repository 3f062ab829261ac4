"""The choice between a real Maya and the stand-in: with an external ``maya``
package on the path (a small fake with Maya's package shape, as ``mayapy``
has Maya's) the session runs on it, starts and ends it, and skips the tests
that check the stand-in only; ``RIGKIT_MAYA`` overrides the choice.  Each case
runs a test session in a child interpreter, laid out as this repository is."""
import os
import textwrap

import pytest

pytest_plugins = ["pytester"]
pytestmark = pytest.mark.standin_only

STANDIN = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FAKE_MAYA = {
    "__init__.py": "STARTED = []\n",
    "cmds.py": "",  # Maya's commands arrive with the session
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

# A conftest that imports maya as the repository's own do, below the root one.
TESTS_CONFTEST = "from maya import cmds  # noqa: F401\n"

TESTS = textwrap.dedent("""
    import os

    import pytest

    import maya
    from maya import cmds

    EXPECTED = os.environ["EXPECTED_MAYA"]


    def test_maya_is_the_chosen_package():
        place = os.path.dirname(os.path.dirname(maya.__file__))
        assert place == os.environ[EXPECTED.upper() + "_PLACE"]
        assert maya.__dict__.get("STARTED", ["python"]) == ["python"]
        assert cmds.ls() is not None or EXPECTED == "standin"


    def test_the_suite_core_comes_from_the_stand_in():
        import Zentrik
        assert os.path.dirname(os.path.dirname(Zentrik.__file__)) == os.environ["STANDIN_PLACE"]


    @pytest.mark.standin_only
    def test_stand_in_internals():
        pass


    def test_private_stand_in_module():
        from maya import _scene
        assert _scene.commandLog() is not None
""")


@pytest.fixture
def session(pytester, monkeypatch, tmp_path):
    """A child project on the stand-in's path, with a fake Maya installed."""
    site = tmp_path / "site"
    (site / "maya").mkdir(parents=True)
    for name, text in FAKE_MAYA.items():
        (site / "maya" / name).write_text(text)
    log = tmp_path / "maya.log"
    monkeypatch.setenv("PYTHONPATH", str(site))
    monkeypatch.setenv("FAKE_MAYA_LOG", str(log))
    monkeypatch.setenv("REAL_PLACE", str(site))
    monkeypatch.setenv("STANDIN_PLACE", STANDIN)
    monkeypatch.delenv("RIGKIT_MAYA", raising=False)
    pytester.makeini("[pytest]\npythonpath = %s\n" % STANDIN)
    pytester.makeconftest('pytest_plugins = ["rigkit_maya_choice"]\n')
    tests = pytester.mkpydir("tests")
    (tests / "conftest.py").write_text(TESTS_CONFTEST)
    (tests / "test_tool.py").write_text(TESTS)

    def run(mode=None, expected=None, installed=True):
        if mode is not None:
            monkeypatch.setenv("RIGKIT_MAYA", mode)
        if not installed:
            monkeypatch.delenv("PYTHONPATH")
        monkeypatch.setenv("EXPECTED_MAYA", expected or "standin")
        result = pytester.runpytest_subprocess("-p", "no:cacheprovider", "-rs")
        return result, (log.read_text() if log.exists() else "")
    return run


@pytest.mark.parametrize("mode", [None, "auto", "real", "REAL"])
def test_an_installed_maya_is_used_and_the_stand_in_checks_skip(session, mode):
    result, log = session(mode, "real")
    result.assert_outcomes(passed=2, skipped=2)
    result.stdout.fnmatch_lines([
        "maya: Maya's own (%s)" % os.path.join(os.environ["REAL_PLACE"], "maya"),
        "*checks the stand-in's own internals*",
        "*needs the stand-in's maya._scene (not part of Maya)*"])
    assert log == "uninitialized\n"


@pytest.mark.parametrize("mode, installed", [
    ("standin", True), (None, False), ("auto", False)])
def test_the_stand_in_serves_when_asked_or_without_maya(session, mode, installed):
    result, log = session(mode, "standin", installed)
    result.assert_outcomes(passed=4)
    result.stdout.fnmatch_lines(["maya: the stand-in (%s)" % os.path.join(STANDIN, "maya")])
    assert log == ""


@pytest.mark.parametrize("mode, installed, message", [
    ("real", False, "*RIGKIT_MAYA=real, but no maya package is importable outside*"),
    ("sometimes", True, "*RIGKIT_MAYA=sometimes: use one of auto, real, standin*")])
def test_an_impossible_choice_stops_the_session(session, mode, installed, message):
    result, _ = session(mode, installed=installed)
    assert result.ret == pytest.ExitCode.USAGE_ERROR
    result.stderr.fnmatch_lines([message])

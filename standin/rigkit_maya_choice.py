"""pytest plugin: run the tests on a real Maya when one is there, else on the
stand-in in this folder.

Under Maya's own interpreter (``mayapy -m pytest``) Maya's ``maya`` package
is importable from its site-packages; this plugin then loads that package as
``maya`` (before any test or conftest imports it), starts Maya with
``maya.standalone.initialize()`` and skips the tests marked ``standin_only``,
which check the stand-in's own internals.  The suite's core stand-in
(``Zentrik`` in this folder) serves in both cases; it uses only the public
``maya`` modules.  ``RIGKIT_MAYA`` chooses:

- ``auto`` (default): a real Maya when one is importable from outside this
  folder, else the stand-in;
- ``real``: a real Maya, or stop with a usage error when there is none;
- ``standin``: the stand-in, even under ``mayapy``.

Batch mode, Maya without its interface, is what ``mayapy`` runs: there
UI commands fail, and the tests marked ``interactive`` (they need the
Channel Box or the time slider) are skipped.  On a real Maya the plugin
asks Maya (``MGlobal.mayaState()``); on the stand-in ``RIGKIT_MAYA_BATCH=1``
starts batch mode with ``maya.standalone.initialize()`` before any test runs
(unset, empty or ``0``: the stand-in runs with its interface).  The
``batch`` fixture gives one test batch mode either way.

On a real Maya an import of one of the stand-in's private modules
(``maya._scene`` and friends, which a test reads for the command log) skips
the test that makes it, instead of failing it.

The plugin must load before anything imports ``maya``: name it in the root
``conftest.py`` (``pytest_plugins = ["rigkit_maya_choice"]``) with this folder
on the pytest ``pythonpath``.
"""
import importlib.machinery
import importlib.util
import os
import sys

import pytest

STANDIN = os.path.dirname(os.path.abspath(__file__))
ENVIRONMENT = "RIGKIT_MAYA"
MODES = ("auto", "real", "standin")
MARKER = "standin_only: checks the stand-in's own internals; skipped on a real Maya"
BATCH_ENVIRONMENT = "RIGKIT_MAYA_BATCH"
INTERACTIVE_MARKER = ("interactive: needs Maya's interface (Channel Box, time slider); "
                      "skipped in batch")


def _outsideStandin(path):
    """Whether a ``sys.path`` entry is some other folder than this one."""
    return os.path.normcase(os.path.abspath(path or os.curdir)) != os.path.normcase(STANDIN)


def _isStandin(module):
    """Whether a loaded ``maya`` package is the one in this folder."""
    folder = os.path.dirname(os.path.abspath(getattr(module, "__file__", None) or ""))
    return os.path.normcase(os.path.dirname(folder)) == os.path.normcase(STANDIN)


def realMayaLocation():
    """Where a ``maya`` package outside this folder is found, or None."""
    found = importlib.machinery.PathFinder.find_spec(
        "maya", [p for p in sys.path if _outsideStandin(p)])
    if found is None or found.loader is None:  # none, or a bare namespace folder
        return None
    return found


def _load(found):
    """Imports the package of ``found`` under its name, as ``import`` would."""
    module = importlib.util.module_from_spec(found)
    sys.modules[found.name] = module
    try:
        found.loader.exec_module(module)
    except BaseException:
        sys.modules.pop(found.name, None)
        raise
    return module


def choose(mode=None):
    """Loads the chosen ``maya`` package as ``maya`` and returns
    ``(kind, module)``, kind being ``"real"`` or ``"standin"``; a ``maya``
    imported earlier stays and is only reported."""
    mode = (mode or os.environ.get(ENVIRONMENT) or "auto").strip().lower()
    if mode not in MODES:
        raise pytest.UsageError("%s=%s: use one of %s" % (ENVIRONMENT, mode, ", ".join(MODES)))
    loaded = sys.modules.get("maya")
    if loaded is None:
        found = None if mode == "standin" else realMayaLocation()
        if found is None and mode == "real":
            raise pytest.UsageError(
                "%s=real, but no maya package is importable outside %s" % (ENVIRONMENT, STANDIN))
        if found is None:
            found = importlib.machinery.PathFinder.find_spec("maya", [STANDIN])
        loaded = _load(found)
    kind = "standin" if _isStandin(loaded) else "real"
    if kind != mode and mode != "auto":
        raise pytest.UsageError("%s=%s, but maya was already imported from %s" % (
            ENVIRONMENT, mode, getattr(loaded, "__file__", loaded)))
    return kind, loaded


class StandinOnlyImports(object):
    """Last finder on ``sys.meta_path`` on a real Maya: an import of one of
    the stand-in's private ``maya`` modules, which Maya does not have, skips
    the test (or test module) that makes it."""

    def __init__(self):
        """Reads the private module names from the stand-in's folder."""
        self.names = set(
            "maya." + os.path.splitext(entry)[0]
            for entry in os.listdir(os.path.join(STANDIN, "maya"))
            if entry.startswith("_") and not entry.startswith("__"))

    def find_spec(self, fullname, path=None, target=None):
        """Skips on a stand-in private module; leaves every other name alone."""
        if ".".join(fullname.split(".")[:2]) in self.names:
            raise pytest.skip.Exception(
                "needs the stand-in's %s (not part of Maya)" % fullname, allow_module_level=True)
        return None


def batchRequested():
    """Whether ``RIGKIT_MAYA_BATCH`` asks the stand-in for batch mode."""
    value = (os.environ.get(BATCH_ENVIRONMENT) or "0").strip()
    if value not in ("0", "1"):
        raise pytest.UsageError("%s=%s: use 1 (batch) or 0" % (BATCH_ENVIRONMENT, value))
    return value == "1"


def isBatch():
    """Whether the loaded Maya runs without its interface, as Maya says."""
    from maya import OpenMaya

    return OpenMaya.MGlobal.mayaState() != OpenMaya.MGlobal.kInteractive


KIND, MAYA = choose()
_STARTED = False
_FINDER = None

if KIND == "real":
    _FINDER = StandinOnlyImports()
    sys.meta_path.append(_FINDER)
    import maya.cmds  # noqa: E402
    if not hasattr(maya.cmds, "ls"):  # Maya's commands come with the session
        import maya.standalone  # noqa: E402
        maya.standalone.initialize(name="python")
        _STARTED = True
elif batchRequested():
    import maya.standalone  # noqa: E402
    maya.standalone.initialize(name="python")


def pytest_configure(config):
    """Registers the markers."""
    config.addinivalue_line("markers", MARKER)
    config.addinivalue_line("markers", INTERACTIVE_MARKER)


def pytest_report_header(config):
    """Says which ``maya`` the session runs on."""
    where = os.path.dirname(getattr(MAYA, "__file__", "") or "")
    return "maya: %s, %s (%s)" % ("Maya's own" if KIND == "real" else "the stand-in",
                                  "batch" if isBatch() else "interactive", where)


def pytest_collection_modifyitems(config, items):
    """On a real Maya, skips the tests that check only the stand-in; in
    batch mode, the tests that need Maya's interface."""
    skips = []
    if KIND == "real":
        skips.append(("standin_only", "checks the stand-in's own internals"))
    if isBatch():
        skips.append(("interactive", "needs Maya's interface; Maya runs in batch mode"))
    for marker, reason in skips:
        for item in items:
            if item.get_closest_marker(marker) is not None:
                item.add_marker(pytest.mark.skip(reason=reason))


@pytest.fixture
def batch():
    """Maya without its interface for one test: the stand-in switched to
    batch mode and back, a real Maya as it runs (skipped when interactive)."""
    if isBatch():
        yield
        return
    if KIND == "real":
        pytest.skip("this Maya runs with its interface")
    import maya.standalone

    maya.standalone.initialize(name="python")
    try:
        yield
    finally:
        maya.standalone.uninitialize()


def pytest_unconfigure(config):
    """Ends the Maya session this plugin started."""
    global _STARTED
    if _FINDER is not None and _FINDER in sys.meta_path:
        sys.meta_path.remove(_FINDER)
    if _STARTED:
        _STARTED = False
        import maya.standalone
        uninitialize = getattr(maya.standalone, "uninitialize", None)
        if uninitialize is not None:
            uninitialize()

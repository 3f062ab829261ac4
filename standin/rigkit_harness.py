"""pytest fixtures for testing the suite's tools against the stand-in scene.

The stand-in (``maya`` and ``Zentrik`` in this folder) must come first on the
path, and this module with it; then load the plugin either on the command
line or from the root ``conftest.py``::

    PYTHONPATH=standin python -m pytest -p rigkit_harness
    pytest_plugins = ["rigkit_harness"]      # with pythonpath = standin in the pytest config

(Older pytest releases import ``-p`` plugins before they apply the
``pythonpath`` setting; ``pytest_plugins`` in the root ``conftest.py`` works
with every release.)

Fixtures:

- ``maya_scene``: a new, empty scene and cleared suite records for the test,
  and again after it, so nothing a test built or registered reaches the
  next one.  Yields a ``StandinScene``: ``cmds``, ``core`` (the suite's
  ``CORE``), ``commandLog()`` and ``commands(name)``.
- ``rigkit0``: the compiled module, loaded as the suite loads it (from the
  package ``Zentrik._api.__hybrid__``, on top of the core module of the
  running interpreter); a test that takes it gets a new scene too.
- ``reports``: the error texts the module reported to the suite during the
  test (``CORE.traceKit.errors``), in order.

Tests that call ``CORE.resetRecords()`` themselves replace the report list:
read ``maya_scene.core.traceKit.errors`` again after it.
"""

import pytest

try:
    from maya import _scene
except ImportError:  # Maya's own package came first on the path
    raise ImportError(
        "rigkit_harness runs on the stand-in scene: put its folder (the one that "
        "holds rigkit_harness.py, maya/ and Zentrik/) before any Maya installation "
        "on the path")
from maya import cmds

from Zentrik._api.__hybrid__ import _core


class StandinScene(object):
    """The scene of one test, and where to read what was done to it."""

    cmds = cmds
    core = _core.CORE

    @staticmethod
    def commandLog():
        """Every ``maya.cmds`` call of the test so far, as
        ``(commandName, args, kwargs)`` with the flags as the caller wrote them."""
        return list(_scene.commandLog())

    @staticmethod
    def commands(name):
        """``(args, kwargs)`` of each call of the command ``name``, in order."""
        return [(args, kwargs) for command, args, kwargs in _scene.commandLog()
                if command == name]


def _newScene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()


@pytest.fixture
def maya_scene():
    """A new scene and cleared suite records, before and after the test."""
    _newScene()
    yield StandinScene()
    _newScene()


@pytest.fixture(scope="session")
def _rigkit0Module():
    from Zentrik._api.__hybrid__ import rigkit0

    return rigkit0


@pytest.fixture
def rigkit0(_rigkit0Module, maya_scene):
    """The module as the suite loads it, over a new scene."""
    return _rigkit0Module


@pytest.fixture
def reports(maya_scene):
    """The error reports made to the suite during the test."""
    return maya_scene.core.traceKit.errors

"""An in-memory stand-in for the parts of Autodesk Maya that rigkit0 uses.

``maya.cmds`` speaks in commands and ``maya.OpenMaya`` / ``maya.OpenMayaAnim``
in Python API 1.0 classes; both work on one scene model (``maya._scene``),
so a change made through one is what the other reads.  Names, flags, return
values, units and exception types follow Maya's documentation; where the
model simplifies Maya the docstring of ``maya._scene`` and of the class
concerned says so.

Private helpers for tests (not part of Maya):

- ``maya._scene.commandLog()``: list of ``(commandName, args, kwargs)``
  tuples, one per ``maya.cmds`` call since the last new scene.
- ``maya._scene.clearCommandLog()``: empties that list.
- ``maya._scene.newScene()``: a new scene, as
  ``cmds.file(new=True, force=True)`` does (which is logged, then the log
  is cleared by the reset itself).
"""

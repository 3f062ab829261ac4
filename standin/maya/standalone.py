"""Maya without its interface in a Python interpreter, as ``mayapy`` runs it.

``initialize(name="python")`` starts batch mode: UI commands are disabled
and ``MGlobal.mayaState()`` answers ``kBatch`` (see ``maya._session`` for
what is documented and what is the stand-in's closest guess).
``uninitialize()`` ends it; Maya's documentation asks a script to call it
before it exits.  The stand-in's scene is there before ``initialize`` and
stays after ``uninitialize`` (in Maya, commands exist only in between).
"""

from . import _session

__all__ = ["initialize", "uninitialize"]


def initialize(name="python"):
    """Starts batch mode; ``name`` is the application's name (Maya's one
    optional parameter, unused here).  A second call changes nothing (a
    guess: Maya documents only that a call inside its interface fails)."""
    _session.setBatch(True)


def uninitialize():
    """Ends batch mode: the stand-in returns to its interactive default."""
    _session.setBatch(False)

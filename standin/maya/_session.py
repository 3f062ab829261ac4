"""How this Maya runs: with its interface (interactive, the default) or
without it (batch), and the ``about`` command that answers for it.
Gathered by ``maya.cmds``; ``maya.standalone`` and ``MGlobal.mayaState``
read and set the switch here.

Documented by Maya: running Maya inside ``mayapy`` after
``maya.standalone.initialize()`` "is equivalent to running Maya in batch
mode", "including the disabling of UI commands";
``MGlobal.mayaState()`` then answers ``kBatch`` (1) instead of
``kInteractive`` (0); ``about(batch=True)`` "returns true if application is
in batch mode".

The closest guess: which text a disabled UI command raises.  Without an
interface no control exists, so the stand-in's controls answer as for a
control of that name that is not there (``RuntimeError("channelBox: Object
'mainChannelBox' not found.")``, Maya's form for a missing control in public
reports), and their ``exists`` flag answers False.  ``refresh`` is not
disabled: pipelines suspend and resume refresh in batch jobs without a
reported failure (the reported failures came from the viewport command
``ogs``), so it stays a command that does nothing visible.

Simplification: the switch is one process-wide flag that ``initialize``
sets and ``uninitialize`` clears, so a test can return to the interactive
default; a real Maya cannot be used after ``uninitialize``.
"""

from ._cmd_base import _command

__all__ = ["about"]


_BATCH = [False]

API_VERSION = 20220000

VERSION = "2022"


def isBatch():
    """Whether this Maya runs without its interface."""
    return _BATCH[0]


def setBatch(batch):
    """Switches batch mode on or off for the whole process."""
    _BATCH[0] = bool(batch)


def requireInterface(command, control):
    """Raises as a UI command does in batch, where ``control`` does not exist."""
    if _BATCH[0]:
        raise RuntimeError("%s: Object '%s' not found." % (command, control))


@_command("about", dict(batch="b", apiVersion="api", version="v"))
def about(**flags):
    """``batch``: whether Maya runs without its interface; ``apiVersion``
    and ``version``: the numbers ``MGlobal`` gives.  Without a flag Maya
    prints its version information; the stand-in answers the version text."""
    if flags.get("batch"):
        return _BATCH[0]
    if flags.get("apiVersion"):
        return API_VERSION
    return VERSION

"""Maya commands over the stand-in scene (see ``maya._scene``).

Each command takes Maya's long and short flag names and answers as Maya's
Python commands do: names of DAG nodes come back as their shortest unique
path (full paths with ``long``/``fullPath``), values in the user's working
units (``currentUnit``), ``None`` where Maya gives nothing.  A flag the
command does not know raises ``TypeError("Invalid flag '...'")``.  Object
names are resolved by ``Scene.resolveName``: a name that matches nothing
raises ``ValueError("No object matches name: ...")``, and so does a name
without wildcards that several nodes carry ("More than one object matches
name: ..."); only ``ls`` and ``objExists`` take such a name as a pattern.
An object argument that is no name (a dict, a number, any other object;
strings, bytes and lists or tuples of them are names) raises
``TypeError("Object ... is invalid")``.

Every call is recorded as ``(commandName, args, kwargs)`` exactly as given;
``maya._scene.commandLog()`` returns the record.

Simplifications: ``parent`` and ``group`` keep world positions by
decomposing into translate / rotate / scale (pivots are not adjusted);
``currentUnit(time=...)`` keeps keys at their absolute times; a value set
with ``setAttr`` on an animated attribute holds until the current time
changes (see ``Scene.setPlugValue``) and does not key.
"""

# Where each name lives: one private module per area.
#   _cmd_scene        scene and hierarchy: file, createNode, ls, parent, delete, ...
#   _cmd_attributes   attributes and connections: setAttr, getAttr, connectAttr, ...
#   _cmd_keys         keys: setKeyframe, keyframe, cutKey, keyTangent, selectKey
#   _cmd_layers       animLayer
#   _cmd_time         time and units: currentTime, currentUnit, playbackOptions
#   _cmd_transforms   transforms and joints: xform, joint
#   _cmd_constraints  constraints and expressions
#   _controls         UI controls: channelBox, timeControl
#   _session          the session: about

from ._cmd_scene import *  # noqa: F401,F403
from ._cmd_attributes import *  # noqa: F401,F403
from ._cmd_keys import *  # noqa: F401,F403
from ._cmd_layers import *  # noqa: F401,F403
from ._cmd_time import *  # noqa: F401,F403
from ._cmd_transforms import *  # noqa: F401,F403
from ._cmd_constraints import *  # noqa: F401,F403
from ._controls import *  # noqa: F401,F403
from ._session import *  # noqa: F401,F403


from . import (  # noqa: E402
    _cmd_scene, _cmd_attributes, _cmd_keys, _cmd_layers, _cmd_time, _cmd_transforms,
    _cmd_constraints, _controls, _session)
__all__ = sorted(set().union(
    _cmd_scene.__all__, _cmd_attributes.__all__, _cmd_keys.__all__,
    _cmd_layers.__all__, _cmd_time.__all__, _cmd_transforms.__all__,
    _cmd_constraints.__all__, _controls.__all__, _session.__all__))
del _cmd_scene, _cmd_attributes, _cmd_keys, _cmd_layers, _cmd_time, _cmd_transforms, _cmd_constraints, _controls, _session

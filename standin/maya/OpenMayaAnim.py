"""Animation classes of Python API 1.0 over the stand-in scene.

Anim curves evaluate linearly between keys (boolean and enum curves step)
and hold their end values outside the keyed range; tangent types and the
curve's weighted flag are recorded but change no value, and infinity modes
are not modelled.  Key values are in internal units (centimetres, radians);
key times are ``MTime``.  Keys carry Maya's breakdown and tick-draw-special
flags and their tangent types (see ``maya._keys``).
"""

# Where each name lives: one private module per area.
#   _anim_control  MAnimControl, MAnimMessage
#   _anim_curves   MFnAnimCurve, MAnimUtil
#   _anim_joints   MFnIkJoint

from ._anim_control import *  # noqa: F401,F403
from ._anim_curves import *  # noqa: F401,F403
from ._anim_joints import *  # noqa: F401,F403


__all__ = ["MAnimControl", "MAnimMessage", "MAnimUtil", "MFnAnimCurve", "MFnIkJoint"]

"""Core module for CPython 3.13 hosts; the names come from ``_core``."""

from ._core import *  # noqa: F401,F403
from ._core import __all__  # noqa: F401

"""Sibling of the compiled ``rigkit0`` module.

``rigkit0`` star-imports this module last, so a public name here replaces a
core name of the same name in ``rigkit0``'s namespace. It imports nothing and
can be loaded on its own.
"""

__all__ = ["RIGKIT1_VERSION", "RIGKIT1_VERSION_INFO"]

RIGKIT1_VERSION_INFO = (1, 0, 0)
RIGKIT1_VERSION = "%d.%d.%d" % RIGKIT1_VERSION_INFO

"""The suite's package of kits: the core modules, ``rigkit1`` and ``rigkit0``.

In the suite the compiled ``rigkit0`` lies in this folder beside ``rigkit1``.
Here ``pip install .`` puts it at the top level of site-packages instead, so
the package also searches the folder that holds it; importing
``Zentrik._api.__hybrid__.rigkit0`` then loads it as a member of this package,
where its relative import of ``rigkit1`` resolves.
"""
import importlib.machinery
import os

_spec = importlib.machinery.PathFinder.find_spec("rigkit0")
if _spec is not None and _spec.origin:
    __path__.append(os.path.dirname(_spec.origin))
del _spec

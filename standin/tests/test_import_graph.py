"""The shape of the stand-in: no import circle, no private module reaching back
into a public face, faces that only gather, every module importable alone."""
import ast
import glob
import graphlib
import importlib.util
import os
import subprocess
import sys

import pytest

import maya.cmds
import maya.OpenMaya
import maya.OpenMayaAnim
from Zentrik._api.__hybrid__ import _core

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PACKAGES = ("maya", "Zentrik")
MAYA_FACES = {"maya.cmds", "maya.OpenMaya", "maya.OpenMayaAnim", "maya.standalone"}
CORE_FACES = {"Zentrik._api.__hybrid__._core"} | {
    "Zentrik._api.__hybrid__.core%s" % v for v in ("37", "39", "310", "311", "312", "313")}


def stand_in_modules():
    """Module name -> file path, for every module of the stand-in packages."""
    modules = {}
    for package in PACKAGES:
        for path in glob.glob(os.path.join(ROOT, package, "**", "*.py"), recursive=True):
            dotted = os.path.relpath(path, ROOT)[:-3].replace(os.sep, ".")
            modules[dotted[:-len(".__init__")] if dotted.endswith(".__init__") else dotted] = path
    return modules


MODULES = stand_in_modules()


def imports_of(name, path, top_level_only):
    """The stand-in modules ``name`` imports: at import time only, or anywhere."""
    with open(path) as handle:
        tree = ast.parse(handle.read())
    package = name if path.endswith("__init__.py") else name.rpartition(".")[0]
    found, stack = set(), list(tree.body)
    while stack:
        node = stack.pop()
        if top_level_only and isinstance(node, (ast.FunctionDef, ast.AsyncFunctionDef,
                                                ast.ClassDef)):
            continue
        stack.extend(ast.iter_child_nodes(node))
        if isinstance(node, ast.Import):
            targets = [alias.name for alias in node.names]
        elif isinstance(node, ast.ImportFrom):
            base = importlib.util.resolve_name("." * node.level + (node.module or ""), package)
            # "from . import _attrs" imports the submodule
            targets = [base] + ["%s.%s" % (base, alias.name) for alias in node.names]
        else:
            continue
        found.update(t for t in targets if t in MODULES and t != name)
    return found


def test_no_module_imports_itself_back_through_others():
    graph = {name: imports_of(name, path, True) - {name.rpartition(".")[0]}
             for name, path in MODULES.items()}
    graphlib.TopologicalSorter(graph).prepare()  # CycleError names the circle


@pytest.mark.parametrize("name", sorted(n for n in MODULES if n.startswith("maya.") and
                                        n not in MAYA_FACES))
def test_a_private_maya_module_never_imports_a_public_face(name):
    assert not imports_of(name, MODULES[name], False) & MAYA_FACES
    assert not any(n.startswith("Zentrik") for n in imports_of(name, MODULES[name], False))


@pytest.mark.parametrize("name", sorted(n for n in MODULES if n.startswith("Zentrik.")))
def test_the_core_uses_only_the_public_maya_modules(name):
    imported = imports_of(name, MODULES[name], False)
    assert {n for n in imported if n.startswith("maya.")} <= MAYA_FACES
    if name not in CORE_FACES:
        assert not imported & CORE_FACES


@pytest.mark.parametrize("face", [maya.cmds, maya.OpenMaya, maya.OpenMayaAnim, _core],
                         ids=lambda m: m.__name__)
def test_a_face_shows_only_the_names_it_exports(face):
    shown = {n for n in vars(face) if not n.startswith("__")}
    extra = shown - set(face.__all__)
    if face is _core:
        extra.discard("_MAYA_API_NAMES")
    assert not extra
    assert all(hasattr(face, n) for n in face.__all__)
    assert maya.cmds.ls.__module__ == "maya.cmds"


def test_every_module_imports_on_its_own():
    """Each module first in a fresh interpreter: one import order can hide a circle."""
    script = ("import importlib, sys\n"
              "for name in sys.argv[1:]:\n"
              "    for loaded in [m for m in sys.modules if m.split('.')[0] in %r]:\n"
              "        del sys.modules[loaded]\n"
              "    importlib.import_module(name)\n" % (PACKAGES,))
    result = subprocess.run([sys.executable, "-c", script] + sorted(MODULES), cwd=ROOT,
                            env=dict(os.environ, PYTHONPATH=ROOT), capture_output=True,
                            text=True, timeout=120)
    assert result.returncode == 0, result.stderr

"""Every public name of the stand-in's ``maya`` modules against Maya's type
stubs (``maya-stubs``, generated from a running Maya): commands and their long
flags, classes, ancestors, members, statics, constants.  Short flags carry no
stub: each must name one flag, and match Maya's reference where listed."""
import ast
import inspect
import os
import site
import sys
from types import SimpleNamespace

import pytest
from maya import cmds

pytestmark = pytest.mark.standin_only

STUB_FILES = {"cmds": ("cmds", "__init__.pyi"), "OpenMaya": ("OpenMaya.pyi",),
              "OpenMayaAnim": ("OpenMayaAnim.pyi",)}


def stubFolder():
    """The installed ``maya-stubs`` folder (the package that carries constant values), or None."""
    for root in sys.path + getattr(site, "getsitepackages", list)():
        folder = os.path.join(root or os.curdir, "maya-stubs")
        if os.path.isfile(os.path.join(folder, "OpenMaya.pyi")):
            return folder
    return None


def _literal(node):
    """The value of a constant expression of the stubs, or None (``...`` too)."""
    try:
        value = ast.literal_eval(node)
    except ValueError:
        return None
    return None if value is Ellipsis else value


def _assigned(node):
    """``(name, value)`` of each name a plain or annotated assignment sets."""
    targets = [node.target] if isinstance(node, ast.AnnAssign) else getattr(node, "targets", [])
    return [(t.id, _literal(node.value)) for t in targets if isinstance(t, ast.Name)]


def _flagsOf(function):
    """The keyword-only parameters of a command's stub: its long flags."""
    args = function.args
    return set(a.arg for a in args.kwonlyargs) | set(
        a.arg for a in args.args if a.arg not in ("self",) and not a.arg.startswith("arg"))


def readStubModule(path):
    """``(names, classes, functions)`` of a stub file (flags merged over overloads); a
    class has its base names, ``members`` (name -> "static" | "method" | "attribute")
    and ``constants`` (name -> value, None where the stubs give none)."""
    with open(path) as handle:
        tree = ast.parse(handle.read(), path)
    names, classes, functions = {}, {}, {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            cls = classes[node.name] = SimpleNamespace(
                bases=[ast.unparse(b).split(".")[-1] for b in node.bases],
                members={}, constants={})
            for item in node.body:
                if isinstance(item, ast.FunctionDef):
                    static = any(isinstance(d, ast.Name) and d.id in ("staticmethod", "classmethod")
                                 for d in item.decorator_list)
                    cls.members[item.name] = "static" if static else "method"
                for name, value in _assigned(item):
                    cls.members[name], cls.constants[name] = "attribute", value
            names[node.name] = "class"
        elif isinstance(node, ast.FunctionDef):
            functions.setdefault(node.name, set()).update(_flagsOf(node))
            names[node.name] = "function"
        else:
            names.update(_assigned(node))
    return names, classes, functions


def stubAncestors(classes, className):
    """Names of every class above ``className`` in the API modules' stub ``classes``."""
    seen, pending = [], list(classes[className].bases) if className in classes else []
    while pending:
        base = pending.pop(0)
        if base in seen or base == "object":
            continue
        seen.append(base)
        if base in classes:
            pending.extend(classes[base].bases)
    return set(seen)


def publicNames(module):
    """The names a user sees in a public module: no underscore, no modules."""
    return sorted(name for name, value in vars(module).items()
                  if not name.startswith("_") and not inspect.ismodule(value))


def flagTable(command):
    """A stand-in command's ``{long: short}`` flag table, or None for a plain function."""
    try:
        table = inspect.getclosurevars(command).nonlocals.get("flags")
    except TypeError:
        return None
    return dict(table) if isinstance(table, dict) else None


def surfaceCases(stubs):
    """``(caseId, ours, mayas)`` for every public name of the stand-in."""
    cases = []
    for moduleName in STUB_FILES:
        module = __import__("maya." + moduleName, fromlist=["*"])
        mayaNames, _, mayaFunctions = stubs[moduleName]
        for name in publicNames(module):
            value = getattr(module, name)
            caseId = "%s.%s" % (moduleName, name)
            if name not in mayaNames:
                cases.append((caseId, "present", "absent"))
            elif inspect.isclass(value):
                cases.append((caseId, "class", mayaNames[name]))
                cases.extend(_classCases(stubs, caseId, value, name))
            elif callable(value):
                cases.append((caseId, "function", mayaNames[name]))
                table = flagTable(value) if moduleName == "cmds" else None
                cases.extend(("%s(%s)" % (caseId, flag), "present",
                              "present" if flag in mayaFunctions.get(name, ()) else "absent")
                             for flag in sorted(table or ()))
            else:
                cases.append((caseId, value, mayaNames[name]))
    return cases


def _classCases(stubs, caseId, cls, name):
    classes = dict(stubs["OpenMaya"][1], **stubs["OpenMayaAnim"][1])
    ancestors = stubAncestors(classes, name)
    ours = set(k.__name__ for k in cls.__mro__[1:]
               if not k.__name__.startswith("_") and k is not object)
    cases = [(caseId + ".__bases__", sorted(ours), sorted(ancestors))]
    members, constants = {}, {}  # inherited ones included, the nearest class first
    for className in [name] + sorted(ancestors):
        stub = classes.get(className)
        for member, kind in (stub.members.items() if stub else ()):
            members.setdefault(member, kind)
            constants.setdefault(member, stub.constants.get(member))
    for member in sorted(m for m in dir(cls) if not m.startswith("_")):
        memberId = "%s.%s" % (caseId, member)
        if member not in members:
            cases.append((memberId, "present", "absent"))
        elif members[member] == "attribute" and constants.get(member) is not None:
            cases.append((memberId, getattr(cls, member), constants[member]))
        elif members[member] in ("static", "method"):
            static = isinstance(inspect.getattr_static(cls, member), (staticmethod, classmethod))
            cases.append((memberId, "static" if static else "method", members[member]))
        else:
            cases.append((memberId, "attribute", "attribute"))
    return cases


_STUBS_FOLDER = stubFolder()
_CASES = surfaceCases({name: readStubModule(os.path.join(_STUBS_FOLDER, *path))
                       for name, path in STUB_FILES.items()}) if _STUBS_FOLDER else []


@pytest.mark.parametrize("caseId, ours, mayas", [
    pytest.param(*case, id=case[0]) for case in _CASES] or [pytest.param(
        None, None, None, marks=pytest.mark.skip(
            reason="Maya's stubs are not installed (pip install maya-stubs)"))])
def test_public_name_is_mayas(caseId, ours, mayas):
    assert ours == mayas, "%s: the stand-in has %r, Maya %r" % (caseId, ours, mayas)


@pytest.mark.parametrize("command", [n for n in publicNames(cmds) if flagTable(getattr(cmds, n))])
def test_each_short_flag_names_one_flag(command):
    table = flagTable(getattr(cmds, command))
    shorts = list(table.values())
    assert sorted(s for s in set(shorts) if shorts.count(s) > 1) == []
    # A short name spelled like another flag's long name would route that flag.
    assert sorted(s for long_, s in table.items() if s in table and s != long_) == []


# getAttr's short flag names as Maya's command reference pairs them, and its page.
GETATTR_PAGE = \
    "https://help.autodesk.com/cloudhelp/2025/JPN/Maya-Tech-Docs/CommandsPython/getAttr.html"
GETATTR_SHORT_FLAGS = dict(
    asString="asString", caching="ca", channelBox="cb", expandEnvironmentVariables="x",
    keyable="k", lock="l", multiIndices="mi", settable="se", silent="sl", size="s", time="t",
    type="typ")


def test_short_flags_pair_as_mayas_reference_pairs_them():
    ours = flagTable(cmds.getAttr)
    shared = sorted(set(ours) & set(GETATTR_SHORT_FLAGS))
    assert [(f, ours[f]) for f in shared] == [(f, GETATTR_SHORT_FLAGS[f]) for f in shared], \
        GETATTR_PAGE

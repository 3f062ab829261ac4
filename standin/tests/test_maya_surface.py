"""Every public name of the stand-in's ``maya`` modules against Maya's type
stubs (``maya-stubs``, generated from a running Maya): commands and their long
flags, classes, ancestors, members, statics, constants.  Short flags carry no
stub: each must name one flag, and match Maya's reference where listed.
``NOT_YET_MAYAS`` (xfail) and ``DELIBERATE`` (with a reason) list the exceptions."""
import ast
import inspect
import os
import site
import sys

import pytest

pytestmark = pytest.mark.standin_only

MODULES = ("cmds", "OpenMaya", "OpenMayaAnim")

STUB_FOLDER = "maya-stubs"  # the package that carries constant values


def stubFolder():
    """The installed ``maya-stubs`` folder, or None."""
    for root in sys.path + getattr(site, "getsitepackages", list)():
        folder = os.path.join(root or os.curdir, STUB_FOLDER)
        if os.path.isfile(os.path.join(folder, "OpenMaya.pyi")):
            return folder
    return None


class StubClass(object):
    """A class of the stubs: its base names and direct members."""

    def __init__(self, bases):
        self.bases = bases
        self.members = {}  # name -> "static" | "method" | "attribute"
        self.constants = {}  # name -> value, None where the stubs give none


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


def _isStatic(function):
    return any(isinstance(d, ast.Name) and d.id in ("staticmethod", "classmethod")
               for d in function.decorator_list)


def _flagsOf(function):
    """The keyword-only parameters of a command's stub: its long flags."""
    args = function.args
    return set(a.arg for a in args.kwonlyargs) | set(
        a.arg for a in args.args if a.arg not in ("self",) and not a.arg.startswith("arg"))


def readStubModule(path):
    """``(names, classes, functions)`` of a stub file (flags merged over overloads)."""
    with open(path) as handle:
        tree = ast.parse(handle.read(), path)
    names, classes, functions = {}, {}, {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            cls = classes[node.name] = StubClass(
                [ast.unparse(b).split(".")[-1] for b in node.bases])
            for item in node.body:
                if isinstance(item, ast.FunctionDef):
                    cls.members[item.name] = "static" if _isStatic(item) else "method"
                for name, value in _assigned(item):
                    cls.members[name], cls.constants[name] = "attribute", value
            names[node.name] = "class"
        elif isinstance(node, ast.FunctionDef):
            functions.setdefault(node.name, set()).update(_flagsOf(node))
            names[node.name] = "function"
        else:
            names.update(_assigned(node))
    return names, classes, functions


def readStubs(folder):
    """The three modules of the stubs, by our module name."""
    return {name: readStubModule(os.path.join(folder, *path)) for name, path in (
        ("cmds", ("cmds", "__init__.pyi")), ("OpenMaya", ("OpenMaya.pyi",)),
        ("OpenMayaAnim", ("OpenMayaAnim.pyi",)))}


def _apiClasses(stubs):
    return dict(stubs["OpenMaya"][1], **stubs["OpenMayaAnim"][1])


def stubAncestors(stubs, className):
    """Names of every class above ``className`` in the API modules' stubs."""
    allClasses = _apiClasses(stubs)
    seen, pending = [], list(allClasses[className].bases) if className in allClasses else []
    while pending:
        base = pending.pop(0)
        if base in seen or base == "object":
            continue
        seen.append(base)
        if base in allClasses:
            pending.extend(allClasses[base].bases)
    return set(seen)


def stubMembers(stubs, className):
    """``(members, constants)`` of a class of the stubs, inherited ones included."""
    allClasses = _apiClasses(stubs)
    members, constants = {}, {}
    for name in [className] + sorted(stubAncestors(stubs, className)):
        cls = allClasses.get(name)
        for member, kind in (cls.members.items() if cls else ()):
            members.setdefault(member, kind)
            constants.setdefault(member, cls.constants.get(member))
    return members, constants


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


def isStatic(cls, name):
    """Whether a member of a stand-in class is static (or a class method)."""
    for klass in cls.__mro__:
        if name in vars(klass):
            return isinstance(vars(klass)[name], (staticmethod, classmethod))
    return False


def surfaceCases(stubs):
    """``(caseId, ours, mayas)`` for every public name of the stand-in."""
    cases = []
    for moduleName in MODULES:
        module = __import__("maya." + moduleName, fromlist=["*"])
        mayaNames, mayaClasses, mayaFunctions = stubs[moduleName]
        for name in publicNames(module):
            value = getattr(module, name)
            caseId = "%s.%s" % (moduleName, name)
            if name not in mayaNames:
                cases.append((caseId, "present", "absent"))
                continue
            if inspect.isclass(value):
                cases.append((caseId, "class", mayaNames[name]))
                cases.extend(_classCases(stubs, caseId, value, name))
            elif callable(value):
                cases.append((caseId, "function", mayaNames[name]))
                table = flagTable(value) if moduleName == "cmds" else None
                if table is not None:
                    cases.extend(_flagCases(caseId, table, mayaFunctions.get(name, set())))
            else:
                cases.append((caseId, value, mayaNames[name]))
    return cases


def _classCases(stubs, caseId, cls, name):
    cases = []
    ours = set(k.__name__ for k in cls.__mro__[1:]
               if not k.__name__.startswith("_") and k is not object)
    cases.append((caseId + ".__bases__", sorted(ours), sorted(stubAncestors(stubs, name))))
    members, constants = stubMembers(stubs, name)
    for member in sorted(m for m in dir(cls) if not m.startswith("_")):
        memberId = "%s.%s" % (caseId, member)
        if member not in members:
            cases.append((memberId, "present", "absent"))
            continue
        ourValue = getattr(cls, member)
        if members[member] == "attribute" and constants.get(member) is not None:
            cases.append((memberId, ourValue, constants[member]))
        elif members[member] in ("static", "method"):
            ourKind = "static" if isStatic(cls, member) else "method"
            cases.append((memberId, ourKind, members[member]))
        else:
            cases.append((memberId, "attribute", "attribute"))
    return cases


def _flagCases(caseId, table, mayaFlags):
    return [("%s(%s)" % (caseId, long_), "present", "present" if long_ in mayaFlags else "absent")
            for long_ in sorted(table)]


DELIBERATE = {}  # caseId -> why the stand-in differs on purpose
NOT_YET_MAYAS = frozenset()  # caseIds the stand-in is still to follow


_STUBS_FOLDER = stubFolder()
_CASES = surfaceCases(readStubs(_STUBS_FOLDER)) if _STUBS_FOLDER else []


def _params():
    if not _CASES:
        return [pytest.param(None, None, None, marks=pytest.mark.skip(
            reason="Maya's stubs are not installed (pip install maya-stubs)"))]
    params = []
    for caseId, ours, mayas in _CASES:
        marks = []
        if caseId in NOT_YET_MAYAS:
            marks.append(pytest.mark.xfail(strict=False, reason="names not yet Maya's"))
        params.append(pytest.param(caseId, ours, mayas, id=caseId, marks=marks))
    return params


@pytest.mark.parametrize("caseId, ours, mayas", _params())
def test_public_name_is_mayas(caseId, ours, mayas):
    if caseId in DELIBERATE:
        return
    assert ours == mayas, "%s: the stand-in has %r, Maya %r" % (caseId, ours, mayas)


def test_every_deliberate_exception_names_a_real_case():
    known = set(caseId for caseId, _, _ in _CASES)
    if not known:
        pytest.skip("Maya's stubs are not installed (pip install maya-stubs)")
    assert sorted(set(DELIBERATE) - known) == []
    assert sorted(NOT_YET_MAYAS - known) == []


def _commandTables():
    from maya import cmds
    tables = []
    for name in publicNames(cmds):
        table = flagTable(getattr(cmds, name))
        if table:
            tables.append(pytest.param(table, id=name))
    return tables


@pytest.mark.parametrize("table", _commandTables())
def test_each_short_flag_names_one_flag(table):
    shorts = list(table.values())
    assert sorted(s for s in set(shorts) if shorts.count(s) > 1) == []
    # A short name spelled like another flag's long name would route that flag.
    assert sorted(s for long_, s in table.items() if s in table and s != long_) == []


# Short flag names as Maya's command reference pairs them, with the page.
DOCUMENTED_SHORT_FLAGS = {
    "getAttr": (
        "https://help.autodesk.com/cloudhelp/2025/JPN/Maya-Tech-Docs/CommandsPython/getAttr.html",
        dict(asString="asString", caching="ca", channelBox="cb", expandEnvironmentVariables="x",
             keyable="k", lock="l", multiIndices="mi", settable="se", silent="sl", size="s",
             time="t", type="typ")),
}


@pytest.mark.parametrize("command", sorted(DOCUMENTED_SHORT_FLAGS))
def test_short_flags_pair_as_mayas_reference_pairs_them(command):
    from maya import cmds
    page, documented = DOCUMENTED_SHORT_FLAGS[command]
    ours = flagTable(getattr(cmds, command))
    shared = sorted(set(ours) & set(documented))
    assert [(f, ours[f]) for f in shared] == [(f, documented[f]) for f in shared], page

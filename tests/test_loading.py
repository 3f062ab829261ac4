"""Importing the module: the core chosen by version, the namespace, the classes, the sibling.
Each case imports in a fresh interpreter, since an import runs once per process."""
import json
import sys

import pytest

PACKAGE = "Zentrik._api.__hybrid__"

# In the child: sys.version_info replaced if given, the package's modules replaced by the
# sources in a folder searched first; prints what the import made, or its error.
CHILD = """
import importlib, json, sys

version = json.loads(sys.argv[2])
if version:
    sys.version_info = tuple(version)
importlib.import_module("%s").__path__.insert(0, sys.argv[1])
try:
    rk = importlib.import_module("%s.rigkit0")
except BaseException as e:
    print(json.dumps({"error": type(e).__name__, "message": str(e)}))
else:
    cores = sorted(n.rsplit(".", 1)[1] for n in sys.modules if ".core" in n)
    print(json.dumps({"version": rk._, "cores": cores, "asList": repr(rk.asList),
                      "classes": [n for n in rk.__dict__ if n in EXPECTED],
                      "private": [n for n in rk.__dict__ if n[:1] == "_" and n[:2] != "__"]}))
""" % (PACKAGE, PACKAGE)

CLASSES = ["AnimControl", "FrameTime", "SelectionBuilder", "Node", "SelectionReader",
           "LayerQueries", "AnimLayer", "KeyQueries", "ChannelBox", "MirrorRules",
           "AnimAttr", "AnimTools"]
CORE = "core%d%d" % sys.version_info[:2]


@pytest.fixture
def load(python, tmp_path):
    """What importing rigkit0 answers, with the package's modules given by name replaced by
    their sources and sys.version_info by the version given."""
    def load(version=None, **replaced):
        for name, source in replaced.items():
            (tmp_path / (name + ".py")).write_text(source)
        out = python("EXPECTED = %r\n%s" % (CLASSES, CHILD), str(tmp_path), json.dumps(version))
        assert out.returncode == 0, out.stderr
        return json.loads(out.stdout.strip().splitlines()[-1])

    return load


@pytest.mark.parametrize("version, hasCore", [
    ((3, 7, 0), True), ((3, 9, 7), True), ((3, 10, 1), True), ((3, 11, 2), True),
    ((3, 12, 0), True), ((3, 13, 4), True), ((3, 8, 0), False), ((3, 14, 0), False),
    ((3, 1, 0), False)])
def test_version_number_chooses_the_one_matching_core_module_or_fails_naming_it(load, version,
                                                                                  hasCore):
    result = load(version=list(version) + ["final", 0])
    number = int("%d%d" % version[:2])
    if hasCore:
        assert (result["version"], result["cores"], result["classes"]) == (
            number, ["core%d" % number], CLASSES)
    else:
        assert result == {"error": "ImportError", "message": (
            "rigkit0 cannot load under CPython %d.%d: the suite has no core module for it "
            "(no module named '%s.core%d'); rigkit0 is released for CPython 3.9, 3.10, "
            "3.11 and 3.13" % (version[0], version[1], PACKAGE, number))}


# A core whose classes check that the module fills them in the namespace __prepare__ made,
# with the names a class statement of the running interpreter stores around the members
# (3.13 adds __firstlineno__ and __static_attributes__), in that statement's order.
PREPARED_CORE = """
from Zentrik._api.__hybrid__._core import *
from Zentrik._api.__hybrid__._core import __all__, CoreObject as _Base

class Recorder(dict):
    def __setitem__(self, key, value):
        self.order = getattr(self, "order", []) + [(key, type(value))]
        dict.__setitem__(self, key, value)

class Meta(type):
    @classmethod
    def __prepare__(meta, name, bases):
        return Recorder()
    def __new__(meta, name, bases, namespace):
        if type(namespace) is not Recorder:
            raise TypeError("namespace not from __prepare__")
        order = namespace.order
        if not hasattr(Meta, "around"):
            at = order.index(("member", staticmethod))
            Meta.around = order[:at], order[at + 1:]
        before, after = Meta.around
        if order[:len(before)] != before or order[len(order) - len(after):] != after:
            raise TypeError(repr(order))
        return type.__new__(meta, name, bases, dict(namespace))

class _Probe(metaclass=Meta):
    "A class statement's own namespace."
    member = staticmethod(len)

class CoreObject(_Base, metaclass=Meta):
    "The suite base, under a metaclass with a namespace of its own."
"""


@pytest.mark.parametrize("module, source, expected", [
    # A missing module inside the core module is not taken for a missing core.
    (CORE, "import rigkit_no_such_module",
     {"error": "ModuleNotFoundError", "message": "No module named 'rigkit_no_such_module'"}),
    ("rigkit1", "raise ZeroDivisionError('inside')", {"error": "ZeroDivisionError",
                                                       "message": "inside"}),
    (CORE, "raise ZeroDivisionError('inside')", {"error": "ZeroDivisionError",
                                                 "message": "inside"}),
    (CORE, "from Zentrik._api.__hybrid__._core import *\n"
           "from Zentrik._api.__hybrid__._core import __all__\n"
           "__all__ = [n for n in __all__ if n != 'CoreObject']\n",
     {"error": "NameError", "message": "name 'CoreObject' is not defined"}),
    (CORE, PREPARED_CORE, {"classes": CLASSES}),
    # __all__ decides, a leading underscore or not, as Python's star import does.
    ("rigkit1", "__all__ = ['asList', '_shared']\nasList = _shared = 'from the sibling'\n",
     {"asList": repr("from the sibling"), "private": ["_", "_shared"]})],
    ids=["missing module inside the core", "error in the sibling", "error in the core",
         "core missing a base", "classes filled in the namespace their metaclass prepares",
         "sibling names replace core names"])
def test_import_with_a_module_replaced(load, module, source, expected):
    result = load(**{module: source})
    assert {key: result.get(key) for key in expected} == expected


def test_namespace_and_class_tree_after_loading(rk):
    import Zentrik._api.__hybrid__.rigkit1 as sibling

    assert rk._ == int("%d%d" % sys.version_info[:2])
    assert rk.sys is sys and rk.RIGKIT1_VERSION == sibling.RIGKIT1_VERSION
    assert rk.Node.__module__ == rk.__name__ == PACKAGE + ".rigkit0"
    core = sys.modules[PACKAGE + "._core"]
    bases = {"AnimControl": core.MAnimControl, "FrameTime": core.MTime,
             "ChannelBox": rk.KeyQueries, "AnimTools": rk.KeyQueries, "AnimAttr": rk.MirrorRules}
    for name in CLASSES:
        cls = getattr(rk, name)
        assert cls.__bases__ == (bases.get(name, core.CoreObject),), name
        # A class's own docstring must not be its base's (members: see the fuzz module).
        assert cls.__doc__ and cls.__doc__ != cls.__bases__[0].__doc__, name


def test_top_level_import_has_no_package_for_the_sibling(python):
    # Outside a package the relative import of the sibling cannot resolve.
    out = python("import rigkit0")
    assert out.returncode != 0 and "ImportError" in out.stderr


# The sub-interpreter module is private and was renamed in 3.13 (_interpreters);
# both make an isolated interpreter, with a lock of its own from 3.12, unless
# told to share the main one's ("legacy").
SUB_INTERPRETER = """
import sys
try:
    import _interpreters as interpreters
except ImportError:
    import _xxsubinterpreters as interpreters
if not %r:
    interpreter = interpreters.create()
elif sys.version_info >= (3, 13):
    interpreter = interpreters.create("legacy")
else:
    interpreter = interpreters.create(isolated=False)
failed = interpreters.run_string(interpreter, '''
import sys
sys.path[:0] = %r
try:
    from Zentrik._api.__hybrid__ import rigkit0
    rigkit0.Node("missing").exists()
    print("loaded")
except ImportError as e:
    print("refused:", e)
''')
interpreters.destroy(interpreter)
assert failed is None, failed
"""
OURS = "refused: rigkit0 can only be loaded in the main interpreter, not in a sub-interpreter"


@pytest.mark.parametrize("sharedLock", [False, True], ids=["isolated", "sharing the lock"])
def test_a_sub_interpreter_is_refused_at_import_and_nothing_hangs(python, sharedLock):
    """The module's error path cannot serve a sub-interpreter, so it must not load there."""
    out = python(SUB_INTERPRETER % (sharedLock, sys.path))
    assert out.returncode == 0, out.stderr
    # CPython 3.12 and later refuse by themselves, in a sub-interpreter with a
    # lock of its own, a module that does not declare it supports one.
    expected = OURS if sharedLock or sys.version_info < (3, 12) else (
        "refused: module %s.rigkit0 does not support loading in subinterpreters" % PACKAGE)
    assert out.stdout.strip() == expected


def test_what_methods_store_on_self_is_listed_as_a_class_statement_lists_it(rk):
    """From CPython 3.13 a class statement lists, sorted, the names its methods store on
    `self` (__static_attributes__); before it, it lists nothing."""
    from Zentrik._api.__hybrid__._core import coreProperty
    from maya import cmds

    cmds.createNode("transform", name="n")
    cmds.animLayer("layerA")
    made = [rk.Node("n"), rk.AnimAttr(plugName="n.tx"), rk.ChannelBox(["n"]),
            rk.SelectionReader(["n"]), rk.SelectionBuilder(), rk.AnimLayer("layerA"),
            rk.AnimLayer.ActivationScope(rk.AnimLayer("layerA"))]
    for obj in made:
        mro = type(obj).__mro__
        listed = [getattr(c, "__static_attributes__", None) for c in mro if c.__module__ == rk.__name__]
        if sys.version_info < (3, 13):
            assert listed == [None] * len(listed), obj
            continue
        assert all(names == tuple(sorted(names)) for names in listed), obj
        cached = {n for c in mro for n, v in vars(c).items() if isinstance(v, coreProperty)}
        inherited = {n for c in mro for n in getattr(c, "__static_attributes__", ())}
        assert set(vars(obj)) - cached <= inherited, obj

"""Importing the module: the core chosen by version, the namespace, the classes, the sibling.
Each case imports in a fresh interpreter, since an import runs once per process."""
import json
import os
import subprocess
import sys
import textwrap

import pytest

STANDIN = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "standin")
PACKAGE = "Zentrik._api.__hybrid__"

# In the child: replaces modules by sources and sys.version_info if given, imports, prints.
CHILD = textwrap.dedent(
    """
    import importlib.abc, importlib.util, json, sys

    replaced = json.loads(sys.argv[1])
    version = json.loads(sys.argv[2])

    class SourceLoader(importlib.abc.Loader):
        def create_module(self, moduleSpec):
            return None

        def exec_module(self, module):
            exec(replaced[module.__name__], module.__dict__)

    class Finder(importlib.abc.MetaPathFinder):
        def find_spec(self, name, path, target=None):
            if name in replaced:
                return importlib.util.spec_from_loader(name, SourceLoader())
            return None

    sys.meta_path.insert(0, Finder())
    if version:
        sys.version_info = tuple(version)
    try:
        import importlib
        rk = importlib.import_module("%s.rigkit0")
    except BaseException as e:
        print(json.dumps({"error": type(e).__name__, "message": str(e)}))
    else:
        cores = sorted(n.rsplit(".", 1)[1] for n in sys.modules if ".core" in n)
        print(json.dumps({"version": rk._, "cores": cores,
                          "asList": repr(rk.asList), "classes": [
            n for n in rk.__dict__ if n in EXPECTED], "private": [
            n for n in rk.__dict__ if n[:1] == "_" and n[:2] != "__"]}))
    """
    % PACKAGE
)

CLASSES = ["AnimControl", "FrameTime", "SelectionBuilder", "Node", "SelectionReader",
           "LayerQueries", "AnimLayer", "KeyQueries", "ChannelBox", "MirrorRules",
           "AnimAttr", "AnimTools"]


def load(version=None, replaced=None):
    script = "EXPECTED = %r\n%s" % (CLASSES, CHILD)
    env = dict(os.environ, PYTHONPATH=STANDIN)
    out = subprocess.run(
        [sys.executable, "-c", script, json.dumps(replaced or {}), json.dumps(version)],
        env=env, capture_output=True, text=True, timeout=60,
    )
    assert out.returncode == 0, out.stderr
    return json.loads(out.stdout.strip().splitlines()[-1])


@pytest.mark.parametrize("version, hasCore", [
    ((3, 7, 0), True), ((3, 9, 7), True), ((3, 10, 1), True), ((3, 11, 2), True),
    ((3, 12, 0), True), ((3, 13, 4), True), ((3, 8, 0), False), ((3, 14, 0), False),
    ((3, 1, 0), False)])
def test_version_number_chooses_the_one_matching_core_module_or_fails_naming_it(version,
                                                                                  hasCore):
    result = load(version=list(version) + ["final", 0])
    number = int("%d%d" % version[:2])
    if hasCore:
        assert (result["version"], result["cores"]) == (number, ["core%d" % number])
        assert result["classes"] == CLASSES
    else:
        assert result == {"error": "ImportError", "message": (
            "rigkit0 cannot load under CPython %d.%d: the suite has no core module for it "
            "(no module named '%s.core%d'); rigkit0 is released for CPython 3.9, 3.10 and "
            "3.11" % (version[0], version[1], PACKAGE, number))}


CORE = "core%d%d" % sys.version_info[:2]


@pytest.mark.parametrize("module, source, error, message", [
    # A missing module inside the core module is not taken for a missing core.
    (CORE, "import rigkit_no_such_module", "ModuleNotFoundError",
     "No module named 'rigkit_no_such_module'"),
    ("rigkit1", "raise ZeroDivisionError('inside')", "ZeroDivisionError", "inside"),
    (CORE, "raise ZeroDivisionError('inside')", "ZeroDivisionError", "inside"),
    (CORE, "from Zentrik._api.__hybrid__._core import *\n"
           "from Zentrik._api.__hybrid__._core import __all__\n"
           "__all__ = [n for n in __all__ if n != 'CoreObject']\n",
     "NameError", "name 'CoreObject' is not defined")],
    ids=["missing module inside the core", "error in the sibling", "error in the core",
         "core missing a base"])
def test_failure_inside_an_imported_module_fails_the_import_with_that_error(
        module, source, error, message):
    result = load(replaced={"%s.%s" % (PACKAGE, module): source})
    assert result == {"error": error, "message": message}


def test_sibling_names_replace_core_names():
    sibling = "__all__ = ['asList', '_shared']\nasList = _shared = 'from the sibling'\n"
    result = load(replaced={PACKAGE + ".rigkit1": sibling})
    assert result["asList"] == repr("from the sibling")
    # __all__ decides, a leading underscore or not, as Python's star import does.
    assert result["private"] == ["_", "_shared"]


def test_namespace_class_tree_and_class_level_data_after_loading(rk):
    import Zentrik._api.__hybrid__.rigkit1 as sibling

    assert rk._ == int("%d%d" % sys.version_info[:2])
    assert rk.sys is sys
    assert rk.RIGKIT1_VERSION == sibling.RIGKIT1_VERSION
    assert rk.Node.__module__ == rk.__name__ == PACKAGE + ".rigkit0"
    core = sys.modules[PACKAGE + "._core"]
    assert rk.AnimControl.__bases__ == (core.MAnimControl,)
    assert rk.FrameTime.__bases__ == (core.MTime,)
    for name in ["SelectionBuilder", "Node", "SelectionReader", "LayerQueries", "AnimLayer",
                 "KeyQueries", "MirrorRules"]:
        assert getattr(rk, name).__bases__ == (core.CoreObject,)
    assert rk.ChannelBox.__bases__ == rk.AnimTools.__bases__ == (rk.KeyQueries,)
    assert rk.AnimAttr.__bases__ == (rk.MirrorRules,)

    # Values the suite's other modules read by name.
    flags = ["kMute", "kLock", "kSolo", "kOverride", "kPassthrough", "kPreferred",
             "kRotationAccumulationMode", "kScaleAccumulationMode", "kWeight"]
    assert [getattr(rk.AnimLayer, f) for f in flags] == [
        "m", "l", "s", "o", "pt", "pf", "ra", "sa", "wgth"]
    assert (rk.LayerQueries.BASE_LAYER, rk.AnimTools.MODE_TARGET_CURVES,
            rk.AnimTools.MODE_SELECTED_KEYS, rk.AnimTools.MODE_ALT) == ("BaseAnimation", 0, 1, 2)
    # Class-wide stores, filled by earlier tests as the module lives on.
    assert type(rk.ChannelBox.keepAlive) is list and type(rk.MirrorRules.mirrorNodeCache) is dict
    assert rk.AnimAttr.controllerClass is rk.ChannelBox
    # A class's own docstring must not be its base's (members: see the fuzz module).
    for name in CLASSES:
        cls = getattr(rk, name)
        assert cls.__doc__ and cls.__doc__ != cls.__bases__[0].__doc__, name


def test_top_level_import_has_no_package_for_the_sibling():
    # Outside a package the relative import of the sibling cannot resolve.
    env = dict(os.environ, PYTHONPATH=STANDIN)
    out = subprocess.run([sys.executable, "-c", "import rigkit0"], env=env,
                         capture_output=True, text=True, timeout=60)
    assert out.returncode != 0
    assert "ImportError" in out.stderr


PREPARED_CORE = """
from Zentrik._api.__hybrid__._core import *
from Zentrik._api.__hybrid__._core import __all__, CoreObject as _Base

class Recorder(dict):
    def __init__(self):
        dict.__init__(self)
        self.order = []
    def __setitem__(self, key, value):
        self.order.append(key)
        dict.__setitem__(self, key, value)

class Meta(type):
    @classmethod
    def __prepare__(meta, name, bases):
        return Recorder()
    def __new__(meta, name, bases, namespace):
        if type(namespace) is not Recorder:
            raise TypeError("namespace not from __prepare__")
        if namespace.order[:3] != ["__module__", "__qualname__", "__doc__"]:
            raise TypeError(repr(namespace.order))
        return type.__new__(meta, name, bases, dict(namespace))

class CoreObject(_Base, metaclass=Meta):
    "The suite base, under a metaclass with a namespace of its own."
"""


def test_classes_are_filled_in_the_namespace_their_metaclass_prepares():
    result = load(replaced={"%s.%s" % (PACKAGE, CORE): PREPARED_CORE})
    assert result.get("classes") == CLASSES, result


SUB_INTERPRETER = textwrap.dedent(
    """
    import _xxsubinterpreters as interpreters, sys
    interpreter = interpreters.create()
    interpreters.run_string(interpreter, '''
    import sys
    sys.path[:0] = %r
    try:
        from Zentrik._api.__hybrid__ import rigkit0
        rigkit0.Node("missing").exists()
        print("loaded")
    except ImportError as e:
        print("refused:", e)
    ''')
    """
)


def test_a_sub_interpreter_is_refused_at_import_and_nothing_hangs():
    """The module's error path cannot serve a sub-interpreter, so it must not load there."""
    pytest.importorskip("_xxsubinterpreters")
    script = SUB_INTERPRETER % ([STANDIN] + sys.path,)
    out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                         timeout=60)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() in {
        "refused: rigkit0 can only be loaded in the main interpreter, not in a sub-interpreter",
        # CPython 3.12 and later refuse by themselves, in an isolated
        # sub-interpreter, a module that does not declare it supports one.
        "refused: module %s.rigkit0 does not support loading in subinterpreters" % PACKAGE}

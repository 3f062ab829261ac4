"""The hand-written stub src/rigkit0.pyi against the built module, class by
class (members, kinds, parameters, bases, instance attributes), and mypy --strict."""
import ast
import copy
import functools
import inspect
import os
import subprocess
import sys
from pathlib import Path

import pytest

STUB = Path(__file__).resolve().parent.parent / "src" / "rigkit0.pyi"

CONSTRUCTORS = {
    "FrameTime": lambda rk: rk.FrameTime(1),
    "Node": lambda rk: rk.Node("node1"),
    "AnimLayer": lambda rk: rk.AnimLayer("layer1"),
    "AnimLayer.ActivationScope": lambda rk: rk.AnimLayer.ActivationScope(None),
}

METHOD, STATIC, PROPERTY, ATTRIBUTE, CLASS = "method", "static", "property", "attribute", "class"


def _stubClasses():
    """Every class of the stub by qualified name ("AnimLayer.ActivationScope")."""
    tree = ast.parse(STUB.read_text(encoding="utf-8"), filename=str(STUB))
    classes = {}

    def collect(body, prefix):
        for node in body:
            if isinstance(node, ast.ClassDef):
                classes[prefix + node.name] = node
                collect(node.body, prefix + node.name + ".")

    collect(tree.body, "")
    return classes


STUB_CLASSES = _stubClasses()
TOP_LEVEL = sorted(name for name in STUB_CLASSES if "." not in name)


def _stubParameters(function):
    """The parameters as inspect.signature shows them: "(self, a, b=None)"."""
    args = copy.deepcopy(function.args)
    for arg in args.posonlyargs + args.args + args.kwonlyargs + [args.vararg, args.kwarg]:
        if arg is not None:
            arg.annotation = None
    return "(%s)" % ast.unparse(args)


def _decoratorName(node):
    return node.id if isinstance(node, ast.Name) else ast.unparse(node)


def _stubMembers(qualname):
    """{name: (kind, parameters or None)} of one stub class."""
    members = {}

    def add(name, entry):
        assert name not in members, "%s.%s is declared twice in the stub" % (qualname, name)
        members[name] = entry

    for node in STUB_CLASSES[qualname].body:
        if isinstance(node, ast.FunctionDef):
            decorators = [_decoratorName(d) for d in node.decorator_list]
            kinds = {(): METHOD, ("staticmethod",): STATIC, ("property",): PROPERTY}
            assert tuple(decorators) in kinds, "%s.%s: unexpected decorators %s" % (
                qualname, node.name, decorators)
            add(node.name, (kinds[tuple(decorators)], _stubParameters(node)))
        elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
            add(node.target.id, (ATTRIBUTE, None))
        elif isinstance(node, ast.Assign):
            for target in node.targets:
                add(target.id, (ATTRIBUTE, None))
        elif isinstance(node, ast.ClassDef):
            add(node.name, (CLASS, None))
    return members


def _runtimeClass(rk, qualname):
    return functools.reduce(getattr, qualname.split("."), rk)


def _runtimeParameters(function):
    return str(inspect.signature(function))


def _isMember(name, value):
    """Public names and the special methods the module defines, not type()'s own."""
    return not name.startswith("_") or name[:2] == name[-2:] == "__" and callable(value)


def _runtimeMembers(rk, cls):
    """{name: (kind, parameters or None)} of the class's own namespace."""
    members = {}
    for name, value in vars(cls).items():
        if not _isMember(name, value):
            continue
        if isinstance(value, staticmethod):
            members[name] = (STATIC, _runtimeParameters(value.__func__))
        elif isinstance(value, (property, rk.coreProperty)):
            members[name] = (PROPERTY, _runtimeParameters(value.fget))
        elif isinstance(value, type):
            nested = value.__qualname__ == "%s.%s" % (cls.__qualname__, name)
            members[name] = (CLASS if nested else ATTRIBUTE, None)
        elif callable(value):
            members[name] = (METHOD, _runtimeParameters(value))
        else:
            members[name] = (ATTRIBUTE, None)
    return members


def _moduleClasses(rk):
    """The top-level classes the module defines (not those its imports bring)."""
    return sorted(
        name for name, value in vars(rk).items()
        if isinstance(value, type) and value.__module__ == rk.__name__ and value.__qualname__ == name)


def test_stub_declares_exactly_the_module_classes(rk):
    assert TOP_LEVEL == _moduleClasses(rk)


@pytest.mark.parametrize("qualname", sorted(STUB_CLASSES))
def test_stub_class_matches_the_module(rk, qualname):
    stub = _stubMembers(qualname)
    cls = _runtimeClass(rk, qualname)
    runtime = _runtimeMembers(rk, cls)
    missing = sorted(set(runtime) - set(stub))
    assert not missing, "members of %s missing from the stub: %s" % (qualname, missing)
    # Stub attributes the class does not hold must be set on instances.
    extra = sorted(n for n in set(stub) - set(runtime) if stub[n][0] != ATTRIBUTE)
    assert not extra, "stub members %s are not in the module's %s" % (extra, qualname)
    differing = ["%s: stub %s, module %s" % (name, stub[name], runtime[name])
                 for name in sorted(set(stub) & set(runtime)) if stub[name] != runtime[name]]
    assert not differing, "%s differs from the stub:\n" % qualname + "\n".join(differing)
    # Bases from outside the module (CoreObject, MTime, ...) are left out on purpose.
    own = [base.__qualname__ for base in cls.__bases__ if base.__module__ == rk.__name__]
    assert [ast.unparse(base) for base in STUB_CLASSES[qualname].bases] == own
    instance = CONSTRUCTORS.get(qualname, lambda rk: cls())(rk)
    declared = sorted(n for n, (kind, _) in stub.items() if kind == ATTRIBUTE and n not in vars(cls))
    onInstance = sorted(n for n in vars(instance) if not n.startswith("_"))
    assert [n for n in declared if n not in onInstance] == [], "declared, never set on an instance"
    assert [n for n in onInstance if n not in stub] == [], "set on an instance, not in the stub"


def test_mypy_strict_accepts_the_stub_alone(tmp_path):
    pytest.importorskip("mypy")
    # Without the stand-in, as where it is installed; no config, cache outside the repository.
    env = {k: v for k, v in os.environ.items() if k != "MYPYPATH"}
    result = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental", "--config-file=",
         "--cache-dir", str(tmp_path / "cache"), str(STUB)],
        cwd=str(tmp_path), env=env, capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stdout + result.stderr

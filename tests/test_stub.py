"""The hand-written stub src/rigkit0.pyi against the built module, class by
class (members, kinds, parameters, bases, instance attributes), and mypy --strict."""
import ast
import copy
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
DECORATED = {(): METHOD, ("staticmethod",): STATIC, ("property",): PROPERTY}


def _stubClasses(body, prefix=""):
    """Every class of the stub by qualified name ("AnimLayer.ActivationScope")."""
    classes = {}
    for node in body:
        if isinstance(node, ast.ClassDef):
            classes[prefix + node.name] = node
            classes.update(_stubClasses(node.body, prefix + node.name + "."))
    return classes


STUB_CLASSES = _stubClasses(ast.parse(STUB.read_text(encoding="utf-8"), str(STUB)).body)


def _stubParameters(function):
    """The parameters as inspect.signature shows them: "(self, a, b=None)"."""
    args = copy.deepcopy(function.args)
    for arg in args.posonlyargs + args.args + args.kwonlyargs + [args.vararg, args.kwarg]:
        if arg is not None:
            arg.annotation = None
    return "(%s)" % ast.unparse(args)


def _stubMembers(qualname):
    """{name: (kind, parameters or None)} of one stub class."""
    members = []
    for node in STUB_CLASSES[qualname].body:
        if isinstance(node, ast.FunctionDef):
            decorators = tuple(ast.unparse(d) for d in node.decorator_list)
            assert decorators in DECORATED, "%s.%s: unexpected decorators %s" % (
                qualname, node.name, decorators)
            members.append((node.name, (DECORATED[decorators], _stubParameters(node))))
        elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
            members.append((node.target.id, (ATTRIBUTE, None)))
        elif isinstance(node, ast.Assign):
            members += [(target.id, (ATTRIBUTE, None)) for target in node.targets]
        elif isinstance(node, ast.ClassDef):
            members.append((node.name, (CLASS, None)))
    names = [name for name, _ in members]
    assert len(set(names)) == len(names), "%s declares a member twice: %s" % (qualname, names)
    return dict(members)


def _runtimeMembers(rk, cls):
    """{name: (kind, parameters or None)} of the class's own namespace: public names and
    the special methods the module defines, not type()'s own."""
    members = {}
    for name, value in vars(cls).items():
        if name.startswith("_") and not (name[:2] == name[-2:] == "__" and callable(value)):
            continue
        if isinstance(value, staticmethod):
            members[name] = (STATIC, str(inspect.signature(value.__func__)))
        elif isinstance(value, (property, rk.coreProperty)):
            members[name] = (PROPERTY, str(inspect.signature(value.fget)))
        elif isinstance(value, type):
            nested = value.__qualname__ == "%s.%s" % (cls.__qualname__, name)
            members[name] = (CLASS if nested else ATTRIBUTE, None)
        elif callable(value):
            members[name] = (METHOD, str(inspect.signature(value)))
        else:
            members[name] = (ATTRIBUTE, None)
    return members


def test_stub_declares_exactly_the_module_classes(rk):
    # The top-level classes the module defines, not those its imports bring.
    assert sorted(name for name in STUB_CLASSES if "." not in name) == sorted(
        name for name, value in vars(rk).items() if isinstance(value, type)
        and value.__module__ == rk.__name__ and value.__qualname__ == name)


@pytest.mark.parametrize("qualname", sorted(STUB_CLASSES))
def test_stub_class_matches_the_module(rk, qualname):
    stub, cls = _stubMembers(qualname), rk
    for part in qualname.split("."):
        cls = getattr(cls, part)
    runtime = _runtimeMembers(rk, cls)
    # Stub attributes the class does not hold must be set on instances (see below).
    assert {n: m for n, m in stub.items() if n in runtime or m[0] != ATTRIBUTE} == runtime
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

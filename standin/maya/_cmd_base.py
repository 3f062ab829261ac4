"""What every command shares: the wrapper that logs a call and checks its
flags, object-argument and plug-name helpers, and values in the user's
working units.  Used by the command areas and the UI controls.
"""

from . import _attrs
from ._scene import SCENE

__all__ = []


_NO_VALUE = object()


def _command(name, flags):
    """Wrap a command: log the call, turn short flag names into long ones and
    reject flags the command does not have."""
    shortToLong = dict((short, long_) for long_, short in flags.items())

    def decorate(function):
        def command(*args, **kwargs):
            SCENE.log.append((name, args, dict(kwargs)))
            options = {}
            for key, value in kwargs.items():
                if key in flags:
                    options[key] = value
                elif key in shortToLong:
                    options[shortToLong[key]] = value
                else:
                    raise TypeError("Invalid flag '%s'" % key)
            return function(*args, **options)
        command.__name__ = name
        command.__module__ = "maya.cmds"
        command.__doc__ = function.__doc__
        return command
    return decorate


def _invalidObject(arg):
    """Maya's refusal of an object argument that is no name (a dict, a
    number, any other object): it shows the object as ``str`` shows it."""
    try:
        shown = str(arg)
    except Exception:
        shown = "<%s object>" % type(arg).__name__
    return TypeError("Object %s is invalid" % shown)


def _name(arg):
    """One object argument as a name: a string, or bytes in UTF-8."""
    if isinstance(arg, str):
        return arg
    if isinstance(arg, bytes):
        return arg.decode("utf-8")
    raise _invalidObject(arg)


def _names(args):
    """Flatten positional object arguments (strings, bytes, lists and
    tuples of them; ``None`` stands for nothing)."""
    result = []
    for arg in args:
        if isinstance(arg, (list, tuple)):
            result.extend(_names(arg))
        elif arg is not None:
            result.append(_name(arg))
    return result


def _node(name):
    return SCENE.resolveOne(_name(name))


def _nodes(names, useSelection=True):
    """The nodes of a command's object arguments (the selection when none
    is given): every match of a pattern, exactly one node for other names."""
    if not names and useSelection:
        return list(SCENE.selection)
    result = []
    for name in names:
        for node in SCENE.resolveName(name):
            if node not in result:
                result.append(node)
    return result


def _display(node, long_=False):
    return SCENE.fullPath(node) if long_ else SCENE.partialPath(node)


def _plug(text):
    """"node.attr[1].child" -> plug key; ValueError when nothing matches or
    the node name is ambiguous."""
    nodeName, dot, path = text.partition(".")
    if not dot or not path:
        raise ValueError("No object matches name: %s" % text)
    node = SCENE.resolveOne(nodeName, shownAs=text)
    try:
        attr, indices = SCENE.parsePlug(node, path)
    except ValueError:
        raise ValueError("No object matches name: %s" % text)
    return (node, attr, indices)


def _plugMatches(text):
    """Every plug a name designates when its node part is a pattern (``ls``,
    ``objExists``): each matching node that has the attribute."""
    nodeName, dot, path = text.partition(".")
    result = []
    if dot and path:
        for node in SCENE.resolve(nodeName):
            try:
                attr, indices = SCENE.parsePlug(node, path)
            except ValueError:
                continue
            result.append((node, attr, indices))
    return result


def _plugText(key, long_=False):
    node, attr, indices = key
    return "%s.%s" % (_display(node, long_), SCENE.plugPath(attr, indices, fullPath=False))


def _isType(node, typeNames):
    if isinstance(typeNames, str):
        typeNames = [typeNames]
    return any(node.nodeType.isA(t) for t in typeNames)


# --- values in working units ---------------------------------------------------

_UNITS = (_attrs.LINEAR, _attrs.ANGLE, _attrs.TIME)

def _toUi(attr, value):
    kind = attr.kind
    if kind in _UNITS:
        return SCENE.unitToUi(attr, value)
    if kind == _attrs.NUMERIC:
        if attr.numericType == _attrs.N_BOOLEAN:
            return bool(value)
        if attr.numericType in _attrs.INTEGER_TYPES:
            return int(value)
        return float(value)
    if kind == _attrs.ENUM:
        return int(value)
    if kind == _attrs.MATRIX or (kind == _attrs.TYPED and attr.dataType == _attrs.D_MATRIX):
        return [float(v) for v in value]
    if kind == _attrs.TYPED:
        if value is None:
            return None
        if attr.dataType == _attrs.D_POINT_ARRAY:
            return [tuple(p) for p in value]
        if isinstance(value, list):
            return list(value)
        return value
    return value


def _fromUi(attr, value):
    kind = attr.kind
    if kind in _UNITS:
        return SCENE.unitFromUi(attr, value)
    if kind == _attrs.ENUM:
        return int(value)
    if kind == _attrs.NUMERIC:
        if attr.numericType == _attrs.N_BOOLEAN:
            return bool(value)
        if attr.numericType in _attrs.INTEGER_TYPES:
            return int(value)
        return float(value)
    raise RuntimeError("setAttr: the attribute does not take a number.")


def _readUi(key, ticks=None):
    node, attr, indices = key
    if attr.kind == _attrs.MESSAGE:
        raise RuntimeError("getAttr: Message attributes have no data values.")
    if attr.multi and not SCENE.isElementKey(attr, indices):
        if attr.compute is not None:
            # Instanced outputs (worldMatrix ...) read as their instance 0.
            return _readUi((node, attr, indices + (0,)), ticks)
        return [_readUi((node, attr, indices + (i,)), ticks)
                for i in SCENE.existingIndices(node, attr, indices)] or None
    if attr.children:
        values = []
        for child in attr.children:
            value = _readUi((node, child, indices), ticks)
            if isinstance(value, list) and len(value) == 1 and isinstance(value[0], tuple):
                values.extend(value[0])
            else:
                values.append(value)
        return [tuple(values)]
    return _toUi(attr, SCENE.value(key, ticks))

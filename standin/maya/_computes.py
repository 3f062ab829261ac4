"""How the scene computes the outputs of animation layer blends, layer nodes
and utility nodes.

Each function is an ``AttrDef.compute`` of ``maya._attrs``: the scene calls
it as ``compute(scene, node, attr, indices, ticks)`` and it answers the
value of ``attr`` (a list, one value per child, for a compound) in internal
units, reading its inputs through ``scene.value`` so that connections and
anim curves feed it.

Simplifications, repeated where they apply:

- Rotation blends add each channel on its own whatever their accumulation
  mode; Maya's "by layer" mode concatenates quaternions instead.
- Boolean, enum and time blends switch to input B while weight B is at
  least one half (Maya blends such values as an override layer would).
- A layer's weights follow mute, solo, override and passthrough only; the
  ghost and lock settings change no value.
- Expressions evaluate plain assignments only (see ``ExpressionProgram``);
  the outputs of any other expression keep the values they had when it
  was made.
"""

import ast
import math
import operator
import weakref


def _read(scene, node, name, ticks, indices=()):
    """The value of a named attribute of ``node`` at ``ticks``."""
    return scene.value((node, node.findAttr(name), indices), ticks)


def _weights(scene, node, ticks):
    """A blend's (weightA, weightB)."""
    return _read(scene, node, "weightA", ticks), _read(scene, node, "weightB", ticks)


def _power(base, exponent):
    """``base ** exponent`` that keeps the sign of a negative base rather
    than turning complex."""
    if exponent == 1:
        return base
    if exponent == 0:
        return 1.0
    return math.copysign(abs(base) ** exponent, base)


# --- animation layer blends ---------------------------------------------------------

def blendAdditive(scene, node, attr, indices, ticks):
    """output = inputA * weightA + inputB * weightB."""
    wa, wb = _weights(scene, node, ticks)
    return _read(scene, node, "inputA", ticks) * wa + _read(scene, node, "inputB", ticks) * wb


def blendScale(scene, node, attr, indices, ticks):
    """Multiply accumulation (0): inputA ** weightA * inputB ** weightB;
    additive accumulation (1): as ``blendAdditive``."""
    wa, wb = _weights(scene, node, ticks)
    a = _read(scene, node, "inputA", ticks)
    b = _read(scene, node, "inputB", ticks)
    if _read(scene, node, "accumulationMode", ticks) == 1:
        return a * wa + b * wb
    return _power(a, wa) * _power(b, wb)


def blendRotation(scene, node, attr, indices, ticks):
    """The three channels of output, each inputA * weightA + inputB *
    weightB (by component, also in "by layer" mode)."""
    wa, wb = _weights(scene, node, ticks)
    a = [scene.value((node, c, ()), ticks) for c in node.findAttr("inputA").children]
    b = [scene.value((node, c, ()), ticks) for c in node.findAttr("inputB").children]
    return [x * wa + y * wb for x, y in zip(a, b)]


def blendSwitch(scene, node, attr, indices, ticks):
    """inputB while weightB is at least one half, else inputA."""
    wb = _read(scene, node, "weightB", ticks)
    return _read(scene, node, "inputB" if wb >= 0.5 else "inputA", ticks)


# --- animation layer nodes ----------------------------------------------------------

def layerOutMute(scene, node, attr, indices, ticks):
    """Muted by itself or through its parent layer."""
    return bool(_read(scene, node, "mute", ticks) or _read(scene, node, "parentMute", ticks))


def layerChildSoloed(scene, node, attr, indices, ticks):
    """Whether any child layer is soloed (the or of childrenSolo)."""
    soloAttr = node.findAttr("childrenSolo")
    return any(scene.value((node, soloAttr, (i,)), ticks)
               for i in scene.existingIndices(node, soloAttr, ()))


def _active(scene, node, ticks):
    """Neither muted nor silenced by a soloed sibling."""
    if layerOutMute(scene, node, None, (), ticks):
        return False
    return not (_read(scene, node, "siblingSolo", ticks) and not _read(scene, node, "solo", ticks))


def layerForeground(scene, node, attr, indices, ticks):
    """The weight of the layer's own curves: weight times the parent's
    weight, 0 while the layer is muted or a sibling is soloed."""
    if not _active(scene, node, ticks):
        return 0.0
    return _read(scene, node, "weight", ticks) * _read(scene, node, "parentWeight", ticks)


def layerBackground(scene, node, attr, indices, ticks):
    """The weight of the layers below: 1 for an additive or inactive layer;
    for an override layer 1 - foreground with passthrough, else 0."""
    if not _read(scene, node, "override", ticks) or not _active(scene, node, ticks):
        return 1.0
    if _read(scene, node, "passthrough", ticks):
        return 1.0 - layerForeground(scene, node, attr, indices, ticks)
    return 0.0


def layerOutRotationMode(scene, node, attr, indices, ticks):
    """The layer's rotationAccumulationMode, as its blends receive it."""
    return _read(scene, node, "rotationAccumulationMode", ticks)


# --- utility nodes ------------------------------------------------------------------

def _combine(operation, rows):
    """plusMinusAverage over equal-length rows: 0 the first row, 1 sum,
    2 the first minus the others, 3 average; zeros without rows."""
    if not rows:
        return None
    if operation == 0:
        return list(rows[0])
    sums = [sum(column) for column in zip(*rows)]
    if operation == 2:
        return [2 * first - total for first, total in zip(rows[0], sums)]
    if operation == 3:
        return [total / len(rows) for total in sums]
    return sums


def _plusMinusAverage(scene, node, arrayName, ticks):
    """The combined values of the elements of one input array."""
    array = node.findAttr(arrayName)
    rows = []
    for index in scene.existingIndices(node, array, ()):
        if array.children:
            rows.append([scene.value((node, c, (index,)), ticks) for c in array.children])
        else:
            rows.append([scene.value((node, array, (index,)), ticks)])
    width = max(len(array.children), 1)
    result = _combine(_read(scene, node, "operation", ticks), rows)
    return result if result is not None else [0.0] * width


def plusMinusAverage1D(scene, node, attr, indices, ticks):
    """output1D from the input1D elements."""
    return _plusMinusAverage(scene, node, "input1D", ticks)[0]


def plusMinusAverage2D(scene, node, attr, indices, ticks):
    """output2D from the input2D elements."""
    return _plusMinusAverage(scene, node, "input2D", ticks)


def plusMinusAverage3D(scene, node, attr, indices, ticks):
    """output3D from the input3D elements."""
    return _plusMinusAverage(scene, node, "input3D", ticks)


# --- expressions --------------------------------------------------------------------

# The parsed program of each expression node, set by the expression command.
EXPRESSIONS = weakref.WeakKeyDictionary()

# Expression nodes being evaluated: one that reads a plug it drives reads the
# value its output last held instead of evaluating itself again.
_RUNNING = set()

_FUNCTIONS = {
    "abs": abs, "sin": math.sin, "cos": math.cos, "tan": math.tan, "asin": math.asin,
    "acos": math.acos, "atan": math.atan, "sqrt": math.sqrt, "exp": math.exp,
    "log": math.log, "floor": math.floor, "ceil": math.ceil, "pow": math.pow,
    "min": min, "max": max, "deg_to_rad": math.radians, "rad_to_deg": math.degrees,
}

_BINARY = {ast.Add: operator.add, ast.Sub: operator.sub, ast.Mult: operator.mul,
           ast.Div: operator.truediv, ast.Mod: math.fmod}
_UNARY = {ast.USub: operator.neg, ast.UAdd: operator.pos}


def expressionTree(text, names):
    """The tree of one right-hand side, already rewritten into Python names
    (see ``ExpressionProgram``); None when it uses anything but numbers,
    the given names, + - * / %, parentheses and the math functions."""
    try:
        tree = ast.parse(text.strip(), mode="eval")
    except (SyntaxError, ValueError, RecursionError, MemoryError):
        return None
    called = set(id(part.func) for part in ast.walk(tree) if isinstance(part, ast.Call))
    for part in ast.walk(tree):
        if isinstance(part, ast.Name):
            if part.id in names or id(part) in called:
                continue
            return None
        if isinstance(part, (ast.Expression, ast.Load)) \
                or type(part) in _BINARY or type(part) in _UNARY:
            continue
        if isinstance(part, ast.BinOp) and type(part.op) in _BINARY:
            continue
        if isinstance(part, ast.UnaryOp) and type(part.op) in _UNARY:
            continue
        if isinstance(part, ast.Constant) and type(part.value) in (int, float):
            continue
        if isinstance(part, ast.Call) and isinstance(part.func, ast.Name) \
                and part.func.id in _FUNCTIONS and not part.keywords:
            continue
        return None
    return tree


def _run(tree, lookup):
    """The value of an ``expressionTree``."""
    if isinstance(tree, ast.Expression):
        return _run(tree.body, lookup)
    if isinstance(tree, ast.BinOp):
        return _BINARY[type(tree.op)](_run(tree.left, lookup), _run(tree.right, lookup))
    if isinstance(tree, ast.UnaryOp):
        return _UNARY[type(tree.op)](_run(tree.operand, lookup))
    if isinstance(tree, ast.Constant):
        return float(tree.value)
    if isinstance(tree, ast.Call):
        return float(_FUNCTIONS[tree.func.id](*[_run(a, lookup) for a in tree.args]))
    return lookup(tree.id)


class ExpressionProgram(object):
    """What the stand-in evaluates of an expression: ``statements``, each a
    ``(target, tree, names)`` -- ``target`` a plug key or a "$variable",
    ``tree`` an ``expressionTree``, ``names`` its names' meanings (a plug
    key, a "$variable", "time" or "frame") -- or None when the text holds
    anything but such assignments.  ``segments`` is the text cut at its
    attribute references: strings, and the plug keys that stood between
    them (for the expression's query, which names plugs as they are now).
    Values are in the user's units, as an expression sees them."""

    __slots__ = ("statements", "segments")

    def __init__(self, statements, segments):
        self.statements = statements
        self.segments = segments


def expressionOutput(scene, node, attr, indices, ticks):
    """output[i]: the value the expression assigns to the plug output[i]
    drives, evaluated at ``ticks``; the value output[i] holds when the
    expression cannot be evaluated (or reads what it drives)."""
    held = node.values.get((attr, indices), attr.default)
    program = EXPRESSIONS.get(node)
    targets = scene.outgoing.get((node, attr, indices))
    if program is None or program.statements is None or not targets or node in _RUNNING:
        return held
    target = targets[0]
    ticks = scene.currentOrGiven(ticks)
    assigned, variables = {}, {}

    def lookup(name):
        meaning = names[name]
        if meaning == "time":
            return ticks / 6000.0
        if meaning == "frame":
            return scene.ticksToUi(ticks)
        if isinstance(meaning, str):
            return variables.get(meaning, 0.0)
        if meaning in assigned:
            return assigned[meaning]
        return float(scene.unitToUi(meaning[1], scene.value(meaning, ticks)))

    _RUNNING.add(node)
    try:
        for goal, tree, names in program.statements:
            value = _run(tree, lookup)
            if isinstance(goal, str):
                variables[goal] = value
            else:
                assigned[goal] = value
    except (ArithmeticError, ValueError, TypeError, RecursionError):
        return held
    finally:
        _RUNNING.discard(node)
    if target not in assigned:
        return held
    return scene.unitFromUi(target[1], assigned[target])

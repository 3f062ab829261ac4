"""Constraints and expressions: ``parentConstraint``, ``pointConstraint``,
``orientConstraint`` and ``expression``.  Gathered by ``maya.cmds``.
"""

import re

from . import _attrs, _computes, _math
from ._cmd_base import (
    _command, _display, _fromUi, _names, _node, _nodes, _plug, _plugText)
from ._cmd_transforms import _channelsForWorld
from ._scene import SCENE

__all__ = [
    "parentConstraint", "pointConstraint", "orientConstraint", "expression",
]


# --- constraints and expressions ------------------------------------------------------

# What each constraint type drives: (translate, rotate).
_CONSTRAINT_CHANNELS = {"parentConstraint": (True, True), "pointConstraint": (True, False),
                        "orientConstraint": (False, True)}


def _worldPivot(node):
    """World position of a transform's rotate pivot."""
    rp = SCENE._vector(node, "rotatePivot", None)
    m = SCENE.worldMatrix(node)
    return [rp[0] * m[c] + rp[1] * m[4 + c] + rp[2] * m[8 + c] + m[12 + c] for c in range(3)]


def _constraintValues(kind, driven, targets, weights):
    """(translate, rotate) in internal units that put ``driven`` where the
    weighted targets are: their world rotate pivots averaged, their world
    rotations averaged as Euler angles; the driven node's own pivots are
    taken as zero."""
    total = sum(weights) or 1.0
    world = SCENE.worldMatrix(driven)
    t, s, rotation = _math.decompose(world)
    doTranslate, doRotate = _CONSTRAINT_CHANNELS[kind]
    if doTranslate:
        pivots = [_worldPivot(target) for target in targets]
        t = [sum(w * p[c] for w, p in zip(weights, pivots)) / total for c in range(3)]
    if doRotate:
        angles = [_math.matrixToEuler(_math.decompose(SCENE.worldMatrix(target))[2], 0)
                  for target in targets]
        mean = [sum(w * a[c] for w, a in zip(weights, angles)) / total for c in range(3)]
        rotation = _math.euler(mean[0], mean[1], mean[2], 0)
    wanted = _math.chain(_math.scaling(*s), rotation, _math.translation(*t))
    channels = _channelsForWorld(driven, wanted)
    if channels is None:
        return None
    return channels[0], channels[1]


def _constraintOf(kind, driven):
    """The constraint of this kind already under ``driven``, or None."""
    for child in driven.children:
        if child.typeName == kind:
            return child
    return None


def _targetsOf(constraint):
    """(index, target node) of each connected target of a constraint."""
    result = []
    parentMatrix = constraint.findAttr("targetParentMatrix")
    for index in SCENE.existingIndices(constraint, constraint.findAttr("target"), ()):
        src = SCENE.connections.get((constraint, parentMatrix, (index,)))
        if src is not None:
            result.append((index, src[0]))
    return result


def _weightAlias(constraint, index):
    """The weight alias attribute of a constraint's target[index]."""
    return constraint.findAttr("w%d" % index)


def _addTarget(constraint, target, weight, translate, rotate):
    """Wire a target into the next target[] element with its weight alias
    "<target>W<index>"."""
    index = 0
    while any(i == index for i, _ in _targetsOf(constraint)):
        index += 1

    def wire(source, name):
        """Connect the target's attribute to target[index].<name>."""
        srcAttr = target.findAttr(source)
        if srcAttr is not None:
            src = (target, srcAttr, (0,) if srcAttr.multi else ())
            SCENE._connect(src, (constraint, constraint.findAttr(name), (index,)))
    if translate:
        wire("translate", "targetTranslate")
        wire("rotatePivot", "targetRotatePivot")
        wire("rotatePivotTranslate", "targetRotateTranslate")
    if rotate:
        wire("rotate", "targetRotate")
        wire("rotateOrder", "targetRotateOrder")
        if target.nodeType.isA("joint"):
            wire("jointOrient", "targetJointOrient")
    wire("scale", "targetScale")
    wire("parentMatrix", "targetParentMatrix")
    alias = _attrs.double("%sW%d" % (target.name, index), "w%d" % index, weight,
                          keyable=True, minValue=0.0)
    SCENE.addDynamicAttr(constraint, alias)
    SCENE._connect((constraint, alias, ()),
                   (constraint, constraint.findAttr("targetWeight"), (index,)))


def _constrain(kind, args, flags):
    """The constraint commands: create (or add targets to the constraint of
    this kind the driven node has), query or edit target weights."""
    names = _names(args)
    if flags.get("query") or flags.get("edit"):
        objects = _nodes(names)
        constraint = objects[-1] if objects and objects[-1].typeName == kind else None
        if constraint is None and objects:
            constraint = _constraintOf(kind, objects[-1])
        if constraint is None:
            raise RuntimeError("%s: No constraint of this kind on the objects given." % kind)
        targets = _targetsOf(constraint)
        if flags.get("query"):
            if flags.get("targetList"):
                return [_display(t) for _, t in targets] or None
            if flags.get("weightAliasList"):
                return [_weightAlias(constraint, i).longName for i, _ in targets] or None
            if flags.get("weight"):
                wanted = [t for t in objects if t is not constraint][:-1] or \
                    [t for _, t in targets]
                values = [SCENE.value((constraint, _weightAlias(constraint, i), ()))
                          for i, t in targets if t in wanted]
                return values[0] if len(values) == 1 else values
            raise RuntimeError("%s: a query flag is required by the stand-in." % kind)
        if flags.get("weight") is not None:
            for index, target in targets:
                if target in objects[:-1]:
                    SCENE.setPlugValue((constraint, _weightAlias(constraint, index), ()),
                                       float(flags["weight"]))
        return None
    objects = _nodes(names)
    if len(objects) < 2:
        raise RuntimeError("%s: Not enough objects or values." % kind)
    targets, driven = objects[:-1], objects[-1]
    if not driven.nodeType.isTransform:
        raise RuntimeError("%s: '%s' is not a transform and cannot be constrained."
                           % (kind, _display(driven)))
    translate, rotate = _CONSTRAINT_CHANNELS[kind]
    skipped = set()
    for flag in ("skip", "skipTranslate", "skipRotate"):
        value = flags.get(flag)
        for axis in ([value] if isinstance(value, str) else value or ()):
            if axis != "none":
                skipped.add((flag, axis))
    constraint = _constraintOf(kind, driven)
    if constraint is None:
        name = flags.get("name") or SCENE.autoName("%s_%s" % (driven.name, kind))
        constraint = SCENE.createNode(kind, name, driven)
        for attr in constraint.findAttr("translate").children + \
                constraint.findAttr("rotate").children + constraint.findAttr("scale").children:
            SCENE.setKeyable((constraint, attr, ()), False)
        SCENE._connect((driven, driven.findAttr("parentInverseMatrix"), (0,)),
                       (constraint, constraint.findAttr("constraintParentInverseMatrix"), ()))
        if translate:
            SCENE._connect((driven, driven.findAttr("rotatePivot"), ()),
                           (constraint, constraint.findAttr("constraintRotatePivot"), ()))
            SCENE._connect((driven, driven.findAttr("rotatePivotTranslate"), ()),
                           (constraint, constraint.findAttr("constraintRotateTranslate"), ()))
        if rotate:
            SCENE._connect((driven, driven.findAttr("rotateOrder"), ()),
                           (constraint, constraint.findAttr("constraintRotateOrder"), ()))
    weight = float(flags.get("weight", 1.0))
    for target in targets:
        if target not in [t for _, t in _targetsOf(constraint)]:
            _addTarget(constraint, target, weight, translate, rotate)
    current = [[SCENE.value((driven, c, ())) for c in driven.findAttr(name).children]
               for name in ("translate", "rotate")]
    if flags.get("maintainOffset"):
        values = current
    else:
        allTargets = [t for _, t in _targetsOf(constraint)]
        weights = [SCENE.value((constraint, _weightAlias(constraint, i), ()))
                   for i, _ in _targetsOf(constraint)]
        values = _constraintValues(kind, driven, allTargets, weights) or current
    offset = flags.get("offset") or (0.0, 0.0, 0.0)
    for position, (channel, output, on, skipFlag) in enumerate((
            ("translate", "constraintTranslate", translate, "skipTranslate"),
            ("rotate", "constraintRotate", rotate, "skipRotate"))):
        if not on:
            continue
        outs = constraint.findAttr(output).children
        for axis, (out, plugAttr) in enumerate(zip(outs, driven.findAttr(channel).children)):
            letter = "xyz"[axis]
            extra = _fromUi(out, offset[axis]) if not flags.get("maintainOffset") else 0.0
            SCENE.setValue((constraint, out, ()), float(values[position][axis]) + extra)
            plug = (driven, plugAttr, ())
            if (skipFlag, letter) in skipped or ("skip", letter) in skipped \
                    or SCENE.isLocked(plug):
                continue
            previous = SCENE.connections.get(plug)
            if previous is not None and previous[0] is constraint:
                continue
            if previous is not None and not SCENE.isAnimationNode(previous[0]):
                raise RuntimeError("%s: '%s' already has an incoming connection from '%s'."
                                   % (kind, _plugText(plug), _plugText(previous)))
            if previous is not None:
                SCENE._disconnect(previous, plug)
            SCENE._connect((constraint, out, ()), plug)
    return [_display(constraint)]


_CONSTRAINT_FLAGS = dict(maintainOffset="mo", weight="w", name="n", remove="rm",
                         targetList="tl", weightAliasList="wal", layer="l", query="q",
                         edit="e")


@_command("parentConstraint", dict(_CONSTRAINT_FLAGS, skipTranslate="st", skipRotate="sr",
                                   decompRotationToChild="dr"))
def parentConstraint(*args, **flags):
    """``parentConstraint(target..., driven)``: a parentConstraint node named
    "<driven>_parentConstraint1", parented under the driven transform, whose
    constraintTranslate and constraintRotate children drive translate and
    rotate; returns ``[name]``.  Its outputs are computed when the command
    runs (the targets' world rotate pivot and rotation, weighted; the
    driven node's own pivots taken as zero) and held: moving a target later
    moves nothing.  A channel an anim curve drove is taken over without the
    pairBlend Maya would insert; a locked or skipped channel is left alone."""
    return _constrain("parentConstraint", args, flags)


@_command("pointConstraint", dict(_CONSTRAINT_FLAGS, offset="o", skip="sk"))
def pointConstraint(*args, **flags):
    """As ``parentConstraint``, translate only ("<driven>_pointConstraint1");
    ``offset`` is added in working units."""
    return _constrain("pointConstraint", args, flags)


@_command("orientConstraint", dict(_CONSTRAINT_FLAGS, offset="o", skip="sk"))
def orientConstraint(*args, **flags):
    """As ``parentConstraint``, rotate only ("<driven>_orientConstraint1");
    ``offset`` is added in working units."""
    return _constrain("orientConstraint", args, flags)


# An attribute reference in an expression: "node.attr", "node.attr[2].child"
# or a bare "attr" of the default object; $variables are not references.
_EXPRESSION_REFERENCE = re.compile(
    r"(?<![\w$.|:])((?:[A-Za-z_|:][\w|:]*\.)?[A-Za-z_]\w*(?:\[\d+\])?(?:\.[A-Za-z_]\w*)*)")


_EXPRESSION_ASSIGNMENT = re.compile(r"^\s*(.*?)\s*(?<![=!<>])=(?!=)(.*)$", re.S)


_EXPRESSION_TIME_WORDS = ("time", "frame")


def _expressionPlug(text, objectNode):
    """The plug an expression names, or None for a word that is no plug."""
    if "." in text:
        try:
            return _plug(text)
        except ValueError:
            return None
    if objectNode is not None and objectNode.findAttr(text.split("[")[0]) is not None:
        return _plug("%s.%s" % (_display(objectNode), text))
    return None


_EXPRESSION_VARIABLE = re.compile(r"\$([A-Za-z_]\w*)")
_EXPRESSION_DECLARATION = re.compile(r"^\s*(?:float|int)\s+(?=\$)")


def _expressionProgram(text, objectNode):
    """The ``_computes.ExpressionProgram`` of an expression's text."""
    segments, last = [], 0
    for match in _EXPRESSION_REFERENCE.finditer(text):
        word = match.group(1)
        plug = None if word in _EXPRESSION_TIME_WORDS else _expressionPlug(word, objectNode)
        if plug is not None:
            segments.extend([text[last:match.start(1)], plug])
            last = match.end(1)
    segments.append(text[last:])
    statements = []
    for statement in text.split(";"):
        if not statement.strip():
            continue
        match = _EXPRESSION_ASSIGNMENT.match(_EXPRESSION_DECLARATION.sub("", statement))
        if match is None:
            return _computes.ExpressionProgram(None, segments)
        target = match.group(1)
        if _EXPRESSION_VARIABLE.fullmatch(target):
            goal = target
        else:
            goal = _expressionPlug(target, objectNode)
            if goal is None:
                return _computes.ExpressionProgram(None, segments)
        names = {}

        def name(found):
            word = found.group(0)
            if word.startswith("$"):
                meaning = word
            elif word in _EXPRESSION_TIME_WORDS:
                meaning = word
            elif word in _computes._FUNCTIONS:
                return word
            else:
                meaning = _expressionPlug(word, objectNode)
                if meaning is None:
                    raise ValueError(word)
            key = "_n%d" % len(names)
            names[key] = meaning
            return key
        try:
            python = re.sub(r"\$[A-Za-z_]\w*|" + _EXPRESSION_REFERENCE.pattern, name,
                            match.group(2))
        except ValueError:
            return _computes.ExpressionProgram(None, segments)
        tree = _computes.expressionTree(python, names)
        if tree is None:
            return _computes.ExpressionProgram(None, segments)
        statements.append((goal, tree, names))
    return _computes.ExpressionProgram(statements, segments)


def _expressionText(node, shortNames=False):
    """An expression's text as Maya answers its query: every attribute with
    its node and long name; with ``shortNames`` short names, and those of
    the default object without the node."""
    program = _computes.EXPRESSIONS.get(node)
    if program is None:
        return SCENE.value((node, node.findAttr("internalExpression"), ()))
    objectKey = SCENE.connections.get((node, node.findAttr("objectMsg"), ()))
    parts = []
    for part in program.segments:
        if isinstance(part, str):
            parts.append(part)
        elif not shortNames:
            parts.append(_plugText(part))
        else:
            attrName = SCENE.plugPath(part[1], part[2], longNames=False, fullPath=False)
            own = objectKey is not None and part[0] is objectKey[0]
            parts.append(attrName if own else "%s.%s" % (_display(part[0]), attrName))
    return "".join(parts)


def _wireExpression(node, text, objectNode):
    """Connect an expression node: each assigned plug from output[i], each
    plug read into input[j], the time node into time when it reads time or
    frame, the default object's message into objectMsg."""
    outputs, inputs, usesTime = [], [], False
    for statement in text.split(";"):
        match = _EXPRESSION_ASSIGNMENT.match(statement)
        reads = statement
        if match is not None and (match.group(1).startswith("$")
                                  or _EXPRESSION_REFERENCE.fullmatch(match.group(1))):
            target = match.group(1)
            plug = _expressionPlug(target, objectNode)
            if plug is None and not target.startswith("$"):
                raise RuntimeError("expression: Attribute not found or variable missing "
                                   "'$': %s" % target)
            if plug is not None and plug not in outputs:
                outputs.append(plug)
            reads = match.group(2)
        for word in _EXPRESSION_REFERENCE.findall(reads):
            if word in _EXPRESSION_TIME_WORDS:
                usesTime = True
                continue
            plug = _expressionPlug(word, objectNode)
            if plug is not None and plug not in inputs and plug not in outputs:
                inputs.append(plug)
    outAttr, inAttr = node.findAttr("output"), node.findAttr("input")
    for index, plug in enumerate(outputs):
        out = (node, outAttr, (index,))
        SCENE.setValue(out, SCENE.value(plug))
        SCENE.connect(out, plug)
    for index, plug in enumerate(inputs):
        SCENE._connect(plug, (node, inAttr, (index,)))
    if usesTime:
        SCENE._connect((SCENE.time1, SCENE.time1.findAttr("outTime"), ()),
                       (node, node.findAttr("time"), ()))
    if objectNode is not None:
        SCENE._connect((objectNode, objectNode.findAttr("message"), ()),
                       (node, node.findAttr("objectMsg"), ()))
    _computes.EXPRESSIONS[node] = _expressionProgram(text, objectNode)


def _unwireExpression(node):
    """Disconnect every plug of an expression node."""
    for key in SCENE.connectionsOf(node):
        SCENE._disconnect(SCENE.connections[key], key)
    for src, dsts in list(SCENE.outgoing.items()):
        if src[0] is node:
            for dst in list(dsts):
                SCENE._disconnect(src, dst)


@_command("expression", dict(string="s", object="o", name="n", alwaysEvaluate="ae",
                             animated="an", attribute="a", safe="sf", shortNames="sn",
                             timeDependent="td", unitConversion="uc", query="q", edit="e"))
def expression(*args, **flags):
    """Creates an expression node ("expression1", or ``name``) and returns
    its name; queries and edits its string and default object.  Each plug
    the expression assigns is driven from the node's output[i]; plugs it
    reads feed input[j], and ``time`` or ``frame`` connects time1.  Plain
    assignments ("node.attr = <arithmetic>;", to attributes or $variables,
    reading attributes, numbers, time, frame and math functions, in the
    user's units) are evaluated whenever the plugs are read; the outputs of
    any other expression keep the values the plugs had when it was made.
    Only "node.attr" references (and bare attributes of the default object)
    are recognised.  The queried string names every attribute with its node
    and long name, as Maya answers; with ``shortNames`` the short names,
    without the node for the default object's attributes."""
    names = _names(args)
    if flags.get("query") or flags.get("edit"):
        if not names:
            raise RuntimeError("expression: No expression node was given.")
        node = _node(names[0])
        if not node.nodeType.isA("expression"):
            raise RuntimeError("expression: '%s' is not an expression." % names[0])
        objectKey = SCENE.connections.get((node, node.findAttr("objectMsg"), ()))
        if flags.get("query"):
            if flags.get("string"):
                return _expressionText(node, bool(flags.get("shortNames")))
            if flags.get("object"):
                return _display(objectKey[0]) if objectKey is not None else ""
            if flags.get("name"):
                return node.name
            raise RuntimeError("expression: a query flag is required by the stand-in.")
        objectNode = _node(flags["object"]) if flags.get("object") else \
            (objectKey[0] if objectKey is not None else None)
        text = flags.get("string")
        if text is None:
            text = SCENE.value((node, node.findAttr("internalExpression"), ()))
        _unwireExpression(node)
        _wireExpression(node, text, objectNode)
        SCENE.setValue((node, node.findAttr("internalExpression"), ()), text)
        if flags.get("name"):
            SCENE.rename(node, flags["name"])
        return _display(node)
    text = flags.get("string")
    if not text:
        raise RuntimeError("expression: An expression string (-s) is required.")
    objectNode = _node(flags["object"]) if flags.get("object") else None
    node = SCENE.createNode("expression", flags.get("name"))
    try:
        _wireExpression(node, text, objectNode)
    except Exception:
        SCENE.delete([node])
        raise
    SCENE.setValue((node, node.findAttr("internalExpression"), ()), text)
    return _display(node)

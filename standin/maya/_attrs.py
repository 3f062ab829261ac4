"""Attribute definitions and the node types built from them.

An ``AttrDef`` describes one attribute of a node type (or one dynamic
attribute added with ``addAttr``): its names, its ``MFn`` type, numeric or
data type, children, whether it is an array (multi), its default and its
default keyable / Channel Box flags.  Values themselves live in the scene
(``_scene.Node.values``), always in internal units: centimetres, radians and
ticks (1/6000 s) for time.

The attributes of the node types the suite uses most (nodes, DAG nodes,
transforms, joints, anim curves, sets and animation layers) are Maya's and
live in ``maya._node_attrs``, which also registers every node type; the
other types here carry what the suite's tools touch, far fewer attributes
than in Maya.
"""

from ._types import MFN
from . import _computes, _math

# MFnNumericData.Type values, as numbered in Maya's API documentation.
N_INVALID, N_BOOLEAN, N_BYTE, N_CHAR, N_SHORT, N_2SHORT, N_3SHORT = 0, 1, 2, 3, 4, 5, 6
N_LONG = N_INT = 7
N_2LONG = N_2INT = 8
N_3LONG = N_3INT = 9
N_INT64 = 10
N_FLOAT, N_2FLOAT, N_3FLOAT = 11, 12, 13
N_DOUBLE, N_2DOUBLE, N_3DOUBLE, N_4DOUBLE = 14, 15, 16, 17
N_ADDR = 18

INTEGER_TYPES = frozenset((N_BYTE, N_CHAR, N_SHORT, N_LONG, N_INT64))
REAL_TYPES = frozenset((N_FLOAT, N_DOUBLE, N_ADDR))

# MFnData.Type values.
D_INVALID, D_NUMERIC, D_PLUGIN, D_PLUGIN_GEOMETRY, D_STRING, D_MATRIX = 0, 1, 2, 3, 4, 5
D_STRING_ARRAY, D_DOUBLE_ARRAY, D_FLOAT_ARRAY, D_INT_ARRAY = 6, 7, 8, 9
D_POINT_ARRAY, D_VECTOR_ARRAY, D_MATRIX_ARRAY, D_COMPONENT_LIST = 10, 11, 12, 13
D_MESH, D_LATTICE, D_NURBS_CURVE, D_NURBS_SURFACE = 14, 15, 16, 17

# Kinds: how the scene stores and converts a value.
NUMERIC, LINEAR, ANGLE, TIME, ENUM, TYPED, MATRIX, MESSAGE, COMPOUND, GENERIC = (
    "numeric", "linear", "angle", "time", "enum", "typed", "matrix",
    "message", "compound", "generic")

_KIND_FN_TYPES = {
    NUMERIC: ("kAttribute", "kNumericAttribute"),
    LINEAR: ("kAttribute", "kUnitAttribute"),
    ANGLE: ("kAttribute", "kUnitAttribute"),
    TIME: ("kAttribute", "kUnitAttribute"),
    ENUM: ("kAttribute",),
    TYPED: ("kAttribute",),
    MATRIX: ("kAttribute",),
    MESSAGE: ("kAttribute",),
    COMPOUND: ("kAttribute", "kCompoundAttribute"),
    GENERIC: ("kAttribute",),
}

# Compound numeric types (double3 ...) answer to both numeric and compound
# function sets, as in Maya.
_NUMERIC_COMPOUND_TYPES = {
    N_2SHORT: "kAttribute2Short", N_3SHORT: "kAttribute3Short",
    N_2LONG: "kAttribute2Int", N_3LONG: "kAttribute3Int",
    N_2FLOAT: "kAttribute2Float", N_3FLOAT: "kAttribute3Float",
    N_2DOUBLE: "kAttribute2Double", N_3DOUBLE: "kAttribute3Double",
    N_4DOUBLE: "kAttribute4Double",
}


class AttrDef(object):
    """One attribute.  Children of compounds point back through ``parent``."""

    __slots__ = ("longName", "shortName", "kind", "apiType", "fnTypes",
                 "numericType", "dataType", "children", "parent", "multi",
                 "default", "keyable", "channelBox", "hidden", "enumNames",
                 "minValue", "maxValue", "readable", "writable",
                 "usedAsColor", "dynamic", "compute", "indexMatters",
                 "isFloat", "expectedChildren", "keyFlag", "__weakref__")

    def __init__(self, longName, shortName, kind, apiType, numericType=N_INVALID,
                 dataType=D_INVALID, children=(), multi=False, default=None,
                 keyable=False, channelBox=False, hidden=False, enumNames=None,
                 minValue=None, maxValue=None, readable=True, writable=True,
                 usedAsColor=False, compute=None, isFloat=False, keyFlag=None):
        self.longName = longName
        self.shortName = shortName or longName
        self.kind = kind
        self.apiType = MFN[apiType]
        extra = _KIND_FN_TYPES[kind]
        if apiType in _NUMERIC_COMPOUND_TYPES.values():
            extra = extra + ("kNumericAttribute",)
        self.fnTypes = frozenset(MFN[t] for t in extra + (apiType, "kBase"))
        self.numericType = numericType
        self.dataType = dataType
        self.children = tuple(children)
        for child in self.children:
            child.parent = self
        self.parent = None
        self.multi = multi
        self.default = default
        self.keyable = keyable
        self.channelBox = channelBox
        self.hidden = hidden
        self.enumNames = enumNames
        self.minValue = minValue
        self.maxValue = maxValue
        self.readable = readable
        self.writable = writable
        self.usedAsColor = usedAsColor
        self.dynamic = False
        self.compute = compute
        self.indexMatters = True
        self.isFloat = isFloat
        self.expectedChildren = len(self.children)
        # An anim curve's per-key flag array: element i is the named flag
        # ("breakdown", "tickDrawSpecial") of key i (see maya._keys).
        self.keyFlag = keyFlag

    def __repr__(self):
        return "<AttrDef %s (%s)>" % (self.longName, self.kind)

    def ancestors(self):
        """Attributes from the root down to and including this one."""
        chain = []
        attr = self
        while attr is not None:
            chain.append(attr)
            attr = attr.parent
        chain.reverse()
        return chain

    def arrayDepth(self):
        """How many array (multi) attributes are on the way from the root
        to this attribute, this one included."""
        depth = 0
        attr = self
        while attr is not None:
            if attr.multi:
                depth += 1
            attr = attr.parent
        return depth

    def walk(self):
        yield self
        for child in self.children:
            for attr in child.walk():
                yield attr


# --- builders -------------------------------------------------------------

def numeric(ln, sn, numericType, default=0, **kw):
    if numericType == N_BOOLEAN:
        default = bool(default)
    kw.setdefault("isFloat", numericType == N_FLOAT)
    return AttrDef(ln, sn, NUMERIC, "kNumericAttribute", numericType=numericType,
                   default=default, **kw)


def boolean(ln, sn, default=False, **kw):
    return numeric(ln, sn, N_BOOLEAN, default, **kw)


def double(ln, sn, default=0.0, **kw):
    return numeric(ln, sn, N_DOUBLE, float(default), **kw)


def linear(ln, sn, default=0.0, isFloat=False, **kw):
    api = "kFloatLinearAttribute" if isFloat else "kDoubleLinearAttribute"
    return AttrDef(ln, sn, LINEAR, api, default=float(default), isFloat=isFloat, **kw)


def angle(ln, sn, default=0.0, isFloat=False, **kw):
    api = "kFloatAngleAttribute" if isFloat else "kDoubleAngleAttribute"
    return AttrDef(ln, sn, ANGLE, api, default=float(default), isFloat=isFloat, **kw)


def time(ln, sn, default=0.0, **kw):
    return AttrDef(ln, sn, TIME, "kTimeAttribute", default=float(default), **kw)


def enum(ln, sn, names, default=0, **kw):
    if isinstance(names, str):
        names = parseEnumNames(names)
    return AttrDef(ln, sn, ENUM, "kEnumAttribute", default=int(default),
                   enumNames=names, **kw)


def typed(ln, sn, dataType, default=None, **kw):
    return AttrDef(ln, sn, TYPED, "kTypedAttribute", dataType=dataType,
                   default=default, **kw)


def matrix(ln, sn, isFloat=False, **kw):
    api = "kFloatMatrixAttribute" if isFloat else "kMatrixAttribute"
    kw.setdefault("default", _math.IDENTITY)
    return AttrDef(ln, sn, MATRIX, api, isFloat=isFloat, **kw)


def typedMatrix(ln, sn, **kw):
    kw.setdefault("default", _math.IDENTITY)
    return typed(ln, sn, D_MATRIX, **kw)


def message(ln, sn, **kw):
    return AttrDef(ln, sn, MESSAGE, "kMessageAttribute", **kw)


def compound(ln, sn, children, **kw):
    return AttrDef(ln, sn, COMPOUND, "kCompoundAttribute", children=children, **kw)


def numericCompound(ln, sn, numericType, children, **kw):
    api = _NUMERIC_COMPOUND_TYPES[numericType]
    return AttrDef(ln, sn, COMPOUND, api, numericType=numericType,
                   children=children, **kw)


def vector(ln, sn, childBuilder, default=0.0, suffixes="XYZ", shortSuffixes=None,
           keyableChildren=False, numericType=N_3DOUBLE, **kw):
    """A double3-like compound whose children are made by ``childBuilder``."""
    shortSuffixes = shortSuffixes or suffixes.lower()
    if not isinstance(default, (list, tuple)):
        default = [default] * len(suffixes)
    children = [childBuilder(ln + s, sn + ss, d, keyable=keyableChildren)
                for s, ss, d in zip(suffixes, shortSuffixes, default)]
    return numericCompound(ln, sn, numericType, children, **kw)


def parseEnumNames(text):
    """"a:b=5:c" -> [("a", 0), ("b", 5), ("c", 6)], as addAttr reads it."""
    result = []
    value = 0
    for field in text.split(":"):
        if not field:
            continue
        if "=" in field:
            name, number = field.split("=", 1)
            value = int(number)
        else:
            name = field
        result.append((name, value))
        value += 1
    return result


def _double(ln, sn, d, keyable=False):
    return double(ln, sn, d, keyable=keyable)


def _float(ln, sn, d, keyable=False):
    return numeric(ln, sn, N_FLOAT, float(d), keyable=keyable)


def _linear(ln, sn, d, keyable=False):
    return linear(ln, sn, d, keyable=keyable)


def _angle(ln, sn, d, keyable=False):
    return angle(ln, sn, d, keyable=keyable)


def _hikEffectorAttrs():
    # jointOrient holds angles: a double3 whose children are doubleAngles.
    return [vector("jointOrient", "jo", _angle)]


def _meshAttrs():
    return [typed("inMesh", "i", D_MESH), typed("outMesh", "o", D_MESH, writable=False)]


def _cameraAttrs():
    return [
        double("focalLength", "fl", 35.0),
        boolean("orthographic", "o"),
        linear("orthographicWidth", "ow", 30.0),
        linear("nearClipPlane", "ncp", 0.1),
        linear("farClipPlane", "fcp", 10000.0),
        double("horizontalFilmAperture", "hfa", 1.41732),
        double("verticalFilmAperture", "vfa", 0.94488),
    ]


def _locatorAttrs():
    return [vector("localPosition", "lp", _linear), vector("localScale", "los", _double, 1.0)]


def _timeAttrs():
    return [
        time("outTime", "o", writable=True, compute="outTime"),
        time("unwarpedTime", "uwt", writable=False, compute="unwarpedTime"),
        boolean("enableTimewarp", "etw", False),
    ]


def _multiplyDivideAttrs():
    return [
        enum("operation", "op", "No operation:Multiply:Divide:Power", 1, keyable=True),
        vector("input1", "i1", _float, 0.0, numericType=N_3FLOAT, keyableChildren=True),
        vector("input2", "i2", _float, 1.0, numericType=N_3FLOAT, keyableChildren=True),
        vector("output", "o", _float, 0.0, numericType=N_3FLOAT, writable=False,
               compute="multiplyDivide"),
    ]


def _passMatrixAttrs():
    return [
        typedMatrix("inMatrix", "im"),
        double("inScale", "is", 2.0),
        typedMatrix("outMatrix", "omat", writable=False, compute="passMatrix"),
    ]


def _blendBaseAttrs():
    return [
        double("weightA", "wa", 1.0, keyable=True),
        double("weightB", "wb", 1.0, keyable=True),
    ]


def _blendAttrs(builder, compute, accumulation=False):
    """inputA, inputB and output of a single-value animation layer blend
    (and the accumulationMode of a scale blend)."""
    def build():
        attrs = [
            builder("inputA", "ia", 0.0, keyable=True),
            builder("inputB", "ib", 0.0, keyable=True),
        ]
        output = builder("output", "o", 0.0)
        output.compute = compute
        if accumulation:
            attrs.append(enum("accumulationMode", "acm", "Multiply:Additive", keyable=True))
        return attrs + [output]
    return build


def _blendRotationAttrs():
    return [
        enum("accumulationMode", "acm", "By Component:By Layer", keyable=True),
        enum("rotateOrder", "ro", "xyz:yzx:zxy:xzy:yxz:zyx", keyable=True),
        vector("inputA", "ia", _angle, keyableChildren=True),
        vector("inputB", "ib", _angle, keyableChildren=True),
        vector("output", "o", _angle, compute=_computes.blendRotation),
    ]


def _boolean(ln, sn, d, keyable=False):
    """A boolean child for the blend builders."""
    return boolean(ln, sn, bool(d), keyable=keyable)


def _enumValue(ln, sn, d, keyable=False):
    """An enum without fields for the blend builders."""
    return enum(ln, sn, [], int(d), keyable=keyable)


def _time(ln, sn, d, keyable=False):
    """A time attribute for the blend builders."""
    return time(ln, sn, d, keyable=keyable)


def _networkAttrs():
    return [message("affects", "aff", multi=True)]


def _constraintTargetChildren(translate=False, rotate=False):
    """The children of a constraint's target[] compound."""
    children = []
    if translate:
        children += [vector("targetTranslate", "tt", _linear),
                     vector("targetRotatePivot", "trp", _linear),
                     vector("targetRotateTranslate", "trt", _linear)]
    if rotate:
        children += [vector("targetRotate", "tr", _angle),
                     enum("targetRotateOrder", "tro", "xyz:yzx:zxy:xzy:yxz:zyx"),
                     vector("targetJointOrient", "tjo", _angle)]
    children += [vector("targetScale", "ts", _double, 1.0),
                 typedMatrix("targetParentMatrix", "tpm"),
                 double("targetWeight", "tw", 1.0, keyable=True)]
    return children


def _constraintInputs(translate=False, rotate=False):
    """The driven node's inputs and the outputs of a constraint."""
    attrs = [typedMatrix("constraintParentInverseMatrix", "cpim")]
    if translate:
        attrs += [vector("constraintRotatePivot", "crp", _linear),
                  vector("constraintRotateTranslate", "crt", _linear),
                  vector("constraintTranslate", "ct", _linear)]
    if rotate:
        attrs += [enum("constraintRotateOrder", "cro", "xyz:yzx:zxy:xzy:yxz:zyx"),
                  vector("constraintJointOrient", "cjo", _angle),
                  vector("constraintRotate", "cr", _angle)]
    return attrs


def _parentConstraintAttrs():
    """A parentConstraint's targets, inputs and outputs."""
    target = compound("target", "tg", _constraintTargetChildren(True, True), multi=True)
    return [target, boolean("enableRestPosition", "erp"),
            enum("interpType", "int", "No Flip:Average:Shortest:Longest:Cache", 1),
            vector("restTranslate", "rst", _linear), vector("restRotate", "rsrr", _angle)
            ] + _constraintInputs(True, True)


def _pointConstraintAttrs():
    """A pointConstraint's targets, inputs, offset and outputs."""
    target = compound("target", "tg", _constraintTargetChildren(translate=True), multi=True)
    return [target, boolean("enableRestPosition", "erp"), vector("offset", "o", _linear),
            vector("restTranslate", "rst", _linear)] + _constraintInputs(translate=True)


def _orientConstraintAttrs():
    """An orientConstraint's targets, inputs, offset and outputs."""
    target = compound("target", "tg", _constraintTargetChildren(rotate=True), multi=True)
    return [target, boolean("enableRestPosition", "erp"), vector("offset", "o", _angle),
            vector("restRotate", "rsrr", _angle)] + _constraintInputs(rotate=True)


def _expressionAttrs():
    """An expression's string, inputs, outputs and time."""
    return [
        typed("internalExpression", "ixp", D_STRING, default=""),
        double("input", "in", multi=True),
        double("output", "out", multi=True, compute=_computes.expressionOutput),
        time("time", "tim"),
        double("frame", "frm"),
        message("objectMsg", "obm"),
    ]


def _plusMinusAverageAttrs():
    """plusMinusAverage's operation, input arrays and outputs."""
    return [
        enum("operation", "op", "No operation:Sum:Subtract:Average", 1, keyable=True),
        numeric("input1D", "i1", N_FLOAT, 0.0, keyable=True, multi=True),
        vector("input2D", "i2", _float, 0.0, suffixes="xy", numericType=N_2FLOAT,
               keyableChildren=True, multi=True),
        vector("input3D", "i3", _float, 0.0, suffixes="xyz", numericType=N_3FLOAT,
               keyableChildren=True, multi=True),
        numeric("output1D", "o1", N_FLOAT, 0.0, writable=False,
                compute=_computes.plusMinusAverage1D),
        vector("output2D", "o2", _float, 0.0, suffixes="xy", numericType=N_2FLOAT,
               writable=False, compute=_computes.plusMinusAverage2D),
        vector("output3D", "o3", _float, 0.0, suffixes="xyz", numericType=N_3FLOAT,
               writable=False, compute=_computes.plusMinusAverage3D),
    ]


def nodeAttributes(nodeType):
    """The top-level attributes of a node type and the name index of all its
    attributes (children included), built once per type."""
    if nodeType.attrDefs is None:
        attrs = []
        for builder in nodeType.attrBuilders:
            attrs.extend(builder())
        index = {}
        for top in attrs:
            for attr in top.walk():
                index.setdefault(attr.longName, attr)
                index.setdefault(attr.shortName, attr)
        nodeType.attrDefs = attrs
        nodeType.attrIndex = index
        # every attribute in index order, and each one's index: a transform
        # has hundreds, and MFnDependencyNode.attribute(i) runs per index
        nodeType.attrList = [a for top in attrs for a in top.walk()]
        nodeType.attrPosition = dict((a, i) for i, a in enumerate(nodeType.attrList))
    return nodeType.attrDefs, nodeType.attrIndex


# addAttr -attributeType names.
def fromAttributeType(at, ln, sn, numberOfChildren=0, enumNames=None, default=None,
                      multi=False, keyable=False, minValue=None, maxValue=None):
    """Build a dynamic attribute the way ``addAttr -at`` does."""
    kw = dict(multi=multi, keyable=keyable, minValue=minValue, maxValue=maxValue)
    simple = {
        "bool": N_BOOLEAN, "long": N_LONG, "short": N_SHORT, "byte": N_BYTE,
        "char": N_CHAR, "float": N_FLOAT, "double": N_DOUBLE, "long64": N_INT64,
    }
    compounds = {
        "float2": N_2FLOAT, "float3": N_3FLOAT, "double2": N_2DOUBLE,
        "double3": N_3DOUBLE, "double4": N_4DOUBLE, "long2": N_2LONG,
        "long3": N_3LONG, "short2": N_2SHORT, "short3": N_3SHORT,
        "reflectance": N_3FLOAT, "spectrum": N_3FLOAT,
    }
    if at in simple:
        ntype = simple[at]
        if default is None:
            default = False if ntype == N_BOOLEAN else 0
        if ntype in (N_FLOAT, N_DOUBLE):
            default = float(default)
        elif ntype == N_BOOLEAN:
            default = bool(default)
        else:
            default = int(default)
        return numeric(ln, sn, ntype, default, **kw)
    if at == "enum":
        return enum(ln, sn, enumNames or [("green", 0), ("blue", 1)],
                    int(default or 0), **kw)
    if at in ("doubleLinear", "floatLinear"):
        return linear(ln, sn, default or 0.0, isFloat=at == "floatLinear", **kw)
    if at in ("doubleAngle", "floatAngle"):
        return angle(ln, sn, default or 0.0, isFloat=at == "floatAngle", **kw)
    if at == "time":
        return time(ln, sn, default or 0.0, **kw)
    if at == "message":
        return message(ln, sn, multi=multi)
    if at == "matrix":
        return matrix(ln, sn, multi=multi)
    if at == "fltMatrix":
        return matrix(ln, sn, isFloat=True, multi=multi)
    if at == "compound":
        # Children are added later through addAttr -parent.
        attr = compound(ln, sn, [], multi=multi)
        attr.expectedChildren = numberOfChildren
        return attr
    if at in compounds:
        attr = numericCompound(ln, sn, compounds[at], [], multi=multi,
                               usedAsColor=at in ("reflectance", "spectrum"))
        attr.expectedChildren = int(at[-1]) if at[-1].isdigit() else 3
        return attr
    raise RuntimeError("Unknown attribute type: %s" % at)


DATA_TYPE_NAMES = {
    "string": D_STRING, "matrix": D_MATRIX, "stringArray": D_STRING_ARRAY,
    "doubleArray": D_DOUBLE_ARRAY, "floatArray": D_FLOAT_ARRAY,
    "Int32Array": D_INT_ARRAY, "pointArray": D_POINT_ARRAY,
    "vectorArray": D_VECTOR_ARRAY, "mesh": D_MESH, "lattice": D_LATTICE,
    "nurbsCurve": D_NURBS_CURVE, "nurbsSurface": D_NURBS_SURFACE,
}
DATA_TYPE_LABELS = dict((v, k) for k, v in DATA_TYPE_NAMES.items())


def fromDataType(dt, ln, sn, multi=False, keyable=False):
    """Build a dynamic attribute the way ``addAttr -dt`` does."""
    if dt not in DATA_TYPE_NAMES:
        raise RuntimeError("Unknown data type: %s" % dt)
    dataType = DATA_TYPE_NAMES[dt]
    default = _math.IDENTITY if dataType == D_MATRIX else None
    return typed(ln, sn, dataType, default=default, multi=multi, keyable=keyable)

"""Maya's own attributes of the node types the suite uses most, and the
registry of every node type the scene can create.

The attribute lists of node ("dependNode" here), containerBase, entity,
dagNode, transform, joint, objectSet and animLayer follow a current Maya
(2023 or later: it has drawOverride.overrideColorA and dagLocalMatrix) as
its node reference and listAttr give them: names, short names, types,
defaults and the order of MFnDependencyNode.attribute(i), inherited
attributes first and a compound's children right after it.  The anim curve
lists follow the Maya 2017 node reference (animCurve, animCurveTU).  Where
the reference gives no flags an attribute keeps Maya's attribute defaults
(readable, writable, storable, not keyable, not hidden); enums whose field
names it does not give list no fields.  Attributes nothing in the model
reads are plain stored values (bounding boxes, limits, ghosting, render
layers ...).  Attribute definitions are built once per node type
(``nodeAttributes``) and shared by every node of that type.
"""

from ._attrs import (
    AttrDef, GENERIC, N_BYTE, N_FLOAT, N_2FLOAT, N_3FLOAT, N_4DOUBLE, N_LONG,
    N_SHORT, D_COMPONENT_LIST, D_INT_ARRAY, D_INVALID, D_STRING, angle, boolean,
    compound, double, enum, linear, matrix, message, numeric, time, typed,
    typedMatrix, vector, _angle, _double, _float, _linear,
    _blendAttrs, _blendBaseAttrs, _blendRotationAttrs, _boolean, _cameraAttrs,
    _enumValue, _expressionAttrs, _hikEffectorAttrs, _locatorAttrs, _meshAttrs,
    _multiplyDivideAttrs, _networkAttrs, _orientConstraintAttrs,
    _parentConstraintAttrs, _passMatrixAttrs, _plusMinusAverageAttrs,
    _pointConstraintAttrs, _time, _timeAttrs, nodeAttributes)
from ._types import NodeType, NODE_TYPES
from . import _computes

__all__ = ["ANIM_CURVE_TYPES", "nodeAttributes"]


# --- helpers of the lists ----------------------------------------------------

def _vec(ln, sn, childBuilder, default=0.0, names=None, **kw):
    """A compound of children named ``names`` ((longName, shortName) pairs),
    made by ``childBuilder``: the limit and flag triples whose children are
    not named by suffixing."""
    if not isinstance(default, (list, tuple)):
        default = [default] * len(names)
    children = [childBuilder(cl, cs, d) for (cl, cs), d in zip(names, default)]
    return compound(ln, sn, children, **kw)


def _bool(ln, sn, d, keyable=False):
    return boolean(ln, sn, bool(d), keyable=keyable)


def _long(ln, sn, d, keyable=False):
    return numeric(ln, sn, N_LONG, int(d), keyable=keyable)


def _string(ln, sn, **kw):
    return typed(ln, sn, D_STRING, **kw)


def _xyz(prefix, shortPrefix, suffix="", shortSuffix=""):
    """(prefixXsuffix, ...) name pairs of a triple of limits."""
    return [(prefix + a + suffix, shortPrefix + a.lower() + shortSuffix) for a in "XYZ"]


def _dependNodeAttrs():
    """The attributes of every node (Maya's abstract "node")."""
    return [
        message("message", "msg", hidden=True),
        boolean("caching", "cch"),
        boolean("frozen", "fzn"),
        numeric("isHistoricallyInteresting", "ihi", N_BYTE, 2, hidden=True),
        enum("nodeState", "nds", "Normal:HasNoEffect:Blocking:Waiting-Normal:"
             "Waiting-HasNoEffect:Waiting-Blocking"),
        _string("binMembership", "bnm", hidden=True),
    ]


def _containerBaseAttrs():
    """What every DAG node and set inherits to be shown in a container."""
    return [
        message("hyperLayout", "hl", hidden=True),
        boolean("isCollapsed", "isc", hidden=True),
        boolean("blackBox", "bbx"),
        message("borderConnections", "boc", multi=True),
        boolean("isHierarchicalConnection", "ish", multi=True, hidden=True),
        compound("publishedNodeInfo", "pni", [
            message("publishedNode", "pnod"),
            boolean("isHierarchicalNode", "ihn"),
            _string("publishedNodeType", "pntp"),
        ], multi=True, hidden=True),
        _string("rmbCommand", "rmc"),
        _string("templateName", "tna"),
        _string("templatePath", "tpt"),
        _string("viewName", "vwn"),
        _string("iconName", "icn"),
        enum("viewMode", "vwm", "Flat:Use Template:Group By Node", 2),
        numeric("templateVersion", "tpv", N_LONG, 0),
        enum("uiTreatment", "uit", "Standard:Shader:Custom=1000"),
        _string("customTreatment", "ctrt"),
        _string("creator", "ctor"),
        _string("creationDate", "cdat"),
        _string("containerType", "ctyp"),
    ]


def _color(ln, sn, default=0.0, shortNames=None, longNames=None, **kw):
    """A float3 colour whose children end in R, G and B unless named."""
    attr = vector(ln, sn, _float, default, suffixes="RGB", numericType=N_3FLOAT,
                  usedAsColor=True, **kw)
    longNames = longNames or [c.longName for c in attr.children]
    shortNames = shortNames or [c.shortName for c in attr.children]
    return _renamed(attr, list(zip(longNames, shortNames)))


def _dagNodeAttrs():
    return [
        compound("boundingBox", "bb", [
            _renamed(vector("boundingBoxMin", "bbmn", _linear, writable=False),
                     _xyz("boundingBoxMin", "bbn")),
            _renamed(vector("boundingBoxMax", "bbmx", _linear, writable=False),
                     _xyz("boundingBoxMax", "bbx")),
            _renamed(vector("boundingBoxSize", "bbsi", _linear, writable=False),
                     _xyz("boundingBoxSize", "bbs")),
        ], writable=False),
        _renamed(vector("center", "c", _linear, writable=False),
                 [("boundingBoxCenterX", "bcx"), ("boundingBoxCenterY", "bcy"),
                  ("boundingBoxCenterZ", "bcz")]),
        typedMatrix("matrix", "m", writable=False, compute="matrix"),
        typedMatrix("inverseMatrix", "im", writable=False, compute="inverseMatrix"),
        typedMatrix("worldMatrix", "wm", multi=True, writable=False,
                    compute="worldMatrix"),
        typedMatrix("worldInverseMatrix", "wim", multi=True, writable=False,
                    compute="worldInverseMatrix"),
        typedMatrix("parentMatrix", "pm", multi=True, writable=False,
                    compute="parentMatrix"),
        typedMatrix("parentInverseMatrix", "pim", multi=True, writable=False,
                    compute="parentInverseMatrix"),
        boolean("visibility", "v", True, keyable=True),
        boolean("intermediateObject", "io"),
        boolean("template", "tmp"),
        compound("instObjGroups", "iog", [
            compound("objectGroups", "og", [
                typed("objectGrpCompList", "gcl", D_COMPONENT_LIST),
                numeric("objectGroupId", "gid", N_LONG, 0),
                numeric("objectGrpColor", "gco", N_SHORT, 0),
            ], multi=True),
        ], multi=True),
        _color("objectColorRGB", "obcc", 0.0, ("obcr", "obcg", "obcb"),
               ("objectColorR", "objectColorG", "objectColorB")),
        _color("wireColorRGB", "wfcc", 0.0, ("wfcr", "wfcg", "wfcb"),
               ("wireColorR", "wireColorG", "wireColorB")),
        enum("useObjectColor", "uoc", "Default:Indexed:RGB"),
        numeric("objectColor", "oc", N_SHORT, 0, minValue=0, maxValue=7),
        compound("drawOverride", "do", [
            enum("overrideDisplayType", "ovdt", "Normal:Template:Reference"),
            enum("overrideLevelOfDetail", "ovlod", "Full:Bounding Box"),
            boolean("overrideShading", "ovs", True),
            boolean("overrideTexturing", "ovt", True),
            boolean("overridePlayback", "ovp", True),
            boolean("overrideEnabled", "ove", False),
            boolean("overrideVisibility", "ovv", True),
            boolean("hideOnPlayback", "hpb", False),
            boolean("overrideRGBColors", "ovrgbf", False),
            numeric("overrideColor", "ovc", N_BYTE, 0),
            _color("overrideColorRGB", "ovrgb", 0.0, ("ovcr", "ovcg", "ovcb"),
                   ("overrideColorR", "overrideColorG", "overrideColorB")),
            numeric("overrideColorA", "ovca", N_FLOAT, 1.0),
        ]),
        boolean("lodVisibility", "lodv", True),
        boolean("selectionChildHighlighting", "sech", True),
        compound("renderInfo", "ri", [
            numeric("identification", "rlid", N_SHORT, 0),
            boolean("layerRenderable", "rndr", True),
            numeric("layerOverrideColor", "lovc", N_BYTE, 0),
        ]),
        compound("renderLayerInfo", "rlio", [
            numeric("renderLayerId", "rli", N_SHORT, 0),
            boolean("renderLayerRenderable", "rlr", True),
            numeric("renderLayerColor", "rlc", N_BYTE, 0),
        ], multi=True),
        boolean("ghosting", "gh"),
        enum("ghostingMode", "gm", "Pre And Post Frames:Pre Frames:Post Frames:"
             "Custom Frames:Pre And Post Keyframes:All Keyframes"),
        _vec("ghostCustomSteps", "gcs", _long, (3, 3, 1),
             [("ghostPreFrames", "gprf"), ("ghostPostFrames", "gpof"),
              ("ghostsStep", "gstp")]),
        typed("ghostFrames", "gf", D_INT_ARRAY),
        _renamed(vector("ghostOpacityRange", "golr", _float, (0.15, 0.5), suffixes="AB",
                        numericType=N_2FLOAT),
                 [("ghostFarOpacity", "gfro"), ("ghostNearOpacity", "gnro")]),
        _color("ghostColorPre", "gcp", (0.447, 1.0, 1.0),
               ("grr", "gpg", "gpb")),
        _color("ghostColorPost", "gac", (0.878, 0.678, 0.663),
               ("gar", "gag", "gab")),
        message("ghostDriver", "gdr"),
        boolean("ghostUseDriver", "gud"),
        boolean("hiddenInOutliner", "hio"),
        boolean("useOutlinerColor", "uocol", False),
        _color("outlinerColor", "oclr", 0.0, ("oclrr", "oclrg", "oclrb")),
    ]


def _renamed(attr, names):
    """``attr`` with its children renamed to ``names`` ((long, short) pairs),
    for the compounds whose children do not take their parent's name."""
    for child, (ln, sn) in zip(attr.children, names):
        child.longName, child.shortName = ln, sn
    return attr


def _limits(kind, builder, low, high):
    """minXLimit ... maxXLimitEnable of one channel (Trans, Rot, Scale):
    the limit triples, then whether each is on."""
    k = kind[0].lower()
    return [
        _vec("min%sLimit" % kind, "mn%sl" % k, builder, low,
             [("min%s%sLimit" % (kind, a), "m%s%sl" % (k, a.lower())) for a in "XYZ"]),
        _vec("max%sLimit" % kind, "mx%sl" % k, builder, high,
             [("max%s%sLimit" % (kind, a), "x%s%sl" % (k, a.lower())) for a in "XYZ"]),
        _vec("min%sLimitEnable" % kind, "m%sle" % k, _bool, False,
             [("min%s%sLimitEnable" % (kind, a), "m%s%se" % (k, a.lower())) for a in "XYZ"]),
        _vec("max%sLimitEnable" % kind, "x%sle" % k, _bool, False,
             [("max%s%sLimitEnable" % (kind, a), "x%s%se" % (k, a.lower())) for a in "XYZ"]),
    ]


def _transformAttrs():
    """A transform's own attributes; offsetParentMatrix and the dag local
    matrices come after the limits, where Maya lists them."""
    quarterTurn = 0.7853981633974483
    return [
        vector("translate", "t", _linear, keyableChildren=True),
        vector("rotate", "r", _angle, keyableChildren=True),
        enum("rotateOrder", "ro", "xyz:yzx:zxy:xzy:yxz:zyx"),
        vector("scale", "s", _double, 1.0, keyableChildren=True),
        vector("shear", "sh", _double, 0.0, suffixes=("XY", "XZ", "YZ"),
               shortSuffixes=("xy", "xz", "yz")),
        vector("rotatePivot", "rp", _linear),
        vector("rotatePivotTranslate", "rpt", _linear),
        vector("scalePivot", "sp", _linear),
        vector("scalePivotTranslate", "spt", _linear),
        vector("rotateAxis", "ra", _angle),
        _renamed(vector("transMinusRotatePivot", "tmrp", _linear, writable=False),
                 [("transMinusRotatePivot" + a, "tmr" + a.lower()) for a in "XYZ"]),
    ] + _limits("Trans", _linear, -1.0, 1.0) \
      + _limits("Rot", _angle, -quarterTurn, quarterTurn) \
      + _limits("Scale", _double, -1.0, 1.0) + [
        matrix("offsetParentMatrix", "opm"),
        matrix("dagLocalMatrix", "dlm", writable=False),
        matrix("dagLocalInverseMatrix", "dlim", writable=False),
        AttrDef("geometry", "g", GENERIC, "kGenericAttribute", readable=False),
        typedMatrix("xformMatrix", "xm", writable=False, compute="matrix"),
        vector("selectHandle", "hdl", _linear),
        boolean("inheritsTransform", "it", True),
        boolean("displayHandle", "dh"),
        boolean("displayScalePivot", "dsp"),
        boolean("displayRotatePivot", "drp"),
        boolean("displayLocalAxis", "dla"),
        boolean("dynamics", "dyn", readable=False),
        enum("showManipDefault", "smd", []),
        typed("specifiedManipLocation", "sml", D_INVALID, readable=False),
        vector("rotateQuaternion", "rq", _double, 0.0, suffixes="XYZW",
               numericType=N_4DOUBLE),
        enum("rotationInterpolation", "roi", [], 1, writable=False),
    ]


def _jointAttrs():
    return [
        _string("jointOrientType", "jot"),
        _string("jointType", "jt"),
        boolean("jointTypeX", "jtx", True),
        boolean("jointTypeY", "jty", True),
        boolean("jointTypeZ", "jtz", True),
        numeric("dofMask", "dm", N_LONG, 2021227011, writable=False),
        vector("jointOrient", "jo", _angle),
        boolean("segmentScaleCompensate", "ssc", True),
        vector("inverseScale", "is", _double, 1.0),
        vector("stiffness", "st", _double),
        vector("preferredAngle", "pa", _angle),
        _renamed(vector("minRotateDampRange", "ndr", _angle),
                 [("minRotateDampRange" + a, "nd" + a.lower()) for a in "XYZ"]),
        vector("minRotateDampStrength", "nst", _double),
        _renamed(vector("maxRotateDampRange", "xdr", _angle),
                 [("maxRotateDampRange" + a, "xd" + a.lower()) for a in "XYZ"]),
        vector("maxRotateDampStrength", "xst", _double),
        typedMatrix("bindPose", "bps"),
        vector("bindRotation", "br", _angle),
        _renamed(vector("bindJointOrient", "bjo", _angle),
                 [("bindJointOrient" + a, "bj" + a.lower()) for a in "XYZ"]),
        vector("bindRotateAxis", "bra", _angle),
        vector("bindScale", "bs", _double, 1.0),
        _renamed(vector("bindInverseScale", "bis", _double, 1.0),
                 [("bindInverseScale" + a, "bi" + a.lower()) for a in "XYZ"]),
        boolean("bindSegmentScaleCompensate", "bsc", True),
        boolean("isIKDirtyFlag", "idf"),
        boolean("inIKSolveFlag", "isf"),
        enum("drawStyle", "ds", "Bone:Multi-child as Box:None:Joint"),
        boolean("drawLabel", "dl"),
        enum("side", "sd", "Center:Left:Right:None"),
        enum("type", "typ", "None:Root:Hip:Knee:Foot:Toe:Spine:Neck:Head:Collar:"
             "Shoulder:Elbow:Hand:Finger:Thumb:PropA:PropB:PropC:Other:Index Finger:"
             "Middle Finger:Ring Finger:Pinky Finger:Extra Finger:Big Toe:Index Toe:"
             "Middle Toe:Ring Toe:Pinky Toe:Foot Thumb"),
        _string("otherType", "otp"),
        _renamed(vector("ikRotate", "ikr", _angle),
                 [("ikRotate" + a, "ir" + a.lower()) for a in "XYZ"]),
        _renamed(vector("fkRotate", "fkr", _angle),
                 [("fkRotate" + a, "fr" + a.lower()) for a in "XYZ"]),
        double("radius", "radi", 1.0),
        numeric("hikNodeID", "hni", N_LONG, -1),
        message("hikFkJoint", "hfk"),
    ]


def _animCurveBaseAttrs():
    """Every anim curve's tangents, infinities and display settings.  The
    first four lead as in the node reference's table; the order of the rest,
    and the short names of useCurveColor, curveColor, the stipple settings,
    inStippleRange and keyTickDrawSpecial, are the stand-in's own.  "apply"
    is a function attribute in Maya, a generic one here; weightedTangents
    starts off as on new curves (the reference gives the node default on)."""
    infinity = "Constant:Linear:Constant:Cycle:Cycle with Offset:Oscillate"
    return [
        AttrDef("apply", "a", GENERIC, "kGenericAttribute", writable=False),
        enum("tangentType", "tan", [], 4, hidden=True),
        boolean("weightedTangents", "wgt"),
        boolean("keyTanLocked", "ktl", True, multi=True, hidden=True),
        boolean("keyWeightLocked", "kwl", True, multi=True, hidden=True),
        double("keyTanInX", "kix", multi=True, hidden=True),
        double("keyTanInY", "kiy", multi=True, hidden=True),
        double("keyTanOutX", "kox", multi=True, hidden=True),
        double("keyTanOutY", "koy", multi=True, hidden=True),
        numeric("keyTanInType", "kit", N_SHORT, 0, multi=True, hidden=True),
        numeric("keyTanOutType", "kot", N_SHORT, 0, multi=True, hidden=True),
        enum("preInfinity", "pre", infinity),
        enum("postInfinity", "pst", infinity),
        boolean("keyBreakdown", "kbd", multi=True, hidden=True, keyFlag="breakdown"),
        boolean("keyTickDrawSpecial", "ktds", multi=True, hidden=True,
                keyFlag="tickDrawSpecial"),
        enum("rotationInterpolation", "roti", []),
        boolean("useCurveColor", "ucc"),
        _color("curveColor", "cc", 0.0),
        numeric("stipplePattern", "stp", N_LONG, 0),
        boolean("stippleReverse", "spr"),
        double("outStippleThreshold", "ost"),
        double("outStippleRange", "osr"),
        double("inStippleRange", "isr"),
    ]


def _animCurveAttrs(valueBuilder):
    """An anim curve type's input, output and keys, its output and key
    values made by ``valueBuilder(longName, shortName, **flags)``."""
    def build():
        return [
            time("input", "i"),
            valueBuilder("output", "o", writable=False, compute="animCurve"),
            compound("keyTimeValue", "ktv", [
                time("keyTime", "kt", hidden=True),
                valueBuilder("keyValue", "kv", hidden=True),
            ], multi=True, hidden=True),
            time("keyValueSwitch", "kvs", writable=False, hidden=True),
        ]
    return build


def _objectSetAttrs():
    """The members and settings of a set.  The model keeps members as
    message connections into dagSetMembers / dnSetMembers."""
    return [
        message("dagSetMembers", "dsm", multi=True),
        message("dnSetMembers", "dnsm", multi=True),
        numeric("memberWireframeColor", "mwc", N_SHORT, -1, minValue=-1, maxValue=23),
        _color("channelSetColor", "cscol", 0.5, ("cscolr", "cscolg", "cscolb")),
        numeric("channelSetColorIndex", "csci", N_SHORT, -1),
        _string("annotation", "an"),
        boolean("isLayer", "il"),
        boolean("verticesOnlySet", "vo"),
        boolean("edgesOnlySet", "eo"),
        boolean("facetsOnlySet", "fo"),
        boolean("editPointsOnlySet", "epo"),
        boolean("renderableOnlySet", "ro"),
        message("partition", "pa"),
        message("groupNodes", "gn", multi=True, readable=False),
        message("usedBy", "ub", multi=True),
        boolean("hiddenInOutliner", "hio"),
    ]


def _animLayerAttrs():
    """An animation layer's hierarchy, settings and computed weights."""
    accumulation = "By Component:By Layer"
    return [
        message("blendNodes", "bnds", multi=True),
        message("childrenLayers", "cdly", multi=True),
        message("parentLayer", "play"),
        boolean("mute", "mt"),
        boolean("parentMute", "pmte"),
        boolean("solo", "sl"),
        boolean("childsoloed", "csol", writable=False, compute=_computes.layerChildSoloed),
        boolean("childrenSolo", "chsl", multi=True),
        boolean("siblingSolo", "sslo"),
        boolean("outMute", "omte", writable=False, compute=_computes.layerOutMute),
        boolean("lock", "lo"),
        boolean("ghost", "gh"),
        numeric("ghostColor", "ghc", N_SHORT, 5, minValue=2, maxValue=24),
        boolean("preferred", "pref"),
        boolean("selected", "slct"),
        boolean("override", "ovrd"),
        boolean("passthrough", "pthg", True),
        boolean("collapse", "coll"),
        double("weight", "wgth", 1.0, keyable=True, minValue=0.0, maxValue=1.0),
        double("parentWeight", "pwth", 1.0, minValue=0.0, maxValue=1.0),
        double("foregroundWeight", "fgwt", 1.0, writable=False, minValue=0.0, maxValue=1.0,
               compute=_computes.layerForeground),
        double("backgroundWeight", "bgwt", 0.0, writable=False, minValue=0.0,
               maxValue=1.0, compute=_computes.layerBackground),
        message("cteRoot", "cter"),
        enum("rotationAccumulationMode", "ram", accumulation),
        enum("outRotationAccumulationMode", "oram", accumulation, writable=False,
             compute=_computes.layerOutRotationMode),
        # Maya's node default is Additive (1); the model's layers multiply
        # scales unless told otherwise, as they always have.
        enum("scaleAccumulationMode", "sam", "Multiply:Additive"),
        boolean("exclusive", "exc"),
        message("clips", "cl", writable=False),
        message("ghostedClips", "gc", multi=True, readable=False),
    ]


# --- node types ---------------------------------------------------------------

_DG = ("kBase", "kNamedObject", "kDependencyNode")
_DAG = _DG + ("kDagNode",)


def _nodeType(name, apiType, chain, builders, inherits=None, **kw):
    parent = NODE_TYPES[inherits] if inherits else None
    if parent is not None:
        builders = parent.attrBuilders + tuple(builders)
    nodeType = NodeType(name, apiType, chain, attrs=builders, inherits=parent, **kw)
    NODE_TYPES[name] = nodeType
    return nodeType


_nodeType("dependNode", "kDependencyNode", _DG[:-1], [_dependNodeAttrs])
# DAG nodes and sets are containerBase / entity nodes in Maya; entity adds
# no attributes of its own.
_nodeType("containerBase", "kDependencyNode", _DG, [_containerBaseAttrs], "dependNode")
_nodeType("entity", "kDependencyNode", _DG, [], "containerBase")
_nodeType("dagNode", "kDagNode", _DG, [_dagNodeAttrs], "entity", dag=True)
_nodeType("world", "kWorld", _DAG, [], "dagNode", dag=True)
_nodeType("transform", "kTransform", _DAG, [_transformAttrs], "dagNode",
          dag=True, transform=True)
_nodeType("joint", "kJoint", _DAG + ("kTransform",), [_jointAttrs], "transform",
          dag=True, transform=True)
# HumanIK effectors are transforms with a joint orient (see Scene.localMatrix).
_nodeType("hikIKEffector", "kHikIKEffector", _DAG + ("kTransform",), [_hikEffectorAttrs],
          "transform", dag=True, transform=True)
_nodeType("shape", "kShape", _DAG, [], "dagNode", dag=True, shape=True)
_nodeType("mesh", "kMesh", _DAG + ("kShape", "kGeometric", "kSurface"),
          [_meshAttrs], "shape", dag=True, shape=True, autoParent="polySurface",
          shapeName="polySurfaceShape")
_nodeType("camera", "kCamera", _DAG + ("kShape",), [_cameraAttrs], "shape",
          dag=True, shape=True, autoParent="camera", shapeName="cameraShape")
_nodeType("locator", "kLocator", _DAG + ("kShape", "kGeometric"), [_locatorAttrs],
          "shape", dag=True, shape=True, autoParent="locator", shapeName="locatorShape")
# A NURBS curve shape carries no attributes of its own in the model (no CVs).
_nodeType("nurbsCurve", "kNurbsCurve", _DAG + ("kShape", "kGeometric", "kCurve"), [],
          "shape", dag=True, shape=True, autoParent="curve", shapeName="curveShape")
_nodeType("time", "kTime", _DG, [_timeAttrs], "dependNode")
_nodeType("network", "kAffect", _DG, [_networkAttrs], "dependNode")
_nodeType("multiplyDivide", "kMultiplyDivide", _DG, [_multiplyDivideAttrs], "dependNode")
_nodeType("passMatrix", "kDependencyNode", _DG, [_passMatrixAttrs], "dependNode")
_nodeType("animCurve", "kAnimCurve", _DG, [_animCurveBaseAttrs], "dependNode")
for _name, _api, _builder in (
        ("animCurveTL", "kAnimCurveTimeToDistance", linear),
        ("animCurveTA", "kAnimCurveTimeToAngular", angle),
        ("animCurveTU", "kAnimCurveTimeToUnitless", double),
        ("animCurveTT", "kAnimCurveTimeToTime", time)):
    _nodeType(_name, _api, _DG + ("kAnimCurve",), [_animCurveAttrs(_builder)], "animCurve")
del _name, _api, _builder

# Animation layer blends: Maya lists only a blend type's own MFn type among
# its function sets (not kBlendNodeBase), and so does the model.  Their
# outputs are computed from their inputs and weights (see maya._computes).
_nodeType("animBlendNodeBase", "kBlendNodeBase", _DG, [_blendBaseAttrs], "dependNode")
for _name, _api, _builder, _compute in (
        ("animBlendNodeAdditive", "kBlendNodeDouble", _double, _computes.blendAdditive),
        ("animBlendNodeAdditiveDL", "kBlendNodeDoubleLinear", _linear, _computes.blendAdditive),
        ("animBlendNodeAdditiveDA", "kBlendNodeDoubleAngle", _angle, _computes.blendAdditive),
        ("animBlendNodeBoolean", "kBlendNodeBoolean", _boolean, _computes.blendSwitch),
        ("animBlendNodeEnum", "kBlendNodeEnum", _enumValue, _computes.blendSwitch),
        ("animBlendNodeTime", "kBlendNodeTime", _time, _computes.blendSwitch)):
    _nodeType(_name, _api, _DG, [_blendAttrs(_builder, _compute)], "animBlendNodeBase")
_nodeType("animBlendNodeAdditiveScale", "kBlendNodeAdditiveScale", _DG,
          [_blendAttrs(_double, _computes.blendScale, accumulation=True)], "animBlendNodeBase")
_nodeType("animBlendNodeAdditiveRotation", "kBlendNodeAdditiveRotation", _DG,
          [_blendRotationAttrs], "animBlendNodeBase")
del _name, _api, _builder, _compute

# Sets and animation layers.  An animation layer is an objectSet whose
# dagSetMembers are the layered plugs themselves.
_nodeType("objectSet", "kSet", _DG, [_objectSetAttrs], "entity")
_nodeType("animLayer", "kAnimLayer", _DG + ("kSet",), [_animLayerAttrs], "objectSet")

# Constraints are transforms parented under the node they drive.  Their
# outputs hold the values the constraint command computed; moving a target
# later does not move the constrained node.
_nodeType("constraint", "kConstraint", _DAG + ("kTransform",), [], "transform",
          dag=True, transform=True)
for _name, _api, _builder in (
        ("parentConstraint", "kParentConstraint", _parentConstraintAttrs),
        ("pointConstraint", "kPointConstraint", _pointConstraintAttrs),
        ("orientConstraint", "kOrientConstraint", _orientConstraintAttrs)):
    _nodeType(_name, _api, _DAG + ("kTransform", "kConstraint"), [_builder], "constraint",
              dag=True, transform=True)
del _name, _api, _builder

_nodeType("expression", "kExpression", _DG, [_expressionAttrs], "dependNode")
_nodeType("plusMinusAverage", "kPlusMinusAverage", _DG, [_plusMinusAverageAttrs], "dependNode")

ANIM_CURVE_TYPES = ("animCurveTL", "animCurveTA", "animCurveTU", "animCurveTT")

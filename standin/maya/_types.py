"""Type constants of the model: ``MFn`` function-set types and the node types.

``MFN`` lists the ``MFn.Type`` constants the stand-in knows, with the values
of Maya 2026.  The values change between Maya releases (new types are
inserted), so code must compare against the ``MFn`` names, never against
literals.  Node types without a type of their own answer as Maya's do: a
network node is a ``kAffect``, a passMatrix node a plain
``kDependencyNode``.

``NODE_TYPES`` describes every node type the scene can create: its ``MFn``
type, the types ``hasFn`` answers for (the class hierarchy), whether it is a
DAG node, and the names Maya gives new nodes of that type.
"""

MFN = dict(
    kInvalid=0, kBase=1, kNamedObject=2, kModel=3, kDependencyNode=4,
    kAddDoubleLinear=5, kAffect=6, kAnimCurve=7,
    kAnimCurveTimeToAngular=8, kAnimCurveTimeToDistance=9,
    kAnimCurveTimeToTime=10, kAnimCurveTimeToUnitless=11,
    kAnimCurveUnitlessToAngular=12, kAnimCurveUnitlessToDistance=13,
    kAnimCurveUnitlessToTime=14, kAnimCurveUnitlessToUnitless=15,
    kAngleBetween=21,
    kDagNode=107, kTransform=110, kAimConstraint=111, kJoint=121,
    kOrientConstraint=239, kPointConstraint=240, kParentConstraint=242,
    kScaleConstraint=244, kWorld=247, kShape=248, kCamera=250,
    kGeometric=265, kCurve=266, kNurbsCurve=267, kLocator=281,
    kSurface=293, kNurbsSurface=294, kMesh=296,
    kExpression=327, kMultiplyDivide=448, kPlusMinusAverage=461, kSet=471,
    kTime=520,
    # attributes
    kAttribute=565, kNumericAttribute=566, kDoubleAngleAttribute=567,
    kFloatAngleAttribute=568, kDoubleLinearAttribute=569,
    kFloatLinearAttribute=570, kTimeAttribute=571, kEnumAttribute=572,
    kUnitAttribute=573, kTypedAttribute=574, kCompoundAttribute=575,
    kGenericAttribute=576, kLightDataAttribute=577, kMatrixAttribute=578,
    kFloatMatrixAttribute=579, kMessageAttribute=580,
    kAttribute2Double=748, kAttribute2Float=749, kAttribute2Short=750,
    kAttribute2Int=751, kAttribute3Double=752, kAttribute3Float=753,
    kAttribute3Short=754, kAttribute3Int=755, kAttribute4Double=881,
    # data objects
    kData=583, kComponentListData=584, kDoubleArrayData=585,
    kIntArrayData=586, kMatrixData=589, kMeshData=590, kNumericData=593,
    kPointArrayData=603, kStringData=606, kStringArrayData=607,
    kVectorArrayData=608, kGeometryData=713, kFloatArrayData=1038,
    kConstraint=933, kHikIKEffector=963,
    kAnimLayer=1021, kBlendNodeBase=1022, kBlendNodeBoolean=1023,
    kBlendNodeDouble=1024, kBlendNodeDoubleAngle=1025,
    kBlendNodeDoubleLinear=1026, kBlendNodeEnum=1027, kBlendNodeFloat=1028,
    kBlendNodeFloatAngle=1029, kBlendNodeFloatLinear=1030,
    kBlendNodeInt16=1031, kBlendNodeInt32=1032, kBlendNodeAdditiveScale=1033,
    kBlendNodeAdditiveRotation=1034, kBlendNodeTime=1053,
)
MFN_NAMES = {}
for _name, _value in MFN.items():
    MFN_NAMES.setdefault(_value, _name)

_DG = ("kBase", "kNamedObject", "kDependencyNode")
_DAG = _DG + ("kDagNode",)
_TRANSFORM = _DAG + ("kTransform",)
_SHAPE = _DAG + ("kShape",)
_CURVE = _DG + ("kAnimCurve",)


class NodeType(object):
    """What the scene knows about one node type."""

    def __init__(self, name, apiType, chain, dag=False, shape=False,
                 transform=False, autoParent=None, shapeName=None,
                 attrs=(), inherits=None):
        self.name = name
        self.apiType = MFN[apiType]
        self.fnTypes = frozenset(MFN[t] for t in chain + (apiType,))
        self.isDag = dag
        self.isShape = shape
        self.isTransform = transform
        # A shape created without a parent gets a parent transform of this
        # base name ("polySurface" for a mesh), the shape itself the
        # shapeName base ("polySurfaceShape").
        self.autoParent = autoParent
        self.shapeName = shapeName
        self.attrBuilders = tuple(attrs)
        self.inherits = inherits
        self.inheritedTypes = (name,) if inherits is None else (name,) + inherits.inheritedTypes
        self.attrDefs = None   # filled in by _attrs.nodeAttributes
        self.attrIndex = None
        self.attrList = None   # every attribute, children included, in index order
        self.attrPosition = None

    def isA(self, typeName):
        return typeName in self.inheritedTypes


NODE_TYPES = {}


def _add(nodeType):
    NODE_TYPES[nodeType.name] = nodeType
    return nodeType

"""Type constants of the model: ``MFn`` function-set types and the node types.

``MFN`` lists the ``MFn.Type`` constants the stand-in knows.  Where Maya's API
documentation prints a number (kBase, kDependencyNode, the anim curve types,
kAimConstraint, kAnimLayer, kAttribute, kAttribute2Double and a few more) the
same number is used; the others are this stand-in's own distinct numbers.
Code must compare against the ``MFn`` names, never against literals.

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
    kScaleConstraint=244, kShape=248, kCamera=250, kWorld=253,
    kGeometric=265, kCurve=266, kNurbsCurve=267, kLocator=281,
    kSurface=293, kNurbsSurface=294, kMesh=296,
    kMultiplyDivide=444, kTime=516,
    # attributes
    kAttribute=559, kNumericAttribute=560, kDoubleLinearAttribute=561,
    kFloatLinearAttribute=562, kDoubleAngleAttribute=563,
    kFloatAngleAttribute=564, kTimeAttribute=565, kGenericAttribute=566,
    kLightDataAttribute=567, kMatrixAttribute=568,
    kFloatMatrixAttribute=569, kMessageAttribute=570, kTypedAttribute=571,
    kEnumAttribute=572, kCompoundAttribute=573, kUnitAttribute=574,
    # data objects
    kData=580, kNumericData=581, kStringData=582, kMatrixData=583,
    kDoubleArrayData=584, kIntArrayData=585, kPointArrayData=586,
    kStringArrayData=587, kVectorArrayData=588, kComponentListData=589,
    kMeshData=590, kGeometryData=591, kFloatArrayData=592,
    kAttribute2Double=740, kAttribute2Float=741, kAttribute2Short=742,
    kAttribute2Int=743, kAttribute3Double=744, kAttribute3Float=745,
    kAttribute3Short=746, kAttribute3Int=747, kAttribute4Double=748,
    kConstraint=917, kHikIKEffector=951, kPassMatrix=960,
    kNetwork=961,
    kAnimLayer=1011, kBlendNodeBase=1012, kBlendNodeAdditiveRotation=1015,
    kBlendNodeAdditiveScale=1016, kBlendNodeDouble=1017,
    kBlendNodeDoubleAngle=1018, kBlendNodeDoubleLinear=1019,
    kBlendNodeAdditive=1020, kBlendNodeBoolean=1021, kBlendNodeEnum=1022,
    kBlendNodeFloat=1023, kBlendNodeFloatAngle=1024,
    kBlendNodeFloatLinear=1025, kBlendNodeInt16=1026, kBlendNodeInt32=1027,
    kBlendNodeTime=1028,
    kSet=1100, kExpression=1101, kPlusMinusAverage=1102,
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

    def isA(self, typeName):
        return typeName in self.inheritedTypes


NODE_TYPES = {}


def _add(nodeType):
    NODE_TYPES[nodeType.name] = nodeType
    return nodeType

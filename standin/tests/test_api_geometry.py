"""Maya's matrix conventions: row vectors, Euler orders, quaternions,
MTransformationMatrix, the transform, joint and effector matrices."""
import math

import pytest
from hypothesis import given, settings, strategies as st
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dagPath, dependNode

ORDERS = range(6)
AXES = ["xyz", "yzx", "zxy", "xzy", "yxz", "zyx"]  # turned first to last, by rotate order
angle = st.floats(-3.1, 3.1)  # ±π name one angle twice
middleAngle = st.floats(-1.5, 1.5)  # inside ±π/2, where Euler angles are unique
size = st.floats(0.2, 3.0)
offset = st.floats(-10.0, 10.0)


def close(a, b, tolerance=1e-9):
    return a.isEquivalent(b, tolerance)


def point(matrix, p):
    return om.MPoint(*p) * matrix


def move(v, sign=1):
    x, y, z = (sign * c for c in v)
    return om.MMatrix([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1])


def scaling(s):
    return om.MMatrix([s[0], 0, 0, 0, 0, s[1], 0, 0, 0, 0, s[2], 0, 0, 0, 0, 1])


def turn(x, y, z):
    """The rotation matrix of angles in degrees, in xyz order."""
    return om.MEulerRotation(math.radians(x), math.radians(y), math.radians(z)).asMatrix()


class TestRotations:
    def test_rotation_about_z_turns_x_towards_y(self):
        m = om.MEulerRotation(0.0, 0.0, math.pi / 2).asMatrix()
        assert close(point(m, (1, 0, 0)), om.MPoint(0, 1, 0))
        assert close(point(om.MQuaternion(math.pi / 2, om.MVector(0, 0, 1)).asMatrix(),
                           (1, 0, 0)), om.MPoint(0, 1, 0))

    @pytest.mark.parametrize("order", ORDERS)
    def test_order_names_the_axis_turned_first(self, order):
        angles = (0.3, -0.7, 1.1)
        expected = om.MMatrix()
        for axis in AXES[order]:
            one = [value if name == axis else 0.0 for name, value in zip("xyz", angles)]
            expected = expected * om.MEulerRotation(*one).asMatrix()
        assert close(om.MEulerRotation(*angles, order).asMatrix(), expected)

    @settings(max_examples=60, deadline=None)  # a loaded machine is no fault
    @given(st.sampled_from(ORDERS), angle, middleAngle, angle, st.sampled_from(ORDERS))
    def test_decomposing_gives_back_the_angles_and_reordering_keeps_the_rotation(
            self, order, first, middle, last, other):
        values = dict(zip(AXES[order], (first, middle, last)))
        euler = om.MEulerRotation(values["x"], values["y"], values["z"], order)
        back = om.MEulerRotation.decompose(euler.asMatrix(), order)
        assert close(back, euler, 1e-9)
        reordered = euler.reorder(other)
        assert reordered.order == other
        assert close(reordered.asMatrix(), euler.asMatrix())

    def test_quaternion_products_compose_like_matrices(self):
        a = om.MEulerRotation(0.3, -0.2, 0.9).asQuaternion()
        b = om.MEulerRotation(-1.1, 0.4, 0.2, om.MEulerRotation.kZXY).asQuaternion()
        assert close((a * b).asMatrix(), a.asMatrix() * b.asMatrix())
        assert not close((a * b).asMatrix(), (b * a).asMatrix())


def shearing(sh):
    return om.MMatrix([1, 0, 0, 0, sh[0], 1, 0, 0, sh[1], sh[2], 1, 0, 0, 0, 0, 1])


def composed(s, sh, r, t):
    return scaling(s) * shearing(sh) * r.asMatrix() * move(t)


def threeDoubles(getter):
    util = om.MScriptUtil()
    util.createFromList([0.0, 0.0, 0.0], 3)
    pointer = util.asDoublePtr()
    getter(pointer)
    return [om.MScriptUtil.getDoubleArrayItem(pointer, i) for i in range(3)]


class TestTransformationMatrix:
    @settings(max_examples=60, deadline=None)
    @given(st.tuples(size, size, size), st.tuples(*[st.floats(-1, 1)] * 3),
           st.tuples(angle, middleAngle, angle), st.tuples(offset, offset, offset))
    def test_a_matrix_splits_into_translation_scale_shear_and_rotation(self, s, sh, r, t):
        rotation = om.MEulerRotation(*r)
        matrix = composed(s, sh, rotation, t)
        tm = om.MTransformationMatrix(matrix)
        assert close(tm.asMatrix(), matrix, 1e-9)
        assert close(tm.getTranslation(om.MSpace.kTransform), om.MVector(*t))
        assert threeDoubles(lambda p: tm.getScale(p, om.MSpace.kTransform)) == pytest.approx(s)
        assert threeDoubles(lambda p: tm.getShear(p, om.MSpace.kTransform)) == pytest.approx(sh)
        assert close(tm.eulerRotation(), rotation, 1e-9)

    def test_object_space_translation_follows_the_matrix_axes(self):
        tm = om.MTransformationMatrix()
        tm.rotateTo(om.MEulerRotation(0.0, 0.0, math.pi / 2))
        tm.setScale([2.0, 2.0, 2.0], om.MSpace.kTransform)
        tm.addTranslation(om.MVector(1, 0, 0), om.MSpace.kObject)
        assert close(tm.getTranslation(om.MSpace.kTransform), om.MVector(0, 2, 0))
        tm.addTranslation(om.MVector(1, 0, 0), om.MSpace.kTransform)
        assert close(tm.getTranslation(om.MSpace.kTransform), om.MVector(1, 2, 0))

    def test_rotate_by_turns_after_the_rotation_or_before_it_in_pre_transform(self):
        r = om.MEulerRotation(0.4, 0.0, 0.0)
        turn = om.MEulerRotation(0.0, 0.0, 0.7).asQuaternion()
        after = om.MTransformationMatrix().rotateTo(r).rotateBy(turn, om.MSpace.kTransform)
        before = om.MTransformationMatrix().rotateTo(r).rotateBy(turn, om.MSpace.kPreTransform)
        assert close(after.asMatrix(), r.asMatrix() * turn.asMatrix())
        assert close(before.asMatrix(), turn.asMatrix() * r.asMatrix())

    def test_moving_a_balanced_pivot_keeps_the_matrix(self):
        tm = om.MTransformationMatrix(composed((2, 1, 3), (0, 0, 0),
                                               om.MEulerRotation(0.3, 0.5, -0.2), (1, 2, 3)))
        before = tm.asMatrix()
        tm.setRotatePivot(om.MPoint(1, -2, 0.5), om.MSpace.kTransform, True)
        tm.setScalePivot(om.MPoint(-1, 0, 2), om.MSpace.kTransform, True)
        assert close(tm.asMatrix(), before)
        assert not close(tm.rotatePivotTranslation(om.MSpace.kTransform), om.MVector())


def matrixPlug(name, attribute="matrix"):
    return om.MMatrix(cmds.getAttr("%s.%s" % (name, attribute)))


class TestNodeMatrices:
    def test_rotate_pivot_moves_the_centre_of_rotation(self):
        cmds.createNode("transform", name="a")
        cmds.setAttr("a.rotatePivot", 1, 0, 0)
        cmds.setAttr("a.rotateZ", 90)
        assert close(point(matrixPlug("a"), (0, 0, 0)), om.MPoint(1, -1, 0))
        fn = om.MFnTransform(dagPath("a"))
        assert close(fn.rotatePivot(om.MSpace.kWorld), om.MPoint(1, 0, 0))

    @settings(max_examples=30, deadline=None)
    @given(st.sampled_from(ORDERS), st.lists(angle, min_size=6, max_size=6),
           st.lists(st.floats(-0.5, 0.5), min_size=3, max_size=3),
           st.lists(offset, min_size=15, max_size=15), st.tuples(size, size, size))
    def test_transform_matrix_and_transformation_are_the_documented_product(
            self, order, angles, shear, offsets, scale):
        # [Sp]^-1 [S] [Sh] [Sp] [St] [Rp]^-1 [Ra] [R] [Rp] [Rt] [T], each
        # factor written out as Maya's transform documentation gives it.
        cmds.file(new=True, force=True)
        cmds.createNode("transform", name="n")
        values = dict(rotate=angles[0:3], rotateAxis=angles[3:6], shear=shear, scale=scale,
                      translate=offsets[0:3], rotatePivot=offsets[3:6],
                      rotatePivotTranslate=offsets[6:9], scalePivot=offsets[9:12],
                      scalePivotTranslate=offsets[12:15])
        cmds.setAttr("n.rotateOrder", order)
        for name, value in values.items():
            unit = math.degrees if name.startswith("rotate") and "Pivot" not in name else float
            cmds.setAttr("n." + name, *[unit(v) for v in value])
        expected = (move(values["scalePivot"], -1) * scaling(scale) * shearing(shear)
                    * move(values["scalePivot"]) * move(values["scalePivotTranslate"])
                    * move(values["rotatePivot"], -1)
                    * om.MEulerRotation(*values["rotateAxis"]).asMatrix()
                    * om.MEulerRotation(*(list(values["rotate"]) + [order])).asMatrix()
                    * move(values["rotatePivot"]) * move(values["rotatePivotTranslate"])
                    * move(values["translate"]))
        assert close(matrixPlug("n"), expected, 1e-9)
        fn = om.MFnTransform(dagPath("n"))
        assert close(fn.transformation().asMatrix(), expected, 1e-9)

    def test_joint_matrix_is_the_documented_product_with_the_parents_inverse_scale(self):
        cmds.createNode("joint", name="p")
        cmds.createNode("joint", name="j", parent="p")
        cmds.connectAttr("p.scale", "j.inverseScale")
        cmds.setAttr("p.scale", 2, 4, 0.5)
        for name, value in dict(rotateAxis=(30, 0, 0), rotate=(0, 40, 0), jointOrient=(0, 0, 50),
                                translate=(1, 2, 3), scale=(2, 1, 1)).items():
            cmds.setAttr("j." + name, *value)
        rotation = turn(30, 0, 0) * turn(0, 40, 0) * turn(0, 0, 50)
        assert close(matrixPlug("j"), scaling((2, 1, 1)) * rotation * scaling((0.5, 0.25, 2))
                     * move((1, 2, 3)))
        cmds.setAttr("j.segmentScaleCompensate", False)
        assert close(matrixPlug("j"), scaling((2, 1, 1)) * rotation * move((1, 2, 3)))
        q = om.MQuaternion()
        oma.MFnIkJoint(om.MFnTransform(dagPath("j")).dagPath()).getOrientation(q)
        assert close(q.asMatrix(), turn(0, 0, 50))

    @pytest.mark.parametrize("compensate, worldScale", [(True, 1.0), (False, 2.0)])
    def test_child_joint_undoes_its_parents_scale_while_compensating(
            self, compensate, worldScale):
        cmds.select(clear=True)
        cmds.joint(name="root")
        cmds.joint(name="tip", position=(3, 0, 0), scaleCompensate=compensate)
        cmds.setAttr("root.scale", 2, 2, 2)
        world = matrixPlug("tip", "worldMatrix")
        assert close(point(world, (0, 0, 0)), om.MPoint(6, 0, 0))
        assert world(0, 0) == pytest.approx(worldScale)

    def test_world_rotation_includes_rotate_axis_orient_and_parents(self):
        cmds.createNode("transform", name="p")
        cmds.setAttr("p.rotateY", 90)
        cmds.setAttr("p.scale", 2, 2, 2)
        cmds.createNode("joint", name="j", parent="p")
        cmds.setAttr("j.rotateX", 90)
        cmds.setAttr("j.jointOrient", 0, 0, 20)
        fn = om.MFnTransform(dagPath("j"))
        world = om.MQuaternion()
        fn.getRotation(world, om.MSpace.kWorld)
        local = om.MQuaternion()
        fn.getRotation(local, om.MSpace.kTransform)
        assert close(world.asMatrix(), turn(90, 0, 0) * turn(0, 0, 20) * turn(0, 90, 0))
        assert close(local.asMatrix(), turn(90, 0, 0))

    def test_effector_joint_orient_is_a_double3_of_angles(self):
        cmds.createNode("hikIKEffector", name="e")
        cmds.setAttr("e.jointOrient", 90, 0, 0)
        node = dependNode("e")
        assert node.hasFn(om.MFn.kHikIKEffector) and node.hasFn(om.MFn.kTransform)
        plug = om.MPlug(node, om.MFnDependencyNode(node).attribute("jointOrient"))
        data = om.MFnNumericData(plug.asMObject())
        assert data.numericType() == om.MFnNumericData.k3Double
        utils = [om.MScriptUtil() for _ in range(3)]
        pointers = [util.asDoublePtr() for util in utils]
        data.getData3Double(*pointers)
        assert [om.MScriptUtil.getDouble(p) for p in pointers] == pytest.approx([math.pi / 2, 0, 0])


class TestCommands:
    @pytest.mark.parametrize("mode", ["create", "edit"])
    def test_joint_position_is_world_space_unless_relative_to_the_parent(self, mode):
        # joint -position: "relative to the joint's parent or in absolute world coordinates"
        cmds.createNode("transform", name="p")
        cmds.setAttr("p.translate", 10, 0, 0)
        cmds.setAttr("p.rotateZ", 90)
        made = []
        for name, flags in (("abs", {}), ("absFlag", {"absolute": True}),
                            ("rel", {"relative": True})):
            cmds.select("p")
            if mode == "create":
                made.append(cmds.joint(name=name, position=(10, 2, 0), **flags))
            else:
                made.append(cmds.joint(name=name))
                cmds.joint(made[-1], edit=True, position=(10, 2, 0), **flags)
        assert cmds.listRelatives(made, parent=True) == ["p"]
        assert [cmds.getAttr(name + ".translate")[0] for name in made] == \
            [pytest.approx((2, 0, 0))] * 2 + [pytest.approx((10, 2, 0))]
        assert [cmds.joint(name, query=True, position=True) for name in made] == \
            [pytest.approx([10, 2, 0])] * 2 + [pytest.approx([8, 10, 0])]
        assert cmds.joint("rel", query=True, position=True, relative=True) == \
            pytest.approx([10, 2, 0])
        # Only a parent joint's scale reaches a joint's inverseScale.
        assert cmds.listConnections("abs.inverseScale") is None

    def test_joint_edits_every_joint_but_moves_only_the_first_to_a_world_point(self):
        # joint: edit flags apply to all the joints "except for -p without -r"
        for name in ("a", "b"):
            cmds.select(clear=True)
            cmds.joint(name=name, position=(1, 0, 0))
        cmds.joint("a", "b", edit=True, position=(0, 5, 0), radius=3.0)
        assert [cmds.joint(n, q=True, p=True) for n in "ab"] == [[0, 5, 0], [1, 0, 0]]
        assert [cmds.joint(n, q=True, radius=True) for n in "ab"] == [3.0, 3.0]
        cmds.select("a", "b")
        cmds.joint(edit=True, relative=True, position=(2, 2, 2))
        assert [cmds.getAttr(n + ".translate") for n in "ab"] == [[(2, 2, 2)]] * 2
        cmds.createNode("transform", name="t")
        with pytest.raises(RuntimeError):
            cmds.joint("a", "t", edit=True, radius=1.0)

    def test_xform_sets_channels_in_working_units(self):
        cmds.createNode("transform", name="a")
        cmds.currentUnit(linear="mm", angle="radian")
        cmds.xform("a", translation=[10, 20, 30])
        cmds.xform("a", rotation=[math.pi / 2, 0, 0])
        cmds.xform("a", scale=[2, 3, 4])
        cmds.currentUnit(linear="cm", angle="degree")
        assert cmds.getAttr("a.translate") == [pytest.approx((1, 2, 3))]
        assert cmds.getAttr("a.rotate") == [pytest.approx((90, 0, 0))]
        assert cmds.getAttr("a.scale") == [(2, 3, 4)]


class TestDoubleAndFloatClasses:
    """Float vectors, points, matrices and arrays are classes apart from the double ones."""

    @pytest.mark.parametrize("cls, make", [
        (om.MVector, lambda c: c(1, 2, 3) + c(1, 1, 1)),
        (om.MFloatVector, lambda c: c(1, 2, 3) + c(1, 1, 1)),
        (om.MFloatVector, lambda c: c(1, 2, 3) * om.MFloatMatrix()),
        (om.MFloatPoint, lambda c: c(1, 2, 3) * 2.0),
        (om.MFloatMatrix, lambda c: c() * c()),
        (om.MMatrix, lambda c: c().inverse()),
        (om.MFloatVector, lambda c: c.xAxis), (om.MFloatPoint, lambda c: c.origin),
    ])
    def test_arithmetic_and_constants_keep_the_class(self, cls, make):
        assert type(make(cls)) is cls

    @pytest.mark.parametrize("point, vector", [
        (om.MPoint, om.MVector), (om.MFloatPoint, om.MFloatVector)])
    def test_difference_of_points_is_the_matching_vector(self, point, vector):
        difference = point(4, 5, 6) - point(1, 1, 1)
        assert type(difference) is vector and list(difference) == [3.0, 4.0, 5.0]

    @pytest.mark.parametrize("floats, doubles", [
        (om.MFloatVector, om.MVector), (om.MFloatPoint, om.MPoint),
        (om.MFloatMatrix, om.MMatrix), (om.MFloatArray, om.MDoubleArray),
        (om.MCallbackIdArray, om.MIntArray)])
    def test_float_classes_are_not_double_ones(self, floats, doubles):
        assert not isinstance(floats(), doubles) and not isinstance(doubles(), floats)


class TestMatrixFromList:
    ROWS = [1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 7, 8, 9, 1]

    @pytest.mark.parametrize("cls, method", [
        (om.MMatrix, "createMatrixFromList"), (om.MFloatMatrix, "createFloatMatrixFromList")])
    def test_fills_the_matrix_row_by_row(self, cls, method):
        matrix = cls()
        getattr(om.MScriptUtil, method)(self.ROWS, matrix)
        assert (matrix(1, 1), matrix(3, 0), matrix(3, 2)) == (2.0, 7.0, 9.0)

    @pytest.mark.parametrize("values, matrix", [
        (ROWS, om.MFloatMatrix()), (ROWS[:15], om.MMatrix()), (ROWS, [0.0] * 16)])
    def test_refuses_a_wrong_matrix_class_or_count(self, values, matrix):
        with pytest.raises(TypeError, match="createMatrixFromList"):
            om.MScriptUtil.createMatrixFromList(values, matrix)

"""The suite core's Euler filter: one angle unwrapped towards the one before,
and an Euler triple swapped for the closer of its two forms."""
import math

import pytest
from hypothesis import given, strategies as st

from Zentrik._api.__hybrid__._core import rotationMath

PI, TURN = math.pi, 2.0 * math.pi
ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")

angles = st.floats(min_value=-20.0, max_value=20.0, allow_nan=False)
triples = st.tuples(angles, angles, angles)


def axis_rotation(axis, angle):
    """The 3x3 row-vector matrix of a rotation about one axis."""
    c, s = math.cos(angle), math.sin(angle)
    return {"x": [[1, 0, 0], [0, c, s], [0, -s, c]],
            "y": [[c, 0, -s], [0, 1, 0], [s, 0, c]],
            "z": [[c, s, 0], [-s, c, 0], [0, 0, 1]]}[axis]


def multiply(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(3)) for c in range(3)] for r in range(3)]


def rotation_matrix(xyz, order):
    """Euler angles applied in Maya's rotate order, first axis first."""
    matrix = [[1, 0, 0], [0, 1, 0], [0, 0, 1]]
    for axis in ORDERS[order]:
        matrix = multiply(matrix, axis_rotation(axis, xyz["xyz".index(axis)]))
    return matrix


def distance(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


def test_angle_moves_up_by_many_turns_beyond_the_sampled_range():
    assert rotationMath.filterAngle(10 * PI, 0.5) == pytest.approx(10 * PI + 0.5, abs=1e-12)


@pytest.mark.parametrize("previous, current", [
    (1.0, float("nan")), (float("inf"), 1.0), (0.0, float("-inf")),
])
def test_angle_without_a_nearest_turn_is_left_alone(previous, current):
    result = rotationMath.filterAngle(previous, current)
    assert result == current or (math.isnan(result) and math.isnan(current))


@given(angles, angles)
def test_angle_filter_adds_whole_turns_and_lands_within_pi(previous, current):
    result = rotationMath.filterAngle(previous, current)
    turns = (result - current) / TURN
    assert turns == pytest.approx(round(turns), abs=1e-9)
    assert abs(result - previous) <= PI + 1e-9
    if abs(current - previous) <= PI:
        assert result == current  # already close: not touched, not even by rounding


@given(triples, triples, st.sampled_from(range(6)))
def test_chosen_triple_keeps_the_orientation_and_stays_close(previous, current, order):
    result = rotationMath.filterRotation(previous, current, order)
    expected = rotation_matrix(current, order)
    actual = rotation_matrix(result, order)
    assert all(a == pytest.approx(e, abs=1e-9) for ra, re in zip(actual, expected)
               for a, e in zip(ra, re))
    assert all(abs(r - p) <= PI + 1e-9 for r, p in zip(result, previous))
    unwrapped = [rotationMath.filterAngle(p, c) for p, c in zip(previous, current)]
    assert distance(result, previous) <= distance(unwrapped, previous) + 1e-9


# The same small step as the key before, written in the other Euler form of
# each order: half a turn more on the first and last axes, the middle axis
# mirrored.
@pytest.mark.parametrize("order, current", [
    (0, (0.12 - PI, PI - 0.21, 0.33 + PI)),
    (1, (0.12 + PI, 0.21 - PI, PI - 0.33)),
    (2, (PI - 0.12, 0.21 + PI, 0.33 - PI)),
    (3, (0.12 - PI, 0.21 + PI, PI - 0.33)),
    (4, (PI - 0.12, 0.21 - PI, 0.33 + PI)),
    (5, (0.12 + PI, PI - 0.21, 0.33 - PI)),
], ids=ORDERS)
def test_flipped_triple_comes_back_as_the_small_step(order, current):
    result = rotationMath.filterRotation((0.1, 0.2, 0.3), current, order)
    assert result == pytest.approx([0.12, 0.21, 0.33], abs=1e-12)
    by_name = rotationMath.filterRotation((0.1, 0.2, 0.3), current, ORDERS[order])
    assert by_name == result


@pytest.mark.parametrize("previous, current, order", [
    ((0, 0, 0), (0, 0, 0), 6), ((0, 0, 0), (0, 0, 0), -1), ((0, 0, 0), (0, 0, 0), True),
    ((0, 0, 0), (0, 0, 0), "xzz"), ((0, 0), (0, 0, 0), 0), ((0, 0, 0), (0, 0, 0, 0), 0),
])
def test_unknown_order_or_wrong_length_raises(previous, current, order):
    with pytest.raises(ValueError):
        rotationMath.filterRotation(previous, current, order)

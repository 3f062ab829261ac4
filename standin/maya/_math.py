"""Small 4x4 matrix helpers on flat row-major lists of 16 floats.

Maya multiplies row vectors from the left (``p' = p * M``), so a matrix that
applies A and then B is ``A * B``; every helper here follows that rule.
"""

import math

IDENTITY = (1.0, 0.0, 0.0, 0.0,
            0.0, 1.0, 0.0, 0.0,
            0.0, 0.0, 1.0, 0.0,
            0.0, 0.0, 0.0, 1.0)


def identity():
    return list(IDENTITY)


def multiply(a, b):
    out = [0.0] * 16
    for r in range(4):
        r4 = r * 4
        a0, a1, a2, a3 = a[r4], a[r4 + 1], a[r4 + 2], a[r4 + 3]
        for c in range(4):
            out[r4 + c] = a0 * b[c] + a1 * b[4 + c] + a2 * b[8 + c] + a3 * b[12 + c]
    return out


def chain(*matrices):
    result = identity()
    for m in matrices:
        result = multiply(result, m)
    return result


def transpose(m):
    return [m[c * 4 + r] for r in range(4) for c in range(4)]


def inverse(m):
    """Gauss-Jordan inverse; a singular matrix raises ``ZeroDivisionError``."""
    a = [list(m[r * 4:r * 4 + 4]) + [1.0 if r == c else 0.0 for c in range(4)]
         for r in range(4)]
    for col in range(4):
        pivot = max(range(col, 4), key=lambda r: abs(a[r][col]))
        if abs(a[pivot][col]) < 1e-300:
            raise ZeroDivisionError("singular matrix")
        a[col], a[pivot] = a[pivot], a[col]
        p = a[col][col]
        a[col] = [v / p for v in a[col]]
        for r in range(4):
            if r != col and a[r][col] != 0.0:
                f = a[r][col]
                a[r] = [v - f * w for v, w in zip(a[r], a[col])]
    return [a[r][4 + c] for r in range(4) for c in range(4)]


def translation(x, y, z):
    m = identity()
    m[12], m[13], m[14] = float(x), float(y), float(z)
    return m


def scaling(x, y, z):
    m = identity()
    m[0], m[5], m[10] = float(x), float(y), float(z)
    return m


def shearing(xy, xz, yz):
    m = identity()
    m[4], m[8], m[9] = float(xy), float(xz), float(yz)
    return m


def _rx(a):
    c, s = math.cos(a), math.sin(a)
    return [1.0, 0.0, 0.0, 0.0, 0.0, c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0]


def _ry(a):
    c, s = math.cos(a), math.sin(a)
    return [c, 0.0, -s, 0.0, 0.0, 1.0, 0.0, 0.0, s, 0.0, c, 0.0, 0.0, 0.0, 0.0, 1.0]


def _rz(a):
    c, s = math.cos(a), math.sin(a)
    return [c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0]


# Rotation orders in the order of Maya's rotateOrder enum (xyz = 0 ... zyx = 5).
ROTATION_ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")


def euler(x, y, z, order=0):
    """Rotation matrix of the angles (radians) applied in the given order."""
    parts = {"x": _rx(x), "y": _ry(y), "z": _rz(z)}
    axes = ROTATION_ORDERS[order]
    return chain(parts[axes[0]], parts[axes[1]], parts[axes[2]])


def quaternionToMatrix(x, y, z, w):
    xx, yy, zz = x * x, y * y, z * z
    xy, xz, yz = x * y, x * z, y * z
    wx, wy, wz = w * x, w * y, w * z
    return [1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy), 0.0,
            2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx), 0.0,
            2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy), 0.0,
            0.0, 0.0, 0.0, 1.0]


def matrixToQuaternion(m):
    """Quaternion (x, y, z, w) of the rotation part of an orthonormal matrix."""
    m00, m01, m02 = m[0], m[1], m[2]
    m10, m11, m12 = m[4], m[5], m[6]
    m20, m21, m22 = m[8], m[9], m[10]
    trace = m00 + m11 + m22
    if trace > 0.0:
        s = math.sqrt(trace + 1.0) * 2.0
        return ((m12 - m21) / s, (m20 - m02) / s, (m01 - m10) / s, 0.25 * s)
    if m00 > m11 and m00 > m22:
        s = math.sqrt(1.0 + m00 - m11 - m22) * 2.0
        return (0.25 * s, (m10 + m01) / s, (m20 + m02) / s, (m12 - m21) / s)
    if m11 > m22:
        s = math.sqrt(1.0 + m11 - m00 - m22) * 2.0
        return ((m10 + m01) / s, 0.25 * s, (m21 + m12) / s, (m20 - m02) / s)
    s = math.sqrt(1.0 + m22 - m00 - m11) * 2.0
    return ((m20 + m02) / s, (m21 + m12) / s, 0.25 * s, (m01 - m10) / s)


def decomposeShear(m):
    """Split a matrix as Maya does: ``m = S * Sh * R * T`` with row vectors.

    Returns ``(translation, scale, shear, rotation)``: ``scale`` the three
    axis scales, ``shear`` the (xy, xz, yz) factors of the lower triangular
    shear matrix, ``rotation`` an orthonormal matrix with determinant 1.
    The rows are made orthogonal in order (x, then y, then z), which is what
    a lower triangular shear after the scale leaves.  A mirroring matrix
    gets a negative z scale; a matrix that flattens an axis keeps the axes
    it has and an identity rotation for the rest.
    """
    t = (m[12], m[13], m[14])
    rows = [list(m[0:3]), list(m[4:7]), list(m[8:11])]

    def dot(a, b):
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]

    def length(a):
        return math.sqrt(dot(a, a))

    sx = length(rows[0])
    if sx < 1e-300:
        return t, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), identity()
    u0 = [v / sx for v in rows[0]]
    a = dot(rows[1], u0)
    w1 = [r - a * u for r, u in zip(rows[1], u0)]
    sy = length(w1)
    if sy < 1e-300:
        return t, (sx, 0.0, 0.0), (0.0, 0.0, 0.0), identity()
    u1 = [v / sy for v in w1]
    b, c = dot(rows[2], u0), dot(rows[2], u1)
    w2 = [r - b * p - c * q for r, p, q in zip(rows[2], u0, u1)]
    sz = length(w2)
    if sz < 1e-300:
        return t, (sx, sy, 0.0), (0.0, 0.0, 0.0), identity()
    u2 = [v / sz for v in w2]
    cross = (u0[1] * u1[2] - u0[2] * u1[1], u0[2] * u1[0] - u0[0] * u1[2],
             u0[0] * u1[1] - u0[1] * u1[0])
    if dot(cross, u2) < 0.0:
        sz, u2 = -sz, [-v for v in u2]
    rot = identity()
    rot[0:3], rot[4:7], rot[8:11] = u0, u1, u2
    return t, (sx, sy, sz), (a / sy, b / sz, c / sz), rot


def decompose(m):
    """Split a matrix into translation, scale and a pure rotation matrix
    (``decomposeShear`` without the shear)."""
    t, scale, _, rot = decomposeShear(m)
    return t, scale, rot


def matrixToEuler(m, order=0):
    """Euler angles (radians) of a rotation matrix for a rotation order."""
    axes = ROTATION_ORDERS[order]
    idx = {"x": 0, "y": 1, "z": 2}
    i, j, k = idx[axes[0]], idx[axes[1]], idx[axes[2]]
    # Work in column-vector terms: R = Rk * Rj * Ri for row-vector order i, j, k.
    r = [[m[c * 4 + rr] for c in range(3)] for rr in range(3)]
    parity = 1.0 if (j - i) % 3 == 1 else -1.0
    # Generic Tait-Bryan extraction.
    cy = math.sqrt(r[i][i] * r[i][i] + r[j][i] * r[j][i])
    if cy > 1e-12:
        ax = math.atan2(parity * r[k][j], r[k][k])
        ay = math.atan2(-parity * r[k][i], cy)
        az = math.atan2(parity * r[j][i], r[i][i])
    else:
        ax = math.atan2(-parity * r[j][k], r[j][j])
        ay = math.atan2(-parity * r[k][i], cy)
        az = 0.0
    out = [0.0, 0.0, 0.0]
    out[i], out[j], out[k] = ax, ay, az
    return tuple(out)

// MirrorRules: the base of AnimAttr; names, channel families and mirroring.
// Sides, counterparts and the animator's stored settings come from the suite's
// mirror objects; this class only combines their answers.
#include "attributes/anim_attr.h"
#include "module/action.h"
#include "module/classes.h"
#include "scene/node.h"

namespace rigkit {
namespace {

bool isNone(py::handle value) { return value.is_none(); }

// "%s.%s" of the node name and the attribute name `second` reads, or None
// when either is None; the second is not read without a node name.
py::object joinedOrNone(const State &s, py::handle self, PyObject *second) {
    py::object nodeName = getAttr(self, s.nodeName);
    if (isNone(nodeName)) return none();
    py::object attrName = getAttr(self, second);
    if (isNone(attrName)) return none();
    return format("%s.%s", nodeName, attrName);
}

// The last piece of `name` split at `prefix`; the name itself without a
// prefix (splitting at an empty text would raise).
py::object withoutPrefix(const State &s, py::handle name, py::handle prefix) {
    if (!truthy(prefix)) return py::reinterpret_borrow<py::object>(name);
    py::object pieces = callMethod(name, s.split, prefix);
    return steal(PySequence_GetItem(pieces.ptr(), -1));
}

py::object mirrorNodeClass(const State &s) { return s.global(s.MirrorNode); }

bool isCenter(const State &s, py::handle side) {
    return side.ptr() == getAttr(mirrorNodeClass(s), s.kCenter).ptr();
}

// MirrorStore(container=CORE.<store>[, lookupFlag=True]).lookup(attr)
py::object storedFor(const State &s, PyObject *store, py::handle attr, bool lookupFlag = false) {
    py::object container = getAttr(s.global(s.CORE), store);
    py::object storeClass = s.global(s.MirrorStore);
    py::object reader =
        lookupFlag ? callKw(storeClass, s.kwContainerLookupFlag, container, Py_True)
                   : callKw(storeClass, s.kwContainer, container);
    return callMethod(reader, s.lookup, attr);
}

// --- names -------------------------------------------------------------------

py::object plugName(const State &s, py::handle self) {
    return joinedOrNone(s, self, s.attrName);
}

py::object shortPlugName(const State &s, py::handle self) {
    return joinedOrNone(s, self, s.shortAttrName);
}

py::object mirrorInfoPlugName(const State &s, py::handle self) {
    ActionScope action(s);
    if (isNone(joinedOrNone(s, self, s.shortAttrName))) return none();
    return format("%s.%s", getAttr(getAttr(self, s.mirrorNodeInfo), s.nodeName),
                  getAttr(self, s.attrName));
}

py::object plainPlugName(const State &s, py::handle self) {
    ActionScope action(s);
    py::object info = getAttr(self, s.mirrorNodeInfo);
    py::object nodeName =
        withoutPrefix(s, getAttr(info, s.nodeName), getAttr(info, s.namespacePrefix));
    return format("%s.%s", nodeName, getAttr(self, s.attrName));
}

// The parent's short name is read from the parent found, as Node.parent()
// finds it, rather than from a Node looked up again by its path.
py::object parentKey(const State &s, py::handle self) {
    ActionScope action(s);
    py::object node = getAttr(self, s.node);
    if (isNone(node)) return py::reinterpret_borrow<py::object>(s.empty);
    py::object parentName;
    if (py::object path = knownFullPath(s, node)) {  // the parent's path is the path's head
        py::object parentPath = cutLastComponent(path).first;
        if (!truthy(parentPath)) return py::reinterpret_borrow<py::object>(s.empty);
        return withoutPrefix(s, cutLastComponent(parentPath).second,
                             getAttr(getAttr(self, s.mirrorNodeInfo), s.namespacePrefix));
    }
    try {
        py::object parentObject =
            callMethod(getAttr(node, s.fnDagNode), s.parent, steal(PyLong_FromLong(0)));
        py::object parent = call(s.global(s.MFnDagNode), parentObject);
        if (equal(callMethod(parent, s.fullPathName), s.empty))  // under the world
            return py::reinterpret_borrow<py::object>(s.empty);
        parentName = callMethod(parent, s.name);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_RuntimeError)) throw;
        return py::reinterpret_borrow<py::object>(s.empty);
    }
    return withoutPrefix(s, parentName,
                         getAttr(getAttr(self, s.mirrorNodeInfo), s.namespacePrefix));
}

py::object settingsKey(const State &s, py::handle self) {
    ActionScope action(s);
    return format("%s|%s", getAttr(self, s.parentKey), getAttr(self, s.plainPlugName));
}

py::object mirrorPlugName(const State &s, py::handle self) {
    ActionScope action(s);
    return format("%s.%s", getAttr(getAttr(self, s.mirrorNodeInfo), s.partnerName),
                  getAttr(self, s.attrName));
}

py::object node(const State &s, py::handle self) {
    py::object nodeName = getAttr(self, s.nodeName);
    if (isNone(nodeName)) return none();
    return newNode(s, nodeName);
}

py::object targetController(const State &s, py::handle self) {
    py::object controller = getAttr(self, s._targetController);
    if (truthy(controller)) return controller;
    return call(getAttr(self, s.controllerClass));
}

py::object setTargetController(const State &s, py::handle self, py::handle controller) {
    setAttr(self, s._targetController, controller);
    return none();
}

// --- the node's mirror information --------------------------------------------

// Whether a cached MirrorNode still answers for the node that now carries
// the name it is filed under: its node must exist and be that very node. A
// rename leaves the old node alive under another name (animators swap
// mislabelled sides, or keep an old control as "spine_old" and make a new
// "spine"), and its side and partner would then answer for the wrong node.
bool stillCarriesItsName(const State &s, py::handle info, py::handle node) {
    py::object cachedNode = getAttr(info, s.node);
    // A name the action resolved designates a node it found in the scene: if
    // that is the cached node, the cached node exists.
    py::object known = knownNode(s, getAttr(node, s.nodeName));
    if (known && knownToExist(s, known) && getAttr(node, s.nodeMObject).ptr() == known.ptr()) {
        py::object cachedObject = getAttr(cachedNode, s.nodeMObject);
        if (isNone(cachedObject) || !equal(cachedObject, known)) return false;
        markExisting(s, cachedObject);
        return true;
    }
    if (!truthy(callMethod(cachedNode, s.exists))) return false;
    py::object current = getAttr(node, s.nodeMObject);
    if (isNone(current) || !equal(getAttr(cachedNode, s.nodeMObject), current)) return false;
    markExisting(s, current);  // the node the name now designates exists
    return true;
}

// One MirrorNode per node name for the module's lifetime, rebuilt when the
// cached one's node has gone (deleted, or replaced by a new node of that name)
// or no longer carries the name.
py::object mirrorNodeInfo(const State &s, py::handle self) {
    ActionScope action(s);
    py::object node = getAttr(self, s.node);
    if (isNone(node)) return none();
    py::object key = getAttr(node, s.nodeName);
    py::object cache = getAttr(self, s.mirrorNodeCache);
    const int cached = PySequence_Contains(cache.ptr(), key.ptr());
    if (cached < 0) throwPythonError();
    if (cached) {
        py::object info = steal(PyObject_GetItem(cache.ptr(), key.ptr()));
        if (stillCarriesItsName(s, info, node)) return info;
    }
    py::object info = call(mirrorNodeClass(s), node);
    if (PyObject_SetItem(cache.ptr(), key.ptr(), info.ptr()) < 0) throwPythonError();
    return info;
}

py::object namespacePrefix(const State &s, py::handle self) {
    return getAttr(getAttr(self, s.mirrorNodeInfo), s.namespacePrefix);
}

// A centred node's attribute takes the side its name marks when the
// opposite attribute exists on the same node (a left and a right channel).
py::object side(const State &s, py::handle self) {
    ActionScope action(s);
    py::object nodeSide = getAttr(getAttr(self, s.mirrorNodeInfo), s.side);
    if (!isCenter(s, nodeSide)) return nodeSide;
    auto [otherName, nameSide] =
        unpackPair(callMethod(mirrorNodeClass(s), s.splitSideName, getAttr(self, s.attrName)));
    if (!isNone(otherName) &&
        !isNone(callMethod(getAttr(self, s.node), s.getPlug, otherName)))
        return nameSide;
    return getAttr(mirrorNodeClass(s), s.kCenter);
}

// --- default value -----------------------------------------------------------

py::object storedDefaultValue(const State &s, py::handle self) {
    return storedFor(s, s.mirrorStoreD, self);
}

py::object queriedDefaultValue(const State &s, py::handle self) {
    if (truthy(getAttr(self, s.isSpecialEnum))) return getAttr(self, s.value);
    py::object nodeName = callMethod(getAttr(self, s.node), s.fullName);
    py::object defaults = callMethodKw(s.global(s.cmds), s.attributeQuery, s.kwNodeListDefault,
                                       getAttr(self, s.attrName), nodeName, Py_True);
    if (!truthy(defaults)) return steal(PyLong_FromLong(0));
    return steal(PySequence_GetItem(defaults.ptr(), 0));
}

py::object defaultValue(const State &s, py::handle self) {
    py::object stored = getAttr(self, s.storedDefaultValue);
    if (!isNone(stored)) return stored;
    return getAttr(self, s.queriedDefaultValue);
}

// --- channel families ----------------------------------------------------------

py::object isIn(py::handle self, PyObject *name, PyObject *words) {
    const int found = PySequence_Contains(words, getAttr(self, name).ptr());
    if (found < 0) throwPythonError();
    return boolObject(found != 0);
}

py::object isTranslate(const State &s, py::handle self) {
    return isIn(self, s.attrName, s.translateWords);
}
py::object isRotate(const State &s, py::handle self) {
    return isIn(self, s.attrName, s.rotateWords);
}
py::object isScale(const State &s, py::handle self) {
    return isIn(self, s.attrName, s.scaleWords);
}

// Overridden by AnimAttr; a bare rule set knows no attribute type.
py::object noAnswer(const State &, py::handle) { return none(); }

// --- mirroring -------------------------------------------------------------------

py::object mirrorMultiplier(const State &s, py::handle self) {
    ActionScope action(s);
    py::object one = steal(PyLong_FromLong(1));
    if (!truthy(getAttr(self, s.isMirrorable))) return one;
    py::object partner = getAttr(self, s.mirrorFromAnimAttr);
    py::handle attr = truthy(partner) ? partner : self;
    py::object multiplier = storedFor(s, s.mirrorStoreB, attr);
    if (!isNone(multiplier)) return multiplier;
    multiplier = storedFor(s, s.mirrorStoreC, attr, true);
    if (!isNone(multiplier)) return multiplier;
    return one;
}

// AnimAttr of target.node's plug `name`, or None when it has none.
py::object attrOnTarget(const State &s, py::handle target, py::handle name) {
    py::object plug = callMethod(getAttr(target, s.node), s.getPlug, name);
    if (isNone(plug)) return none();
    return newAnimAttr(s, plug);
}

py::object mirrorAttr(const State &s, py::handle self) {
    ActionScope action(s);
    py::object info = getAttr(self, s.mirrorNodeInfo);
    if (isNone(info)) return none();  // no node to mirror
    if (!truthy(callMethod(getAttr(info, s.node), s.exists))) return none();
    const bool centred = isCenter(s, getAttr(info, s.side));
    py::object target = centred ? info : getAttr(info, s.partner);

    py::object storedName = storedFor(s, s.mirrorStoreA, self);
    if (!isNone(storedName)) {
        py::object attr = attrOnTarget(s, target, storedName);
        if (!isNone(attr)) return attr;
    }
    py::object attrName = getAttr(self, s.attrName);
    if (centred) {  // a left/right pair of attributes on one centred node
        py::object otherName =
            unpackPair(callMethod(mirrorNodeClass(s), s.splitSideName, attrName)).first;
        if (!isNone(otherName)) {
            py::object attr = attrOnTarget(s, target, otherName);
            if (!isNone(attr)) return attr;
        }
    }
    return attrOnTarget(s, target, attrName);
}

}  // namespace

void defineMirrorRules(const State &s) {
    const char *doc =
        "Name forms, channel families, sides and mirror lookups of an attribute.\n"
        "\n"
        "mirrorNodeCache maps node names to mirror nodes, shared by every wrapper;\n"
        "an entry is rebuilt once its node is gone or carries another name.";
    defineClass(s, "MirrorRules", "CoreObject", doc, [](ClassBuilder &cls) {
        cls.instanceAttributes({"_targetController"});
        cls.constant("mirrorNodeCache", steal(PyDict_New()));
        cls.property<targetController>("targetController",
            "The controller that picks target curves: the one set, else a new\n"
            "controllerClass().");
        cls.method<setTargetController>("setTargetController",
            "Set the controller that picks target curves.",
            {"self", "targetController"});
        cls.property<node>("node", "The Node the attribute belongs to, or None.");
        cls.property<plugName>("plugName", "\"node.attribute\", or None without a node or attribute.");
        cls.property<shortPlugName>("shortPlugName",
            "\"node.shortAttribute\", or None without a node or attribute.");
        cls.property<mirrorInfoPlugName>("mirrorInfoPlugName",
            "The attribute path under the node name the mirror service knows.");
        cls.property<plainPlugName>("plainPlugName",
            "The attribute path without the node's namespace.");
        cls.property<parentKey>("parentKey",
            "The parent's short name without namespace; empty without a parent.");
        cls.property<settingsKey>("settingsKey",
            "\"parentKey|plainPlugName\": a namespace-free key for stored settings.");
        cls.property<mirrorPlugName>("mirrorPlugName",
            "The same attribute's path on the counterpart node.");
        cls.property<mirrorNodeInfo>("mirrorNodeInfo",
            "The node's MirrorNode, shared through mirrorNodeCache; None without a node.");
        cls.property<side>("side",
            "The node's side; on a centred node, the side the attribute's name marks\n"
            "when its opposite attribute exists there.");
        cls.property<namespacePrefix>("namespacePrefix", "The node's namespace prefix, or \"\".");
        cls.property<storedDefaultValue>("storedDefaultValue",
            "The default value stored for the attribute, or None.");
        cls.property<queriedDefaultValue>("queriedDefaultValue",
            "The attribute's default as Maya gives it (0 when it gives none).");
        cls.property<defaultValue>("defaultValue",
            "The stored default value, else the queried one.");
        cls.property<isTranslate>("isTranslate", "Whether the attribute is a translate channel.");
        cls.property<isRotate>("isRotate", "Whether the attribute is a rotate channel.");
        cls.property<isScale>("isScale", "Whether the attribute is a scale channel.");
        cls.property<noAnswer>("isMirrorable", "None here: only a typed attribute can tell.");
        cls.property<noAnswer>("mirrorFromAnimAttr", "None here: only a typed attribute can tell.");
        cls.property<mirrorMultiplier>("mirrorMultiplier",
            "The factor a mirrored value is multiplied by (1 unless stored).");
        cls.property<mirrorAttr>("mirrorAttr",
            "The AnimAttr whose value this one takes when mirrored, or None.");
    });
}

}  // namespace rigkit

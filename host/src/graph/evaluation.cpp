#include "graph/evaluation.h"

#include <algorithm>
#include <unordered_map>

#include <maya/MPlugArray.h>

#include "data/dataTypes.h"
#include "graph/animCurve.h"
#include "graph/dataBlock.h"
#include "graph/messages.h"
#include "graph/plugAccess.h"
#include "graph/registry.h"
#include "graph/sceneImpl.h"

namespace zt::host {

namespace {

// Deeper than this, an evaluation is reported instead of risking the stack.
constexpr std::size_t kMaxEvaluationDepth = 2000;

void setSubtree(Cell& cell, bool dirty) {
    cell.dirty = dirty;
    for (Cell& child : cell.children) setSubtree(child, dirty);
    for (auto& entry : cell.elements) setSubtree(*entry.second, dirty);
}

// Visits the cells a plug names, starting at the cell of chain[ci] (at array
// level when that attribute is an array). Unchosen indices visit every
// existing element. `pre` sees the cells above the plug on the way down,
// `post` on the way back up (with whether the cell is an array level),
// `target` the plug's own cells.
template <class Pre, class Target, class Post>
void walk(Cell& cell, const std::vector<const AttributeImpl*>& chain, std::size_t ci,
          const std::vector<int>& indices, std::size_t ii, Pre& pre, Target& target, Post& post);

template <class Pre, class Target, class Post>
void walkElement(Cell& cell, const std::vector<const AttributeImpl*>& chain, std::size_t ci,
                 const std::vector<int>& indices, std::size_t ii, Pre& pre, Target& target,
                 Post& post) {
    if (ci + 1 == chain.size()) {
        target(cell);
        return;
    }
    const int child = chain[ci]->childIndex(chain[ci + 1]);
    if (child < 0 || static_cast<std::size_t>(child) >= cell.children.size()) return;
    pre(cell);
    walk(cell.children[static_cast<std::size_t>(child)], chain, ci + 1, indices, ii, pre, target,
         post);
    post(cell, false);
}

template <class Pre, class Target, class Post>
void walk(Cell& cell, const std::vector<const AttributeImpl*>& chain, std::size_t ci,
          const std::vector<int>& indices, std::size_t ii, Pre& pre, Target& target, Post& post) {
    const AttributeImpl* a = chain[ci];
    if (!a->array) {
        walkElement(cell, chain, ci, indices, ii, pre, target, post);
        return;
    }
    if (ii >= indices.size()) return;
    const int index = indices[ii];
    if (ci + 1 == chain.size() && index < 0) {
        target(cell);
        return;
    }
    pre(cell);
    if (index < 0) {
        for (auto& entry : cell.elements)
            walkElement(*entry.second, chain, ci, indices, ii + 1, pre, target, post);
    } else {
        auto it = cell.elements.find(static_cast<unsigned int>(index));
        if (it != cell.elements.end())
            walkElement(*it->second, chain, ci, indices, ii + 1, pre, target, post);
    }
    post(cell, true);
}

template <class Pre, class Target, class Post>
void walkPlug(const PlugRef& plug, Pre pre, Target target, Post post) {
    NodeImpl& node = *plug.node;
    if (!node.type->has(plug.attr)) return;
    const std::vector<const AttributeImpl*> chain = plug.attr->chain();
    walk(node.rootCell(chain.front()), chain, 0, plug.indices, 0, pre, target, post);
}

void dirtyCells(const PlugRef& plug) {
    walkPlug(
        plug, [](Cell& c) { c.dirty = true; }, [](Cell& c) { setSubtree(c, true); },
        [](Cell&, bool) {});
}

void descendantsOf(const AttributeImpl* attr, std::vector<const AttributeImpl*>& out) {
    for (const AttributePtr& child : attr->children) {
        out.push_back(child.get());
        descendantsOf(child.get(), out);
    }
}

}  // namespace

// ---- dirty state -----------------------------------------------------------

void propagateDirty(const PlugRef& start, bool includeSelf) {
    if (start.isNull() || !start.node->alive) return;
    struct Item {
        PlugRef plug;
        bool markSelf;
    };
    std::vector<Item> work{{start, includeSelf}};
    std::unordered_map<const NodeImpl*, std::vector<PlugRef>> visited;
    while (!work.empty()) {
        Item item = std::move(work.back());
        work.pop_back();
        const PlugRef& p = item.plug;
        if (!p.node || !p.node->alive || !p.node->type->has(p.attr)) continue;
        std::vector<PlugRef>& seen = visited[p.node];
        if (std::any_of(seen.begin(), seen.end(), [&](const PlugRef& s) { return covers(s, p); }))
            continue;
        seen.push_back(p);
        if (item.markSelf) dirtyCells(p);

        NodeImpl& node = *p.node;
        // What the plug's attribute, its compound parents and its children
        // affect inside the node.
        std::vector<const AttributeImpl*> changed;
        for (const AttributeImpl* a = p.attr; a; a = a->parent) changed.push_back(a);
        descendantsOf(p.attr, changed);
        for (const AttributeImpl* a : changed) {
            auto it = node.type->affects.find(a);
            if (it == node.type->affects.end()) continue;
            for (const AttributeImpl* target : it->second)
                work.push_back({relatedPlug(p, target), true});
        }
        if (node.user) {
            MPlugArray extra;
            node.user->setDependentsDirty(PlugAccess::make(p), extra);
            for (unsigned int i = 0; i < extra.length(); ++i) {
                PlugRef more = PlugAccess::ref(extra[i]);
                if (!more.isNull()) work.push_back({more, true});
            }
        }
        for (const auto& connection : node.outgoing) {
            if (covers(connection->source, p) || covers(p, connection->source))
                work.push_back({connection->destination, true});
        }
        if (node.isDag() && !node.children.empty()) {
            const PlugRef world = worldMatrixPlug(node);
            if (covers(world, p) || covers(p, world)) {
                for (NodeImpl* child : node.children)
                    work.push_back({parentMatrixPlug(*child), true});
            }
        }
    }
}

bool isDirty(const PlugRef& plug) {
    if (plug.isNull() || !plug.node->type->has(plug.attr)) return false;
    const std::vector<const AttributeImpl*> chain = plug.attr->chain();
    Cell* cell = &plug.node->rootCell(chain.front());
    std::size_t arrayPos = 0;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const AttributeImpl* a = chain[i];
        if (a->array) {
            const int index = arrayPos < plug.indices.size() ? plug.indices[arrayPos] : -1;
            ++arrayPos;
            if (index < 0) return cell->dirty;
            auto it = cell->elements.find(static_cast<unsigned int>(index));
            // A missing element is as dirty as its array.
            if (it == cell->elements.end()) return cell->dirty;
            cell = it->second.get();
        }
        if (i + 1 < chain.size()) {
            const int child = a->childIndex(chain[i + 1]);
            if (child < 0 || static_cast<std::size_t>(child) >= cell->children.size())
                return cell->dirty;
            cell = &cell->children[static_cast<std::size_t>(child)];
        }
    }
    return cell->dirty;
}

void markClean(const PlugRef& plug) {
    if (plug.isNull()) return;
    walkPlug(
        plug, [](Cell&) {}, [](Cell& c) { setSubtree(c, false); },
        [](Cell& c, bool arrayLevel) {
            // A compound is clean once all its children are.
            if (!arrayLevel && !c.children.empty())
                c.dirty = std::any_of(c.children.begin(), c.children.end(),
                                      [](const Cell& child) { return child.dirty; });
        });
}

// ---- connections -----------------------------------------------------------

PlugRef sourceOf(const PlugRef& destination) {
    if (destination.isNull()) return PlugRef{};
    for (const auto& connection : destination.node->incoming) {
        if (connection->destination == destination) return connection->source;
    }
    return PlugRef{};
}

bool drivenBeyondCurves(const PlugRef& destination) {
    for (PlugRef p = destination; !p.isNull(); p = parentPlug(p)) {
        const PlugRef source = sourceOf(p);
        if (!source.isNull() && !isAnimCurve(source.node)) return true;
    }
    return false;
}

namespace {

enum class LeafClass { kNone, kNumber, kTime, kMatrix, kData, kMessage };

LeafClass leafClass(const AttributeImpl* a) {
    switch (a->kind) {
        case AttrKind::kNumeric:
        case AttrKind::kEnum:
            return LeafClass::kNumber;
        case AttrKind::kUnit:
            return a->unitType == MFnUnitAttribute::kTime ? LeafClass::kTime : LeafClass::kNumber;
        case AttrKind::kMatrix:
            return LeafClass::kMatrix;
        case AttrKind::kTyped:
            return a->dataType == MFnData::kMatrix ? LeafClass::kMatrix : LeafClass::kData;
        case AttrKind::kMessage:
            return LeafClass::kMessage;
        case AttrKind::kCompound:
            return LeafClass::kNone;
    }
    return LeafClass::kNone;
}

bool valuesCompatible(const AttributeImpl* s, const AttributeImpl* d) {
    if (s->isCompound() || d->isCompound()) {
        if (!s->isCompound() || !d->isCompound() || s->children.size() != d->children.size())
            return false;
        for (std::size_t k = 0; k < s->children.size(); ++k) {
            const AttributeImpl* sc = s->children[k].get();
            const AttributeImpl* dc = d->children[k].get();
            if (sc->array != dc->array || !valuesCompatible(sc, dc)) return false;
        }
        return true;
    }
    const LeafClass sc = leafClass(s);
    const LeafClass dc = leafClass(d);
    const bool sNumberLike = sc == LeafClass::kNumber || sc == LeafClass::kTime;
    const bool dNumberLike = dc == LeafClass::kNumber || dc == LeafClass::kTime;
    if (sNumberLike && dNumberLike) return true;
    if (sc != dc) return false;
    if (sc == LeafClass::kData) {
        return s->dataType == d->dataType || s->dataType == MFnData::kAny ||
               d->dataType == MFnData::kAny;
    }
    return true;
}

}  // namespace

bool connectionCompatible(const AttributeImpl* source, bool sourceWholeArray,
                          const AttributeImpl* destination, bool destinationWholeArray) {
    if (!source || !destination) return false;
    if (sourceWholeArray != destinationWholeArray) return false;
    return valuesCompatible(source, destination);
}

int componentOf(const AttributeImpl* attr) {
    if (!attr || !attr->isNumericComponent()) return -1;
    return attr->parent->childIndex(attr);
}

Cell* valueCellOf(Cell& rootCell, const PlugRef& plug, bool create) {
    if (plug.attr->isNumericComponent())
        return findCell(rootCell, plug.attr->parent, plug.indices, create);
    return findCell(rootCell, plug.attr, plug.indices, create);
}

Cell* valueCellOf(const PlugRef& plug, bool create) {
    if (plug.isNull() || !plug.node->type->has(plug.attr)) return nullptr;
    return valueCellOf(plug.node->rootCell(plug.attr->root()), plug, create);
}

// ---- value transfer --------------------------------------------------------

namespace {

// One number, time, matrix or data value: a whole Value, or one component
// of a numeric compound's value.
struct Leaf {
    Value* value;
    int component;
    const AttributeImpl* attr;
};

double leafNumber(const Leaf& leaf) {
    return numberOf(*leaf.value,
                    leaf.component < 0 ? 0u : static_cast<unsigned int>(leaf.component));
}

MMatrix leafMatrix(const Leaf& leaf) {
    const Value& v = *leaf.value;
    if (v.kind == Value::Kind::kMatrix) return v.matrix;
    if (v.kind == Value::Kind::kFloatMatrix) {
        double m[4][4];
        v.floatMatrix.get(m);
        return MMatrix(m);
    }
    if (auto* data = dynamic_cast<const MatrixDataImpl*>(v.data.get())) return data->matrix;
    return MMatrix();
}

void copyLeaf(const Leaf& from, const Leaf& to) {
    Value& d = *to.value;
    switch (leafClass(to.attr)) {
        case LeafClass::kNumber:
            setNumber(d, to.component < 0 ? 0u : static_cast<unsigned int>(to.component),
                      leafNumber(from));
            break;
        case LeafClass::kTime:
            if (from.value->kind == Value::Kind::kTime && from.component < 0)
                d.time = from.value->time;
            else
                d.time = MTime(leafNumber(from), MTime::uiUnit());
            break;
        case LeafClass::kMatrix: {
            const MMatrix m = leafMatrix(from);
            if (d.kind == Value::Kind::kData) {
                d.data = std::make_shared<MatrixDataImpl>(m);
                d.dataOwned = true;
            } else if (d.kind == Value::Kind::kFloatMatrix) {
                d.floatMatrix = MFloatMatrix(m.matrix);
            } else {
                d.kind = Value::Kind::kMatrix;
                d.matrix = m;
            }
            break;
        }
        case LeafClass::kData:
            d.data = from.value->data;
            d.dataOwned = false;
            break;
        default:
            break;
    }
}

void copyCell(const Cell& from, const AttributeImpl* fa, Cell& to, const AttributeImpl* ta,
              bool wholeArrays);

// Element level of a compound: child by child, numeric compounds
// component by component.
void copyCompound(const Cell& from, const AttributeImpl* fa, Cell& to, const AttributeImpl* ta) {
    for (std::size_t k = 0; k < fa->children.size() && k < ta->children.size(); ++k) {
        const AttributeImpl* fc = fa->children[k].get();
        const AttributeImpl* tc = ta->children[k].get();
        if (fc->isCompound() || tc->isCompound() || fc->array || tc->array) {
            if (k < from.children.size() && k < to.children.size())
                copyCell(from.children[k], fc, to.children[k], tc, fc->array && tc->array);
            continue;
        }
        Leaf source{
            const_cast<Value*>(fa->isNumericCompound() ? &from.value : &from.children[k].value),
            fa->isNumericCompound() ? static_cast<int>(k) : -1, fc};
        Leaf target{ta->isNumericCompound() ? &to.value : &to.children[k].value,
                    ta->isNumericCompound() ? static_cast<int>(k) : -1, tc};
        copyLeaf(source, target);
    }
}

void copyCell(const Cell& from, const AttributeImpl* fa, Cell& to, const AttributeImpl* ta,
              bool wholeArrays) {
    if (wholeArrays) {
        // The destination array mirrors the source's elements.
        for (auto it = to.elements.begin(); it != to.elements.end();) {
            it = from.elements.count(it->first) ? std::next(it) : to.elements.erase(it);
        }
        for (const auto& [index, element] : from.elements) {
            auto& slot = to.elements[index];
            if (!slot) slot = std::make_unique<Cell>(makeCell(*ta, false));
            copyCell(*element, fa, *slot, ta, false);
        }
        return;
    }
    if (fa->isCompound() && ta->isCompound()) {
        copyCompound(from, fa, to, ta);
        return;
    }
    copyLeaf(Leaf{const_cast<Value*>(&from.value), -1, fa}, Leaf{&to.value, -1, ta});
}

}  // namespace

void transferValue(const PlugRef& source, const PlugRef& destination) {
    Cell* target = valueCellOf(destination, true);
    if (!target) return;
    Cell* found = valueCellOf(source, false);
    // A source element that does not exist yet reads as the defaults.
    Cell fallback;
    if (!found) fallback = makeCell(*source.attr, source.isWholeArray());
    const Cell& from = found ? *found : fallback;
    const int fromComponent = componentOf(source.attr);
    const int toComponent = componentOf(destination.attr);
    if (fromComponent >= 0 || toComponent >= 0) {
        copyLeaf(Leaf{const_cast<Value*>(&from.value), fromComponent, source.attr},
                 Leaf{&target->value, toComponent, destination.attr});
        return;
    }
    copyCell(from, source.attr, *target, destination.attr,
             source.isWholeArray() && destination.isWholeArray());
}

// ---- evaluation ------------------------------------------------------------

namespace {

// Keeps a plug on the evaluation stack while alive.
class Evaluating {
public:
    explicit Evaluating(const PlugRef& plug) { scene().evaluating.push_back(plug); }
    ~Evaluating() { scene().evaluating.pop_back(); }
    Evaluating(const Evaluating&) = delete;
    Evaluating& operator=(const Evaluating&) = delete;
};

enum class Entry {
    kGo,        // evaluate the plug
    kOwnValue,  // a compute asks for a plug it is computing: it gets the stored value
    kRefused    // a cycle, or too deep: reported
};

// Whether the plug may be evaluated now, given what is being evaluated.
Entry enter(const PlugRef& plug) {
    const std::vector<PlugRef>& stack = scene().evaluating;
    if (stack.size() >= kMaxEvaluationDepth) {
        postMessage(MessageKind::kError, "Evaluation of '" + plugName(plug) +
                                             "' is nested too deeply; the value is not updated.");
        return Entry::kRefused;
    }
    auto related = [&](const PlugRef& open) {
        return open.node == plug.node && (covers(open, plug) || covers(plug, open));
    };
    if (!stack.empty() && related(stack.back())) return Entry::kOwnValue;
    for (const PlugRef& open : stack) {
        if (related(open)) {
            postMessage(MessageKind::kError,
                        "Cycle on '" + plugName(plug) + "' may not evaluate as expected.");
            return Entry::kRefused;
        }
    }
    return Entry::kGo;
}

MStatus pull(const PlugRef& source, const PlugRef& destination) {
    const Entry entry = enter(destination);
    if (entry != Entry::kGo) return entry == Entry::kRefused ? MS::kFailure : MS::kSuccess;
    Evaluating scope(destination);
    MStatus status = evaluate(source);
    transferValue(source, destination);
    markClean(destination);
    return status;
}

MStatus computePlug(const PlugRef& plug) {
    NodeImpl& node = *plug.node;
    const Entry entry = enter(plug);
    if (entry != Entry::kGo) return entry == Entry::kRefused ? MS::kFailure : MS::kSuccess;
    Evaluating scope(plug);
    if (node.isDag() && isDagMatrixAttribute(plug.attr)) return computeDagMatrices(node);
    PlugRef asked = plug;
    while (node.user && node.alive) {
        DataBlockImpl block(node);
        const MPlug askedPlug = PlugAccess::make(asked);
        MStatus status = node.user->compute(askedPlug, block.api());
        if (status == MS::kUnknownParameter) {
            // The base class of the node's kind may compute it (a deformer's
            // output geometry).
            if (KindCompute base = kindCompute(node.type->kind))
                status = base(*node.user, askedPlug, block.api());
        }
        if (status == MS::kUnknownParameter) {
            PlugRef up = parentPlug(asked);
            if (up.isNull()) break;
            asked = up;
            continue;
        }
        if (status == MS::kSuccess) {
            block.commit();
            markClean(asked);
        }
        // A failed compute leaves the old value, still dirty.
        return MS::kSuccess;
    }
    // Nothing computes this plug: its stored value is its value.
    markClean(plug);
    return MS::kSuccess;
}

}  // namespace

MStatus evaluate(const PlugRef& plug) {
    if (plug.isNull() || !plug.node->alive) return MS::kFailure;
    if (!isDirty(plug)) return MS::kSuccess;
    const PlugRef source = sourceOf(plug);
    if (!source.isNull()) return pull(source, plug);
    for (PlugRef up = parentPlug(plug); !up.isNull(); up = parentPlug(up)) {
        if (!sourceOf(up).isNull()) return evaluate(up);
    }
    // Parts of this plug fed by connections come in first.
    MStatus status;
    std::vector<PlugRef> fedParts;
    for (const auto& connection : plug.node->incoming) {
        if (connection->destination != plug && covers(plug, connection->destination))
            fedParts.push_back(connection->destination);
    }
    for (const PlugRef& part : fedParts) {
        if (!evaluate(part)) status = MS::kFailure;
    }
    if (!isDirty(plug)) return status;
    if (!computePlug(plug)) status = MS::kFailure;
    return status;
}

}  // namespace zt::host

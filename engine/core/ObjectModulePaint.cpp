// The object module's view, paint order, dirty rectangles, paint pass and
// hit test.
#include <algorithm>
#include <cmath>

#include "engine/core/FrameImageBase.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"

namespace engine {

namespace {

struct Point {
    int64_t x;
    int64_t y;
};

// Turns p about c by degrees with the y axis taken upward.
Point RotatePoint(Point p, Point c, double degrees)
{
    const double cs = std::cos(degrees * CEngineObject::DEGREES_TO_RADIANS);
    const double sn = std::sin(degrees * CEngineObject::DEGREES_TO_RADIANS);
    const double dx = static_cast<double>(p.x - c.x);
    const double dy = static_cast<double>(c.y - p.y);
    const double nx = dx * cs - dy * sn;
    const double ny = dy * cs + dx * sn;
    return Point { c.x + RoundHalfAway(nx), c.y - RoundHalfAway(ny) };
}

int64_t Cross2D(Point o, Point a, Point b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// p lies on the segment a-b, given that the three are on one line.
bool OnSegment(Point a, Point b, Point p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y
        && p.y <= std::max(a.y, b.y);
}

// Segments cross or touch.
bool SegmentsMeet(Point a, Point b, Point c, Point d)
{
    const int64_t d1 = Cross2D(c, d, a);
    const int64_t d2 = Cross2D(c, d, b);
    const int64_t d3 = Cross2D(a, b, c);
    const int64_t d4 = Cross2D(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return (d1 == 0 && OnSegment(c, d, a)) || (d2 == 0 && OnSegment(c, d, b)) || (d3 == 0 && OnSegment(a, b, c))
        || (d4 == 0 && OnSegment(a, b, d));
}

bool SameGeometry(const ObjectState& a, const ObjectState& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.angle == b.angle;
}

} // namespace

EngineRect ObjectModule::RotatedBounds(const ObjectState& s)
{
    if (s.angle == 0.0) {
        const int32_t w = TruncToInt(s.width);
        const int32_t h = TruncToInt(s.height);
        const int32_t left = TruncToInt(s.x - (w + 1) / 2);
        const int32_t top = TruncToInt(s.y - (h + 1) / 2);
        return EngineRect { left, top, TruncToInt(left + s.width), TruncToInt(top + s.height) };
    }
    const double r = (s.width > 0.0 && s.height > 0.0)
        ? std::sqrt((s.width / 2) * (s.width / 2) + (s.height / 2) * (s.height / 2))
        : 0.0;
    return EngineRect { TruncToInt(s.x - r), TruncToInt(s.y - r), TruncToInt(r + s.x), TruncToInt(r + s.y) };
}

EngineRect ObjectModule::GetScreenRect(const ObjectState& state)
{
    const EngineRect bounds = RotatedBounds(state);
    if ((state.flags & VELOTRIX_OBJ_HIT_RECT) != 0)
        return IntersectRects(bounds, state.hit_rect);
    return bounds;
}

bool ObjectModule::StateMeetsRect(const ObjectState& state, const EngineRect& rect)
{
    const EngineRect b = RotatedBounds(state);
    if (state.angle == 0.0)
        return !IntersectRects(b, rect).IsEmpty();
    const Point c { TruncToInt(state.x), TruncToInt(state.y) };
    const Point box[4] = { { b.left, b.top }, { b.right, b.top }, { b.right, b.bottom }, { b.left, b.bottom } };
    Point quad[4];
    for (int i = 0; i < 4; ++i)
        quad[i] = RotatePoint(box[i], c, state.angle);
    const Point target[4] = { { rect.left, rect.top }, { rect.right, rect.top }, { rect.right, rect.bottom },
                              { rect.left, rect.bottom } };
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (SegmentsMeet(quad[i], quad[(i + 1) % 4], target[j], target[(j + 1) % 4]))
                return true;
        }
    }
    if (rect.Contains(static_cast<int32_t>(c.x), static_cast<int32_t>(c.y)))
        return true;
    const Point centre { (static_cast<int64_t>(rect.left) + rect.right + 1) / 2,
                         (static_cast<int64_t>(rect.top) + rect.bottom + 1) / 2 };
    const Point back = RotatePoint(centre, c, -state.angle);
    return back.x >= b.left && back.x < b.right && back.y >= b.top && back.y < b.bottom;
}

bool ObjectModule::IsPaintable(const ObjectState& state) const
{
    return state.active != 0 && (state.flags & VELOTRIX_OBJ_DISABLED) == 0;
}

void ObjectModule::AddDirtyRect(const EngineRect& rect)
{
    // Kept clipped to the view: the paint module never gets areas outside it.
    const EngineRect clipped = IntersectRects(rect, m_view);
    if (clipped.IsEmpty())
        return;
    for (auto& dirty : m_dirty) {
        const EngineRect joined = UnionRects(clipped, dirty);
        if (joined == clipped) {
            dirty = clipped;
            return;
        }
        if (joined == dirty)
            return;
        if ((clipped.left == dirty.left && clipped.right == dirty.right)
            || (clipped.top == dirty.top && clipped.bottom == dirty.bottom)) {
            dirty = joined;
            return;
        }
    }
    m_dirty.push_back(clipped);
}

bool ObjectModule::PaintKey::operator<(const PaintKey& other) const
{
    if (layer != other.layer)
        return layer < other.layer;
    if (z != other.z)
        return z < other.z;
    return id < other.id;
}

ObjectModule::PaintKey ObjectModule::PaintKeyOf(const CEngineObject& object)
{
    const double z = object.GetZ();
    // A total order even for a z that is not a number, so the binary searches
    // below stay sound.
    return PaintKey { object.GetLayer(), std::isnan(z) ? HUGE_VAL : z, object.GetId() };
}

void ObjectModule::InsertInPaintOrder(ObjectRecord* record)
{
    record->listed = true;
    record->key = PaintKeyOf(*record->object);
    const auto it = std::upper_bound(m_paint_order.begin(), m_paint_order.end(), record->key,
                                     [](const PaintKey& key, const ObjectRecord* entry) { return key < entry->key; });
    m_paint_order.insert(it, record);
}

void ObjectModule::RemoveFromPaintOrder(ObjectRecord* record)
{
    if (!record->listed)
        return;
    record->listed = false;
    // Keys are unique (the id is part of each), so the search lands on it.
    const auto it = std::lower_bound(m_paint_order.begin(), m_paint_order.end(), record->key,
                                     [](const ObjectRecord* entry, const PaintKey& key) { return entry->key < key; });
    if (it != m_paint_order.end() && *it == record)
        m_paint_order.erase(it);
}

void ObjectModule::UpdateObject(CEngineObject* object)
{
    if (object == nullptr)
        return;
    ObjectRecord* record = FindRecord(object->GetId());
    if (record == nullptr || record->object.get() != object)
        return;
    CLockScope lock(GetLock());
    const ObjectState now = object->GetState();
    const EngineRect now_rect = GetScreenRect(now);
    if (!SameGeometry(record->snapshot, now))
        AddDirtyRect(GetScreenRect(record->snapshot));
    AddDirtyRect(now_rect);
    record->snapshot = now;
    const bool paint = IsPaintable(now) && !IntersectRects(now_rect, m_view).IsEmpty();
    if (paint && record->listed && record->key == PaintKeyOf(*object))
        return;
    RemoveFromPaintOrder(record);
    if (paint)
        InsertInPaintOrder(record);
}

void ObjectModule::RebuildPaintOrder()
{
    CLockScope lock(GetLock());
    for (ObjectRecord* record : m_paint_order)
        record->listed = false;
    m_paint_order.clear();
    for (auto& [id, record] : m_records) {
        record->snapshot = record->object->GetState();
        const EngineRect area = IntersectRects(GetScreenRect(record->snapshot), m_view);
        if (IsPaintable(record->snapshot) && !area.IsEmpty()) {
            InsertInPaintOrder(record.get());
            AddDirtyRect(area);
        }
    }
}

void ObjectModule::SetViewSize(int32_t width, int32_t height)
{
    width = std::clamp(width, 0, 1 << 20);
    height = std::clamp(height, 0, 1 << 20);
    m_view.left = m_view_centre_x - (width + 1) / 2;
    m_view.right = m_view.left + width;
    m_view.top = m_view_centre_y - (height + 1) / 2;
    m_view.bottom = m_view.top + height;
    RebuildPaintOrder();
}

void ObjectModule::SetViewCentre(int32_t x, int32_t y)
{
    const int32_t dx = x - m_view_centre_x;
    const int32_t dy = y - m_view_centre_y;
    m_view_centre_x = x;
    m_view_centre_y = y;
    m_view.left += dx;
    m_view.right += dx;
    m_view.top += dy;
    m_view.bottom += dy;
    RebuildPaintOrder();
}

void ObjectModule::RefreshView()
{
    AddDirtyRect(m_view);
    PaintPass();
}

void ObjectModule::PaintPass()
{
    if (m_dirty.empty() || m_minimised)
        return;
    auto request = std::make_unique<RenderRequest>();
    {
        CLockScope lock(GetLock());
        request->view_centre_x = m_view_centre_x;
        request->view_centre_y = m_view_centre_y;
        auto add_record = [&](const CEngineObject& object, const ObjectState& state) {
            RenderRecord record { state, object.GetPicture() };
            record.state.x -= m_view.left;
            record.state.y -= m_view.top;
            request->records.push_back(record);
        };
        if (!m_full_redraw) {
            for (const EngineRect& dirty : m_dirty)
                request->rects.push_back(EngineRect { dirty.left - m_view.left, dirty.top - m_view.top,
                                                      dirty.right - m_view.left, dirty.bottom - m_view.top });
            for (const ObjectRecord* entry : m_paint_order) {
                const CEngineObject& object = *entry->object;
                if (object.GetPicture() == nullptr)
                    continue;
                const ObjectState state = object.GetState();
                for (const EngineRect& dirty : m_dirty) {
                    if (StateMeetsRect(state, dirty)) {
                        add_record(object, state);
                        break;
                    }
                }
            }
        } else {
            request->rects.push_back(EngineRect { 0, 0, m_view.Width(), m_view.Height() });
            for (const ObjectRecord* entry : m_paint_order) {
                if (entry->object->GetPicture() != nullptr)
                    add_record(*entry->object, entry->object->GetState());
            }
        }
        m_dirty.clear();
    }
    // The message owns the request and frees it when the paint module is
    // done with it (or when none is loaded).
    SendMessage(ModuleMessage::Owning(VELOTRIX_MODULE_PAINT, VELOTRIX_MSG_RENDER, std::move(request)));
}

CEngineObject* ObjectModule::HitTest(int32_t x, int32_t y)
{
    CLockScope lock(GetLock());
    uint32_t best_layer = 0;
    double best_z = m_hit_test_floor;
    CEngineObject* best = nullptr;
    for (const ObjectRecord* entry : m_paint_order) {
        CEngineObject* object = entry->object.get();
        if (!object->IsVisible() || object->HasVisual() || !object->HitTest(x + m_view.left, y + m_view.top))
            continue;
        const uint32_t layer = object->GetLayer();
        const double z = object->GetZ();
        if (layer > best_layer || (layer == best_layer && z > best_z)) {
            best_layer = layer;
            best_z = z;
            best = object;
        }
    }
    return best;
}

int32_t ObjectModule::GetPaintIndex(uint32_t id) const
{
    int32_t count = -1;
    for (const ObjectRecord* entry : m_paint_order) {
        if (entry->object->GetId() == id)
            return count;
        ++count;
    }
    return count;
}

int ObjectModule::IsPaintOrderSorted() const
{
    uint32_t layer = 0;
    double z = -9999999.0;
    for (const ObjectRecord* entry : m_paint_order) {
        const uint32_t next_layer = entry->object->GetLayer();
        const double next_z = entry->object->GetZ();
        if (next_layer < layer || (next_layer == layer && next_z < z))
            return 0;
        layer = next_layer;
        z = next_z;
    }
    return 1;
}

} // namespace engine

#pragma once
// ObjectLink<T>: a weak link to an engine object that reads as null once the
// object is gone. Objects the object module owns (children, followers, the
// scene's parts) may be destroyed in any order; whoever keeps one of them
// keeps an ObjectLink instead of a raw pointer, and never needs to hear of
// the destruction to forget it. A link converts to T* (null once the object
// is gone), so it is used like the pointer it replaces.
//
// Owner: the holder owns the link, never the object. Every object keeps the
// links to it in a list and clears them at the start of its destruction.
// Thread: UI thread, like the objects.

#include <utility>

namespace engine {

class CEngineObject;

namespace detail {

class LinkNode;

// The links that point at one object (a member of CEngineObject).
class LinkAnchor {
public:
    LinkAnchor() = default;
    LinkAnchor(const LinkAnchor&) = delete;
    LinkAnchor& operator=(const LinkAnchor&) = delete;
    ~LinkAnchor() { Clear(); }
    /// Every link to the object reads null from now on.
    void Clear();

private:
    friend class LinkNode;
    LinkNode* m_first { nullptr };
};

[[nodiscard]] LinkAnchor& AnchorOf(CEngineObject& object);

class LinkNode {
protected:
    LinkNode() = default;
    ~LinkNode() { Attach(nullptr); }
    void Attach(CEngineObject* target)
    {
        if (target == m_target)
            return;
        if (m_target != nullptr) {
            (m_prev != nullptr ? m_prev->m_next : AnchorOf(*m_target).m_first) = m_next;
            if (m_next != nullptr)
                m_next->m_prev = m_prev;
        }
        m_target = target;
        m_prev = nullptr;
        m_next = nullptr;
        if (target != nullptr) {
            LinkAnchor& anchor = AnchorOf(*target);
            m_next = anchor.m_first;
            if (m_next != nullptr)
                m_next->m_prev = this;
            anchor.m_first = this;
        }
    }
    CEngineObject* m_target { nullptr };

private:
    friend class LinkAnchor;
    LinkNode* m_prev { nullptr };
    LinkNode* m_next { nullptr };
};

inline void LinkAnchor::Clear()
{
    while (m_first != nullptr) {
        LinkNode* link = std::exchange(m_first, m_first->m_next);
        link->m_target = nullptr;
        link->m_prev = nullptr;
        link->m_next = nullptr;
    }
}

} // namespace detail

template <typename T>
class ObjectLink : private detail::LinkNode {
public:
    ObjectLink() = default;
    ObjectLink(T* object) { Set(object); } // NOLINT: stands in for a T*
    ObjectLink(const ObjectLink& other) { Set(other.get()); }
    ObjectLink& operator=(const ObjectLink& other)
    {
        Set(other.get());
        return *this;
    }
    ObjectLink& operator=(T* object)
    {
        Set(object);
        return *this;
    }

    [[nodiscard]] T* get() const { return m_target != nullptr ? m_object : nullptr; }
    operator T*() const { return get(); } // NOLINT: reads like the pointer it replaces
    T* operator->() const { return get(); }

private:
    void Set(T* object)
    {
        Attach(object);
        m_object = object;
    }
    T* m_object { nullptr };
};

} // namespace engine

#pragma once
// Chairs and seat views. View 0 is the own chair; views count upwards in the
// direction of NextChair, while the turn passes the other way (PrevChair).
// CChairMath is the card-game table's ring ((chair +/- 1) mod count);
// CPlDkChairMath is this game's four seats, where the holder of the other
// copy of the turned-up card may have swapped places with the banker's
// partner, so the turn order follows the swap.
//
// Owner: the scene (one per table). Thread: the UI thread only.
// Hazards: every operation validates its chair or view and answers -1 for
// one outside the ring (also while the own chair is still -1); a walk from
// chair to chair takes at most the chair count of steps, so a broken order
// never loops.

#include <functional>
#include <string_view>
#include <vector>

namespace scene {

/// Where the chair maths writes its trace lines (the debug trace of the
/// program); may be empty.
using ChairTrace = std::function<void(std::string_view)>;

class CChairMath {
public:
    CChairMath(int chair_count, int own_chair);
    virtual ~CChairMath() = default;

    void SetOwnChair(int chair) { m_own_chair = chair; }
    [[nodiscard]] int GetOwnChair() const { return m_own_chair; }
    [[nodiscard]] int GetChairCount() const { return m_count; }
    [[nodiscard]] bool IsValidChair(int chair) const { return chair >= 0 && chair < m_count; }

    /// The chair before in turn order; -1 for a chair outside the ring.
    [[nodiscard]] virtual int PrevChair(int chair) const;
    [[nodiscard]] virtual int NextChair(int chair) const;
    /// The chair at a seat view: NextChair applied `view` times to the own
    /// chair; -1 for a view outside 0..count-1 or without an own chair.
    [[nodiscard]] virtual int ViewToChair(int view) const;
    /// Steps from the own chair with NextChair, at most count times; the
    /// number of steps that reach the chair, or -1.
    [[nodiscard]] int ChairToView(int chair) const;
    [[nodiscard]] virtual int PrevView(int view) const;
    [[nodiscard]] virtual int NextView(int view) const;
    /// The own partner: PrevChair of PrevChair of the own chair.
    [[nodiscard]] bool IsPartnerChair(int chair) const;
    /// The chairs the turn passes on its way from `from` to `to` by
    /// PrevChair, `to` included and `from` not; just `to` when `from` is no
    /// chair or `to` cannot be reached within count steps; empty when `to`
    /// is no chair.
    [[nodiscard]] std::vector<int> ChairsPassed(int from, int to) const;

protected:
    int m_count;
    int m_own_chair;
};

/// This game's four seats with the seat swap of the turned-up card.
class CPlDkChairMath final : public CChairMath {
public:
    static constexpr int CHAIRS = 4;
    static constexpr int BAD_VIEW_TRACE = 5955;

    explicit CPlDkChairMath(int own_chair = -1, ChairTrace trace = {});

    /// The holders of the turned-up card and of its other copy (-1 unknown).
    void SetSwap(int turned_holder, int other_holder);
    [[nodiscard]] int GetTurnedHolder() const { return m_turned_holder; }
    [[nodiscard]] int GetOtherHolder() const { return m_other_holder; }

    [[nodiscard]] int PrevChair(int chair) const override;
    /// PrevChair applied three times.
    [[nodiscard]] int NextChair(int chair) const override;
    /// As the ring's, and a view outside 0..3 writes "5955" to the trace.
    [[nodiscard]] int ViewToChair(int view) const override;
    /// The chair-to-view rule; with a nonzero mode a chair no view reaches
    /// writes the chair number to the trace.
    [[nodiscard]] int ChairToViewTraced(int chair, int mode) const;
    [[nodiscard]] int PrevView(int view) const override;
    [[nodiscard]] int NextView(int view) const override;

private:
    ChairTrace m_trace;
    int m_turned_holder { -1 };
    int m_other_holder { -1 };
};

} // namespace scene

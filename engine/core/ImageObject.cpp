#include "engine/core/ImageObject.h"

namespace engine {

void CImageObject::SetImage(const ImageRef& ref, FitSize fit)
{
    m_picture.SetInfo(ref);
    if (fit == FitSize::Yes)
        SetSize(ref.width, ref.height);
    Invalidate();
}

uint32_t CImageObject::SumFrameDelays(int32_t from, int32_t to) const
{
    const int64_t count = GetFrameCount();
    if (count == 0)
        return 0;
    int64_t end = to;
    if (end < from)
        end += count;
    if (end <= from)
        return 0;
    // Whole rounds are counted at once so that a wide span never loops long.
    const int64_t span = end - from;
    uint64_t sum = uint64_t(span / count) * m_picture.GetTotalDelay();
    for (int64_t i = from; i < from + span % count; ++i)
        sum += m_picture.GetFrameDelay(static_cast<int32_t>(((i % count) + count) % count));
    return static_cast<uint32_t>(sum);
}

} // namespace engine

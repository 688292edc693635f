#pragma once
// CImageObject (object kind 2): an engine object that shows one frame of an
// image of the paint module's cache through its CFrameImage picture.
//
// Owner: the object module, like every registered object. Thread: UI thread.
// Hazards: the picture borrows the cached record; the paint module checks
// IsValid before drawing, and play-frames actions stop when it fails.

#include <cstdint>

#include "engine/core/EngineObject.h"
#include "engine/core/FrameImage.h"

namespace engine {

class CImageObject : public CEngineObject {
public:
    static constexpr int TYPE_IMAGE = 2;

    [[nodiscard]] int GetType() const override { return TYPE_IMAGE; }
    [[nodiscard]] CFrameImageBase* GetPicture() const override { return const_cast<CFrameImage*>(&m_picture); }
    [[nodiscard]] CFrameImage& GetFrameImage() { return m_picture; }
    [[nodiscard]] const CFrameImage& GetFrameImage() const { return m_picture; }

    /// Takes the reference; with FitSize::Yes the object takes its size.
    enum class FitSize { No, Yes };
    void SetImage(const ImageRef& ref, FitSize fit);

    [[nodiscard]] uint32_t GetFrameCount() const { return m_picture.GetFrameCount(); }
    [[nodiscard]] uint32_t GetCurrentFrame() const { return m_picture.GetCurrentFrame(); }
    [[nodiscard]] uint32_t GetTotalDelay() const { return m_picture.GetTotalDelay(); }
    [[nodiscard]] uint32_t GetFrameDelay(int32_t i) const { return m_picture.GetFrameDelay(i); }
    uint32_t SetFrame(int16_t i) { return m_picture.SetFrame(i); }
    uint32_t SetFrameByTime(uint32_t ms, uint32_t start_frame) { return m_picture.SetFrameByTime(ms, start_frame); }
    uint32_t NextFrame() { return m_picture.NextFrame(); }
    void SetTint(uint32_t tint) { m_picture.SetTint(tint); }
    /// The tint under the name the client and scene use (0xFF00FF: none).
    void SetColorValue(uint32_t colour) { SetTint(colour); }
    /// Sum of the delays of frames from, from + 1, ... up to but not
    /// including to (to raised by the frame count when below from).
    [[nodiscard]] uint32_t SumFrameDelays(int32_t from, int32_t to) const;

private:
    CFrameImage m_picture;
};

} // namespace engine

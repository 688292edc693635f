#pragma once
// CFrameImage: the picture of an image or canvas object. It holds one
// ImageRef (image id, record, source rectangle, current frame, tint colour,
// name key) and answers frame timing, the per-pixel hit test and pixel
// queries of the current frame.
//
// Owner: the image or canvas object it belongs to. Thread: UI thread.
// Hazards: the record pointer is borrowed from the paint module's cache (or
// the canvas); IsValid tells whether it still belongs to this reference.
// Every pixel read is checked against the record's real buffer sizes, so a
// reference whose rectangle lies outside its record reads nothing.

#include <cstdint>

#include "engine/core/FrameImageBase.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CFrameImage : public CFrameImageBase {
public:
    CFrameImage() = default;
    CFrameImage(const CFrameImage&) = delete;
    CFrameImage& operator=(const CFrameImage&) = delete;

    [[nodiscard]] int HitTest(int32_t x, int32_t y) const override;
    /// 1 when the reference's image id equals its record's id.
    [[nodiscard]] int IsValid() const override;

    void SetInfo(const ImageRef& ref) { m_ref = ref; }
    [[nodiscard]] const ImageRef& GetInfo() const { return m_ref; }
    [[nodiscard]] ImageRecord* GetRecord() const { return m_ref.record; }
    void SetRecord(ImageRecord* record) { m_ref.record = record; }
    void MarkChanged();
    void ClearChanged();
    [[nodiscard]] uint32_t GetColourKey() const;

    [[nodiscard]] int32_t GetSourceX() const { return m_ref.source_x; }
    [[nodiscard]] int32_t GetSourceY() const { return m_ref.source_y; }
    [[nodiscard]] int32_t GetWidth() const { return m_ref.width; }
    [[nodiscard]] int32_t GetHeight() const { return m_ref.height; }
    void SetSize(int32_t width, int32_t height);

    /// Delay of frame i (modulo the count) in ms; 0 without record or delays.
    [[nodiscard]] uint32_t GetFrameDelay(int32_t i) const;
    [[nodiscard]] uint32_t GetTotalDelay() const;
    [[nodiscard]] uint32_t GetCurrentFrame() const { return m_ref.frame; }
    [[nodiscard]] uint32_t GetTint() const { return m_ref.tint; }
    void SetTint(uint32_t tint) { m_ref.tint = tint; }
    [[nodiscard]] int16_t GetOffsetX() const;
    [[nodiscard]] int16_t GetOffsetY() const;
    /// 0x00BBGGRR of the pixel (x, y) of the current frame; 0 outside.
    [[nodiscard]] uint32_t GetColourAt(int32_t x, int32_t y) const;
    [[nodiscard]] uint32_t GetAlphaAt(int32_t x, int32_t y) const;
    [[nodiscard]] uint32_t GetFrameCount() const;
    [[nodiscard]] const NameKey& GetNameKey() const { return m_ref.key; }
    [[nodiscard]] uint32_t GetImageId() const { return m_ref.id; }

    /// Shows frame i modulo the count (marking the record changed when the
    /// frame changes); answers the new frame's delay, 0 with fewer than two
    /// frames.
    uint32_t SetFrame(int32_t i);
    /// Shows the frame that ms milliseconds reach from start_frame (the time
    /// taken modulo one round of delays). Answers start_frame when the frame
    /// stays, else SetFrame's answer; 0 without delays.
    uint32_t SetFrameByTime(uint32_t ms, uint32_t start_frame);
    /// Steps one frame (wrapping) without marking the record; the delay.
    uint32_t NextFrame();

    /// The paint module's refresh bookkeeping.
    [[nodiscard]] uint32_t GetLastRefresh() const { return m_last_refresh; }
    void SetLastRefresh(uint32_t ms) { m_last_refresh = ms; }

private:
    struct PixelAt {
        const uint8_t* bytes { nullptr }; ///< the pixel's first byte, null outside
        uint32_t bytes_per_pixel { 0 };
    };
    [[nodiscard]] PixelAt Locate(int32_t x, int32_t y) const;

    ImageRef m_ref {};
    uint32_t m_last_refresh { 0 };
};

} // namespace engine

#pragma once
// ImageRecord, ImageRef and DrawParams: how the engine describes a decoded
// image, how an object refers to one, and what the blitter is told to draw.
//
// Owner: the paint module owns the cached records (one per NameKey); a canvas
// object owns the record of its own pixels (id 1); decoders fill records they
// hand over by move. Objects hold an ImageRef, which never owns: its record
// pointer stays valid only while the record is cached. The validity test is
// "ref.id == ref.record->id"; a released record is zeroed, so a stale ref's
// id no longer matches.
//
// Thread: engine (UI) thread only.
//
// Hazards: in the 32-bit design these records held pointers in 32-bit words;
// here the pointer fields are real pointers (or owning smart pointers) and
// nothing of them is ever written to disk or wire. The buffers are owned by
// the record (std::unique_ptr), so records are move-only; use
// CopyImageRecord for a deep copy. Outside data that fills a record (files,
// decoders) must be checked by its reader: PixelBytesNeeded() gives the size
// the pixel buffer must have for the record's geometry.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/NameKey.h"

namespace engine {

// Format flags of an ImageRecord (also stored in ".pps" headers).
inline constexpr uint32_t IMAGE_FLAG_TRANSPARENT = 0x1;    ///< a colour key, or pixels with alpha 0
inline constexpr uint32_t IMAGE_FLAG_BLOCK32 = 0x2;        ///< a 32-byte block stands in the palette field
inline constexpr uint32_t IMAGE_FLAG_PALETTE = 0x4;        ///< 8-bit palette indices
inline constexpr uint32_t IMAGE_FLAG_ALPHA = 0x8;          ///< per-pixel alpha channel
inline constexpr uint32_t IMAGE_FLAG_ANIMATED = 0x10;      ///< per-frame delays present
inline constexpr uint32_t IMAGE_FLAG_OFFSETS = 0x20;       ///< the offset pair was stored
inline constexpr uint32_t IMAGE_FLAG_CHANGED = 0x200;      ///< set and cleared by the frame image

inline constexpr uint32_t IMAGE_NO_COLOUR_KEY = 256;       ///< palette colour key meaning "none"
inline constexpr uint32_t IMAGE_ID_NONE = 0;               ///< no image
inline constexpr uint32_t IMAGE_ID_CANVAS = 1;             ///< a canvas's private record, never cached

// The colour key of every canvas, and "no colour" where a tint or key is optional.
inline constexpr uint32_t COLOUR_NONE = 0xFF00FF;

// Draw flags (the object state's flags word) that the blitter reads.
inline constexpr uint32_t DRAW_FLAG_CLIP = 0x2;             ///< clip to the clip rectangle
inline constexpr uint32_t DRAW_FLAG_OVER_OPAQUE = 0x8;      ///< draw only over opaque destination pixels
inline constexpr uint32_t DRAW_FLAG_SMOOTH_ROTATE = 0x20;   ///< bilinear rotation
inline constexpr uint32_t DRAW_FLAG_SILHOUETTE = 0x800;     ///< inverted silhouette instead of the image
inline constexpr uint32_t DRAW_FLAG_SMOOTH_SCALE = 0x4000;  ///< bilinear scaling

// One decoded image: all frames stored one under the other (frame f begins at
// row f * height), rows top to bottom without gaps. A 32-bit image has the
// bytes blue, green, red, alpha per pixel; a palette image (IMAGE_FLAG_PALETTE
// or IMAGE_FLAG_BLOCK32) has one index byte per pixel, or index and alpha with
// IMAGE_FLAG_ALPHA.
struct ImageRecord {
    uint32_t id { IMAGE_ID_NONE };
    uint16_t width { 0 };                   ///< of one frame
    uint16_t height { 0 };                  ///< of one frame
    std::unique_ptr<uint8_t[]> pixels;
    uint32_t pixel_bytes { 0 };             ///< length of pixels
    uint32_t colour_key { IMAGE_NO_COLOUR_KEY }; ///< palette: transparent index (256 none); 32-bit: 0x00BBGGRR
    uint32_t frames { 0 };                  ///< at least 1 once filled
    uint32_t flags { 0 };
    std::unique_ptr<uint8_t[]> palette;     ///< red, green, blue per entry; or the 32-byte block
    uint32_t palette_count { 0 };           ///< 1 .. 256 entries
    std::unique_ptr<uint32_t[]> delays;     ///< one delay in ms per frame, with IMAGE_FLAG_ANIMATED
    int16_t offset_x { 0 };
    int16_t offset_y { 0 };
    uint32_t frames_per_row { 0 };          ///< 1 for a vertical strip
    uint32_t last_use { 0 };                ///< ms

    [[nodiscard]] bool IsPaletteImage() const { return (flags & (IMAGE_FLAG_PALETTE | IMAGE_FLAG_BLOCK32)) != 0; }
    [[nodiscard]] bool HasAlpha() const { return (flags & IMAGE_FLAG_ALPHA) != 0; }
    [[nodiscard]] uint32_t BytesPerPixel() const
    {
        if (IsPaletteImage())
            return HasAlpha() ? 2 : 1;
        return 4;
    }
    // Bytes the palette field holds: the 32-byte block, or 3 per entry.
    [[nodiscard]] uint32_t PaletteBytes() const
    {
        if (!palette)
            return 0;
        if (flags & IMAGE_FLAG_BLOCK32)
            return 32;
        return (flags & IMAGE_FLAG_PALETTE) ? palette_count * 3 : 0;
    }
    // Bytes one frame strip of this geometry needs (64-bit: never overflows).
    [[nodiscard]] uint64_t PixelBytesNeeded() const
    {
        const uint64_t frame_count = frames == 0 ? 1 : frames;
        return uint64_t(width) * height * frame_count * BytesPerPixel();
    }
};

// Frees every buffer of the record and zeroes all its fields.
inline void FreeImageRecordData(ImageRecord* record)
{
    if (record)
        *record = ImageRecord {};
}

// Deep copy: the destination's buffers are freed, every field is copied and
// the destination gets its own delays, palette and (with with_pixels) pixels;
// without pixels its pixel buffer is empty and its pixel bytes 0.
inline void CopyImageRecord(const ImageRecord* source, ImageRecord* destination, bool with_pixels)
{
    if (!source || !destination || source == destination)
        return;
    FreeImageRecordData(destination);
    destination->id = source->id;
    destination->width = source->width;
    destination->height = source->height;
    destination->colour_key = source->colour_key;
    destination->frames = source->frames;
    destination->flags = source->flags;
    destination->palette_count = source->palette_count;
    destination->offset_x = source->offset_x;
    destination->offset_y = source->offset_y;
    destination->frames_per_row = source->frames_per_row;
    destination->last_use = source->last_use;
    if (source->delays && source->frames > 0) {
        destination->delays = std::make_unique<uint32_t[]>(source->frames);
        std::memcpy(destination->delays.get(), source->delays.get(), source->frames * sizeof(uint32_t));
    }
    if (const uint32_t palette_bytes = source->PaletteBytes(); palette_bytes > 0) {
        destination->palette = std::make_unique<uint8_t[]>(palette_bytes);
        std::memcpy(destination->palette.get(), source->palette.get(), palette_bytes);
    }
    if (with_pixels && source->pixels && source->pixel_bytes > 0) {
        destination->pixels = std::make_unique<uint8_t[]>(source->pixel_bytes);
        std::memcpy(destination->pixels.get(), source->pixels.get(), source->pixel_bytes);
        destination->pixel_bytes = source->pixel_bytes;
    }
}

// What an object holds for an image (eleven words in the 32-bit design; the
// record word is a real pointer here). All zero means "no image".
struct ImageRef {
    uint32_t id { 0 };
    ImageRecord* record { nullptr };        ///< not owned; valid while cached and id == record->id
    int32_t source_x { 0 };
    int32_t source_y { 0 };
    int32_t width { 0 };
    int32_t height { 0 };
    uint32_t frame { 0 };
    uint32_t tint { 0 };                    ///< 0xFF00FF = no tint; else threshold << 24 | 0x00BBGGRR (a found image gets 0xFF00FF)
    NameKey key;                            ///< of the image's name (with its category text)

    [[nodiscard]] bool IsValid() const { return record != nullptr && record->id == id; }
};

// The image services of the paint module (module 1003), as the entity
// facade and the objects reach them: find the module with
// dynamic_cast<IPaintImages*>(core->GetModule(VELOTRIX_MODULE_PAINT)).
// Names are GBK resource names without their category text; the cache adds
// ".imge". Thread: engine (UI) thread.
class IPaintImages {
public:
    virtual ~IPaintImages() = default;
    // Fills ref for the image (frame taken modulo its frame count); all zero,
    // with a null record, when the image cannot be had.
    virtual void LoadImageByName(ImageRef& ref, std::string_view name, uint32_t frame) = 0;
    // The cached record of a name that already carries its category text,
    // loading it on a miss; null when it cannot be loaded.
    [[nodiscard]] virtual ImageRecord* FindImage(std::string_view name_with_category) = 0;
    // Caches a deep copy of the referenced record under name + ".imge".
    virtual bool AddImageCopy(const ImageRef& ref, std::string_view name) = 0;
    // Drops the cached image name + ".imge" (its references go stale).
    virtual void ReleaseImage(std::string_view name) = 0;
    // Draws into the background: x, y top left, width x height, angle in degrees.
    virtual void DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, double angle) = 0;
    // Fills the background with a colour given as 0x00BBGGRR.
    virtual void Clear(uint32_t colour) = 0;
    [[nodiscard]] virtual double GetFps() const = 0;
    [[nodiscard]] virtual int32_t GetWidth() const = 0;
    [[nodiscard]] virtual int32_t GetHeight() const = 0;
    [[nodiscard]] virtual uint32_t GetLastImageId() const = 0;
    // Writes the referenced image as a ".pps" file (the best method); 1 when
    // written. A paint module without an encoder answers 0.
    virtual int SaveAsPps(const ImageRef& ref, const std::string& path)
    {
        (void)ref;
        (void)path;
        return 0;
    }
    // Decodes an image file held in memory as its extension (".ico") says;
    // false when it cannot be decoded. A paint module without decoders
    // answers false.
    virtual bool DecodeImageBytes(std::span<const uint8_t> bytes, std::string_view extension, ImageRecord& out)
    {
        (void)bytes;
        (void)extension;
        (void)out;
        return false;
    }
};

// What the blitter is told about one draw.
struct DrawParams {
    double angle { 0.0 };                   ///< degrees; 0 = not rotated
    int32_t centre_x { 0 };                 ///< destination point on which the image's centre lands
    int32_t centre_y { 0 };
    int32_t object_x { 0 };                 ///< the object's position in world units, truncated
    int32_t object_y { 0 };
    int32_t width { 0 };                    ///< drawn size on the destination
    int32_t height { 0 };
    int32_t radius { 0 };                   ///< half the diagonal; below 1 asks the blitter to compute it
    uint32_t flags { 0 };                   ///< DRAW_FLAG_*
    int32_t clip_left { 0 };
    int32_t clip_top { 0 };
    int32_t clip_right { 0 };
    int32_t clip_bottom { 0 };
};

} // namespace engine

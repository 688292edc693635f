// Feeds arbitrary bytes to the ".pps" reader; what it accepts is drawn by the
// blitter in a few modes and written back out.
#include "engine/media/Blitter.h"
#include "engine/media/PpsCodec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    engine::ImageRecord record;
    if (engine::DecodePps(std::span<const uint8_t>(data, size), record) == 0)
        return 0;
    std::vector<uint32_t> pixels(64 * 48, 0x80102030);
    const engine::BlitSurface surface { pixels.data(), 64, 48 };
    const uint32_t frames = record.frames;
    for (int mode = 0; mode < 4; ++mode) {
        engine::DrawParams params;
        params.centre_x = 30;
        params.centre_y = 20;
        params.width = mode == 1 ? 37 : record.width;
        params.height = mode == 1 ? 19 : record.height;
        params.angle = mode >= 2 ? 33.0 : 0.0;
        params.flags = mode == 3 ? engine::DRAW_FLAG_SMOOTH_ROTATE | engine::DRAW_FLAG_SMOOTH_SCALE : 0;
        engine::BlitImage(surface, params, record, 0, int32_t((frames - 1) * record.height), record.width,
                          record.height, mode == 0 ? 1.0 : 0.6, mode == 2 ? 0x80FF8000u : engine::COLOUR_NONE);
    }
    if (size < 4096) {
        const std::vector<uint8_t> again = engine::EncodePps(record, record.palette.get(), engine::PPS_METHOD_BEST);
        engine::ImageRecord back;
        if (!again.empty() && engine::DecodePps(again, back) != record.pixel_bytes)
            __builtin_trap();
    }
    return 0;
}

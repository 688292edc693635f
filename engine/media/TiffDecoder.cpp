#include "engine/media/TiffDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace engine {

namespace {

// The file in memory as libtiff's client I/O sees it.
struct MemoryFile {
    std::span<const uint8_t> data;
    uint64_t position { 0 };
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    if (size <= 0 || file->position >= file->data.size())
        return 0;
    const size_t n = std::min<uint64_t>(uint64_t(size), file->data.size() - file->position);
    std::memcpy(buffer, file->data.data() + file->position, n);
    file->position += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->data.size();
    if (offset > UINT64_MAX - base)
        return toff_t(-1);
    file->position = base + offset;
    return file->position;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->data.size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) { }
int QuietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The kind of alpha the file's extra samples declare.
uint16_t AlphaKind(TIFF* tiff)
{
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || !kinds)
        return EXTRASAMPLE_UNSPECIFIED;
    return kinds[0];
}

uint8_t Unpremultiply(uint32_t colour, uint32_t alpha)
{
    return uint8_t(std::min<uint32_t>(255, (colour * 255 + alpha / 2) / alpha));
}

} // namespace

bool DecodeTiff(std::span<const uint8_t> data, DecodedImage& out)
{
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        return false;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(IMAGE_MAX_PIXEL_BYTES));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), QuietHandler, nullptr);
    MemoryFile file { data };
    std::unique_ptr<TIFF, TiffDeleter> tiff(TIFFClientOpenExt("image", "rm", &file, ReadProc, WriteProc, SeekProc,
                                                              CloseProc, SizeProc, MapProc, UnmapProc, options.get()));
    if (!tiff)
        return false;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height)
        || width == 0 || height == 0 || !ImageSizeWithinLimits(width, height))
        return false;
    const uint16_t alpha = AlphaKind(tiff.get());
    if (alpha == EXTRASAMPLE_UNASSALPHA) {
        // Read straight alpha as associated: libtiff then copies the colours
        // as stored instead of multiplying them by alpha.
        uint16_t count = 0;
        uint16_t* kinds = nullptr;
        TIFFGetField(tiff.get(), TIFFTAG_EXTRASAMPLES, &count, &kinds);
        std::vector<uint16_t> associated(kinds, kinds + count);
        associated[0] = EXTRASAMPLE_ASSOCALPHA;
        if (!TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, count, associated.data()))
            return false;
    }
    std::vector<uint32_t> raster(size_t(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return false;

    out = DecodedImage {};
    out.width = width;
    out.height = height;
    std::vector<uint8_t> pixels(raster.size() * 4);
    for (size_t i = 0; i < raster.size(); ++i) {
        const uint32_t abgr = raster[i];
        uint32_t r = TIFFGetR(abgr);
        uint32_t g = TIFFGetG(abgr);
        uint32_t b = TIFFGetB(abgr);
        const uint32_t a = TIFFGetA(abgr);
        if (alpha == EXTRASAMPLE_ASSOCALPHA && a != 255) {
            r = a ? Unpremultiply(r, a) : 0;
            g = a ? Unpremultiply(g, a) : 0;
            b = a ? Unpremultiply(b, a) : 0;
        }
        pixels[i * 4] = uint8_t(b);
        pixels[i * 4 + 1] = uint8_t(g);
        pixels[i * 4 + 2] = uint8_t(r);
        pixels[i * 4 + 3] = uint8_t(a);
        if (a != 255)
            out.alpha_valid = true;
    }
    out.frames.push_back(std::move(pixels));
    return true;
}

} // namespace engine

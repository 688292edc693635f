// IImageDecoder over SDL2_image: each format through its own loader (which
// keeps 8-bit palettes); GIF, TIFF and WBMP files through our own readers,
// and icons through our own reading of their directory.
#include "engine/core/CursorFile.h"
#include "engine/media/GifDecoder.h"
#include "engine/media/IcoDirectory.h"
#include "engine/media/ImageDecoder.h"
#include "engine/media/TiffDecoder.h"
#include "engine/media/WbmpDecoder.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>

namespace engine {

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The library's loader of exactly one format: its "typed" entry would still
// try every other format's detector first (SVG, XPM and the rest), which
// must never see our untrusted bytes.
using LoadFunction = SDL_Surface* (*)(SDL_RWops*);

LoadFunction LoaderOf(ImageFileFormat format)
{
    switch (format) {
    case ImageFileFormat::Bmp: return IMG_LoadBMP_RW;
    case ImageFileFormat::Gif: return IMG_LoadGIF_RW;   // not used: GIF has its own reader
    case ImageFileFormat::Jpeg: return IMG_LoadJPG_RW;
    case ImageFileFormat::Png: return IMG_LoadPNG_RW;
    case ImageFileFormat::Ico: return IMG_LoadICO_RW;
    case ImageFileFormat::Tga: return IMG_LoadTGA_RW;
    case ImageFileFormat::Pcx: return IMG_LoadPCX_RW;
    default: return nullptr;
    }
}

SDL_RWops* OpenMemory(std::span<const uint8_t> data)
{
    return SDL_RWFromConstMem(data.data(), int(data.size()));
}

bool SizeAllowed(int w, int h)
{
    return w > 0 && h > 0 && uint32_t(w) <= IMAGE_MAX_SIDE && uint32_t(h) <= IMAGE_MAX_SIDE;
}

// The frame's pixels as bytes blue, green, red, alpha (the key not applied).
bool CopyBgra(SDL_Surface* surface, std::vector<uint8_t>& out)
{
    SurfacePtr converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!converted || SDL_LockSurface(converted.get()) != 0)
        return false;
    const size_t row_bytes = size_t(converted->w) * 4;
    out.resize(row_bytes * size_t(converted->h));
    for (int y = 0; y < converted->h; ++y)
        std::memcpy(out.data() + row_bytes * y, static_cast<const uint8_t*>(converted->pixels) + size_t(y) * converted->pitch,
                    row_bytes);
    SDL_UnlockSurface(converted.get());
    return true;
}

bool ReadSurface(SDL_Surface* surface, DecodedImage& out)
{
    if (!SizeAllowed(surface->w, surface->h))
        return false;
    out.width = uint32_t(surface->w);
    out.height = uint32_t(surface->h);
    const SDL_PixelFormat* format = surface->format;
    Uint32 key = 0;
    out.has_colour_key = SDL_GetColorKey(surface, &key) == 0;
    if (format->BitsPerPixel == 8 && format->palette && format->palette->ncolors >= 1
        && format->palette->ncolors <= 256) {
        out.palette = true;
        const SDL_Palette* palette = format->palette;
        bool partial_alpha = false;
        for (int i = 0; i < palette->ncolors; ++i) {
            const SDL_Color c = palette->colors[i];
            out.palette_colours.push_back(uint32_t(c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
            if (c.a != 255 && !(out.has_colour_key && Uint32(i) == key))
                partial_alpha = true;
        }
        out.alpha_valid = partial_alpha;
        out.colour_key = key;
        if (SDL_LockSurface(surface) != 0)
            return false;
        std::vector<uint8_t> indices(size_t(surface->w) * surface->h);
        for (int y = 0; y < surface->h; ++y)
            std::memcpy(indices.data() + size_t(y) * surface->w,
                        static_cast<const uint8_t*>(surface->pixels) + size_t(y) * surface->pitch, size_t(surface->w));
        SDL_UnlockSurface(surface);
        out.frames.push_back(std::move(indices));
        return true;
    }
    out.alpha_valid = format->Amask != 0;
    if (out.has_colour_key) {
        Uint8 r = 0, g = 0, b = 0;
        SDL_GetRGB(key, format, &r, &g, &b);
        out.colour_key = uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
        SDL_SetColorKey(surface, SDL_FALSE, 0);
    }
    std::vector<uint8_t> pixels;
    if (!CopyBgra(surface, pixels))
        return false;
    out.frames.push_back(std::move(pixels));
    return true;
}

bool LoadWith(LoadFunction load, std::span<const uint8_t> data, DecodedImage& out)
{
    SDL_RWops* source = OpenMemory(data);
    if (!source)
        return false;
    SurfacePtr surface(load(source));
    SDL_RWclose(source);
    return surface && ReadSurface(surface.get(), out);
}

// The library would choose the entry with the most colours and cannot read
// PNG entries: we choose the entry ourselves and give a PNG entry to the PNG
// loader, a BMP entry to the icon loader as the only entry of its file.
bool DecodeIco(std::span<const uint8_t> data, DecodedImage& out)
{
    const std::optional<IcoEntry> entry = BestIcoEntry(data);
    if (!entry)
        return false;
    if (entry->png)
        return LoadWith(IMG_LoadPNG_RW, entry->data, out);
    // 256 is written as 0.
    const std::vector<uint8_t> single = SingleEntryIconFile(uint8_t(entry->width), uint8_t(entry->height), 0,
                                                            uint16_t(entry->bits_per_pixel), entry->data);
    return LoadWith(IMG_LoadICO_RW, single, out);
}

class CSdlImageDecoder final : public IImageDecoder {
public:
    bool Decode(std::span<const uint8_t> data, ImageFileFormat format, DecodedImage& out) override
    {
        if (format == ImageFileFormat::Wbmp)
            return DecodeWbmp(data, out);
        if (format == ImageFileFormat::Tiff)
            return !data.empty() && DecodeTiff(data, out);
        const LoadFunction load = LoaderOf(format);
        if (!load || data.empty() || data.size() > size_t(INT32_MAX))
            return false;
        out = DecodedImage {};
        // GIF files go through our own reader: the library's follows data
        // that its images did not use and may find sizes we never checked.
        if (format == ImageFileFormat::Gif)
            return DecodeGif(data, out);
        if (format == ImageFileFormat::Ico)
            return DecodeIco(data, out);
        return LoadWith(load, data, out);
    }

};

} // namespace

std::unique_ptr<IImageDecoder> CreateSdlImageDecoder() { return std::make_unique<CSdlImageDecoder>(); }

} // namespace engine

// One engine frame of a card table on a 1050 x 700 view: 120 card-sized
// sprites (71 x 96; 60 of them alpha-blended, 10 rotated) over a table image,
// painted through the object module, the GDI paint module and the blitter.
// BM_FullFrame repaints the whole view; BM_DirtyFrame moves one card;
// BM_SdlFrame draws the same sprites with SDL's software renderer
// (SDL_RenderCopyEx into a surface of the same size) as a peer, and
// BM_PixmanFrame composites the same table image and sprites with pixman
// into an image of the same size as another.
//
// Each benchmark runs several repetitions and reports their median; at the
// end the ratios of the medians are printed.
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"
#include "platform/DailyLog.h"

#include "MedianReporter.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

using namespace engine;

namespace {

constexpr int32_t VIEW_W = 1050;
constexpr int32_t VIEW_H = 700;

class CFixedClock final : public platform::IClock {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return m_now; }
    uint32_t m_now { 1000 };
};

ImageRecord MakeImage(int32_t w, int32_t h, bool alpha)
{
    ImageRecord image;
    image.width = uint16_t(w);
    image.height = uint16_t(h);
    image.frames = 1;
    image.frames_per_row = 1;
    image.flags = alpha ? IMAGE_FLAG_ALPHA : 0;
    image.pixel_bytes = uint32_t(w * h * 4);
    image.pixels = std::make_unique<uint8_t[]>(image.pixel_bytes);
    for (int32_t i = 0; i < w * h; ++i) {
        const uint32_t a = alpha ? uint32_t(128 + (i % 128)) : 255;
        const uint32_t pixel = a << 24 | uint32_t(i * 2654435761u) >> 8;
        std::memcpy(&image.pixels[size_t(i) * 4], &pixel, 4);
    }
    return image;
}

std::vector<uint8_t> ImagePps(int32_t w, int32_t h, bool alpha)
{
    return EncodePps(MakeImage(w, h, alpha), nullptr, PPS_METHOD_RAW);
}

// Where the table puts card i: centre and angle.
struct CardPlace {
    double x;
    double y;
    double angle;
    bool alpha;
};

CardPlace PlaceOf(int i)
{
    return CardPlace { 60.0 + (i % 20) * 48, 80.0 + (i / 20) * 100, i < 10 ? 25.0 : 0.0, i % 2 != 0 };
}

struct Table {
    Table()
    {
        const auto log_folder = std::filesystem::temp_directory_path() / "pldk-frame-bench";
        std::filesystem::create_directories(log_folder);
        platform::CDailyLog::Instance().SetFolder(log_folder.string() + "/");
        (void)core.LoadModule(std::make_unique<ResourceModule>(), true, true);
        (void)core.LoadModule(std::make_unique<ObjectModule>(), true, false);
        (void)core.LoadModule(std::make_unique<GDIPaintModule>(), true, true);
        auto* resources = dynamic_cast<ResourceModule*>(core.GetModule(VELOTRIX_MODULE_RESOURCE));
        objects = dynamic_cast<ObjectModule*>(core.GetModule(VELOTRIX_MODULE_OBJECT));
        paint = dynamic_cast<GDIPaintModule*>(core.GetModule(VELOTRIX_MODULE_PAINT));
        paint->SetSize(VIEW_W, VIEW_H);
        objects->SetViewSize(VIEW_W, VIEW_H);
        objects->SetViewCentre(VIEW_W / 2, VIEW_H / 2);
        (void)resources->AddResource("table.pps", ImagePps(VIEW_W, VIEW_H, false));
        (void)resources->AddResource("card.pps", ImagePps(71, 96, false));
        (void)resources->AddResource("cardalpha.pps", ImagePps(71, 96, true));
        Add("table", VIEW_W / 2.0, VIEW_H / 2.0, 0.0);
        for (int i = 0; i < 120; ++i) {
            const CardPlace place = PlaceOf(i);
            cards.push_back(Add(place.alpha ? "cardalpha" : "card", place.x, place.y, place.angle));
        }
    }
    CImageObject* Add(const char* name, double x, double y, double angle)
    {
        auto object = std::make_unique<CImageObject>();
        CImageObject* image = object.get();
        objects->AddObject(std::move(object), nullptr);
        ImageRef ref;
        paint->LoadImageByName(ref, name, 0);
        image->SetImage(ref, CImageObject::FitSize::Yes);
        image->SetAngle(angle);
        image->MoveTo(x, y);
        image->Show(true);
        image->Activate();
        image->Invalidate();
        return image;
    }

    CFixedClock clock;
    GameCore core { clock };
    ObjectModule* objects { nullptr };
    GDIPaintModule* paint { nullptr };
    std::vector<CImageObject*> cards;
};

void BM_FullFrame(benchmark::State& state)
{
    Table table;
    for (auto _ : state) {
        table.objects->RefreshView();
        benchmark::DoNotOptimize(table.paint->GetPresentation().data());
    }
}

void BM_DirtyFrame(benchmark::State& state)
{
    Table table;
    table.objects->RefreshView();
    CImageObject* card = table.cards[57];
    double dx = 3;
    for (auto _ : state) {
        card->MoveBy(dx, 0);
        dx = -dx;
        card->Invalidate();
        table.objects->PaintPass();
        benchmark::DoNotOptimize(table.paint->GetPresentation().data());
    }
}

// The same table through SDL's software renderer: the images as textures
// (the opaque ones copied, the alpha card blended), every sprite drawn with
// SDL_RenderCopyEx into a 1050 x 700 surface, the batch flushed each frame.
void BM_SdlFrame(benchmark::State& state)
{
    const ImageRecord table = MakeImage(VIEW_W, VIEW_H, false);
    const ImageRecord card = MakeImage(71, 96, false);
    const ImageRecord card_alpha = MakeImage(71, 96, true);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, VIEW_W, VIEW_H, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = target ? SDL_CreateSoftwareRenderer(target) : nullptr;
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        SDL_FreeSurface(target);
        return;
    }
    const auto texture_of = [&](const ImageRecord& image) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(image.pixels.get(), image.width, image.height, 32,
                                                                  image.width * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
        SDL_FreeSurface(surface);
        SDL_SetTextureBlendMode(texture, image.HasAlpha() ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        return texture;
    };
    SDL_Texture* table_texture = texture_of(table);
    SDL_Texture* card_texture = texture_of(card);
    SDL_Texture* alpha_texture = texture_of(card_alpha);
    for (auto _ : state) {
        const SDL_Rect whole { 0, 0, VIEW_W, VIEW_H };
        SDL_RenderCopyEx(renderer, table_texture, nullptr, &whole, 0.0, nullptr, SDL_FLIP_NONE);
        for (int i = 0; i < 120; ++i) {
            const CardPlace place = PlaceOf(i);
            const SDL_Rect at { int(place.x) - 35, int(place.y) - 48, 71, 96 };
            SDL_RenderCopyEx(renderer, place.alpha ? alpha_texture : card_texture, nullptr, &at, place.angle, nullptr,
                             SDL_FLIP_NONE);
        }
        SDL_RenderFlush(renderer);
        benchmark::DoNotOptimize(target->pixels);
    }
    SDL_DestroyTexture(table_texture);
    SDL_DestroyTexture(card_texture);
    SDL_DestroyTexture(alpha_texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(target);
}

// The same table through pixman: the table image and the opaque card as
// x8r8g8b8 (OVER of them is a copy), the alpha card premultiplied, each
// sprite composited with OVER; a turned one through its transform (nearest,
// as the engine turns them) over the square it may cover.
void BM_PixmanFrame(benchmark::State& state)
{
    const auto pixman_of = [](const ImageRecord& image, std::vector<uint32_t>& pixels) {
        pixels.resize(size_t(image.width) * image.height);
        for (size_t i = 0; i < pixels.size(); ++i) {
            uint32_t p;
            std::memcpy(&p, &image.pixels[i * 4], 4);
            const uint32_t a = p >> 24;
            const auto channel = [&](int shift) { return ((p >> shift) & 0xFF) * a / 255 << shift; };
            pixels[i] = image.HasAlpha() ? a << 24 | channel(16) | channel(8) | channel(0) : p;
        }
        return pixman_image_create_bits(image.HasAlpha() ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, image.width,
                                        image.height, pixels.data(), image.width * 4);
    };
    std::vector<uint32_t> table_pixels;
    std::vector<uint32_t> card_pixels;
    std::vector<uint32_t> alpha_pixels;
    pixman_image_t* table = pixman_of(MakeImage(VIEW_W, VIEW_H, false), table_pixels);
    pixman_image_t* cards[2] = { pixman_of(MakeImage(71, 96, false), card_pixels),
                                 pixman_of(MakeImage(71, 96, true), alpha_pixels) };
    std::vector<uint32_t> target_pixels(size_t(VIEW_W) * VIEW_H);
    pixman_image_t* target =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, VIEW_W, VIEW_H, target_pixels.data(), VIEW_W * 4);
    // Destination pixel -> source pixel of a card turned by the angle, over
    // its square of side 2r around the centre.
    const auto turned = [](double angle, int32_t side) {
        const double radians = angle * M_PI / 180.0;
        pixman_f_transform_t f;
        pixman_f_transform_init_identity(&f);
        pixman_f_transform_translate(&f, nullptr, -side / 2.0, -side / 2.0);
        pixman_f_transform_rotate(&f, nullptr, std::cos(-radians), std::sin(-radians));
        pixman_f_transform_translate(&f, nullptr, 71 / 2.0, 96 / 2.0);
        pixman_transform_t transform;
        pixman_transform_from_pixman_f_transform(&transform, &f);
        return transform;
    };
    const int32_t side = 2 * int32_t(std::sqrt(35.5 * 35.5 + 48.0 * 48.0));
    const pixman_transform_t turn = turned(PlaceOf(0).angle, side);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, table, nullptr, target, 0, 0, 0, 0, 0, 0, VIEW_W, VIEW_H);
        for (int i = 0; i < 120; ++i) {
            const CardPlace place = PlaceOf(i);
            pixman_image_t* card = cards[place.alpha ? 1 : 0];
            if (place.angle != 0.0) {
                pixman_image_set_transform(card, &turn);
                pixman_image_composite32(PIXMAN_OP_OVER, card, nullptr, target, 0, 0, 0, 0,
                                         int32_t(place.x) - side / 2, int32_t(place.y) - side / 2, side, side);
                pixman_image_set_transform(card, nullptr);
            } else {
                pixman_image_composite32(PIXMAN_OP_OVER, card, nullptr, target, 0, 0, 0, 0, int32_t(place.x) - 35,
                                         int32_t(place.y) - 48, 71, 96);
            }
        }
        benchmark::DoNotOptimize(target_pixels.data());
    }
    for (pixman_image_t* image : { table, cards[0], cards[1], target })
        pixman_image_unref(image);
}

} // namespace

BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SdlFrame)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_PixmanFrame)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_DirtyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchsupport::CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double full = reporter.Median("BM_FullFrame");
    const double sdl = reporter.Median("BM_SdlFrame");
    const double dirty = reporter.Median("BM_DirtyFrame");
    const double pixman = reporter.Median("BM_PixmanFrame");
    std::printf("\nRatios of medians (CPU time)\n");
    if (full > 0 && pixman > 0)
        std::printf("  speed over pixman's frame     %5.2f (at least 1 wanted)\n", pixman / full);
    if (full > 0 && sdl > 0)
        std::printf("  full frame / SDL's frame      %5.2f (at most 1 wanted)\n", full / sdl);
    if (full > 0 && dirty > 0)
        std::printf("  dirty frame / full frame      %5.3f (under 0.05 wanted)\n", dirty / full);
    benchmark::Shutdown();
    return 0;
}

// One engine frame of a card table on a 1050 x 700 view: 120 card-sized
// sprites (71 x 96; 60 of them alpha-blended, 10 rotated) over a table image,
// painted through the object module, the GDI paint module and the blitter.
// BM_FullFrame repaints the whole view; BM_DirtyFrame moves one card.
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"
#include "platform/DailyLog.h"

#include <benchmark/benchmark.h>

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

std::vector<uint8_t> ImagePps(int32_t w, int32_t h, bool alpha)
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
    return EncodePps(image, nullptr, PPS_METHOD_RAW);
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
            const double x = 60 + (i % 20) * 48;
            const double y = 80 + (i / 20) * 100;
            CImageObject* card = Add(i % 2 ? "cardalpha" : "card", x, y, i < 10 ? 25.0 : 0.0);
            cards.push_back(card);
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

} // namespace

BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DirtyFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

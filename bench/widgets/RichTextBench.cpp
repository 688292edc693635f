// Chat lines of mixed markup (colours, links, pictures) appended to a view
// with the 1000-line limit: lines per second, and the run pool's size once
// trimming has kept up with 100,000 lines.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "engine/widgets/richtext/RichTextTestSupport.h"

namespace {

using richtest::ViewFixture;

void AppendChatLines(engine::CRichTextView& view, int from, int count)
{
    char line[256];
    for (int i = from; i < from + count; ++i) {
        std::snprintf(line, sizeof line,
                      "<c=255>玩家%d<> 说：<url_text=http://example.com/%d,点这里>和 #r红字<> <z=face> "
                      "<color=336699,e=b>第%d行 some ascii text\r\n",
                      i % 97, i, i);
        view.AppendMarkup(line);
    }
}

void BM_AppendThousandChatLines(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = std::make_unique<ViewFixture>(400, 300);
        engine->view->EnableLinks(true);
        state.ResumeTiming();
        AppendChatLines(*engine->view, 0, 1000);
        benchmark::DoNotOptimize(engine->view->GetRunCount());
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_AppendThousandChatLines)->Unit(benchmark::kMillisecond);

void BM_PoolAfterHundredThousandLines(benchmark::State& state)
{
    for (auto _ : state) {
        ViewFixture engine(400, 300);
        engine.view->EnableLinks(true);
        size_t after_first = 0;
        for (int block = 0; block < 100; ++block) {
            AppendChatLines(*engine.view, block * 1000, 1000);
            engine.Frames(6); // redraws and the object module's deferred work run
            if (block == 0)
                after_first = engine.view->GetRunPool().GetTotalBytes();
        }
        state.counters["pool_bytes_after_1k"] = double(after_first);
        state.counters["pool_bytes_after_100k"] = double(engine.view->GetRunPool().GetTotalBytes());
        state.counters["lines"] = double(engine.view->GetLineCount());
    }
}
BENCHMARK(BM_PoolAfterHundredThousandLines)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();

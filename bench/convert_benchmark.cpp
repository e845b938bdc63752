// The conversion itself, without files: documents go to a sink that only counts them.
// Compared in the same run with copying the export's bytes once, the least any conversion
// must do.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench/export_generator.h"
#include "conversion/driver.h"

namespace {

class CountingSink : public qlx::conversion::DocumentSink {
public:
    std::expected<void, qlx::conversion::FileError> begin_document(int) override { return {}; }
    std::expected<void, qlx::conversion::FileError> write(std::string_view bytes) override {
        written += bytes.size();
        return {};
    }
    std::expected<void, qlx::conversion::FileError> end_document() override { return {}; }
    std::size_t written = 0;
};

const std::string& export_text() {
    static const std::string text = qlx::bench::generate_export(20 * 1024 * 1024);
    return text;
}

void BM_CopyExport(benchmark::State& state) {
    const std::string& text = export_text();
    auto copy = std::make_unique_for_overwrite<char[]>(text.size());
    for (auto _ : state) {
        std::memcpy(copy.get(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CopyExport)->Unit(benchmark::kMillisecond);

void BM_ConvertExport(benchmark::State& state) {
    const std::string& text = export_text();
    std::size_t written = 0;
    for (auto _ : state) {
        CountingSink sink;
        auto report = qlx::conversion::convert_export(text, sink);
        benchmark::DoNotOptimize(report);
        written = sink.written;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["output_ratio"] =
        static_cast<double>(written) / static_cast<double>(text.size());
}
BENCHMARK(BM_ConvertExport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

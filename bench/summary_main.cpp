// The benchmark program's main: the usual console output, then one table per frame
// size of the whole-frame effect runs: wall milliseconds per frame with one band and
// with two, each as a multiple of the frame copy of the same run, the speed-up the
// second band gives and the processor time per frame with two bands (equal to the
// one-band figure when the bands add no work of their own).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ostream>
#include <map>
#include <string>
#include <vector>

namespace {

struct EffectRow {
    double wallMs[2] = {0, 0};  // one band, two bands
    double cpuMs[2] = {0, 0};
    double floorX[2] = {0, 0};  // the run's own multiple of the copy it timed at start-up
};

struct SizeTable {
    double copyMs = 0;  // the best frame copy of this size, 0 until one ran
    std::vector<std::string> order;
    std::map<std::string, EffectRow> rows;
};

double Milliseconds(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

std::vector<std::string> Split(const std::string& name) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash; (slash = name.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(name.substr(start, slash - start));
    parts.push_back(name.substr(start));
    return parts;
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) Note(run);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const std::string& size : m_sizeOrder) Print(size, m_sizes[size]);
    }

private:
    // Names: <prefix>_FrameCopy/<size>/... and <effect>/<size>/<n>band(s)/wholeframe/...
    void Note(const Run& run) {
        const std::vector<std::string> parts = Split(run.benchmark_name());
        if (parts.size() < 2) return;
        const std::string& size = parts[1];
        const bool copy = parts[0].size() > 10 && parts[0].ends_with("_FrameCopy");
        const bool wholeFrame = parts.size() >= 4 && parts[3] == "wholeframe";
        if (!copy && !wholeFrame) return;
        if (!m_sizes.count(size)) m_sizeOrder.push_back(size);
        SizeTable& table = m_sizes[size];
        const double ms = Milliseconds(run);
        if (copy) {
            if (table.copyMs == 0 || ms < table.copyMs) table.copyMs = ms;
            return;
        }
        const int bands = parts[2] == "1band" ? 0 : parts[2] == "2bands" ? 1 : -1;
        if (bands < 0) return;
        if (!table.rows.count(parts[0])) table.order.push_back(parts[0]);
        EffectRow& row = table.rows[parts[0]];
        row.wallMs[bands] = ms;
        const auto cpu = run.counters.find("cpu_ms");
        if (cpu != run.counters.end()) row.cpuMs[bands] = cpu->second.value;
        const auto floorX = run.counters.find("floor_x");
        if (floorX != run.counters.end()) row.floorX[bands] = floorX->second.value;
    }

    void Print(const std::string& size, const SizeTable& table) {
        if (table.rows.empty()) return;
        std::ostream& out = GetOutputStream();
        const std::string copy =
            table.copyMs > 0 ? Format("%.3f ms", table.copyMs) : std::string("timed at start-up");
        out << "\nWhole frames at " << size << ", wall ms per frame (x: multiple of the frame copy, " << copy << ")\n"
            << Format("%-40s %9s %7s %9s %7s %8s %8s %8s\n", "effect/preset", "1 band", "x", "2 bands", "x",
                      "speed-up", "cpu 1", "cpu 2");
        for (const std::string& name : table.order) {
            const EffectRow& row = table.rows.at(name);
            auto multiple = [&](int bands) {
                return table.copyMs > 0 ? row.wallMs[bands] / table.copyMs : row.floorX[bands];
            };
            const double speedUp = row.wallMs[1] > 0 ? row.wallMs[0] / row.wallMs[1] : 0.0;
            out << Format("%-40s %9.2f %7.1f %9.2f %7.1f %8.2f %8.2f %8.2f\n", name.c_str(), row.wallMs[0],
                          multiple(0), row.wallMs[1], multiple(1), speedUp, row.cpuMs[0],
                          row.cpuMs[1]);
        }
        out.flush();
    }

    template <class... Args>
    static std::string Format(const char* format, Args... args) {
        char line[160];
        std::snprintf(line, sizeof line, format, args...);
        return line;
    }

    std::vector<std::string> m_sizeOrder;
    std::map<std::string, SizeTable> m_sizes;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

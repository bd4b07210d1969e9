// export_bench CONNECTION OUT [BASE]: one export of job run 12 with the default filters, as
// DoExport runs it, in the format OUT's name asks for (mzML, mzXML, else QPK), and what it cost:
// wall time, CPU time, peak resident memory, and what was written. One line of "key=value" pairs on
// stdout, for bench/export/run.sh.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "database/connection.h"
#include "export/export_peak_lists.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: export_bench CONNECTION OUT [BASE]\n");
        return 2;
    }
    using namespace lumbrook;
    try {
        const auto start = std::chrono::steady_clock::now();
        auto connection = std::make_unique<database::Connection>();
        connection->Open(argv[1]);
        const exporting::ExportRequest request{
            .jobRunId = 12,
            .allSpectra = true,
            .msType = "MS-MS",
            .filter = {.s2n = 10, .monoisotopic = 1, .minMass = 60, .maxMass = 20},
            .views = exporting::ViewsFor(argc == 4)};
        exporting::ExportListener listener;
        exporting::WriterCounts counts;
        const bool exported = exporting::ExportPeakLists(
            request, argv[2], connection, listener, &counts,
            {.format = exporting::FormatOfFileName(argv[2]), .indexFile = {}});
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                           usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
        std::printf(
            "result=%s wall_s=%.3f cpu_s=%.3f max_rss_mb=%.1f blocks=%ld "
            "peak_lines=%ld bytes=%llu\n",
            exported ? "true" : "false", seconds, cpu, usage.ru_maxrss / 1024.0, counts.blocks,
            counts.peakLines, static_cast<unsigned long long>(counts.bytes));
        return exported ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "export_bench: %s\n", e.what());
        return 1;
    }
}

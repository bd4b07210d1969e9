// bench_demo_db [SPECTRA] [FOLDER]: writes a demo database of SPECTRA MS/MS spectra (default
// 100,000) into a temporary file in FOLDER (default the system's temporary folder), prints the time
// it took and removes the file. Exit status 1 when it took longer than the target of one minute.
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "database/demo/demo_database.h"

int main(int argc, char** argv) {
    using namespace lumbrook::database::demo;
    const long spectra = argc > 1 ? std::atol(argv[1]) : 100000;
    const std::string folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string();
    constexpr double kTargetSeconds = 60;
    if (spectra <= 0) {
        std::fprintf(stderr, "usage: bench_demo_db [SPECTRA] [FOLDER]\n");
        return 2;
    }
    DemoOptions options;
    options.path = folder + "/lumbrook-bench-demo-" + std::to_string(getpid()) + ".sqlite";
    options.spectra = spectra;
    try {
        const auto start = std::chrono::steady_clock::now();
        const DemoSummary summary = CreateDemoDatabase(options);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto bytes = std::filesystem::file_size(options.path);
        std::filesystem::remove(options.path);
        std::printf(
            "demo_db: %ld spectra, %ld peaks (%.1f a spectrum), %.1f MB in %.2f s "
            "(target %.0f s): %s\n",
            summary.msmsSpectra, summary.peaks,
            static_cast<double>(summary.peaks) / static_cast<double>(summary.peakLists),
            static_cast<double>(bytes) / 1e6, seconds, kTargetSeconds,
            seconds < kTargetSeconds ? "ok" : "TOO SLOW");
        return seconds < kTargetSeconds ? 0 : 1;
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(options.path, ignored);
        std::fprintf(stderr, "demo_db: %s\n", e.what());
        return 1;
    }
}

#include "export/peak_list_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "export/file_error.h"

namespace lumbrook::exporting {
namespace {

TEST(PeakListWriter, WritesBlocksAndPeakLinesWithCrLf) {
    std::ostringstream out;
    PeakListWriter writer(out);
    writer.BlockHead(987.65432, "A 1, left", "17", "301", 12);
    writer.PeakLine(175.1189, 204.5);
    writer.PeakLine(175.11899999, 0.0125);
    writer.BlockEnd();
    writer.BlockHead(950, "B2", "18", "302", 12);
    writer.PeakLine(200, std::nullopt);
    writer.BlockEnd();
    writer.Finish();
    EXPECT_EQ(out.str(),
              "BEGIN IONS\r\nPEPMASS=987.6543\r\nCHARGE=1+\r\n"
              "TITLE=Label: A 1, left Spot_Id: 17, Peak_List_Id: 301, MSMS Job_Run_Id: 12\r\n"
              "175.1189\t204.5\r\n175.119\t0.012\r\nEND IONS\r\n\r\n"
              "BEGIN IONS\r\nPEPMASS=950\r\nCHARGE=1+\r\n"
              "TITLE=Label: B2 Spot_Id: 18, Peak_List_Id: 302, MSMS Job_Run_Id: 12\r\n"
              "200\t\r\nEND IONS\r\n\r\n");
    // Its counts are the host's (host.export.job_run, host.export.json_counts).
}

TEST(PeakListWriter, LineBreaksInTitleTextsBecomeBlanks) {
    std::ostringstream out;
    PeakListWriter writer(out);
    writer.BlockHead(std::nullopt, "x\r\nEND IONS\nBEGIN IONS\r", "1\n", "2", -3);
    writer.BlockEnd();
    writer.Finish();
    EXPECT_EQ(out.str(),
              "BEGIN IONS\r\nPEPMASS=\r\nCHARGE=1+\r\n"
              "TITLE=Label: x  END IONS BEGIN IONS  Spot_Id: 1 , Peak_List_Id: 2, "
              "MSMS Job_Run_Id: -3\r\nEND IONS\r\n\r\n");
}

void ExpectFileError(const std::function<void()>& action, std::int32_t code,
                     const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no FileError; expected " << message;
    } catch (const FileError& e) {
        EXPECT_EQ(static_cast<std::uint32_t>(e.Code()), static_cast<std::uint32_t>(code));
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(PeakListWriter, FailuresAreFileErrorsNamingTheFile) {
    ExpectFileError([] { PeakListWriter("/nonexistent-folder/out.qpk"); },
                    static_cast<std::int32_t>(0x800A004C),
                    "Path not found: /nonexistent-folder/out.qpk");
    ExpectFileError([] { PeakListWriter(std::filesystem::temp_directory_path().string()); },
                    static_cast<std::int32_t>(0x800A004B),
                    "Path/File access error: " + std::filesystem::temp_directory_path().string());
    // /dev/full takes the open and refuses every write: a big export fails while it runs, not
    // only at the end. (A small one's error at the end: host.export.full_disk.)
    ExpectFileError(
        [] {
            PeakListWriter writer("/dev/full");
            for (int i = 0; i < 100000; ++i)
                writer.PeakLine(i, i);
            ADD_FAILURE() << "the writes should have failed before Finish";
        },
        static_cast<std::int32_t>(0x800A003D), "Disk full: /dev/full");
    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    ExpectFileError(
        [&] {
            PeakListWriter writer(bad, "memory");
            writer.Finish();
        },
        static_cast<std::int32_t>(0x800A0039), "Device I/O error: memory");
}

}  // namespace
}  // namespace lumbrook::exporting

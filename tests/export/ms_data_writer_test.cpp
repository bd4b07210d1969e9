// The mzML and mzXML writer, read back by the field's library; the engine's blocks in every
// format alike.
#include "export/ms_data_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include <pwiz/data/msdata/MSDataFile.hpp>

#include "database/connection.h"
#include "export/export_peak_lists.h"
#include "export/ms_data_model.h"
#include "export/output_format.h"
#include "job_run_fixture.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::exporting {
namespace {

using lumbrook::testing::ReadFile;
using lumbrook::testing::TemporaryFolder;
using lumbrook::testing::WriteFile;
using namespace pwiz::cv;

constexpr double kAsRead = 100.1234567891;  // more places than the peak list file keeps

// The calls of an export whose texts, peaks and keys test the writer's own rules.
void WriteSpectra(OutputWriter& writer) {
    writer.BlockHead(1000.123456789, "A1 \"<&>\"", "7", "301", 12);
    writer.PeakLine(kAsRead, 2000.5);
    writer.PeakLine(std::nullopt, 3);  // no m/z: no place in a spectrum
    writer.PeakLine(200.5, std::nullopt);
    writer.BlockEnd();
    writer.BlockHead(900, "x", "8", "302", 12);  // nothing to write: no spectrum
    writer.BlockEnd();
    writer.BlockHead(900, "bad \xC3\x28 \x01\r\n", "8", "301", 12);  // the key again
    writer.PeakLine(300, 1);
    writer.BlockEnd();
    writer.MergedPeaksStart(1001);
    writer.PeakLine(400, 4);
    writer.MergedPeaksEnd();
    writer.Finish();
}

TEST(MsDataWriter, BothFormatsHoldTheSpectraWithPeaksAsRead) {
    TemporaryFolder folder;
    for (const OutputFormat format : {OutputFormat::MzMl, OutputFormat::MzXml}) {
        SCOPED_TRACE(std::string(FormatName(format)));
        const std::string path = folder.File("out" + std::string(FileNameExtension(format)));
        MsDataWriter writer(path, format, {.name = "lab.sqlite", .isFile = false, .filter = {}});
        WriteSpectra(writer);
        EXPECT_EQ(writer.Counts().blocks, 3);
        EXPECT_EQ(writer.Counts().peakLines, 4);
        EXPECT_EQ(writer.Counts().bytes, ReadFile(path).size());

        pwiz::msdata::MSDataFile file(path);
        const pwiz::msdata::SpectrumList& spectra = *file.run.spectrumListPtr;
        ASSERT_EQ(spectra.size(), 3u);
        const auto first = spectra.spectrum(0, true);
        EXPECT_EQ(first->cvParam(MS_ms_level).valueAs<int>(), 2);
        ASSERT_EQ(first->precursors.size(), 1u);
        const auto& ion = first->precursors[0].selectedIons.at(0);
        EXPECT_DOUBLE_EQ(ion.cvParam(MS_selected_ion_m_z).valueAs<double>(), 1000.123456789);
        EXPECT_EQ(ion.cvParam(MS_charge_state).valueAs<int>(), 1);
        std::vector<pwiz::msdata::MZIntensityPair> peaks;
        first->getMZIntensityPairs(peaks);
        ASSERT_EQ(peaks.size(), 2u);
        EXPECT_EQ(peaks[0].mz, kAsRead);
        EXPECT_EQ(peaks[0].intensity, 2000.5);
        EXPECT_EQ(peaks[1].intensity, 0);  // a missing area
        const auto merged = spectra.spectrum(2, true);
        EXPECT_EQ(merged->cvParam(MS_ms_level).valueAs<int>(), 1);
        EXPECT_TRUE(merged->precursors.empty());
        if (format == OutputFormat::MzMl) {
            EXPECT_EQ(first->id, "databasekey=301");
            EXPECT_EQ(spectra.spectrumIdentity(1).id, "databasekey=301 index=1");
            EXPECT_EQ(merged->id, "databasekey=1001");
            EXPECT_EQ(first->cvParam(MS_spectrum_title).value,
                      "Label: A1 \"<&>\" Spot_Id: 7, Peak_List_Id: 301, MSMS Job_Run_Id: 12");
            EXPECT_EQ(spectra.spectrum(1)->cvParam(MS_spectrum_title).value,
                      "Label: bad \xEF\xBF\xBD(     Spot_Id: 8, Peak_List_Id: 301, MSMS "
                      "Job_Run_Id: 12");
        }
    }
    // The spools went with their writers.
    EXPECT_EQ(lumbrook::testing::NamesIn(folder.path()),
              (std::vector<std::string>{"out.mzML", "out.mzXML"}));
}

TEST(MsDataWriter, XmlTextIsValidUtf8WithoutControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Spot \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xAC",
         "Spot \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xAC"},
        {"tab\tbell\x07"
         "del\x7F",
         "tab\tbell del "},
        {"\xC3", "\xEF\xBF\xBD"},                              // cut short
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},                      // a surrogate
        {"\xC2\x85\xEF\xBF\xBE", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // C1, U+FFFE
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(XmlText(text), expected) << text;
}

TEST(MsDataWriter, AnOutputWrittenDirectlyIsComplete) {
    // A pipe cannot be replaced, so it is written directly; the spectra wait elsewhere.
    TemporaryFolder folder;
    const std::string fifo = folder.File("pipe.mzML");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string read;
    std::thread reader([&] { read = ReadFile(fifo); });
    MsDataWriter writer(fifo, OutputFormat::MzMl, {.name = "lab", .isFile = false, .filter = {}});
    WriteSpectra(writer);
    reader.join();
    EXPECT_TRUE(read.ends_with("</fileChecksum>\n</indexedmzML>\n"));
    EXPECT_EQ(read.size(), writer.Counts().bytes);
    EXPECT_EQ(lumbrook::testing::NamesIn(folder.path()), std::vector<std::string>{"pipe.mzML"});
}

TEST(MsDataWriter, CompleteFilesAreKnownByTheirEnds) {
    TemporaryFolder folder;
    const struct {
        const char* name;
        const char* text;
        bool complete;
    } cases[] = {
        {"a.qpk", "BEGIN IONS\r\n1\t2\r\nEND IONS\r\n\r\n", true},
        {"b.qpk", "BEGIN IONS\r\n1\t2\r\nEND IO", false},
        {"c.mzML", "<indexedmzML>...</indexedmzML>\n", true},
        {"d.MZML", "<indexedmzML>...</indexList>\n", false},
        {"e.mzXML", "<mzXML>...</mzXML>\n", true},
        {"f.mzXML", "BEGIN IONS\r\nEND IONS\r\n\r\n", false},  // a peak list under an mzXML name
    };
    for (const auto& c : cases) {
        WriteFile(folder.File(c.name), c.text);
        EXPECT_EQ(IsCompleteOutput(folder.File(c.name)), c.complete) << c.name;
    }
    EXPECT_FALSE(IsCompleteOutput(folder.File("missing.mzML")));
    EXPECT_FALSE(IsCompleteOutput(folder.path()));
}

TEST(MsDataWriter, TheEngineIndexesTheSameBlocksInEveryFormat) {
    const lumbrook::testing::FixtureDatabase db(lumbrook::testing::JobRunSpectra(450));
    lumbrook::testing::Export request(db);
    std::vector<std::string> indexes;
    for (const OutputFormat format : {OutputFormat::Qpk, OutputFormat::MzMl, OutputFormat::MzXml}) {
        const std::string out = db.File("run" + std::string(FileNameExtension(format)));
        ExportListener quiet;
        WriterCounts counts;
        ASSERT_TRUE(ExportPeakLists(request, out, request.connection, quiet, &counts,
                                    {.format = format, .indexFile = out + ".tsv"}));
        EXPECT_EQ(counts.blocks, 450);
        EXPECT_TRUE(IsCompleteOutput(out));
        indexes.push_back(ReadFile(out + ".tsv"));
    }
    EXPECT_EQ(std::count(indexes[0].begin(), indexes[0].end(), '\n'), 451);
    EXPECT_EQ(indexes[1], indexes[0]);
    EXPECT_EQ(indexes[2], indexes[0]);
}

}  // namespace
}  // namespace lumbrook::exporting

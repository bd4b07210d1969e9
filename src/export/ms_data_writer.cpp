#include "export/ms_data_writer.h"

#include <cassert>
#include <charconv>
#include <filesystem>
#include <ostream>
#include <unordered_set>
#include <vector>

#include <boost/make_shared.hpp>
#include <pwiz/data/msdata/MSDataFile.hpp>
#include <pwiz/data/msdata/SpectrumListBase.hpp>

#include "export/block_index.h"
#include "export/block_title.h"
#include "export/file_error.h"
#include "export/ms_data_model.h"
#include "export/mzml_file.h"
#include "export/number_to_text.h"
#include "export/output_file.h"
#include "export/write_buffer.h"

namespace lumbrook::exporting {
namespace {

namespace msdata = pwiz::msdata;

// The spectra of an mzXML file's spool, made one at a time as the library asks for them.
class SpooledSpectrumList final : public msdata::SpectrumListBase {
  public:
    SpooledSpectrumList(const PeakListSpool& spool, const std::vector<std::string>& ids)
        : spool_(spool), ids_(ids) {}

    std::size_t size() const override { return spool_.Size(); }

    // The library reads each identity before it asks the same thread for the next, so one a
    // thread is kept. (It makes spectra on several threads at once.)
    const msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override {
        thread_local msdata::SpectrumIdentity identity;
        identity.index = index;
        identity.id = ids_.at(index);
        return identity;
    }

    msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        SpooledSpectrum spooled;
        spool_.Read(index, spooled);
        return MakeSpectrum(spooled, index, ids_.at(index), getBinaryData);
    }

  private:
    const PeakListSpool& spool_;
    const std::vector<std::string>& ids_;
};

// Where the spectra wait: beside the temporary file that becomes the target; in the temporary
// folder for an output written directly (a pipe, a device), whose folder may be /dev.
std::string SpoolFolder(const OutputFile& output) {
    const std::string& temporary = output.TemporaryPath();
    if (temporary.empty())
        return {};
    const std::string folder = std::filesystem::path(temporary).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

// The output file, its description and the spectra written so far: for mzML in the file being
// put together as the export runs, for mzXML in a spool until the end.
class MsDataWriter::File {
  public:
    File(const std::string& path, OutputFormat format, const MsDataSource& source) : output(path) {
        Describe(description, path, format, source);
        if (format == OutputFormat::MzMl) {
            mzMl = std::make_unique<MzMlFile>(description, SpoolFolder(output), path);
        } else {
            spool = std::make_unique<PeakListSpool>(SpoolFolder(output), path);
        }
    }

    OutputFile output;
    msdata::MSData description;
    std::unique_ptr<MzMlFile> mzMl;
    std::unique_ptr<PeakListSpool> spool;
    std::vector<std::string> ids;  // of the spool's spectra
    std::unordered_set<std::int64_t> keys;
    bool hasMs1 = false;
    bool hasMsn = false;
};

MsDataWriter::MsDataWriter(const std::string& path, OutputFormat format, MsDataSource source)
    : path_(path),
      source_(std::move(source)),
      file_(std::make_unique<File>(path, format, source_)) {}

MsDataWriter::~MsDataWriter() = default;

bool MsDataWriter::KeepsTargetUntilFinished() const {
    return !file_ || !file_->output.TemporaryPath().empty();
}

void MsDataWriter::BlockHead(std::optional<double> precursorMass, std::string_view label,
                             std::string_view spotId, std::string_view peakListId,
                             std::int64_t jobRunId) {
    current_.msLevel = 2;
    current_.precursorMass = precursorMass;
    // The engine writes blocks of peak lists with a numeric id only.
    current_.key = 0;
    std::from_chars(peakListId.data(), peakListId.data() + peakListId.size(), current_.key);
    std::string title;
    AppendBlockTitle(title, label, spotId, peakListId, jobRunId);
    current_.title = XmlText(title);
    current_.spotId = XmlText(spotId);
    current_.mz.clear();
    current_.intensity.clear();
    inSpectrum_ = true;
    if (index_ != nullptr) {
        index_->Head(precursorMass ? RoundedNumberText(*precursorMass, kPrecursorDecimals) : "",
                     label, spotId, peakListId, jobRunId);
    }
}

void MsDataWriter::PeakLine(std::optional<double> centroid, std::optional<double> area) {
    assert(inSpectrum_);  // a BlockHead or MergedPeaksStart comes first
    if (!centroid)
        return;
    current_.mz.push_back(*centroid);
    current_.intensity.push_back(area.value_or(0));
    ++counts_.peakLines;
}

void MsDataWriter::BlockEnd() {
    if (EndSpectrum() && index_ != nullptr)
        index_->End(counts_.blocks);
}

void MsDataWriter::MergedPeaksStart(std::int32_t jobRunItemId) {
    current_.msLevel = 1;
    current_.precursorMass.reset();
    current_.key = jobRunItemId;
    current_.title.clear();
    current_.spotId.clear();
    current_.mz.clear();
    current_.intensity.clear();
    inSpectrum_ = true;
}

void MsDataWriter::MergedPeaksEnd() {
    EndSpectrum();
}

bool MsDataWriter::EndSpectrum() {
    if (!inSpectrum_)
        return false;
    inSpectrum_ = false;
    if (current_.mz.empty())
        return false;
    File& file = *file_;
    const auto index = static_cast<std::size_t>(counts_.blocks);
    std::string id = NativeId(current_.key, !file.keys.insert(current_.key).second, index);
    (current_.msLevel == 1 ? file.hasMs1 : file.hasMsn) = true;
    if (file.mzMl) {
        file.mzMl->Add(std::move(current_), std::move(id));
        current_ = {};
    } else {
        file.spool->Append(current_);
        file.ids.push_back(std::move(id));
    }
    ++counts_.blocks;
    return true;
}

void MsDataWriter::Finish() {
    EndSpectrum();
    // Whatever happens, nothing more goes into this file.
    const std::unique_ptr<File> file = std::move(file_);
    if (file->mzMl) {
        file->mzMl->Close();
        CompleteDescription(file->description, source_, file->hasMs1, file->hasMsn);
        counts_.bytes = file->mzMl->WriteInto(file->output);
    } else {
        file->spool->Flush();
        CompleteDescription(file->description, source_, file->hasMs1, file->hasMsn);
        auto spectra = boost::make_shared<SpooledSpectrumList>(*file->spool, file->ids);
        spectra->setDataProcessingPtr(file->description.dataProcessingPtrs.front());
        file->description.run.spectrumListPtr = spectra;
        msdata::MSDataFile::WriteConfig config(msdata::MSDataFile::Format_mzXML);
        config.indexed = true;
        config.binaryDataEncoderConfig.precision = msdata::BinaryDataEncoder::Precision_64;
        WriteBuffer buffer(
            [&file](std::string_view piece) { file->output.Write(piece.data(), piece.size()); });
        std::ostream out(&buffer);
        try {
            msdata::MSDataFile::write(file->description, out, config);
        } catch (const FileError&) {
            throw;
        } catch (const std::exception& e) {
            buffer.RaiseError();
            throw FileError(kPathFileAccessErrorCode,
                            "Path/File access error: " + path_ + ": " + e.what());
        }
        out.flush();
        buffer.Close();
        counts_.bytes = buffer.Position();
    }
    file->output.Commit();
}

}  // namespace lumbrook::exporting

#include "export/ms_data_writer.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <unordered_set>
#include <vector>

#include <boost/make_shared.hpp>
#include <pwiz/data/msdata/MSData.hpp>
#include <pwiz/data/msdata/MSDataFile.hpp>
#include <pwiz/data/msdata/SpectrumListBase.hpp>
#include <pwiz/utility/misc/SHA1Calculator.hpp>

#include "export/block_index.h"
#include "export/block_title.h"
#include "export/file_error.h"
#include "export/number_to_text.h"
#include "export/output_file.h"

namespace lumbrook::exporting {
namespace {

namespace msdata = pwiz::msdata;
using namespace pwiz::cv;

// A stream buffer over the output file, so that the library writes into it as into any stream.
// It tells the library its position (the offset index needs it); a failed write is kept and
// raised once the library is done, since the stream would only set its bad bit.
//
// For mzML it also mends the file's end: the library writes an index of chromatograms even
// when there are none, and the schema refuses an index without an offset. From the end of the
// mzML element on, the text is held back; Close drops the empty index, so the index list holds
// the spectrum index alone, and writes the checksum of the text as written (the library's
// covers the dropped lines). The offsets all point before the end, so they stay right.
class OutputFileBuffer final : public std::streambuf {
  public:
    OutputFileBuffer(OutputFile& file, bool mendMzMlEnd)
        : file_(file), mend_(mendMzMlEnd), buffer_(256 * 1024) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

    // Hands on the rest, mended. Raises the error of a failed write, if there was one, and
    // FileError when the end is not the library's.
    void Close() {
        Drain();
        RaiseError();
        if (mend_) {
            Pass(held_);
            held_.clear();
            MendEnd();
            Pass(tail_);
        }
        RaiseError();
    }
    // The bytes written into the file.
    std::uint64_t Bytes() const { return bytes_; }
    void RaiseError() const {
        if (error_)
            std::rethrow_exception(error_);
    }

  protected:
    int_type overflow(int_type c) override {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Drain() ? 0 : -1; }
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override {
        if (offset == 0 && direction == std::ios_base::cur && (which & std::ios_base::out) != 0)
            return pos_type(static_cast<off_type>(taken_ + static_cast<std::uint64_t>(pptr() - pbase())));
        return pos_type(off_type(-1));
    }

  private:
    static constexpr std::string_view kMzMlEnd = "</mzML>";

    // Takes what the library wrote so far: on to the file, or held back once the end began.
    bool Drain() {
        if (error_)
            return false;
        const std::string_view chunk(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        taken_ += chunk.size();
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        if (!mend_)
            return Pass(chunk);
        if (inTail_) {
            tail_ += chunk;
            return true;
        }
        // The end's first characters may come in one chunk and the rest in the next, so the
        // last few are held until the next chunk tells.
        held_ += chunk;
        const std::size_t end = held_.find(kMzMlEnd);
        if (end != std::string::npos) {
            inTail_ = true;
            tail_.assign(held_, end);
            held_.resize(end);
        }
        const std::size_t keep =
            inTail_ ? 0 : std::min(held_.size(), kMzMlEnd.size() - 1);
        const bool passed = Pass(std::string_view(held_).substr(0, held_.size() - keep));
        held_.erase(0, held_.size() - keep);
        return passed;
    }

    // Writes `text` into the file, counting and hashing it.
    bool Pass(std::string_view text) {
        if (text.empty() || error_)
            return !error_;
        try {
            file_.Write(text.data(), text.size());
        } catch (const FileError&) {
            error_ = std::current_exception();
            return false;
        }
        if (mend_)
            sha1_.update(reinterpret_cast<const unsigned char*>(text.data()), text.size());
        bytes_ += text.size();
        return true;
    }

    // Drops the empty chromatogram index from the held end and puts in the checksum of the
    // text before it.
    void MendEnd() {
        const auto replace = [this](std::string_view from, std::string_view to) {
            const std::size_t at = tail_.find(from);
            if (at == std::string::npos)
                throw FileError(kPathFileAccessErrorCode,
                                "Path/File access error: the mzML writer ended its file in an "
                                "unknown way");
            tail_.replace(at, from.size(), to);
        };
        replace("<indexList count=\"2\">", "<indexList count=\"1\">");
        replace("    <index name=\"chromatogram\">\n    </index>\n", "");
        constexpr std::string_view kChecksum = "<fileChecksum>";
        const std::size_t checksumAt = tail_.find(kChecksum);
        const std::size_t valueAt = checksumAt + kChecksum.size();
        const std::size_t valueEnd = tail_.find('<', valueAt);
        if (checksumAt == std::string::npos || valueEnd == std::string::npos)
            replace("<fileChecksum>", "");  // raises: the end is not the library's
        sha1_.update(reinterpret_cast<const unsigned char*>(tail_.data()), valueAt);
        sha1_.close();
        tail_.replace(valueAt, valueEnd - valueAt, sha1_.hash());
        mend_ = false;  // the rest goes out as it is
    }

    OutputFile& file_;
    bool mend_;
    std::vector<char> buffer_;
    std::uint64_t taken_ = 0;  // what the library wrote: its position
    std::uint64_t bytes_ = 0;  // what went into the file
    bool inTail_ = false;
    std::string held_;
    std::string tail_;
    pwiz::util::SHA1Calculator sha1_;
    std::exception_ptr error_;
};

// `text` as XML can hold it: valid UTF-8 (each byte that is not becomes U+FFFD) without the
// control characters XML 1.0 forbids (each becomes a blank). Database text is written as it is
// otherwise; the library escapes the markup characters.
std::string XmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out += (c < 0x20 && c != '\t') || c == 0x7F ? ' ' : static_cast<char>(c);
            ++p;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, cp = c & 0x07, min = 0x10000;
        }
        bool valid = length > 0 && end - p >= length;
        for (int i = 1; valid && i < length; ++i) {
            valid = (p[i] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates, values beyond U+10FFFF and the two non-characters XML
        // refuses are not text XML can hold.
        if (!valid || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ||
            cp == 0xFFFE || cp == 0xFFFF || (cp >= 0x80 && cp <= 0x9F)) {
            out += "\xEF\xBF\xBD";
            ++p;
            continue;
        }
        out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
        p += length;
    }
    return out;
}

// The native id of a spectrum: the database key of its peak list (or of the item whose peak
// lists an MS spectrum merges). A key the file already holds (a list that exports a job run
// twice) also gets the spectrum's index, so that every id of the file stays its own.
std::string NativeId(std::int64_t key, bool repeated, std::size_t index) {
    std::string id = "databasekey=" + IntegerText(key);
    if (repeated)
        id += " index=" + std::to_string(index);
    return id;
}

// The spectra of the spool, made one at a time as the library asks for them.
class SpooledSpectrumList final : public msdata::SpectrumListBase {
  public:
    SpooledSpectrumList(const SpectrumSpool& spool, const std::vector<std::int64_t>& keys,
                        const std::vector<bool>& repeated)
        : spool_(spool), keys_(keys), repeated_(repeated) {}

    std::size_t size() const override { return spool_.Size(); }

    // The library reads each identity before it asks the same thread for the next, so one a
    // thread is kept. (It makes spectra on several threads at once.)
    const msdata::SpectrumIdentity& spectrumIdentity(std::size_t index) const override {
        thread_local msdata::SpectrumIdentity identity;
        identity.index = index;
        identity.id = NativeId(keys_.at(index), repeated_.at(index), index);
        return identity;
    }

    msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        SpooledSpectrum read;
        spool_.Read(index, read);
        auto s = boost::make_shared<msdata::Spectrum>();
        s->index = index;
        s->id = NativeId(read.key, repeated_.at(index), index);
        s->spotID = read.spotId;
        s->set(read.msLevel == 1 ? MS_MS1_spectrum : MS_MSn_spectrum);
        s->set(MS_ms_level, read.msLevel);
        s->set(MS_centroid_spectrum);
        if (!read.title.empty())
            s->set(MS_spectrum_title, read.title);
        s->scanList.set(MS_no_combination);
        s->scanList.scans.emplace_back();
        if (read.msLevel != 1) {
            msdata::Precursor precursor;
            msdata::SelectedIon ion;
            if (read.precursorMass)
                ion.set(MS_selected_ion_m_z, *read.precursorMass, MS_m_z);
            ion.set(MS_charge_state, 1);
            precursor.selectedIons.push_back(ion);
            precursor.activation.set(MS_collision_induced_dissociation);
            s->precursors.push_back(precursor);
        }
        if (getBinaryData) {
            s->setMZIntensityArrays(read.mz, read.intensity, MS_number_of_detector_counts);
        } else {
            s->defaultArrayLength = read.mz.size();
        }
        return s;
    }

  private:
    const SpectrumSpool& spool_;
    const std::vector<std::int64_t>& keys_;
    const std::vector<bool>& repeated_;
};

// The ids of the file's own elements, and one for its run that is none of them.
constexpr const char* kSourceFileId = "database";
constexpr const char* kSoftwareId = "Lumbrook";
constexpr const char* kInstrumentId = "instrument";
constexpr const char* kProcessingId = "lumbrook_conversion";

// The run's id, which readers name their output after: the file's name without its
// extension, as an XML name (every other character "_", "_" in front of one that cannot
// begin a name) that no other element of the file has.
std::string RunId(const std::string& path) {
    std::string id;
    for (const char c : std::filesystem::path(path).stem().string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        id += plain ? c : '_';
    }
    if (id.empty() || !((id[0] >= 'a' && id[0] <= 'z') || (id[0] >= 'A' && id[0] <= 'Z')))
        id.insert(0, "_");
    for (const char* taken : {kSourceFileId, kSoftwareId, kInstrumentId, kProcessingId}) {
        if (id == taken)
            id += "_run";
    }
    return id;
}

// The file's description: its content, the database it came from, the instrument, this
// program and what it did.
void Describe(msdata::MSData& msd, const std::string& path, OutputFormat format,
              const MsDataSource& source, bool hasMs1, bool hasMsn) {
    msd.id = RunId(path);
    msd.cvs = msdata::defaultCVList();
    if (hasMs1)
        msd.fileDescription.fileContent.set(MS_MS1_spectrum);
    if (hasMsn || !hasMs1)
        msd.fileDescription.fileContent.set(MS_MSn_spectrum);
    msd.fileDescription.fileContent.set(MS_centroid_spectrum);

    msdata::SourceFilePtr file;
    if (source.isFile) {
        const std::filesystem::path absolute = std::filesystem::absolute(source.name);
        file = boost::make_shared<msdata::SourceFile>(
            kSourceFileId, XmlText(absolute.filename().string()),
            XmlText("file://" + absolute.parent_path().string()));
    } else {
        file = boost::make_shared<msdata::SourceFile>(kSourceFileId, XmlText(source.name),
                                                      "odbc:");
    }
    file->set(MS_mass_spectrometer_file_format);
    file->set(MS_spectrum_from_database_integer_nativeID_format);
    if (source.isFile)
        file->set(MS_SHA_1, pwiz::util::SHA1Calculator::hashFile(source.name));
    msd.fileDescription.sourceFilePtrs.push_back(file);

    auto software = boost::make_shared<msdata::Software>(kSoftwareId);
    software->version = LUMBROOK_VERSION_TEXT;
    software->set(MS_custom_unreleased_software_tool, "Lumbrook");
    msd.softwarePtrs.push_back(software);

    auto instrument = boost::make_shared<msdata::InstrumentConfiguration>(kInstrumentId);
    instrument->set(MS_instrument_model);
    instrument->componentList.push_back(msdata::Component(MS_MALDI, 1));
    instrument->componentList.push_back(msdata::Component(MS_TOF, 2));
    instrument->componentList.push_back(msdata::Component(MS_TOF, 3));
    instrument->componentList.push_back(msdata::Component(MS_detector_type, 4));
    instrument->softwarePtr = software;
    msd.instrumentConfigurationPtrs.push_back(instrument);

    auto processing = boost::make_shared<msdata::DataProcessing>(kProcessingId);
    msdata::ProcessingMethod method;
    method.order = 0;
    method.softwarePtr = software;
    method.set(format == OutputFormat::MzXml ? MS_Conversion_to_mzXML : MS_Conversion_to_mzML);
    const PeakFilter& filter = source.filter;
    method.userParams.emplace_back("signal-to-noise ratio above", NumberText(filter.s2n),
                                   "xsd:double");
    method.userParams.emplace_back("monoisotopic peaks only",
                                   filter.monoisotopic != 0 ? "true" : "false", "xsd:boolean");
    method.userParams.emplace_back("lowest fragment m/z", NumberText(filter.minMass),
                                   "xsd:double");
    method.userParams.emplace_back("fragments dropped from this far below the precursor",
                                   NumberText(filter.maxMass), "xsd:double");
    processing->processingMethods.push_back(method);
    msd.dataProcessingPtrs.push_back(processing);

    msd.run.id = msd.id;
    msd.run.defaultInstrumentConfigurationPtr = instrument;
    msd.run.defaultSourceFilePtr = file;
}

// Where the spool goes: beside the temporary file that becomes the target; in the temporary
// folder for an output written directly (a pipe, a device), whose folder may be /dev.
std::string SpoolFolder(const OutputFile& output) {
    const std::string& temporary = output.TemporaryPath();
    if (temporary.empty())
        return {};
    const std::string folder = std::filesystem::path(temporary).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

// The output file and what was written into it.
class MsDataWriter::File {
  public:
    explicit File(const std::string& path) : output(path) {}
    OutputFile output;
    std::vector<std::int64_t> keys;
    std::vector<bool> repeated;
    std::unordered_set<std::int64_t> seen;
    bool hasMs1 = false;
    bool hasMsn = false;
};

MsDataWriter::MsDataWriter(const std::string& path, OutputFormat format, MsDataSource source)
    : path_(path),
      format_(format),
      source_(std::move(source)),
      file_(std::make_unique<File>(path)),
      spool_(SpoolFolder(file_->output), path) {}

MsDataWriter::~MsDataWriter() = default;

bool MsDataWriter::KeepsTargetUntilFinished() const {
    return !file_ || !file_->output.TemporaryPath().empty();
}

void MsDataWriter::BlockHead(std::optional<double> precursorMass, std::string_view label,
                             std::string_view spotId, std::string_view peakListId,
                             std::int64_t jobRunId) {
    current_.msLevel = 2;
    current_.precursorMass = precursorMass;
    const std::optional<std::int64_t> key =
        [&]() -> std::optional<std::int64_t> {
        try {
            return std::stoll(std::string(peakListId));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }();
    current_.key = key.value_or(0);
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
    if (!inSpectrum_)
        MergedPeaksStart(0);
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
    spool_.Append(current_);
    file_->keys.push_back(current_.key);
    file_->repeated.push_back(!file_->seen.insert(current_.key).second);
    (current_.msLevel == 1 ? file_->hasMs1 : file_->hasMsn) = true;
    ++counts_.blocks;
    return true;
}

void MsDataWriter::Finish() {
    EndSpectrum();
    // Whatever happens, nothing more goes into this file.
    const std::unique_ptr<File> file = std::move(file_);
    spool_.Flush();

    msdata::MSData msd;
    Describe(msd, path_, format_, source_, file->hasMs1, file->hasMsn);
    auto spectra = boost::make_shared<SpooledSpectrumList>(spool_, file->keys, file->repeated);
    spectra->setDataProcessingPtr(msd.dataProcessingPtrs.front());
    msd.run.spectrumListPtr = spectra;

    msdata::MSDataFile::WriteConfig config(
        format_ == OutputFormat::MzXml ? msdata::MSDataFile::Format_mzXML
                                       : msdata::MSDataFile::Format_mzML);
    config.indexed = true;
    config.binaryDataEncoderConfig.precision = msdata::BinaryDataEncoder::Precision_64;
    OutputFileBuffer buffer(file->output, format_ == OutputFormat::MzMl);
    std::ostream out(&buffer);
    try {
        msdata::MSDataFile::write(msd, out, config);
    } catch (const FileError&) {
        throw;
    } catch (const std::exception& e) {
        buffer.RaiseError();
        throw FileError(kPathFileAccessErrorCode,
                        "Path/File access error: " + path_ + ": " + e.what());
    }
    out.flush();
    buffer.Close();
    if (!out)
        throw FileErrorFromErrno(EIO, path_);
    counts_.bytes = buffer.Bytes();
    file->output.Commit();
}

}  // namespace lumbrook::exporting

#include "export/ms_data_model.h"

#include <filesystem>

#include <boost/make_shared.hpp>

#include "export/number_to_text.h"
#include "export/sha1.h"

namespace lumbrook::exporting {
namespace {

namespace msdata = pwiz::msdata;
using namespace pwiz::cv;

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
    if (id.empty() ||
        !((id[0] >= 'a' && id[0] <= 'z') || (id[0] >= 'A' && id[0] <= 'Z') || id[0] == '_'))
        id.insert(0, "_");
    for (const char* taken : {kSourceFileId, kSoftwareId, kInstrumentId, kProcessingId}) {
        if (id == taken)
            id += "_run";
    }
    return id;
}

}  // namespace

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
        // A byte that begins no character (or an overlong form, or a value beyond U+10FFFF)
        // is replaced on its own; a character XML refuses (a surrogate, U+FFFE, U+FFFF) or
        // discourages (a C1 control) is replaced as a whole.
        if (!valid || cp < min || cp > 0x10FFFF) {
            out += "\xEF\xBF\xBD";
            ++p;
            continue;
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF ||
            (cp >= 0x80 && cp <= 0x9F)) {
            out += "\xEF\xBF\xBD";
            p += length;
            continue;
        }
        out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
        p += length;
    }
    return out;
}

std::string NativeId(std::int64_t key, bool repeated, std::size_t index) {
    std::string id = "databasekey=" + IntegerText(key);
    if (repeated)
        id += " index=" + std::to_string(index);
    return id;
}

void Describe(msdata::MSData& msd, const std::string& path, OutputFormat format,
              const MsDataSource& source) {
    msd.id = RunId(path);
    msd.cvs = msdata::defaultCVList();

    msdata::SourceFilePtr file;
    if (source.isFile) {
        const std::filesystem::path absolute = std::filesystem::absolute(source.name);
        file = boost::make_shared<msdata::SourceFile>(
            kSourceFileId, XmlText(absolute.filename().string()),
            XmlText("file://" + absolute.parent_path().string()));
    } else {
        file = boost::make_shared<msdata::SourceFile>(kSourceFileId, XmlText(source.name), "odbc:");
    }
    // The vocabulary has no format of an SQLite file or an ODBC data source: its generic term.
    file->set(MS_mass_spectrometer_file_format);
    file->set(MS_spectrum_from_database_integer_nativeID_format);
    msd.fileDescription.sourceFilePtrs.push_back(file);

    auto software = boost::make_shared<msdata::Software>(kSoftwareId);
    software->version = LUMBROOK_VERSION_TEXT;
    software->set(MS_custom_unreleased_software_tool, "Lumbrook");
    msd.softwarePtrs.push_back(software);

    auto instrument = boost::make_shared<msdata::InstrumentConfiguration>(kInstrumentId);
    // The database names neither the model nor the detector: the vocabulary's generic terms,
    // with what every instrument of this kind has, a MALDI source and two time-of-flight
    // analysers.
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
    method.userParams.emplace_back("lowest fragment m/z", NumberText(filter.minMass), "xsd:double");
    method.userParams.emplace_back("fragments dropped from this far below the precursor",
                                   NumberText(filter.maxMass), "xsd:double");
    processing->processingMethods.push_back(method);
    msd.dataProcessingPtrs.push_back(processing);

    msd.run.id = msd.id;
    msd.run.defaultInstrumentConfigurationPtr = instrument;
    msd.run.defaultSourceFilePtr = file;
}

void CompleteDescription(msdata::MSData& msd, const MsDataSource& source, bool hasMs1,
                         bool hasMsn) {
    msdata::ParamContainer& fileContent = msd.fileDescription.fileContent;
    if (hasMs1)
        fileContent.set(MS_MS1_spectrum);
    if (hasMsn || !hasMs1)
        fileContent.set(MS_MSn_spectrum);
    fileContent.set(MS_centroid_spectrum);
    if (source.isFile)
        msd.fileDescription.sourceFilePtrs.front()->set(MS_SHA_1, FileSha1(source.name));
}

msdata::SpectrumPtr MakeSpectrum(const SpooledSpectrum& spooled, std::size_t index,
                                 const std::string& id, bool withArrays) {
    auto s = boost::make_shared<msdata::Spectrum>();
    s->index = index;
    s->id = id;
    s->spotID = spooled.spotId;
    s->set(spooled.msLevel == 1 ? MS_MS1_spectrum : MS_MSn_spectrum);
    s->set(MS_ms_level, spooled.msLevel);
    s->set(MS_centroid_spectrum);
    if (!spooled.title.empty())
        s->set(MS_spectrum_title, spooled.title);
    s->scanList.set(MS_no_combination);
    s->scanList.scans.emplace_back();
    if (spooled.msLevel != 1) {
        msdata::Precursor precursor;
        msdata::SelectedIon ion;
        if (spooled.precursorMass)
            ion.set(MS_selected_ion_m_z, *spooled.precursorMass, MS_m_z);
        ion.set(MS_charge_state, 1);
        precursor.selectedIons.push_back(ion);
        // The database does not say how the fragments were made; collision-induced
        // dissociation is the vocabulary's general term for what this instrument does.
        precursor.activation.set(MS_collision_induced_dissociation);
        s->precursors.push_back(precursor);
    }
    if (withArrays) {
        s->setMZIntensityArrays(spooled.mz, spooled.intensity, MS_number_of_detector_counts);
    } else {
        s->defaultArrayLength = spooled.mz.size();
    }
    return s;
}

}  // namespace lumbrook::exporting

#include "export/ms_data_model.h"

#include <filesystem>

#include <boost/make_shared.hpp>

#include "export/number_to_text.h"
#include "export/sha1.h"
#include "lumbrook/utf16.h"

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
    const auto startsName = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    std::string id;
    for (const char c : std::filesystem::path(path).stem().string()) {
        const bool plain = startsName(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
        id += plain ? c : '_';
    }
    if (id.empty() || !startsName(id[0]))
        id.insert(0, "_");
    for (const char* taken : {kSourceFileId, kSoftwareId, kInstrumentId, kProcessingId}) {
        if (id == taken)
            id += "_run";
    }
    return id;
}

}  // namespace

std::string XmlText(std::string_view text) {
    // Decoded as every text of the program is: a byte that is not UTF-8 comes back as a lone
    // surrogate of its own, which XML cannot hold either.
    const std::u16string units = platform::Utf8ToUtf16(text);
    std::u16string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            out += unit;  // a pair: a character beyond U+FFFF
            out += units[++i];
            continue;
        }
        if ((unit < 0x20 && unit != '\t') || unit == 0x7F) {
            unit = ' ';
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || unit == 0xFFFE || unit == 0xFFFF ||
                   (unit >= 0x80 && unit <= 0x9F)) {
            unit = 0xFFFD;  // refused by XML (a surrogate, U+FFFE, U+FFFF) or discouraged (C1)
        }
        out += unit;
    }
    return platform::Utf16ToUtf8(out);
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

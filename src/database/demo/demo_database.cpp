#include "database/demo/demo_database.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "database/demo/demo_writer.h"
#include "database/demo/fasta.h"
#include "database/demo/peptides.h"
#include "database/demo/random.h"
#include "database/demo_sequences.h"
#include "database/schema.h"

namespace lumbrook::database::demo {
namespace {

// Object types of FOLDER_OBJECT.
constexpr int kFolder = 2;
constexpr int kSpotSet = 6;
constexpr int kMethodLibrary = 5;  // another kind of object, which the browser never shows

// The spot sets.
constexpr long kDigestSpotSet = 10;
constexpr long kPlateSpotSet = 11;
constexpr long kCalibrationSpotSet = 12;
constexpr long kEmptySpotSet = 13;

// A 384-spot plate, rows A to P and columns 1 to 24.
constexpr int kPlateRows = 16;
constexpr int kPlateColumns = 24;
constexpr int kPlateSpots = kPlateRows * kPlateColumns;
// Precursors chosen per spot by the MS/MS run.
constexpr int kPrecursorsPerSpot = 10;
// Peaks per MS/MS spectrum: fragments and isotopes, the rest made up with noise.
constexpr int kPeaksPerSpectrum = 100;

// Peak list ids of job run 12 start here and take every other number; the lists of the
// other job runs fill the numbers between, as acquisition order does in a real database.
constexpr long kFirstPeakListId = 20000;

// `value` rounded, halves away from zero, to the `decimals` places a column is written with.
double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// The plate label of spot number `index` ("A1", "A2", ... "P24"), counting round the plate.
std::string SpotLabel(int index) {
    const int spot = index % kPlateSpots;
    return std::string(1, static_cast<char>('A' + spot / kPlateColumns)) +
           std::to_string(spot % kPlateColumns + 1);
}

// "YYYY-MM-DD HH:MM:SS", `seconds` after 2026-03-02 09:00:00.
std::string TimeText(long seconds) {
    std::tm base = {};
    base.tm_year = 2026 - 1900;
    base.tm_mon = 2;
    base.tm_mday = 2;
    base.tm_hour = 9;
    const std::time_t when = timegm(&base) + seconds;
    std::tm parts = {};
    gmtime_r(&when, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

struct Peak {
    double centroid;
    double area;
    double signalToNoise;
    int isotopicFlag;
};

// A peak with a plausible area and S/N; its apex height follows from its area.
void Add(std::vector<Peak>& peaks, double centroid, double area, double signalToNoise, int flag) {
    peaks.push_back({Round(centroid, 4), Round(area, 1), Round(signalToNoise, 2), flag});
}

// An MS/MS spectrum of `peptide`: its b and y ions (monoisotopic, ISOTOPIC_FLAG 1) with
// their isotope peaks (flag 0); peaks the default filters drop (below 60 Da, within 20 Da
// of the precursor, S/N at most 10); and three noise peaks that pass them.
std::vector<Peak> MsmsPeaks(const DemoPeptide& peptide, Random& random) {
    std::vector<Peak> peaks;
    const double precursor = peptide.protonatedMass;
    for (const Fragment& fragment : FragmentIons(peptide.sequence)) {
        // y ions usually stand out above the b ions.
        const double area = random.Uniform(1500, 25000) * (fragment.series == 'y' ? 1.4 : 1.0);
        const double sn = std::max(area / random.Uniform(60, 140), random.Uniform(12, 20));
        Add(peaks, fragment.mz, area, sn, 1);
        // The first isotope peak grows with the fragment's size; heavy ones have a second.
        const double ratio = std::min(0.9, fragment.mz / 1800.0) * random.Uniform(0.8, 1.1);
        Add(peaks, fragment.mz + kIsotopeSpacing, area * ratio, sn * ratio, 0);
        if (fragment.mz > 1200)
            Add(peaks, fragment.mz + 2 * kIsotopeSpacing, area * ratio * 0.4, sn * ratio * 0.4, 0);
    }
    // Immonium ions of glycine and alanine, below the minimum mass.
    Add(peaks, 30.0338, random.Uniform(2000, 6000), random.Uniform(20, 60), 1);
    Add(peaks, 44.0495, random.Uniform(2000, 6000), random.Uniform(20, 60), 1);
    // The precursor and its losses of ammonia and water, within 20 Da of the precursor.
    Add(peaks, precursor, random.Uniform(5000, 20000), random.Uniform(40, 120), 1);
    Add(peaks, precursor - 17.0265, random.Uniform(1000, 5000), random.Uniform(15, 40), 1);
    Add(peaks, precursor - kWaterMass, random.Uniform(1000, 5000), random.Uniform(15, 40), 1);
    for (int i = 0; i < 3; ++i)
        Add(peaks, random.Uniform(60, precursor - 25), random.Uniform(300, 900),
            random.Uniform(10.5, 16), 1);
    while (peaks.size() < static_cast<std::size_t>(kPeaksPerSpectrum)) {
        Add(peaks, random.Uniform(50, precursor - 1), random.Uniform(50, 600),
            random.Uniform(1, 9.5), random.Below(10) < 7 ? 1 : 0);
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const Peak& a, const Peak& b) { return a.centroid < b.centroid; });
    return peaks;
}

// An MS spectrum of a spot: each precursor with two isotope peaks, and low noise.
std::vector<Peak> MsPeaks(const std::vector<double>& precursors, Random& random) {
    std::vector<Peak> peaks;
    for (double mass : precursors) {
        const double area = random.Uniform(5000, 60000);
        const double sn = std::max(area / random.Uniform(50, 100), random.Uniform(15, 30));
        Add(peaks, mass, area, sn, 1);
        const double ratio = std::min(1.2, mass / 1800.0) * random.Uniform(0.8, 1.0);
        Add(peaks, mass + kIsotopeSpacing, area * ratio, sn * ratio, 0);
        Add(peaks, mass + 2 * kIsotopeSpacing, area * ratio * 0.45, sn * ratio * 0.45, 0);
    }
    for (int i = 0; i < 40; ++i)
        Add(peaks, random.Uniform(700, 3500), random.Uniform(50, 500), random.Uniform(1, 8),
            random.Below(2) == 0 ? 1 : 0);
    std::sort(peaks.begin(), peaks.end(),
              [](const Peak& a, const Peak& b) { return a.centroid < b.centroid; });
    return peaks;
}

// One peak list to write: its id, its item, and what it shows.
struct PeakListPlan {
    long id = 0;
    long item = 0;
    int peptide = -1;                // an MS/MS spectrum of this peptide, or
    std::vector<double> precursors;  // an MS spectrum with these precursors
};

// Builds the rows in memory except the peaks, which are made while the lists are written.
class DemoBuilder {
  public:
    DemoBuilder(const DemoOptions& options, DemoWriter& writer)
        : options_(options), writer_(writer), random_(options.seed), peptides_(DemoPeptides()) {
        if (peptides_.empty())
            throw std::runtime_error("The demo's protein sequences give no peptides");
    }

    DemoSummary Build() {
        AddFolders();
        AddSpots();
        AddJobRuns();
        WritePeakLists();
        return summary_;
    }

  private:
    // Writes a FOLDER_OBJECT row and counts it among the folders or the spot sets.
    void Folder(long id, std::optional<long> parent, const std::string& name, int type) {
        writer_.AddFolder(id, parent, name, type);
        if (type == kFolder)
            ++summary_.folders;
        if (type == kSpotSet)
            ++summary_.spotSets;
    }

    void AddFolders() {
        Folder(1, std::nullopt, "Root", kFolder);
        Folder(2, 1, "Projects", kFolder);
        Folder(3, 2, "Proteomics", kFolder);
        Folder(4, 2, "Calibration", kFolder);
        Folder(5, 3, "Archive 2026", kFolder);
        Folder(6, 2, "Acquisition methods", kMethodLibrary);
        Folder(kDigestSpotSet, 3, "Digest standards", kSpotSet);
        Folder(kPlateSpotSet, 5, "Plate A", kSpotSet);
        Folder(kCalibrationSpotSet, 4, "Calibration mix", kSpotSet);
        Folder(kEmptySpotSet, 5, "Empty plate", kSpotSet);
    }

    // Spot ids: a plate of 384 for the digest, 96 for plate A, 4 and 8 for the others.
    long SpotId(long spotSet, int index) const {
        switch (spotSet) {
            case kDigestSpotSet:
                return 1 + index % kPlateSpots;
            case kPlateSpotSet:
                return 1001 + index % 96;
            case kCalibrationSpotSet:
                return 2001 + index % 4;
            default:
                return 3001 + index % 8;
        }
    }

    void AddSpots() {
        for (int i = 0; i < kPlateSpots; ++i)
            writer_.AddSpot(SpotId(kDigestSpotSet, i), kDigestSpotSet, SpotLabel(i),
                            "Digest " + SpotLabel(i), "Sample");
        for (int i = 0; i < 96; ++i)
            writer_.AddSpot(SpotId(kPlateSpotSet, i), kPlateSpotSet, SpotLabel(i), "Plate A",
                            "Sample");
        for (int i = 0; i < 4; ++i)
            writer_.AddSpot(SpotId(kCalibrationSpotSet, i), kCalibrationSpotSet, SpotLabel(i),
                            "Calibration", "Calibration");
        for (int i = 0; i < 8; ++i)
            writer_.AddSpot(SpotId(kEmptySpotSet, i), kEmptySpotSet, SpotLabel(i), "", "Sample");
    }

    // Writes a job run item under the next item id: a complete one has been processed and
    // interpreted (numeric status 9), any other is still pending (3).
    long NewItem(long jobRun, long spot, std::optional<double> precursor, bool complete) {
        const long id = nextItem_++;
        writer_.AddItem(id, jobRun, spot, precursor, "Acquired", complete ? "Processed" : "Pending",
                        complete ? "Interpreted" : "Not interpreted", complete ? 9 : 3);
        ++summary_.items;
        return id;
    }

    // An MS/MS item with its peak list `listId`, a spectrum of peptide number `peptide`.
    void MsmsItem(long jobRun, long spotSet, int index, int peptide, bool complete, long listId) {
        const long item = NewItem(
            jobRun, SpotId(spotSet, index / kPrecursorsPerSpot),
            Round(peptides_[static_cast<std::size_t>(peptide)].protonatedMass, 4), complete);
        PeakListPlan plan;
        plan.id = listId;
        plan.item = item;
        plan.peptide = peptide;
        plans_.push_back(std::move(plan));
    }

    // An MS item with a peak list of its own, a spectrum showing `precursors`.
    void MsItem(long jobRun, long spot, std::vector<double> precursors) {
        const long item = NewItem(jobRun, spot, std::nullopt, true);  // no precursor
        PeakListPlan plan;
        plan.id = ForeignId();
        plan.item = item;
        plan.precursors = std::move(precursors);
        plans_.push_back(std::move(plan));
    }

    // The next free id between the peak lists of job run 12.
    long ForeignId() {
        const long id = nextForeign_;
        nextForeign_ += 2;
        return id;
    }

    void AddJobRuns() {
        const long count =
            options_.spectra > 0 ? options_.spectra : static_cast<long>(peptides_.size());
        const int peptideCount = static_cast<int>(peptides_.size());
        // Job run 10, MS: the survey of the digest spots that job run 12 fragments.
        const long usedSpots =
            std::min<long>(kPlateSpots, (count + kPrecursorsPerSpot - 1) / kPrecursorsPerSpot);
        writer_.AddJobRun(10, kDigestSpotSet, "MS Reflector Positive", TimeText(0), TimeText(90),
                          TimeText(90 + 6 * usedSpots));
        ++summary_.jobRuns;
        for (long spot = 0; spot < usedSpots; ++spot) {
            std::vector<double> precursors;
            for (long i = spot * kPrecursorsPerSpot; i < count && precursors.size() < 50;
                 i += kPlateSpots * kPrecursorsPerSpot) {
                for (long j = i; j < std::min(count, i + kPrecursorsPerSpot); ++j)
                    precursors.push_back(Round(
                        peptides_[static_cast<std::size_t>(j % peptideCount)].protonatedMass, 4));
            }
            MsItem(10, SpotId(kDigestSpotSet, static_cast<int>(spot)), std::move(precursors));
        }
        // Job run 11, MS: the calibration spots, measured the day before.
        writer_.AddJobRun(11, kCalibrationSpotSet, "MS Reflector Positive", TimeText(-60000),
                          TimeText(-59940), TimeText(-59700));
        ++summary_.jobRuns;
        for (int spot = 0; spot < 4; ++spot) {
            std::vector<double> precursors;
            for (int j = 0; j < 6; ++j)
                precursors.push_back(
                    Round(peptides_[static_cast<std::size_t>((spot * 6 + j) % peptideCount)]
                              .protonatedMass,
                          4));
            MsItem(11, SpotId(kCalibrationSpotSet, spot), std::move(precursors));
        }
        // Job run 12, MS/MS: every peptide, ten precursors a spot.
        writer_.AddJobRun(kMsmsJobRun, kDigestSpotSet, "MS-MS 1 kV Positive", TimeText(3600),
                          TimeText(3720), TimeText(3720 + 3 * count));
        ++summary_.jobRuns;
        for (long i = 0; i < count; ++i) {
            MsmsItem(kMsmsJobRun, kDigestSpotSet,
                     static_cast<int>(i % (kPlateSpots * kPrecursorsPerSpot)),
                     static_cast<int>(i % peptideCount), true, kFirstPeakListId + 2 * i);
        }
        summary_.msmsSpectra = count;
        // Job run 13, MS/MS at a higher energy, a third of its items not yet complete; its
        // first item was processed twice and has two peak lists.
        writer_.AddJobRun(13, kDigestSpotSet, "MS-MS 2 kV Positive", TimeText(86400 + 18000),
                          TimeText(86400 + 18045), TimeText(86400 + 20100));
        ++summary_.jobRuns;
        const std::size_t firstOfRun13 = plans_.size();
        for (int i = 0; i < 12; ++i)
            MsmsItem(13, kDigestSpotSet, i, (i * 5) % peptideCount, i % 3 != 2, ForeignId());
        PeakListPlan again = plans_[firstOfRun13];
        again.id = ForeignId();
        plans_.push_back(std::move(again));
        // Job run 14, MS/MS on plate A.
        writer_.AddJobRun(14, kPlateSpotSet, "MS-MS 1 kV Positive", TimeText(172800 + 5400),
                          TimeText(172800 + 5460), TimeText(172800 + 5600));
        ++summary_.jobRuns;
        for (int i = 0; i < 6; ++i)
            MsmsItem(14, kPlateSpotSet, i * kPrecursorsPerSpot, (i * 7 + 3) % peptideCount, true,
                     ForeignId());
    }

    // Writes the planned peak lists in id order, each with the peaks of its spectrum.
    void WritePeakLists() {
        std::sort(plans_.begin(), plans_.end(),
                  [](const PeakListPlan& a, const PeakListPlan& b) { return a.id < b.id; });
        for (const PeakListPlan& plan : plans_) {
            writer_.AddPeakList(plan.id, plan.item);
            ++summary_.peakLists;
            const std::vector<Peak> peaks =
                plan.peptide >= 0
                    ? MsmsPeaks(peptides_[static_cast<std::size_t>(plan.peptide)], random_)
                    : MsPeaks(plan.precursors, random_);
            int number = 0;
            for (const Peak& peak : peaks) {
                writer_.AddPeak(plan.id, ++number, peak.centroid, peak.area, peak.signalToNoise,
                                peak.isotopicFlag, Round(peak.area / random_.Uniform(4, 8), 1));
            }
            summary_.peaks += number;
        }
    }

    const DemoOptions& options_;
    DemoWriter& writer_;
    Random random_;
    std::vector<DemoPeptide> peptides_;
    std::vector<PeakListPlan> plans_;
    DemoSummary summary_;
    long nextItem_ = 1001;
    long nextForeign_ = kFirstPeakListId + 1;
};

}  // namespace

std::vector<DemoPeptide> DemoPeptides() {
    std::vector<DemoPeptide> peptides;
    for (const Protein& protein : ParseFasta(sequence_text::kProteins)) {
        for (const std::string& sequence : TrypticDigest(protein.sequence)) {
            const double mass = ProtonatedMass(sequence);
            if (sequence.size() < 6 || sequence.size() > 25 || mass < 700 || mass > 3500 ||
                sequence.find('C') != std::string::npos)
                continue;
            peptides.push_back({sequence, protein.name, mass});
        }
    }
    return peptides;
}

DemoSummary CreateDemoDatabase(const DemoOptions& options) {
    if (options.path.empty())
        throw std::runtime_error("The demo database needs a file name");
    if (options.spectra < 0)
        throw std::runtime_error("The number of spectra cannot be negative");
    const std::string partial = options.path + ".partial";
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);  // left by an earlier run that was killed
    DemoSummary summary;
    try {
        std::string schema(SchemaText(SchemaDialect::SQLite));
        if (options.baseViews)
            schema += BaseViewsText(SchemaDialect::SQLite);
        DemoWriter writer(partial, schema);
        DemoBuilder builder(options, writer);
        summary = builder.Build();
        writer.Finish();
    } catch (...) {
        std::filesystem::remove(partial, ignored);
        throw;
    }
    std::error_code error;
    std::filesystem::rename(partial, options.path, error);
    if (error) {
        std::filesystem::remove(partial, ignored);
        throw std::runtime_error("Cannot write " + options.path + ": " + error.message());
    }
    return summary;
}

}  // namespace lumbrook::database::demo

// Spectra kept on disk for a moment: a mass spectrometry data file names its number of spectra
// in its head, and the export knows how many it writes only once its pass over the database is
// over. The pass appends each spectrum here; the file is then written from the spool.
//
// The spool is a temporary file without a name (removed by the system when it is closed, also
// when the process dies), in the folder the file is written in, where there is room for the
// file anyway, or in the temporary folder when nothing can be created there. Memory holds one
// offset a spectrum.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumbrook::exporting {

// Opens a temporary file without a name, for reading and writing, in `folder` or, when nothing
// can be created there ("" asks for that at once), in the temporary folder. FileError naming
// `target` when neither works.
int OpenSpoolFile(const std::string& folder, const std::string& target);

struct SpooledSpectrum {
    int msLevel = 2;
    std::optional<double> precursorMass;
    std::int64_t key = 0;  // the peak list's id, or the item's for a merged MS spectrum
    std::string title;
    std::string spotId;
    std::vector<double> mz;
    std::vector<double> intensity;  // as many as mz
};

class PeakListSpool {
  public:
    // Creates the spool in `folder` ("": the temporary folder) for the file `target`, which
    // messages name. FileError when no temporary file can be made.
    PeakListSpool(const std::string& folder, const std::string& target);
    ~PeakListSpool();
    PeakListSpool(const PeakListSpool&) = delete;
    PeakListSpool& operator=(const PeakListSpool&) = delete;

    // Appends `spectrum`. FileError when the spool cannot be written (a full disk).
    void Append(const SpooledSpectrum& spectrum);
    // Writes what Append buffered. FileError as Append.
    void Flush();

    std::size_t Size() const { return offsets_.size(); }
    // Reads spectrum `index` (from 0) into `out`, after Flush. FileError when it cannot.
    void Read(std::size_t index, SpooledSpectrum& out) const;

  private:
    int fd_ = -1;
    std::string target_;  // for messages
    std::vector<std::uint64_t> offsets_;
    std::uint64_t end_ = 0;  // the offset of the next record, buffered bytes included
    std::string buffer_;
};

}  // namespace lumbrook::exporting

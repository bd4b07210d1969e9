// An indexed mzML file written while the export runs. The file's head names its number of
// spectra, which is known only at the end; so that the writing costs no time after the export's
// pass over the database, a thread of its own writes each spectrum's element (by the field's
// library) into a temporary file as the pass hands the spectra over, and Commit puts the file
// together: the library's head with the spectrum list's count, the spectra, the offset index
// and the SHA-1 checksum of the indexed form.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <pwiz/data/msdata/MSData.hpp>

#include "export/output_file.h"
#include "export/peak_list_spool.h"

namespace lumbrook::exporting {

class MzMlFile {
  public:
    // `description` (see ms_data_model.h) must outlive this object; the spectra refer to it.
    // The temporary file goes into `folder` (see OpenSpoolFile); `target` names the file in
    // messages. FileError when no temporary file can be made.
    MzMlFile(const pwiz::msdata::MSData& description, const std::string& folder,
             const std::string& target);
    // Without Commit: stops the thread; nothing is written.
    ~MzMlFile();
    MzMlFile(const MzMlFile&) = delete;
    MzMlFile& operator=(const MzMlFile&) = delete;

    // Hands spectrum number Count() over, with its id. Waits while the thread is far behind.
    // FileError when the thread could not write an earlier one.
    void Add(SpooledSpectrum spectrum, std::string id);
    std::size_t Count() const { return ids_.size(); }

    // Waits until every spectrum is written and ends the thread; afterwards the description
    // may change. FileError when the thread could not write one. Nothing may be added
    // afterwards.
    void Close();
    // Writes the file into `output`, after Close, with the description as it is by then.
    // Returns the bytes written. FileError when anything failed.
    std::uint64_t WriteInto(OutputFile& output);

  private:
    struct Item {
        SpooledSpectrum spectrum;
        std::size_t index;
        std::string id;
    };

    // The thread: writes each item's element into the temporary file, noting its offset.
    void Work();

    const pwiz::msdata::MSData& description_;
    std::string target_;
    int fd_ = -1;
    std::vector<std::string> ids_;
    std::vector<std::uint64_t> offsets_;  // of each element in the temporary file; the thread's
    std::uint64_t first_ = 0;             // where the first element begins in the temporary file
    std::uint64_t size_ = 0;              // the elements' bytes, once the thread ended

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    bool closing_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace lumbrook::exporting

// The content of an mzML or mzXML file in the field's library's data model: the file's
// description (the database it came from, the instrument, this program and what it did) and
// one spectrum of the spool. Both writers of ms_data_writer.h build their files from these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <pwiz/data/msdata/MSData.hpp>

#include "export/ms_data_writer.h"
#include "export/output_format.h"
#include "export/peak_list_spool.h"

namespace lumbrook::exporting {

// `text` as XML can hold it: valid UTF-8 (each byte that is not becomes U+FFFD) without the
// characters XML 1.0 forbids or discourages (C0 and C1 controls but tab become a blank or
// U+FFFD). The library escapes the markup characters.
std::string XmlText(std::string_view text);

// The native id of a spectrum: "databasekey=" and the database key of its peak list (or of
// the item whose peak lists an MS spectrum merges). A key the file already holds (a list that
// exports a job run twice) also gets the spectrum's index, so that every id stays its own.
std::string NativeId(std::int64_t key, bool repeated, std::size_t index);

// Fills `msd` with what is known before the first spectrum: ids, the vocabularies, the source
// file (without its checksum), the software, the instrument and the data processing, and the
// run, named after the file at `path`.
void Describe(pwiz::msdata::MSData& msd, const std::string& path, OutputFormat format,
              const MsDataSource& source);
// Adds what is known once every spectrum is read: the kinds of spectra the file holds, and the
// database file's checksum. FileError when the database file cannot be read.
void CompleteDescription(pwiz::msdata::MSData& msd, const MsDataSource& source, bool hasMs1,
                         bool hasMsn);

// Spectrum `index` of the file, id `id`, from `spooled`; its arrays only `withArrays`.
pwiz::msdata::SpectrumPtr MakeSpectrum(const SpooledSpectrum& spooled, std::size_t index,
                                       const std::string& id, bool withArrays);

}  // namespace lumbrook::exporting

// The demo database: a deterministic SQLite file laid out like a real instrument's, whose
// job run 12 holds the MS/MS spectra of a tryptic digest of the proteins under data/demo/.
//
// What the program's own command needs (the options, the summary, the writer) is in
// lumbrook/demo_database.h; the peptides are here, for the tests that check them.
#pragma once

#include <string>
#include <vector>

#include "lumbrook/demo_database.h"

namespace lumbrook::database::demo {

// A peptide of the demo: its sequence, the protein it comes from, its [M+H]+ mass.
struct DemoPeptide {
    std::string sequence;
    std::string protein;
    double protonatedMass = 0;
};

// The tryptic peptides used for the spectra: 6 to 25 residues, [M+H]+ from 700 to 3500 Da,
// none with cysteine (so that a search with or without carbamidomethylation finds them).
std::vector<DemoPeptide> DemoPeptides();

}  // namespace lumbrook::database::demo

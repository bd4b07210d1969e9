// Tryptic peptides and their singly charged b and y fragment ions, with monoisotopic masses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumbrook::database::demo {

inline constexpr double kProtonMass = 1.00727646688;
inline constexpr double kWaterMass = 18.0105646863;
// The spacing of a singly charged isotope peak (13C - 12C).
inline constexpr double kIsotopeSpacing = 1.0033548378;

// Monoisotopic residue mass of a one-letter code (cysteine unmodified); 0 for a letter that
// is no standard residue.
double ResidueMass(char code);

// Cleaves after K or R, except before P, without missed cleavages.
std::vector<std::string> TrypticDigest(std::string_view sequence);

// The peptide's [M+H]+ mass: residues, water and one proton. 0 when a letter is unknown.
double ProtonatedMass(std::string_view peptide);

struct Fragment {
    char series;  // 'b' or 'y'
    int number;   // residues in the fragment, 1 to length - 1
    double mz;    // singly charged
};

// b1 .. b(n-1) and y1 .. y(n-1), singly charged; b_i + y_(n-i) = [M+H]+ + proton.
std::vector<Fragment> FragmentIons(std::string_view peptide);

}  // namespace lumbrook::database::demo

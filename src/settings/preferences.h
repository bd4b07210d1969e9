// Every preference the program reads or writes, declared once. Nothing else in the program
// repeats a name or a default.
//
// | value name    | content                         | default                  |
// |---------------|---------------------------------|--------------------------|
// | "ODBCConnect" | OLE DB connection string        | kDefaultConnectionString |
// | "Filter"      | minMass,maxMass,S2N,Monoisotopic| "60,20,10,1"             |
//
// "ODBCConnect" is read by the automation object's initialisation (it becomes ODBCString)
// and by the browser window's load (the connection string in use); it is written only by the
// connection dialog's Save, after a successful connection check, with the trimmed text.
// "Filter" is read by the automation object's initialisation; the program never writes it,
// a value stored by other means (for example `lumbrook reg add`) is honoured.
#pragma once

namespace lumbrook::settings {

// Application name and section under Software\Velmora.
inline constexpr const char* kAppName = "Lumbrook";
inline constexpr const char* kSection = "Preferences";

// The connection string used when no "ODBCConnect" preference is stored, and the one the
// connection dialog's "Restore default" puts back.
inline constexpr const char* kDefaultConnectionString =
    "Provider=OraOLEDB.Oracle.1;Persist Security Info=True;User ID=tsquared;password=qx;"
    "Data Source=TSQUARED;";

inline constexpr const char* kODBCConnect = "ODBCConnect";
inline constexpr const char* kFilter = "Filter";

// The filter defaults, field by field, used when "Filter" is absent or a field is missing.
inline constexpr double kDefaultMinMass = 60;
inline constexpr double kDefaultMaxMass = 20;
inline constexpr double kDefaultS2N = 10;
inline constexpr short kDefaultMonoisotopic = 1;

}  // namespace lumbrook::settings

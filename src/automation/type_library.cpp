#include "automation/type_library.h"

#include <array>
#include <cstdio>

#include "platform/base/ascii_case.h"
#include "platform/com/guid.h"

namespace lumbrook::automation {
namespace {

constexpr ParamInfo kOutFile{"OutFile", VT_BSTR, true};

using enum MemberKind;

// The members of _Lumbrook in slot order; this order is binding for early-bound hosts.
constexpr std::array<MemberInfo, 27> kMembers{{
    {dispid::Connect, "Connect", Method, VT_BOOL, nullptr,
     "Checks the connection string and opens the object's own connection"},
    {dispid::DoExport, "DoExport", Method, VT_BOOL, &kOutFile,
     "Exports the chosen spectra to a peak list file"},
    {dispid::Cancel, "Cancel", Method, VT_EMPTY, nullptr,
     "Requests cancellation of a running export"},
    {dispid::DllVersion, "DllVersion", PropertyGet, VT_BSTR, nullptr, "Version text"},
    {dispid::ODBCString, "ODBCString", PropertyGet, VT_BSTR, nullptr, "OLE DB connection string"},
    {dispid::ODBCString, "ODBCString", PropertyPut, VT_BSTR, nullptr, "OLE DB connection string"},
    {dispid::minMass, "minMass", PropertyGet, VT_R8, nullptr, "Lowest fragment mass kept, in Da"},
    {dispid::minMass, "minMass", PropertyPut, VT_R8, nullptr, "Lowest fragment mass kept, in Da"},
    {dispid::maxMass, "maxMass", PropertyGet, VT_R8, nullptr,
     "Distance below the precursor mass, in Da, from which peaks are dropped"},
    {dispid::maxMass, "maxMass", PropertyPut, VT_R8, nullptr,
     "Distance below the precursor mass, in Da, from which peaks are dropped"},
    {dispid::S2N, "S2N", PropertyGet, VT_R8, nullptr, "Minimum signal-to-noise ratio"},
    {dispid::S2N, "S2N", PropertyPut, VT_R8, nullptr, "Minimum signal-to-noise ratio"},
    {dispid::Monoisotopic, "Monoisotopic", PropertyGet, VT_I2, nullptr,
     "1 = monoisotopic peaks only, 0 = all peaks"},
    {dispid::Monoisotopic, "Monoisotopic", PropertyPut, VT_I2, nullptr,
     "1 = monoisotopic peaks only, 0 = all peaks"},
    {dispid::ShowDataBrowser, "ShowDataBrowser", Method, VT_BOOL, nullptr,
     "Shows the data browser modally"},
    {dispid::Descriptor, "Descriptor", PropertyGet, VT_BSTR, nullptr,
     "Folder and spot set of the browsed selection"},
    {dispid::Descriptor, "Descriptor", PropertyPut, VT_BSTR, nullptr,
     "Folder and spot set of the browsed selection"},
    {dispid::MSType, "MSType", PropertyGet, VT_BSTR, nullptr,
     "MS type of the spectra to export, MS or MS-MS"},
    {dispid::MSType, "MSType", PropertyPut, VT_BSTR, nullptr,
     "MS type of the spectra to export, MS or MS-MS"},
    {dispid::JobRunID, "JobRunID", PropertyGet, VT_I4, nullptr, "Job run to export"},
    {dispid::JobRunID, "JobRunID", PropertyPut, VT_I4, nullptr, "Job run to export"},
    {dispid::JobRunItemID, "JobRunItemID", PropertyGet, VT_I4, nullptr,
     "Single spectrum (job run item) to export"},
    {dispid::JobRunItemID, "JobRunItemID", PropertyPut, VT_I4, nullptr,
     "Single spectrum (job run item) to export"},
    {dispid::DescriptorList, "DescriptorList", PropertyGet, VT_BSTR, nullptr,
     "List of the spectra selected in the browser"},
    {dispid::DescriptorList, "DescriptorList", PropertyPut, VT_BSTR, nullptr,
     "List of the spectra selected in the browser"},
    {dispid::AllSpectra, "AllSpectra", PropertyGet, VT_BOOL, nullptr,
     "Export all MS/MS spectra of the job run"},
    {dispid::AllSpectra, "AllSpectra", PropertyPut, VT_BOOL, nullptr,
     "Export all MS/MS spectra of the job run"},
}};

constexpr std::array<ParamInfo, 2> kProgressParams{{
    {"SpectraDone", VT_I4, false},
    {"SpectraTotal", VT_I4, false},
}};

constexpr std::array<EventInfo, 1> kEvents{{
    {LUMBROOK_DISPID_PROGRESS, "Progress", kProgressParams, "Raised after every exported spectrum"},
}};

const TypeLibraryInfo kTypeLibrary{
    "LumbrookDLL",
    "Create QPK files from an ABI 4000 series (TSquared) database",
    &LIBID_LumbrookDLL,
    1,
    0,
    "_Lumbrook",
    &IID__Lumbrook,
    "hidden, dual, nonextensible, oleautomation",
    kMembers,
    "__Lumbrook",
    &DIID___Lumbrook,
    kEvents,
    "Lumbrook",
    &CLSID_Lumbrook,
    "appobject",
};

// The IDL name of one of the automation types the members use; "void" for VT_EMPTY.
const char* IdlType(VARTYPE vt) {
    switch (vt) {
        case VT_BSTR:
            return "BSTR";
        case VT_R8:
            return "double";
        case VT_I2:
            return "short";
        case VT_I4:
            return "long";
        case VT_BOOL:
            return "VARIANT_BOOL";
        default:
            return "void";
    }
}

// The GUID text without braces, as IDL's uuid() attribute wants it.
std::string Uuid(const GUID& guid) {
    const std::string text = platform::GuidToString(guid);
    return text.substr(1, text.size() - 2);
}

// A dispatch id as the IDL's id() attribute writes it: eight hex digits after "0x".
std::string DispIdText(DISPID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(id));
    return text;
}

}  // namespace

const TypeLibraryInfo& TypeLibrary() {
    return kTypeLibrary;
}

const MemberInfo* FindMember(DISPID dispid, MemberKind kind) {
    for (const MemberInfo& member : kMembers) {
        if (member.dispid == dispid && member.kind == kind)
            return &member;
    }
    return nullptr;
}

DISPID FindDispId(std::string_view name) {
    for (const MemberInfo& member : kMembers) {
        if (platform::EqualsIgnoringAsciiCase(member.name, name))
            return member.dispid;
    }
    return DISPID_UNKNOWN;
}

std::string TypeLibraryIdl() {
    const TypeLibraryInfo& lib = kTypeLibrary;
    const std::string version =
        std::to_string(lib.versionMajor) + "." + std::to_string(lib.versionMinor);
    std::string idl;
    idl += "// Type library of liblumbrook.so. `lumbrook typelib` prints this text from the\n";
    idl += "// server's own table; a test keeps this file identical to it.\n";
    idl += "[\n  uuid(" + Uuid(*lib.libid) + "),\n  version(" + version + "),\n  helpstring(\"" +
           lib.help + "\")\n]\nlibrary " + lib.name + "\n{\n";
    idl += "    importlib(\"stdole2.tlb\");\n\n";
    idl += "    interface " + std::string(lib.interfaceName) + ";\n";
    idl += "    dispinterface " + std::string(lib.eventsName) + ";\n\n";
    idl += "    [\n      odl,\n      uuid(" + Uuid(*lib.iid) + "),\n      version(" + version +
           "),\n      " + lib.interfaceFlags + "\n    ]\n";
    idl += "    interface " + std::string(lib.interfaceName) + " : IDispatch {\n";
    for (const MemberInfo& m : lib.members) {
        std::string attributes = "id(" + DispIdText(m.dispid) + ")";
        std::string params;
        if (m.kind == MemberKind::PropertyGet) {
            attributes += ", propget";
            params = std::string("[out, retval] ") + IdlType(m.type) + "* pRetVal";
        } else if (m.kind == MemberKind::PropertyPut) {
            attributes += ", propput";
            params = std::string("[in] ") + IdlType(m.type) + " value";
        } else {
            if (m.param != nullptr) {
                params = std::string(m.param->byRef ? "[in, out] " : "[in] ") +
                         IdlType(m.param->type) + (m.param->byRef ? "* " : " ") + m.param->name;
            }
            if (m.type != VT_EMPTY) {
                if (!params.empty())
                    params += ", ";
                params += std::string("[out, retval] ") + IdlType(m.type) + "* pRetVal";
            }
        }
        attributes += ", helpstring(\"" + std::string(m.help) + "\")";
        idl += "        [" + attributes + "]\n        HRESULT " + m.name + "(" + params + ");\n";
    }
    idl += "    };\n\n";
    idl += "    [\n      uuid(" + Uuid(*lib.eventsIid) + "),\n      version(" + version +
           "),\n      hidden, nonextensible\n    ]\n";
    idl += "    dispinterface " + std::string(lib.eventsName) +
           " {\n        properties:\n"
           "        methods:\n";
    for (const EventInfo& e : lib.events) {
        std::string params;
        for (const ParamInfo& p : e.params) {
            if (!params.empty())
                params += ", ";
            params += std::string("[in] ") + IdlType(p.type) + " " + p.name;
        }
        idl += "            [id(" + DispIdText(e.dispid) + "), helpstring(\"" + e.help +
               "\")]\n            void " + e.name + "(" + params + ");\n";
    }
    idl += "    };\n\n";
    idl += "    [\n      uuid(" + Uuid(*lib.clsid) + "),\n      version(" + version + "),\n      " +
           lib.classFlags + "\n    ]\n";
    idl += "    coclass " + std::string(lib.className) + " {\n        [default] interface " +
           lib.interfaceName + ";\n        [default, source] dispinterface " + lib.eventsName +
           ";\n    };\n};\n";
    return idl;
}

}  // namespace lumbrook::automation

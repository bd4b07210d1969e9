// The type library of the server, as one static table: the library, the dual interface
// _Lumbrook with its members in slot order, the outgoing event interface and the class.
// The dispatch code, the IDL text (`lumbrook typelib`) and the tests all read it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "lumbrook/lumbrook.h"

namespace lumbrook::automation {

// What a vtable slot of _Lumbrook is: a method, or the get or the put of a property.
enum class MemberKind { Method, PropertyGet, PropertyPut };

// The dispatch ids of _Lumbrook's members, named as the members are. A property's get and put
// share one id. Late-bound hosts may have kept the numbers, so they never change.
namespace dispid {
inline constexpr DISPID Connect = 1;
inline constexpr DISPID DoExport = 2;
inline constexpr DISPID Cancel = 3;
inline constexpr DISPID DllVersion = 4;
inline constexpr DISPID ODBCString = 5;
inline constexpr DISPID minMass = 6;
inline constexpr DISPID maxMass = 7;
inline constexpr DISPID S2N = 8;
inline constexpr DISPID Monoisotopic = 9;
inline constexpr DISPID ShowDataBrowser = 10;
inline constexpr DISPID Descriptor = 11;
inline constexpr DISPID MSType = 12;
inline constexpr DISPID JobRunID = 13;
inline constexpr DISPID JobRunItemID = 14;
inline constexpr DISPID DescriptorList = 15;
inline constexpr DISPID AllSpectra = 16;
}  // namespace dispid

// One parameter of a member (the value of a property put, or a method's argument).
struct ParamInfo {
    const char* name;
    VARTYPE type;  // VT_BSTR, VT_R8, ...
    bool byRef;    // [in, out] by reference
};

// One vtable slot of _Lumbrook, in the table's order: what the IDL declares for it and what
// Invoke needs to call it.
struct MemberInfo {
    DISPID dispid;  // shared by a property's get and put
    const char* name;
    MemberKind kind;
    VARTYPE type;            // the value type: return value of a method or get, value of a put;
                             // VT_EMPTY for a method without a return value
    const ParamInfo* param;  // the method's argument, or nullptr
    const char* help;
};

// One method of the outgoing event interface __Lumbrook.
struct EventInfo {
    DISPID dispid;
    const char* name;
    std::span<const ParamInfo> params;
    const char* help;
};

// The whole library: its identity, the dual interface, the event interface and the class,
// with the attribute lists as the IDL text writes them.
struct TypeLibraryInfo {
    const char* name;
    const char* help;
    const GUID* libid;
    int versionMajor;
    int versionMinor;
    const char* interfaceName;
    const IID* iid;
    const char* interfaceFlags;  // as written in the IDL attribute list
    std::span<const MemberInfo> members;
    const char* eventsName;
    const IID* eventsIid;
    std::span<const EventInfo> events;
    const char* className;
    const CLSID* clsid;
    const char* classFlags;
};

// The server's one table, built at compile time.
const TypeLibraryInfo& TypeLibrary();

// The member with that dispatch id and kind, or nullptr.
const MemberInfo* FindMember(DISPID dispid, MemberKind kind);

// The dispatch id of a member name, compared without regard to letter case; DISPID_UNKNOWN
// when there is none.
DISPID FindDispId(std::string_view name);

// The type library as IDL text.
std::string TypeLibraryIdl();

}  // namespace lumbrook::automation

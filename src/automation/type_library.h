// The type library of the server, as one static table: the library, the dual interface
// _Lumbrook with its members in slot order, the outgoing event interface and the class.
// The dispatch code, the IDL text (`lumbrook typelib`) and the tests all read it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "lumbrook/lumbrook.h"

namespace lumbrook::automation {

enum class MemberKind { Method, PropertyGet, PropertyPut };

// One parameter of a member (the value of a property put, or a method's argument).
struct ParamInfo {
    const char* name;
    VARTYPE type;  // VT_BSTR, VT_R8, ...
    bool byRef;    // [in, out] by reference
};

// One vtable slot of _Lumbrook.
struct MemberInfo {
    int slot;       // 1-based position after IDispatch's seven slots
    DISPID dispid;  // shared by a property's get and put
    const char* name;
    MemberKind kind;
    VARTYPE type;            // the value type: return value of a method or get, value of a put;
                             // VT_EMPTY for a method without a return value
    const ParamInfo* param;  // the method's argument, or nullptr
    const char* help;
};

struct EventInfo {
    DISPID dispid;
    const char* name;
    std::span<const ParamInfo> params;
    const char* help;
};

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

const TypeLibraryInfo& TypeLibrary();

// The member with that dispatch id and kind, or nullptr.
const MemberInfo* FindMember(DISPID dispid, MemberKind kind);

// The dispatch id of a member name, compared without regard to letter case; DISPID_UNKNOWN
// when there is none.
DISPID FindDispId(std::string_view name);

// The type library as IDL text.
std::string TypeLibraryIdl();

}  // namespace lumbrook::automation

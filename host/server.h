// How the host reaches the server: through its registration by ProgID, or else by loading
// liblumbrook.so from the installed library folder or from beside itself; it asks the class
// factory for a Lumbrook object and talks to it through _Lumbrook only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumbrook/com_ptr.h"
#include "lumbrook/lumbrook.h"

namespace lumbrook::host {

using LumbrookPtr = platform::ComPtr<_Lumbrook>;

// The places an unregistered server library is looked for, in order: the installed library
// folder relative to this program, then the program's own folder (a build tree).
std::vector<std::string> ServerCandidates();

// The first of ServerCandidates() that exists; empty, with `error` listing every place looked
// in, when there is none.
std::string FindServer(std::string& error);

// Creates a Lumbrook object. On failure returns null and sets `error` to a sentence for the
// user.
LumbrookPtr CreateLumbrook(std::string& error);

// The thread's error info after a failed call, as "description (0x800403EC)"; the number
// alone when the object left no error info.
std::string DescribeError(HRESULT hr);

// Prints "lumbrook: <what>: <DescribeError(hr)>" on stderr and returns kExitObjectError.
int ReportObjectError(const std::string& what, HRESULT hr);

// Helpers for the common calls. Each returns the HRESULT of the member.
HRESULT GetText(_Lumbrook& object, HRESULT (_Lumbrook::*getter)(BSTR*), std::string& out);
HRESULT PutText(_Lumbrook& object, HRESULT (_Lumbrook::*setter)(BSTR), const std::string& text);

// The text of a BSTR an interface handed out, as UTF-8; frees the BSTR.
std::string TakeText(BSTR text);

// `connection` for a screen, as the library masks it: every password the providers would
// send written as ***. Nothing, with the error reported, when the library cannot mask it.
std::optional<std::string> MaskedConnection(_Lumbrook& object, const std::string& connection);

// The object's ILumbrookHostSupport; null, with the error reported, when it has none.
platform::ComPtr<ILumbrookHostSupport> HostSupport(_Lumbrook& object);
// The object's ILumbrookHostSupport2; null, with the error reported, when it has none (a
// server library older than this program).
platform::ComPtr<ILumbrookHostSupport2> HostSupport2(_Lumbrook& object);
// The object's ILumbrookHostSupport3, as HostSupport2.
platform::ComPtr<ILumbrookHostSupport3> HostSupport3(_Lumbrook& object);

}  // namespace lumbrook::host

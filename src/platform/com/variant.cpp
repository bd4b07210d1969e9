// VARIANT handling and the conversions between the automation types the program uses:
// VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL and VT_BSTR, by value or by reference (plus VT_UI1,
// VT_R4 and VT_I8 as sources, which some hosts pass for small numbers).
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "lumbrook/bstr.h"
#include "platform/base/ascii_case.h"
#include "platform/base/round_half_even.h"

namespace {

// Reads a VARIANT, following one level of VT_BYREF (and VT_VARIANT|VT_BYREF), into a plain
// value of one of the kinds below.
struct Plain {
    // BadType: a VT_VARIANT|VT_BYREF that refers to another one, which the platform refuses.
    enum Kind { Empty, Integer, Real, Boolean, Text, Unsupported, BadType } kind = Empty;
    long long integer = 0;
    double real = 0;
    bool boolean = false;
    std::string text;
};

// `nested` is true for the VARIANT that a VT_VARIANT|VT_BYREF refers to: it is read as it
// stands, but may not refer on to a further VARIANT. A chain of such references, or one that
// refers to itself, would otherwise be followed until the stack ran out.
Plain ReadPlain(const VARIANT* v, bool nested = false) {
    Plain p;
    VARTYPE vt = v->vt;
    const bool byRef = (vt & VT_BYREF) != 0;
    vt = static_cast<VARTYPE>(vt & ~VT_BYREF);
    if (byRef && v->u.byref == nullptr) {
        p.kind = Plain::Unsupported;
        return p;
    }
    switch (vt) {
        case VT_EMPTY:
            p.kind = Plain::Empty;
            break;
        case VT_I2:
            p.kind = Plain::Integer;
            p.integer = byRef ? *v->u.piVal : v->u.iVal;
            break;
        case VT_I4:
            p.kind = Plain::Integer;
            p.integer = byRef ? *v->u.plVal : v->u.lVal;
            break;
        case VT_UI1:
            p.kind = Plain::Integer;
            p.integer = byRef ? *static_cast<const BYTE*>(v->u.byref) : v->u.bVal;
            break;
        case VT_I8:
            p.kind = Plain::Integer;
            p.integer = byRef ? *static_cast<const LONGLONG*>(v->u.byref) : v->u.llVal;
            break;
        case VT_R4:
            p.kind = Plain::Real;
            p.real = byRef ? *static_cast<const FLOAT*>(v->u.byref) : v->u.fltVal;
            break;
        case VT_R8:
            p.kind = Plain::Real;
            p.real = byRef ? *v->u.pdblVal : v->u.dblVal;
            break;
        case VT_BOOL:
            p.kind = Plain::Boolean;
            p.boolean = (byRef ? *v->u.pboolVal : v->u.boolVal) != VARIANT_FALSE;
            break;
        case VT_BSTR:
            p.kind = Plain::Text;
            p.text = lumbrook::platform::Utf8FromBstr(byRef ? *v->u.pbstrVal : v->u.bstrVal);
            break;
        case VT_VARIANT:
            if (byRef && !nested)
                return ReadPlain(v->u.pvarVal, true);
            p.kind = byRef ? Plain::BadType : Plain::Unsupported;
            break;
        default:
            p.kind = Plain::Unsupported;
            break;
    }
    return p;
}

// The text without spaces and tabs around it, as a number in text is read.
std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A text as a number: the whole text, blanks around it aside, with "." as the decimal point
// whatever the locale.
HRESULT TextToReal(const std::string& text, double& out) {
    const std::string t = Trim(text);
    if (t.empty())
        return DISP_E_TYPEMISMATCH;
    const char* begin = t.data();
    if (*begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, t.data() + t.size(), out);
    if (result.ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (result.ec != std::errc() || result.ptr != t.data() + t.size())
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

// A value as a double: empty is 0, True is -1, and a text may be True, False or a number.
HRESULT ToReal(const Plain& p, double& out) {
    switch (p.kind) {
        case Plain::Empty:
            out = 0;
            return S_OK;
        case Plain::Integer:
            out = static_cast<double>(p.integer);
            return S_OK;
        case Plain::Real:
            out = p.real;
            return S_OK;
        case Plain::Boolean:
            out = p.boolean ? -1 : 0;
            return S_OK;
        case Plain::Text:
            if (lumbrook::platform::EqualsIgnoringAsciiCase(Trim(p.text), "True")) {
                out = -1;
                return S_OK;
            }
            if (lumbrook::platform::EqualsIgnoringAsciiCase(Trim(p.text), "False")) {
                out = 0;
                return S_OK;
            }
            return TextToReal(p.text, out);
        case Plain::Unsupported:
        case Plain::BadType:
            break;
    }
    return DISP_E_TYPEMISMATCH;
}

// Integers take the nearest whole number, halves going to the even neighbour, as the
// platform's conversions do.
HRESULT ToInteger(const Plain& p, long long min, long long max, long long& out) {
    if (p.kind == Plain::Integer) {
        if (p.integer < min || p.integer > max)
            return DISP_E_OVERFLOW;
        out = p.integer;
        return S_OK;
    }
    double real = 0;
    const HRESULT hr = ToReal(p, real);
    if (FAILED(hr))
        return hr;
    if (std::isnan(real))
        return DISP_E_OVERFLOW;
    const double rounded = lumbrook::platform::RoundHalfEven(real);
    if (rounded < static_cast<double>(min) || rounded > static_cast<double>(max)) {
        return DISP_E_OVERFLOW;
    }
    out = static_cast<long long>(rounded);
    return S_OK;
}

// A value as a boolean: any value that reads as a nonzero number is true.
HRESULT ToBoolean(const Plain& p, bool& out) {
    if (p.kind == Plain::Boolean) {
        out = p.boolean;
        return S_OK;
    }
    double real = 0;
    const HRESULT hr = ToReal(p, real);
    if (FAILED(hr))
        return hr;
    out = real != 0;
    return S_OK;
}

// A double as text, in the shortest form that reads back as the same double.
std::string RealToText(double value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// A value as text: empty is "", booleans are True and False, numbers in plain decimal.
HRESULT ToText(const Plain& p, std::string& out) {
    switch (p.kind) {
        case Plain::Empty:
            out.clear();
            return S_OK;
        case Plain::Integer:
            out = std::to_string(p.integer);
            return S_OK;
        case Plain::Real:
            out = RealToText(p.real);
            return S_OK;
        case Plain::Boolean:
            out = p.boolean ? "True" : "False";
            return S_OK;
        case Plain::Text:
            out = p.text;
            return S_OK;
        case Plain::Unsupported:
        case Plain::BadType:
            break;
    }
    return DISP_E_TYPEMISMATCH;
}

}  // namespace

extern "C" {

// Makes the VARIANT VT_EMPTY without freeing what it held.
void VariantInit(VARIANT* pvarg) {
    if (pvarg == nullptr)
        return;
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
}

// Frees what the VARIANT owns (a BSTR, a reference to an interface) and makes it VT_EMPTY.
// A VT_BYREF variant owns nothing.
HRESULT VariantClear(VARIANT* pvarg) {
    if (pvarg == nullptr)
        return E_INVALIDARG;
    if ((pvarg->vt & VT_BYREF) == 0) {
        switch (pvarg->vt) {
            case VT_BSTR:
                SysFreeString(pvarg->u.bstrVal);
                break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                if (pvarg->u.punkVal != nullptr)
                    pvarg->u.punkVal->Release();
                break;
            default:
                break;
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

// Clears the destination and makes it a copy of the source, with a BSTR of its own and a
// reference of its own to an interface; a failure leaves the destination as it was.
HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    VARIANT copy = *pvargSrc;
    if (copy.vt == VT_BSTR && copy.u.bstrVal != nullptr) {
        copy.u.bstrVal = SysAllocStringLen(copy.u.bstrVal, SysStringLen(copy.u.bstrVal));
        if (copy.u.bstrVal == nullptr)
            return E_OUTOFMEMORY;
    } else if ((copy.vt == VT_UNKNOWN || copy.vt == VT_DISPATCH) && copy.u.punkVal != nullptr) {
        copy.u.punkVal->AddRef();
    }
    VariantClear(pvargDest);
    *pvargDest = copy;
    return S_OK;
}

// Converts the source, read through one VT_BYREF, to `vt` (VT_EMPTY, VT_I2, VT_I4, VT_R8,
// VT_BOOL or VT_BSTR) into the destination, which is cleared first.
HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt) {
    (void)wFlags;  // no conversion flag changes the behaviour for these types
    if (pvargDest == nullptr || pvarSrc == nullptr)
        return E_INVALIDARG;
    const Plain p = ReadPlain(pvarSrc);
    if (p.kind == Plain::BadType)
        return DISP_E_BADVARTYPE;
    if (p.kind == Plain::Unsupported)
        return DISP_E_TYPEMISMATCH;

    // The result is built aside, so a failure leaves the destination as it was and the
    // source and destination may be the same VARIANT.
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = S_OK;
    long long integer = 0;
    switch (vt) {
        case VT_I2:
            hr = ToInteger(p, INT16_MIN, INT16_MAX, integer);
            result.u.iVal = static_cast<SHORT>(integer);
            break;
        case VT_I4:
            hr = ToInteger(p, INT32_MIN, INT32_MAX, integer);
            result.u.lVal = static_cast<LONG>(integer);
            break;
        case VT_R8:
            hr = ToReal(p, result.u.dblVal);
            break;
        case VT_BOOL: {
            bool b = false;
            hr = ToBoolean(p, b);
            result.u.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        }
        case VT_BSTR: {
            std::string text;
            hr = ToText(p, text);
            if (SUCCEEDED(hr)) {
                result.u.bstrVal = lumbrook::platform::BstrFromUtf8(text);
                if (result.u.bstrVal == nullptr)
                    hr = E_OUTOFMEMORY;
            }
            break;
        }
        case VT_EMPTY:
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    if (FAILED(hr))
        return hr;
    result.vt = vt;
    VariantClear(pvargDest);
    *pvargDest = result;
    return S_OK;
}

}  // extern "C"

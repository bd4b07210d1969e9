// Late binding for the object: names to dispatch ids, and Invoke for methods, property gets
// and puts, with the arguments converted the way automation hosts expect. Every call goes
// through the same vtable members an early-bound host uses, so both see one behaviour.
#include <string>

#include "automation/lumbrook_object.h"
#include "automation/type_library.h"
#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/utf16.h"
#include "platform/base/ascii_case.h"

namespace lumbrook::automation {
namespace {

using platform::ComPtr;

// The value of a converted argument, with the storage it needs.
struct Argument {
    VARIANT value;
    Argument() { VariantInit(&value); }
    ~Argument() { VariantClear(&value); }
    Argument(const Argument&) = delete;
    Argument& operator=(const Argument&) = delete;
};

// Converts `source` to `type`; DISP_E_TYPEMISMATCH (or DISP_E_OVERFLOW) otherwise.
HRESULT ConvertArgument(const VARIANT& source, VARTYPE type, Argument& out) {
    return VariantChangeType(&out.value, &source, 0, type);
}

// Copies the thread's error info (set by the failing member) into EXCEPINFO.
void FillExcepInfo(HRESULT hr, EXCEPINFO* info) {
    if (info == nullptr)
        return;
    *info = EXCEPINFO{};
    info->scode = hr;
    ComPtr<IErrorInfo> error;
    if (GetErrorInfo(0, error.out()) == S_OK && error) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
        // Put it back, so a host that asks GetErrorInfo after Invoke sees it too.
        SetErrorInfo(0, error.get());
    }
}

// Hands `value` (whose storage the caller gives up) to the host's result variant as type
// `vt`, releasing what the result held before; nothing when the host wants no result.
void SetResult(VARIANT* result, VARTYPE vt, const VARIANT& value) {
    if (result == nullptr)
        return;
    VariantClear(result);
    *result = value;
    result->vt = vt;
}

// Runs a property get or method whose value comes back through one out-parameter.
HRESULT CallGet(LumbrookObject& object, const MemberInfo& member, VARIANT* result) {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = E_UNEXPECTED;
    switch (member.dispid) {
        case dispid::Connect:
            hr = object.Connect(&value.u.boolVal);
            break;
        case dispid::DllVersion:
            hr = object.get_DllVersion(&value.u.bstrVal);
            break;
        case dispid::ODBCString:
            hr = object.get_ODBCString(&value.u.bstrVal);
            break;
        case dispid::minMass:
            hr = object.get_minMass(&value.u.dblVal);
            break;
        case dispid::maxMass:
            hr = object.get_maxMass(&value.u.dblVal);
            break;
        case dispid::S2N:
            hr = object.get_S2N(&value.u.dblVal);
            break;
        case dispid::Monoisotopic:
            hr = object.get_Monoisotopic(&value.u.iVal);
            break;
        case dispid::ShowDataBrowser:
            hr = object.ShowDataBrowser(&value.u.boolVal);
            break;
        case dispid::Descriptor:
            hr = object.get_Descriptor(&value.u.bstrVal);
            break;
        case dispid::MSType:
            hr = object.get_MSType(&value.u.bstrVal);
            break;
        case dispid::JobRunID:
            hr = object.get_JobRunID(&value.u.lVal);
            break;
        case dispid::JobRunItemID:
            hr = object.get_JobRunItemID(&value.u.lVal);
            break;
        case dispid::DescriptorList:
            hr = object.get_DescriptorList(&value.u.bstrVal);
            break;
        case dispid::AllSpectra:
            hr = object.get_AllSpectra(&value.u.boolVal);
            break;
        default:
            break;
    }
    if (SUCCEEDED(hr)) {
        if (result != nullptr) {
            SetResult(result, member.type, value);
        } else if (member.type == VT_BSTR) {
            SysFreeString(value.u.bstrVal);
        }
    }
    return hr;
}

// Runs a property put with `value`, already converted to the property's type.
HRESULT CallPut(LumbrookObject& object, const MemberInfo& member, const VARIANT& value) {
    switch (member.dispid) {
        case dispid::ODBCString:
            return object.put_ODBCString(value.u.bstrVal);
        case dispid::minMass:
            return object.put_minMass(value.u.dblVal);
        case dispid::maxMass:
            return object.put_maxMass(value.u.dblVal);
        case dispid::S2N:
            return object.put_S2N(value.u.dblVal);
        case dispid::Monoisotopic:
            return object.put_Monoisotopic(value.u.iVal);
        case dispid::Descriptor:
            return object.put_Descriptor(value.u.bstrVal);
        case dispid::MSType:
            return object.put_MSType(value.u.bstrVal);
        case dispid::JobRunID:
            return object.put_JobRunID(value.u.lVal);
        case dispid::JobRunItemID:
            return object.put_JobRunItemID(value.u.lVal);
        case dispid::DescriptorList:
            return object.put_DescriptorList(value.u.bstrVal);
        case dispid::AllSpectra:
            return object.put_AllSpectra(value.u.boolVal);
        default:
            return E_UNEXPECTED;
    }
}

// DoExport takes its file name by reference: a VT_BSTR|VT_BYREF argument is passed through
// as the caller's own string, so the member sees (and could update) the host's variable;
// anything else is converted into a temporary string first.
HRESULT CallDoExport(LumbrookObject& object, VARIANT& arg, VARIANT* result, bool& badArgument) {
    badArgument = false;
    VARIANT_BOOL done = VARIANT_FALSE;
    HRESULT hr;
    if (arg.vt == (VT_BSTR | VT_BYREF) && arg.u.pbstrVal != nullptr) {
        hr = object.DoExport(arg.u.pbstrVal, &done);
    } else {
        Argument file;
        hr = ConvertArgument(arg, VT_BSTR, file);
        if (FAILED(hr)) {
            badArgument = true;
            return hr;
        }
        hr = object.DoExport(&file.value.u.bstrVal, &done);
    }
    if (SUCCEEDED(hr) && result != nullptr) {
        VARIANT value;
        VariantInit(&value);
        value.u.boolVal = done;
        SetResult(result, VT_BOOL, value);
    }
    return hr;
}

}  // namespace

HRESULT LumbrookObject::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr)
        return E_POINTER;
    // The type information is offered as IDL text through ILumbrookHostSupport.
    *pctinfo = 0;
    return S_OK;
}

HRESULT LumbrookObject::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr)
        return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT LumbrookObject::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                      DISPID* rgDispId) {
    if (rgszNames == nullptr || rgDispId == nullptr)
        return E_POINTER;
    if (cNames == 0)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    const std::u16string_view first(rgszNames[0] == nullptr ? u"" : rgszNames[0]);
    rgDispId[0] = FindDispId(platform::Utf16ToUtf8(first));
    if (rgDispId[0] == DISPID_UNKNOWN)
        hr = DISP_E_UNKNOWNNAME;
    // Names after the first are parameter names; only DoExport has one.
    for (UINT i = 1; i < cNames; ++i) {
        const std::string name =
            platform::Utf16ToUtf8(rgszNames[i] == nullptr ? u"" : rgszNames[i]);
        const MemberInfo* member = FindMember(rgDispId[0], MemberKind::Method);
        if (member != nullptr && member->param != nullptr &&
            platform::EqualsIgnoringAsciiCase(name, member->param->name)) {
            rgDispId[i] = 0;
        } else {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT LumbrookObject::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                               DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                               UINT* puArgErr) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    DISPPARAMS& params = pDispParams != nullptr ? *pDispParams : none;
    if (params.cArgs > 0 && params.rgvarg == nullptr)
        return E_INVALIDARG;

    HRESULT hr = S_OK;
    if ((wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
        const MemberInfo* member = FindMember(dispIdMember, MemberKind::PropertyPut);
        if (member == nullptr)
            return DISP_E_MEMBERNOTFOUND;
        if (params.cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs == nullptr ||
            params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
        Argument value;
        hr = ConvertArgument(params.rgvarg[0], member->type, value);
        if (FAILED(hr)) {
            if (puArgErr != nullptr)
                *puArgErr = 0;
            return hr;
        }
        hr = CallPut(*this, *member, value.value);
    } else if ((wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0) {
        // Hosts often pass METHOD|PROPERTYGET for both; a method is looked for first.
        const MemberInfo* member = nullptr;
        if ((wFlags & DISPATCH_METHOD) != 0)
            member = FindMember(dispIdMember, MemberKind::Method);
        if (member == nullptr && (wFlags & DISPATCH_PROPERTYGET) != 0) {
            member = FindMember(dispIdMember, MemberKind::PropertyGet);
        }
        if (member == nullptr)
            return DISP_E_MEMBERNOTFOUND;
        if (params.cNamedArgs != 0)
            return DISP_E_NONAMEDARGS;
        const UINT expected = member->param != nullptr ? 1 : 0;
        if (params.cArgs != expected)
            return DISP_E_BADPARAMCOUNT;
        if (member->dispid == dispid::DoExport) {
            bool badArgument = false;
            hr = CallDoExport(*this, params.rgvarg[0], pVarResult, badArgument);
            if (badArgument) {
                if (puArgErr != nullptr)
                    *puArgErr = 0;
                return hr;
            }
        } else if (member->dispid == dispid::Cancel) {
            hr = Cancel();
        } else {
            hr = CallGet(*this, *member, pVarResult);
        }
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }

    if (FAILED(hr)) {
        FillExcepInfo(hr, pExcepInfo);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

}  // namespace lumbrook::automation

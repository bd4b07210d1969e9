// ILumbrookHostSupport3: the format of the object's exports, and the names and extensions of
// the formats, so that hosts choose a format by a file's name as the library does.
#include <string>

#include "automation/lumbrook_object.h"
#include "export/output_format.h"
#include "lumbrook/bstr.h"
#include "platform/com/error_info.h"

namespace lumbrook::automation {
namespace {

constexpr const char* kOutputFormatError = "OutputFormat must be QPK, mzML or mzXML";

HRESULT ReturnText(std::string_view text, BSTR* pText) {
    *pText = platform::BstrFromUtf8(text);
    return *pText == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace

HRESULT LumbrookObject::get_OutputFormat(BSTR* pFormat) {
    if (pFormat == nullptr)
        return E_POINTER;
    return ReturnText(exporting::FormatName(output_.format), pFormat);
}

HRESULT LumbrookObject::put_OutputFormat(BSTR Format) {
    const auto format = exporting::ParseFormat(platform::Utf8FromBstr(Format));
    if (!format)
        return platform::RaiseError(E_INVALIDARG, kErrorSource, kOutputFormatError);
    output_.format = *format;
    return S_OK;
}

HRESULT LumbrookObject::FormatOfFileName(BSTR File, BSTR* pFormat) {
    if (pFormat == nullptr)
        return E_POINTER;
    return ReturnText(
        exporting::FormatName(exporting::FormatOfFileName(platform::Utf8FromBstr(File))), pFormat);
}

HRESULT LumbrookObject::GetFormatExtension(BSTR Format, BSTR* pExtension) {
    if (pExtension == nullptr)
        return E_POINTER;
    *pExtension = nullptr;
    const auto format = exporting::ParseFormat(platform::Utf8FromBstr(Format));
    if (!format)
        return platform::RaiseError(E_INVALIDARG, kErrorSource, kOutputFormatError);
    return ReturnText(exporting::FileNameExtension(*format), pExtension);
}

}  // namespace lumbrook::automation

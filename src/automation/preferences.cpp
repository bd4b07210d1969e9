// GetPreference, SavePreference and DeletePreference: the two preferences a new object reads,
// for hosts that show and change them (the command line's `config`), stored by the same rules
// as the connection dialog's Save.
#include <strings.h>  // strcasecmp

#include "automation/lumbrook_object.h"
#include "lumbrook/bstr.h"
#include "platform/com/error_info.h"
#include "settings/filter_fields.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::automation {
namespace {

// The stored name of a preference named without regard to case, as the registry matches
// names; null for a name that is no preference.
const char* PreferenceName(BSTR name) {
    const std::string text = platform::Utf8FromBstr(name);
    for (const char* known : {settings::kODBCConnect, settings::kFilter}) {
        if (strcasecmp(text.c_str(), known) == 0)
            return known;
    }
    return nullptr;
}

HRESULT UnknownPreference(BSTR name) {
    return platform::RaiseError(
        E_INVALIDARG, kErrorSource,
        "'" + platform::Utf8FromBstr(name) + "' is no preference; they are ODBCConnect and Filter");
}

}  // namespace

HRESULT LumbrookObject::GetPreference(BSTR Name, BSTR* pValue, VARIANT_BOOL* pStored) {
    if (pValue == nullptr || pStored == nullptr)
        return E_POINTER;
    *pValue = nullptr;
    const char* name = PreferenceName(Name);
    if (name == nullptr)
        return UnknownPreference(Name);
    const settings::TaggedValue value =
        settings::ReadSetting(settings::kAppName, settings::kSection, name);
    *pStored = settings::IsEmpty(value) ? VARIANT_FALSE : VARIANT_TRUE;
    *pValue = platform::BstrFromUtf8(settings::IsEmpty(value) ? "" : settings::ToText(value));
    return *pValue == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT LumbrookObject::SavePreference(BSTR Name, BSTR Value) {
    const char* name = PreferenceName(Name);
    if (name == nullptr)
        return UnknownPreference(Name);
    std::string text = platform::Utf8FromBstr(Value);
    if (name == settings::kODBCConnect) {
        text = settings::ConnectionTextToStore(text);
    } else if (const std::string problem = settings::FilterTextProblem(text); !problem.empty()) {
        return platform::RaiseError(E_INVALIDARG, kErrorSource, problem);
    }
    settings::WriteSetting(settings::kAppName, settings::kSection, name, text);
    // The store reports no failure of its own: the value read back tells whether it took.
    const settings::TaggedValue stored =
        settings::ReadSetting(settings::kAppName, settings::kSection, name);
    if (settings::IsEmpty(stored) || settings::ToText(stored) != text) {
        return platform::RaiseError(E_FAIL, kErrorSource,
                                    std::string("The preference ") + name + " could not be stored");
    }
    return S_OK;
}

HRESULT LumbrookObject::DeletePreference(BSTR Name) {
    const char* name = PreferenceName(Name);
    if (name == nullptr)
        return UnknownPreference(Name);
    if (!settings::DeleteSetting(settings::kAppName, settings::kSection, name)) {
        return platform::RaiseError(
            E_FAIL, kErrorSource, std::string("The preference ") + name + " could not be removed");
    }
    return S_OK;
}

}  // namespace lumbrook::automation

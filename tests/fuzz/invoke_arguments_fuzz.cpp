// libFuzzer target: Invoke's argument conversion on any arguments a late-bound host could
// pass. The input chooses a member, the dispatch flags, the argument count and each
// argument's type, by value or by reference, including VT_VARIANT references to other
// arguments, to themselves or to a further reference. Every call must answer with one of the
// documented error codes, never crash or recurse, and a failing VariantChangeType must leave
// its destination alone.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "automation/lumbrook_object.h"
#include "automation/type_library.h"
#include "lumbrook/bstr.h"
#include "lumbrook/lumbrook.h"
#include "support/test_environment.h"

namespace {

// The input, read byte by byte; zeros once it runs out.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint64_t Bits() {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | Byte();
        return bits;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The types an argument can have. VT_DISPATCH and VT_UNKNOWN carry null pointers; the last
// entries are types the conversion does not know.
constexpr VARTYPE kTypes[] = {VT_EMPTY,   VT_NULL, VT_I2,       VT_I4,    VT_R4,   VT_R8,
                              VT_DATE,    VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT,
                              VT_UNKNOWN, VT_I1,   VT_UI1,      VT_UI2,   VT_UI4,  VT_I8,
                              VT_UI8,     VT_INT,  VT_UINT,     36,       0x0FFF};

// The members called: everything but Connect, DoExport and ShowDataBrowser, which reach a
// database, a file or a window.
namespace dispid = lumbrook::automation::dispid;
constexpr DISPID kMembers[] = {
    dispid::ODBCString,   dispid::minMass,        dispid::maxMass,    dispid::S2N,
    dispid::Monoisotopic, dispid::Descriptor,     dispid::MSType,     dispid::JobRunID,
    dispid::JobRunItemID, dispid::DescriptorList, dispid::AllSpectra, dispid::DllVersion,
    dispid::Cancel};
constexpr DISPID kExcluded[] = {dispid::Connect, dispid::DoExport, dispid::ShowDataBrowser};

_Lumbrook* TheObject() {
    static _Lumbrook* const object = [] {
        // The object reads the preferences when it is made: never the real ones.
        static const lumbrook::testing::ScopedConfigHome home;
        return static_cast<_Lumbrook*>(lumbrook::automation::LumbrookObject::Create());
    }();
    return object;
}

// One argument with the storage a reference to it points at.
struct Slot {
    VARIANT value;
    VARIANT nested;                                  // what a VT_VARIANT reference may point at
    alignas(8) unsigned char cell[sizeof(VARIANT)];  // what a scalar reference points at
    std::vector<BSTR> texts;                         // freed at the end
};

BSTR TextFrom(Input& in, Slot& slot) {
    std::u16string text(in.Byte() % 24, u'\0');
    for (char16_t& c : text)
        c = static_cast<char16_t>(in.Byte() % 4 == 0 ? in.Byte()
                                                     : u"0123456789.-+eE &HTrue"[in.Byte() % 22]);
    BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    slot.texts.push_back(bstr);
    return bstr;
}

// Fills `v` with a plain value of `type` from the input; references point into the slot.
void FillValue(Input& in, Slot& slot, VARIANT& v, VARTYPE type, bool byRef) {
    VariantInit(&v);
    v.vt = static_cast<VARTYPE>(type | (byRef ? VT_BYREF : 0));
    const std::uint64_t bits = in.Bits();
    if (!byRef) {
        if (type == VT_BSTR)
            v.u.bstrVal = in.Byte() % 8 == 0 ? nullptr : TextFrom(in, slot);
        else if (type != VT_DISPATCH && type != VT_UNKNOWN && type != VT_VARIANT)
            std::memcpy(&v.u.llVal, &bits, sizeof bits);
        return;
    }
    std::memset(slot.cell, 0, sizeof slot.cell);
    if (type == VT_BSTR) {
        BSTR text = TextFrom(in, slot);
        std::memcpy(slot.cell, &text, sizeof text);
    } else {
        std::memcpy(slot.cell, &bits, sizeof bits);
    }
    v.u.byref = in.Byte() % 16 == 0 ? nullptr : slot.cell;
}

void FillArgument(Input& in, std::vector<Slot>& slots, std::size_t index) {
    Slot& slot = slots[index];
    const std::uint8_t choice = in.Byte();
    const VARTYPE type = kTypes[in.Byte() % std::size(kTypes)];
    switch (choice % 4) {
        case 0:
        case 1:
            FillValue(in, slot, slot.value, type, choice % 4 == 1);
            break;
        case 2:
            // A VT_VARIANT reference to a value or scalar reference, or on to a reference to
            // this very argument: one level is followed, the second refused.
            VariantInit(&slot.value);
            slot.value.vt = VT_VARIANT | VT_BYREF;
            slot.value.u.pvarVal = &slot.nested;
            if (choice & 0x10) {
                VariantInit(&slot.nested);
                slot.nested.vt = VT_VARIANT | VT_BYREF;
                slot.nested.u.pvarVal = &slot.value;
            } else {
                FillValue(in, slot, slot.nested, type, (choice & 0x20) != 0);
            }
            break;
        default:
            // A VT_VARIANT reference to any argument, this one included.
            VariantInit(&slot.value);
            slot.value.vt = VT_VARIANT | VT_BYREF;
            slot.value.u.pvarVal = &slots[in.Byte() % slots.size()].value;
            break;
    }
}

bool IsConversionError(HRESULT hr) {
    return hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_BADVARTYPE ||
           hr == E_OUTOFMEMORY;
}

bool IsInvokeAnswer(HRESULT hr) {
    return hr == S_OK || IsConversionError(hr) || hr == DISP_E_BADPARAMCOUNT ||
           hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_PARAMNOTFOUND || hr == DISP_E_NONAMEDARGS ||
           hr == DISP_E_EXCEPTION || hr == E_INVALIDARG;
}

// Every conversion of the argument either succeeds with the asked type or fails and leaves
// the destination as it was.
void CheckConversions(const VARIANT& argument) {
    for (VARTYPE to : {VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE}) {
        VARIANT dest;
        VariantInit(&dest);
        dest.vt = VT_I4;
        dest.u.lVal = 0x5A5A;
        const HRESULT hr = VariantChangeType(&dest, &argument, 0, to);
        if (FAILED(hr) && (!IsConversionError(hr) || dest.vt != VT_I4 || dest.u.lVal != 0x5A5A))
            __builtin_trap();
        if (SUCCEEDED(hr) && dest.vt != to)
            __builtin_trap();
        VariantClear(&dest);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t member = in.Byte();
    DISPID id = kMembers[member % std::size(kMembers)];
    if (member >= 0xF0) {
        // Any other dispatch id, as long as it is none of the members left out.
        id = static_cast<DISPID>(static_cast<std::int8_t>(in.Byte()));
        for (DISPID excluded : kExcluded) {
            if (id == excluded)
                return 0;
        }
    }
    const WORD flags = static_cast<WORD>(in.Byte() & 0x0F);
    const std::uint8_t shape = in.Byte();
    const UINT count = shape % 5;

    std::vector<Slot> slots(count == 0 ? 1 : count);
    for (Slot& slot : slots)
        VariantInit(&slot.value);
    for (std::size_t i = 0; i < count; ++i)
        FillArgument(in, slots, i);
    std::vector<VARIANT> arguments;
    for (std::size_t i = 0; i < count; ++i)
        arguments.push_back(slots[i].value);

    DISPID named = (shape & 0x20) != 0 ? static_cast<DISPID>(in.Byte()) : DISPID_PROPERTYPUT;
    DISPPARAMS params{count == 0 ? nullptr : arguments.data(), &named, count,
                      (shape & 0x40) != 0 ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argErr = 0;
    const HRESULT hr =
        TheObject()->Invoke(id, GUID_NULL, 0, flags, &params,
                            (shape & 0x80) != 0 ? nullptr : &result, &exception, &argErr);
    if (!IsInvokeAnswer(hr))
        __builtin_trap();
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);

    for (std::size_t i = 0; i < count; ++i)
        CheckConversions(arguments[i]);
    for (Slot& slot : slots) {
        for (BSTR text : slot.texts)
            SysFreeString(text);
    }
    return 0;
}

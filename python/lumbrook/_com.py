"""The binary interface as ctypes sees it: the platform's types, its BSTR and VARIANT
functions, GUIDs, calls through a vtable slot, and finding and loading the two libraries.

The layouts are the platform's: HRESULT a signed 32-bit integer, OLECHAR 16-bit UTF-16 code
units, a BSTR allocated by the platform library's SysAllocString (never by Python), a
VARIANT of 24 bytes (a 16-bit type, three reserved words and a 16-byte value union)."""

import ctypes
import ctypes.util
import os
import sysconfig

HRESULT = ctypes.c_int32
ULONG = ctypes.c_uint32
DWORD = ctypes.c_uint32
WORD = ctypes.c_uint16
LONG = ctypes.c_int32
LCID = ctypes.c_uint32
DISPID = ctypes.c_int32
VARIANT_BOOL = ctypes.c_int16
BSTR = ctypes.c_void_p  # kept as an address: Python never owns the text it points at

S_OK = 0
E_NOINTERFACE = 0x80004002
E_POINTER = 0x80004003
E_FAIL = 0x80004005
REGDB_E_CLASSNOTREG = 0x80040154
CO_E_CLASSSTRING = 0x800401F3
DISP_E_MEMBERNOTFOUND = 0x80020003
DISP_E_UNKNOWNNAME = 0x80020006
DISP_E_EXCEPTION = 0x80020009
DISP_E_BADPARAMCOUNT = 0x8002000E

VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8 = 0, 1, 2, 3, 4, 5
VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL = 8, 9, 10, 11
VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT = 16, 17, 18, 19, 20, 21, 22, 23
VT_BYREF = 0x4000

DISPATCH_METHOD = 0x1
DISPATCH_PROPERTYGET = 0x2
DISPATCH_PROPERTYPUT = 0x4
DISPID_PROPERTYPUT = -3

CLSCTX_INPROC_SERVER = 0x1


def unsigned(hr):
    """An HRESULT as the unsigned number it is usually written as (0x800403F0)."""
    return hr & 0xFFFFFFFF


def failed(hr):
    return unsigned(hr) & 0x80000000 != 0


class GUID(ctypes.Structure):
    _fields_ = [("Data1", ctypes.c_uint32), ("Data2", ctypes.c_uint16),
                ("Data3", ctypes.c_uint16), ("Data4", ctypes.c_uint8 * 8)]

    def __eq__(self, other):
        return isinstance(other, GUID) and bytes(self) == bytes(other)

    def __hash__(self):
        return hash(bytes(self))

    def __str__(self):
        d4 = bytes(self.Data4)
        return "{%08X-%04X-%04X-%s-%s}" % (self.Data1, self.Data2, self.Data3,
                                           d4[:2].hex().upper(), d4[2:].hex().upper())


class _Value(ctypes.Union):
    _fields_ = [("llVal", ctypes.c_int64), ("lVal", ctypes.c_int32), ("bVal", ctypes.c_uint8),
                ("iVal", ctypes.c_int16), ("fltVal", ctypes.c_float),
                ("dblVal", ctypes.c_double), ("boolVal", VARIANT_BOOL),
                ("scode", ctypes.c_int32), ("byref", ctypes.c_void_p),
                ("record", ctypes.c_void_p * 2)]


class VARIANT(ctypes.Structure):
    _fields_ = [("vt", ctypes.c_uint16), ("wReserved1", WORD), ("wReserved2", WORD),
                ("wReserved3", WORD), ("u", _Value)]


class DISPPARAMS(ctypes.Structure):
    _fields_ = [("rgvarg", ctypes.POINTER(VARIANT)), ("rgdispidNamedArgs", ctypes.POINTER(DISPID)),
                ("cArgs", ctypes.c_uint32), ("cNamedArgs", ctypes.c_uint32)]


class EXCEPINFO(ctypes.Structure):
    _fields_ = [("wCode", WORD), ("wReserved", WORD), ("bstrSource", BSTR),
                ("bstrDescription", BSTR), ("bstrHelpFile", BSTR), ("dwHelpContext", DWORD),
                ("pvReserved", ctypes.c_void_p), ("pfnDeferredFillIn", ctypes.c_void_p),
                ("scode", ctypes.c_int32)]


assert ctypes.sizeof(VARIANT) == 24 or ctypes.sizeof(ctypes.c_void_p) != 8


class ComError(Exception):
    """A member or call that failed: `hresult` (unsigned, 0x800403F0 say), and the `source`
    and `description` the object gave with it ("" when it gave none)."""

    def __init__(self, hresult, source="", description=""):
        self.hresult = unsigned(hresult)
        self.source = source or ""
        self.description = description or ""
        text = self.description or "error"
        super().__init__("%s (0x%08X)" % (text, self.hresult))


class MemberNotFoundError(ComError, AttributeError):
    """A name the object does not know: both a ComError and an AttributeError, so that
    hasattr() and getattr() with a default work on the object."""


# --- Finding the libraries -------------------------------------------------------------------

PLATFORM_FILE = "liblumbrook-platform.so.1"
SERVER_FILE = "liblumbrook.so.1"


def library_folders():
    """Where the libraries are looked for, in this order:
    1. $LUMBROOK_LIBRARY_DIR, when set;
    2. the build tree this package lies in (python/lumbrook/ beside build/bin/);
    3. the installed library folder relative to this package (dist-packages/lumbrook/ ->
       ../../../<multiarch>, then ../../..), so that an install unpacked into another root
       finds its own libraries;
    4. the folder of the library the dynamic linker's cache names (ldconfig)."""
    here = os.path.dirname(os.path.abspath(__file__))
    folders = []
    override = os.environ.get("LUMBROOK_LIBRARY_DIR")
    if override:
        folders.append(override)
    folders.append(os.path.normpath(os.path.join(here, "..", "..", "build", "bin")))
    if os.path.basename(os.path.dirname(here)) in ("dist-packages", "site-packages"):
        lib = os.path.normpath(os.path.join(here, "..", "..", ".."))
        multiarch = sysconfig.get_config_var("MULTIARCH")
        if multiarch:
            folders.append(os.path.join(lib, multiarch))
        folders.append(lib)
    return folders


def _find_folder():
    for folder in library_folders():
        if os.path.exists(os.path.join(folder, PLATFORM_FILE)) and \
                os.path.exists(os.path.join(folder, SERVER_FILE)):
            return folder
    return None


class _Libraries:
    platform = None
    server_path = None


_libs = _Libraries()


def platform():
    """The platform library, loaded once. The server library found in the same folder is
    the one the fallback creation loads, so that both come from one install."""
    if _libs.platform is not None:
        return _libs.platform
    folder = _find_folder()
    if folder is not None:
        path = os.path.join(folder, PLATFORM_FILE)
        _libs.server_path = os.path.join(folder, SERVER_FILE)
    else:
        # The dynamic linker's own search: a system install registered with ldconfig.
        path = ctypes.util.find_library("lumbrook-platform") or PLATFORM_FILE
        _libs.server_path = SERVER_FILE
    try:
        lib = ctypes.CDLL(path)
    except OSError as e:
        raise OSError("cannot load %s (looked in %s; set LUMBROOK_LIBRARY_DIR to the folder "
                      "of %s): %s" % (PLATFORM_FILE, ", ".join(library_folders()),
                                      PLATFORM_FILE, e)) from None
    lib.SysAllocStringLen.restype = BSTR
    lib.SysAllocStringLen.argtypes = [ctypes.c_void_p, ctypes.c_uint32]
    lib.SysFreeString.restype = None
    lib.SysFreeString.argtypes = [BSTR]
    lib.SysStringLen.restype = ctypes.c_uint32
    lib.SysStringLen.argtypes = [BSTR]
    lib.VariantInit.restype = None
    lib.VariantInit.argtypes = [ctypes.POINTER(VARIANT)]
    lib.VariantClear.restype = HRESULT
    lib.VariantClear.argtypes = [ctypes.POINTER(VARIANT)]
    lib.GetErrorInfo.restype = HRESULT
    lib.GetErrorInfo.argtypes = [ULONG, ctypes.POINTER(ctypes.c_void_p)]
    lib.CLSIDFromProgID.restype = HRESULT
    lib.CLSIDFromProgID.argtypes = [ctypes.c_void_p, ctypes.POINTER(GUID)]
    lib.CoCreateInstance.restype = HRESULT
    lib.CoCreateInstance.argtypes = [ctypes.POINTER(GUID), ctypes.c_void_p, DWORD,
                                     ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)]
    lib.RegOpenKeyExA.restype = LONG
    lib.RegOpenKeyExA.argtypes = [ctypes.c_void_p, ctypes.c_char_p, DWORD, DWORD,
                                  ctypes.POINTER(ctypes.c_void_p)]
    lib.RegQueryValueExA.restype = LONG
    lib.RegQueryValueExA.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p,
                                     ctypes.POINTER(DWORD), ctypes.c_void_p,
                                     ctypes.POINTER(DWORD)]
    lib.RegCloseKey.restype = LONG
    lib.RegCloseKey.argtypes = [ctypes.c_void_p]
    _libs.platform = lib
    return lib


def server_path():
    platform()
    return _libs.server_path


def guid(name):
    """A GUID the platform library exports (IID_IDispatch, CLSID_Lumbrook, ...)."""
    return GUID.in_dll(platform(), name)


# --- Text ------------------------------------------------------------------------------------

def utf16(text):
    """`text` as a NUL-terminated UTF-16 buffer (an LPOLESTR the callee only reads)."""
    data = text.encode("utf-16-le") + b"\0\0"
    return ctypes.create_string_buffer(data, len(data))


def alloc_bstr(text):
    data = text.encode("utf-16-le")
    bstr = platform().SysAllocStringLen(data, len(data) // 2)
    if not bstr and data:
        raise MemoryError("SysAllocStringLen")
    return bstr


def bstr_text(bstr):
    if not bstr:
        return ""
    length = platform().SysStringLen(bstr)
    return ctypes.string_at(bstr, length * 2).decode("utf-16-le", "replace")


def take_bstr(bstr):
    """The text of a BSTR handed to us, which is freed."""
    try:
        return bstr_text(bstr)
    finally:
        if bstr:
            platform().SysFreeString(bstr)


# --- Vtable calls ----------------------------------------------------------------------------

_prototypes = {}


def vcall(pointer, slot, restype, argtypes, *args):
    """Calls vtable slot `slot` of the interface at address `pointer`."""
    key = (restype, tuple(argtypes))
    prototype = _prototypes.get(key)
    if prototype is None:
        prototype = _prototypes[key] = ctypes.CFUNCTYPE(restype, ctypes.c_void_p, *argtypes)
    vtable = ctypes.cast(pointer, ctypes.POINTER(ctypes.POINTER(ctypes.c_void_p)))[0]
    return prototype(vtable[slot])(pointer, *args)


def query_interface(pointer, iid):
    """The interface `iid` of the object at `pointer`, AddRef'd; None when it has none."""
    out = ctypes.c_void_p()
    hr = vcall(pointer, 0, HRESULT, [ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)],
               ctypes.byref(iid), ctypes.byref(out))
    if failed(hr) or not out.value:
        return None
    return out.value


def add_ref(pointer):
    return vcall(pointer, 1, ULONG, [])


def release(pointer):
    return vcall(pointer, 2, ULONG, [])


def thread_error(hr):
    """A ComError for `hr` with the source and description of the thread's error info."""
    info = ctypes.c_void_p()
    source = description = ""
    if platform().GetErrorInfo(0, ctypes.byref(info)) == S_OK and info.value:
        try:
            text = BSTR()
            if vcall(info.value, 4, HRESULT, [ctypes.POINTER(BSTR)], ctypes.byref(text)) == 0:
                source = take_bstr(text.value)
            text = BSTR()
            if vcall(info.value, 5, HRESULT, [ctypes.POINTER(BSTR)], ctypes.byref(text)) == 0:
                description = take_bstr(text.value)
        finally:
            release(info.value)
    return ComError(hr, source, description)


def check(hr):
    """Raises the thread's error for a failed `hr`; returns `hr` otherwise."""
    if failed(hr):
        raise thread_error(hr)
    return hr


# --- Creating the object ---------------------------------------------------------------------

_HKEY_CURRENT_USER = ctypes.c_void_p(-0x7FFFFFFF)  # (HKEY)(LONG)0x80000001, sign-extended
_KEY_READ = 0x20019
_REG_SZ = 1


def _registered_server(clsid):
    """The library file this user's registration names for `clsid`, or None."""
    lib = platform()
    key = ctypes.c_void_p()
    name = ("Software\\Classes\\CLSID\\%s\\InprocServer32" % clsid).encode()
    if lib.RegOpenKeyExA(_HKEY_CURRENT_USER, name, 0, _KEY_READ, ctypes.byref(key)) != 0:
        return None
    try:
        data = ctypes.create_string_buffer(4096)
        size, kind = DWORD(ctypes.sizeof(data)), DWORD()
        if lib.RegQueryValueExA(key, b"", None, ctypes.byref(kind), data,
                                ctypes.byref(size)) != 0 or kind.value != _REG_SZ:
            return None
        return data.value.decode("utf-8", "surrogateescape") or None
    finally:
        lib.RegCloseKey(key)


def create_instance(progid, iid):
    """A new object of the class `progid`, as interface `iid` (an AddRef'd address).

    A registered ProgID is created through CLSIDFromProgID and CoCreateInstance, as every
    host creates it. Without a registration (a build tree, a fresh install) the class is
    asked of the server library found beside the platform library, through its
    DllGetClassObject, as the command line does."""
    lib = platform()
    clsid = GUID()
    out = ctypes.c_void_p()
    hr = lib.CLSIDFromProgID(utf16(progid), ctypes.byref(clsid))
    if hr == S_OK:
        hr = lib.CoCreateInstance(ctypes.byref(clsid), None, CLSCTX_INPROC_SERVER,
                                  ctypes.byref(iid), ctypes.byref(out))
        if not failed(hr):
            return out.value
        registered = _registered_server(clsid)
        gone = registered is not None and not os.path.exists(registered)
        # A registration whose library an upgrade removed is passed over for the library
        # found without it, as the command line does; one that names a library that does
        # not load is reported, as the user registered it on purpose.
        if unsigned(hr) != REGDB_E_CLASSNOTREG and not gone:
            raise thread_error(hr)
    elif progid.lower() != "lumbrookdll.lumbrook":
        raise ComError(hr, "", "the class %s is not registered" % progid)
    clsid = guid("CLSID_Lumbrook")
    try:
        server = ctypes.CDLL(server_path())
    except OSError as e:
        raise OSError("cannot load the Lumbrook server: %s" % e) from None
    get_class_object = server.DllGetClassObject
    get_class_object.restype = HRESULT
    get_class_object.argtypes = [ctypes.POINTER(GUID), ctypes.POINTER(GUID),
                                 ctypes.POINTER(ctypes.c_void_p)]
    factory = ctypes.c_void_p()
    check(get_class_object(ctypes.byref(clsid), ctypes.byref(guid("IID_IClassFactory")),
                           ctypes.byref(factory)))
    try:
        # IClassFactory::CreateInstance, the slot after IUnknown's three.
        check(vcall(factory.value, 3, HRESULT,
                    [ctypes.c_void_p, ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)],
                    None, ctypes.byref(iid), ctypes.byref(out)))
    finally:
        release(factory.value)
    return out.value

"""Late binding: an object called only through IDispatch (GetIDsOfNames and Invoke), as a
scripting host calls it, and a Python sink for its outgoing events."""

import ctypes
import weakref

from . import _com
from ._com import (BSTR, DISPID, DISPPARAMS, EXCEPINFO, GUID, HRESULT, LCID, ULONG, VARIANT,
                   ComError, MemberNotFoundError)

# IDispatch's slots after IUnknown's three.
_GET_IDS_OF_NAMES = 5
_INVOKE = 6

_IID_NULL = GUID()
_LOCALE = 0


# --- Values ----------------------------------------------------------------------------------

def _to_variant(value, variant, keep, byref=False):
    """Stores `value` in `variant`. A str becomes a BSTR (by reference when `byref`, as a
    scripting host passes a variable); a BSTR allocated here is appended to `keep` for
    freeing after the call."""
    if value is None:
        variant.vt = _com.VT_EMPTY
    elif isinstance(value, bool):
        variant.vt = _com.VT_BOOL
        variant.u.boolVal = -1 if value else 0
    elif isinstance(value, int):
        if not -2**31 <= value < 2**31:
            raise OverflowError("%d does not fit an automation long (32 bits)" % value)
        variant.vt = _com.VT_I4
        variant.u.lVal = value
    elif isinstance(value, float):
        variant.vt = _com.VT_R8
        variant.u.dblVal = value
    elif isinstance(value, str):
        if byref:
            cell = BSTR(_com.alloc_bstr(value))
            keep.append(cell)
            variant.vt = _com.VT_BSTR | _com.VT_BYREF
            variant.u.byref = ctypes.addressof(cell)
        else:
            variant.vt = _com.VT_BSTR
            variant.u.byref = _com.alloc_bstr(value)
            keep.append(BSTR(variant.u.byref))
    else:
        raise TypeError("no automation type for %s" % type(value).__name__)


def _from_variant(variant):
    """The Python value of a result variant; the variant keeps its storage."""
    vt = variant.vt
    u = variant.u
    if vt in (_com.VT_EMPTY, _com.VT_NULL):
        return None
    if vt == _com.VT_BSTR:
        return _com.bstr_text(u.byref)
    if vt == _com.VT_BOOL:
        return u.boolVal != 0
    if vt in (_com.VT_I4, _com.VT_INT):
        return u.lVal
    if vt == _com.VT_I2:
        return u.iVal
    if vt == _com.VT_R8:
        return u.dblVal
    if vt == _com.VT_R4:
        return u.fltVal
    if vt == _com.VT_UI1:
        return u.bVal
    if vt in (_com.VT_UI4, _com.VT_UINT):
        return u.lVal & 0xFFFFFFFF
    if vt == _com.VT_I8:
        return u.llVal
    if vt == _com.VT_ERROR:
        return ComError(u.scode)
    raise TypeError("the object returned a variant of type %d, which is not converted" % vt)


# --- The dispatch client ---------------------------------------------------------------------

def _release_all(state):
    """Releases what a Dispatch holds: its event connections first, then its interfaces.
    Runs at close() or when the Dispatch is collected, whichever comes first, and once."""
    for advice in list(state["advices"]):
        advice.unadvise()
    state.pop("host", None)
    for pointer in state.pop("pointers", []):
        _com.release(pointer)
    state["pointers"] = []


class Dispatch:
    """An automation object driven by name: `obj.Name` reads a property (or gives a callable
    for a method), `obj.Name = value` writes one, `obj.Method(args)` calls one. Names are
    matched by the object, in any letter case.

    Attribute reads first ask the object for a property get; a member that is no property
    comes back as a callable that invokes it as a method. Method arguments that are str are
    passed by reference (VT_BYREF|VT_BSTR), as a scripting host passes a variable, so that
    DoExport's [in, out] file name gets what its type library asks for."""

    def __init__(self, progid_or_pointer):
        iid = _com.guid("IID_IDispatch")
        if isinstance(progid_or_pointer, str):
            pointer = _com.create_instance(progid_or_pointer, iid)
        else:
            pointer = _com.query_interface(progid_or_pointer, iid)
            if pointer is None:
                raise ComError(_com.E_NOINTERFACE, "", "the object has no IDispatch")
        state = {"pointers": [pointer], "advices": [], "ids": {}, "methods": set()}
        object.__setattr__(self, "_state", state)
        object.__setattr__(self, "_finalizer", weakref.finalize(self, _release_all, state))

    # The object's address, as IDispatch; 0 once closed.
    @property
    def _pointer(self):
        pointers = self._state["pointers"]
        if not pointers:
            raise ValueError("the object has been closed")
        return pointers[0]

    @property
    def host(self):
        """The host-support calls of the object (see HostSupport), made on first use."""
        support = self._state.get("host")
        if support is None:
            from ._host import HostSupport
            support = self._state["host"] = HostSupport(self)
        return support

    def close(self):
        """Disconnects the event handlers and releases the object now. The object closes
        its database connection when its last reference goes."""
        self._finalizer()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def dispid(self, name):
        """The dispatch id of member `name`; MemberNotFoundError when there is none."""
        ids = self._state["ids"]
        key = name.lower()
        if key in ids:
            return ids[key]
        names = (ctypes.c_void_p * 1)()
        text = _com.utf16(name)
        names[0] = ctypes.cast(text, ctypes.c_void_p)
        found = DISPID(-1)
        hr = _com.vcall(self._pointer, _GET_IDS_OF_NAMES, HRESULT,
                        [ctypes.POINTER(GUID), ctypes.c_void_p, ctypes.c_uint32, LCID,
                         ctypes.POINTER(DISPID)],
                        ctypes.byref(_IID_NULL), names, 1, _LOCALE, ctypes.byref(found))
        if _com.failed(hr):
            raise MemberNotFoundError(hr, "", "the object has no member %r" % name)
        ids[key] = found.value
        return found.value

    def invoke(self, name, flags, args=(), byref=False):
        """IDispatch::Invoke of member `name` with `flags` (DISPATCH_*) and positional
        `args`; the result as a Python value."""
        member = self.dispid(name)
        keep = []
        count = len(args)
        variants = (VARIANT * max(count, 1))()
        params = DISPPARAMS()
        try:
            # Arguments go last first.
            for i, value in enumerate(reversed(args)):
                _to_variant(value, variants[i], keep, byref)
            params.rgvarg = variants
            params.cArgs = count
            named = DISPID(_com.DISPID_PROPERTYPUT)
            if flags & _com.DISPATCH_PROPERTYPUT:
                params.rgdispidNamedArgs = ctypes.pointer(named)
                params.cNamedArgs = 1
            result = VARIANT()
            excepinfo = EXCEPINFO()
            arg_error = ctypes.c_uint32(0)
            hr = _com.vcall(self._pointer, _INVOKE, HRESULT,
                            [DISPID, ctypes.POINTER(GUID), LCID, ctypes.c_uint16,
                             ctypes.POINTER(DISPPARAMS), ctypes.POINTER(VARIANT),
                             ctypes.POINTER(EXCEPINFO), ctypes.POINTER(ctypes.c_uint32)],
                            member, ctypes.byref(_IID_NULL), _LOCALE, flags,
                            ctypes.byref(params), ctypes.byref(result), ctypes.byref(excepinfo),
                            ctypes.byref(arg_error))
            try:
                if _com.unsigned(hr) == _com.DISP_E_EXCEPTION:
                    raise ComError(excepinfo.scode or hr, _com.bstr_text(excepinfo.bstrSource),
                                   _com.bstr_text(excepinfo.bstrDescription))
                if _com.unsigned(hr) == _com.DISP_E_MEMBERNOTFOUND:
                    raise MemberNotFoundError(hr, "", "%s cannot be called that way" % name)
                if _com.failed(hr):
                    raise ComError(hr, "", "%s failed" % name)
                value = _from_variant(result)
            finally:
                for text in (excepinfo.bstrSource, excepinfo.bstrDescription,
                             excepinfo.bstrHelpFile):
                    if text:
                        _com.platform().SysFreeString(text)
                _com.platform().VariantClear(ctypes.byref(result))
        finally:
            # What we allocated; a by-reference BSTR the callee replaced is freed as its new
            # value, as the caller of an [in, out] parameter owns it.
            for cell in keep:
                if cell.value:
                    _com.platform().SysFreeString(cell.value)
        self._raise_handler_error()
        return value

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        # A name once found to be no property is not asked for as one again.
        methods = self._state["methods"]
        if name.lower() not in methods:
            try:
                return self.invoke(name, _com.DISPATCH_PROPERTYGET)
            except MemberNotFoundError as e:
                if e.hresult != _com.DISP_E_MEMBERNOTFOUND:
                    raise
            methods.add(name.lower())
        return _Method(self, name)

    def __setattr__(self, name, value):
        if name.startswith("_") or name in type(self).__dict__:
            object.__setattr__(self, name, value)
            return
        self.invoke(name, _com.DISPATCH_PROPERTYPUT, (value,))

    # --- Events ------------------------------------------------------------------------------

    def advise(self, handler, events_iid=None):
        """Connects `handler` to the object's outgoing events: it is called as
        handler(done, total) for every Progress event (a Python function may call the
        object's Cancel() from it). The returned Advice disconnects it by unadvise() or at
        the end of a `with` block; close() disconnects every handler."""
        advice = Advice(self, handler, events_iid or _com.guid("DIID___Lumbrook"))
        self._state["advices"].append(advice)
        return advice

    def _raise_handler_error(self):
        for advice in self._state["advices"]:
            error = advice.sink.error
            if error is not None:
                advice.sink.error = None
                raise error


class _Method:
    """A member invoked as a method: `obj.DoExport(path)`."""

    def __init__(self, owner, name):
        self._owner = owner
        self._name = name

    def __call__(self, *args):
        return self._owner.invoke(self._name, _com.DISPATCH_METHOD, args, byref=True)

    def __repr__(self):
        return "<method %s>" % self._name


# --- The event sink --------------------------------------------------------------------------

_QI = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(GUID),
                       ctypes.POINTER(ctypes.c_void_p))
_REF = ctypes.CFUNCTYPE(ULONG, ctypes.c_void_p)
_TYPE_INFO_COUNT = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.POINTER(ctypes.c_uint32))
_TYPE_INFO = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_uint32, LCID, ctypes.c_void_p)
_IDS = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
                        ctypes.c_uint32, LCID, ctypes.c_void_p)
_INVOKE_FN = ctypes.CFUNCTYPE(HRESULT, ctypes.c_void_p, DISPID, ctypes.c_void_p, LCID,
                              ctypes.c_uint16, ctypes.POINTER(DISPPARAMS), ctypes.c_void_p,
                              ctypes.c_void_p, ctypes.c_void_p)


class _SinkVtbl(ctypes.Structure):
    _fields_ = [("QueryInterface", _QI), ("AddRef", _REF), ("Release", _REF),
                ("GetTypeInfoCount", _TYPE_INFO_COUNT), ("GetTypeInfo", _TYPE_INFO),
                ("GetIDsOfNames", _IDS), ("Invoke", _INVOKE_FN)]


class _SinkObject(ctypes.Structure):
    _fields_ = [("lpVtbl", ctypes.POINTER(_SinkVtbl))]


PROGRESS_DISPID = 1
_E_NOTIMPL = -2147467263  # 0x80004001


class Sink:
    """An IDispatch made in Python that receives an object's events. Its memory (the vtable
    and the thunks) lives as long as this Python object; Advice keeps it while connected,
    and `references` counts what the object holds (1 is our own)."""

    def __init__(self, handler, events_iid):
        self.handler = handler
        self.error = None
        self.references = 1
        self._iids = {bytes(_com.guid("IID_IUnknown")), bytes(_com.guid("IID_IDispatch")),
                      bytes(events_iid)}
        self._vtbl = _SinkVtbl(_QI(self._query), _REF(self._add_ref), _REF(self._release),
                               _TYPE_INFO_COUNT(self._type_info_count),
                               _TYPE_INFO(lambda this, i, lcid, out: _E_NOTIMPL),
                               _IDS(lambda this, iid, names, n, lcid, out: _E_NOTIMPL),
                               _INVOKE_FN(self._invoke))
        self._object = _SinkObject(ctypes.pointer(self._vtbl))
        self.pointer = ctypes.addressof(self._object)

    def _query(self, this, iid, out):
        if not out:
            return _com.E_POINTER - 2**32
        if iid and bytes(iid.contents) in self._iids:
            out[0] = self.pointer
            self.references += 1
            return 0
        out[0] = None
        return _com.E_NOINTERFACE - 2**32

    def _add_ref(self, this):
        self.references += 1
        return self.references

    def _release(self, this):
        self.references -= 1
        return self.references

    def _type_info_count(self, this, out):
        if out:
            out[0] = 0
        return 0

    def _invoke(self, this, dispid, iid, lcid, flags, params, result, excepinfo, arg_error):
        if dispid != PROGRESS_DISPID:
            return _com.DISP_E_MEMBERNOTFOUND - 2**32
        if not params or params.contents.cArgs != 2:
            return _com.DISP_E_BADPARAMCOUNT - 2**32
        args = params.contents.rgvarg
        done, total = _from_variant(args[1]), _from_variant(args[0])
        try:
            self.handler(done, total)
        except BaseException as e:  # noqa: B036 - carried to the caller of the export
            # An exception cannot cross the C frames of the export: it is kept, the export
            # is cancelled by the owner, and the call that fired the event raises it.
            if self.error is None:
                self.error = e
            return _com.E_FAIL - 2**32
        return 0


class Advice:
    """One handler connected to an object's connection point."""

    def __init__(self, owner, handler, events_iid):
        self._owner = weakref.ref(owner)
        self.sink = Sink(self._guarded(owner, handler), events_iid)
        self._point = None
        self._cookie = None
        container = _com.query_interface(owner._pointer,
                                         _com.guid("IID_IConnectionPointContainer"))
        if container is None:
            raise ComError(_com.E_NOINTERFACE, "", "the object has no connection points")
        try:
            point = ctypes.c_void_p()
            _com.check(_com.vcall(container, 4, HRESULT,
                                  [ctypes.POINTER(GUID), ctypes.POINTER(ctypes.c_void_p)],
                                  ctypes.byref(events_iid), ctypes.byref(point)))
        finally:
            _com.release(container)
        cookie = ctypes.c_uint32()
        hr = _com.vcall(point.value, 5, HRESULT, [ctypes.c_void_p, ctypes.POINTER(ctypes.c_uint32)],
                        self.sink.pointer, ctypes.byref(cookie))
        if _com.failed(hr):
            _com.release(point.value)
            raise _com.thread_error(hr)
        self._point = point.value
        self._cookie = cookie.value

    @staticmethod
    def _guarded(owner, handler):
        # A handler that raises cancels the export it was called from.
        ref = weakref.ref(owner)

        def call(done, total):
            try:
                handler(done, total)
            except BaseException:
                target = ref()
                if target is not None:
                    target.invoke("Cancel", _com.DISPATCH_METHOD)
                raise
        return call

    @property
    def connected(self):
        return self._point is not None

    def unadvise(self):
        """Disconnects the handler; a second call does nothing."""
        if self._point is None:
            return
        point, self._point = self._point, None
        try:
            _com.vcall(point, 6, HRESULT, [ctypes.c_uint32], self._cookie)
        finally:
            _com.release(point)
            owner = self._owner()
            if owner is not None:
                advices = owner._state["advices"]
                if self in advices:
                    advices.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.unadvise()
        return False

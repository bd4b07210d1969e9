"""What the object offers hosts beyond its automation members (ILumbrookHostSupport,
ILumbrookHostSupport2 and ILumbrookHostSupport3): listings of the database, the export counts
and messages, the preferences, the output format. Reached by QueryInterface and called through
their vtables."""

import ctypes
import datetime
import weakref

from . import _com
from ._com import BSTR, HRESULT, LONG, VARIANT_BOOL

LISTING_FOLDER = 1    # the folders and spot sets directly inside a folder
LISTING_JOB_RUNS = 2  # the job runs of a spot set
LISTING_ITEMS = 3     # the completed items of a job run

ROOT_FOLDER = 2  # the Projects folder, where the data browser's tree starts
_FOLDER_TYPE = 2  # OBJECT_TYPE of a folder among a folder's objects

_PBSTR = ctypes.POINTER(BSTR)
_PBOOL = ctypes.POINTER(VARIANT_BOOL)

_ESCAPES = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def _unescape(text):
    if "\\" not in text:
        return text
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            i += 1
            if i == len(text) or text[i] not in _ESCAPES:
                raise ValueError("bad escape in listing text")
            c = _ESCAPES[text[i]]
        out.append(c)
        i += 1
    return "".join(out)


def _cell(piece):
    if not piece or piece[0] not in "NIRTD":
        raise ValueError("a listing cell has no known kind: %r" % piece)
    kind, text = piece[0], _unescape(piece[1:])
    if kind == "N":
        return None
    if kind == "I":
        return int(text)
    if kind == "R":
        return float(text)
    if kind == "D":
        return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%S")
    return text


def parse_listing(text):
    """The rows of QueryListing's text as dicts from column name to value: None for no
    value, int, float, str, or datetime for a date. Lines end with a line feed, cells are
    separated by tabs and begin with their kind's letter; the first line holds the names."""
    if text and not text.endswith("\n"):
        raise ValueError("listing text does not end with a line break")
    lines = text.split("\n")[:-1]
    if not lines:
        return []
    columns = [_unescape(name) for name in lines[0].split("\t")]
    rows = []
    for line in lines[1:]:
        pieces = line.split("\t")
        if len(pieces) != len(columns):
            raise ValueError("a listing row has the wrong number of cells")
        rows.append(dict(zip(columns, (_cell(p) for p in pieces))))
    return rows


class HostSupport:
    """The host-support calls of one object, as `obj.host`. Failures raise ComError with the
    object's description ("Connect first", the database's text, ...)."""

    def __init__(self, owner):
        # The object holds this, so this holds the object weakly: the object still goes
        # when its last Python reference does.
        self._owner = weakref.ref(owner)
        self._state = owner._state
        pointer = owner._pointer
        pointers = [_com.query_interface(pointer, _com.guid(name))
                    for name in ("IID_ILumbrookHostSupport", "IID_ILumbrookHostSupport2",
                                 "IID_ILumbrookHostSupport3")]
        if None in pointers:
            for p in pointers:
                if p is not None:
                    _com.release(p)
            raise _com.ComError(_com.E_NOINTERFACE, "", "the object offers no host support")
        # Released along with the object's own reference.
        self._pointers = tuple(pointers)
        owner._state["pointers"][1:1] = pointers

    # The interfaces, while the object has not been released.
    def _interface(self, index):
        pointer = self._pointers[index]
        if pointer not in self._state["pointers"]:
            raise ValueError("the object has been closed")
        return pointer

    @property
    def _one(self):
        return self._interface(0)

    @property
    def _two(self):
        return self._interface(1)

    @property
    def _three(self):
        return self._interface(2)

    def _text(self, pointer, slot, *args, argtypes=()):
        out = BSTR()
        _com.check(_com.vcall(pointer, slot, HRESULT, list(argtypes) + [_PBSTR],
                              *args, ctypes.byref(out)))
        return _com.take_bstr(out.value)

    def _bool(self, pointer, slot, *args, argtypes=()):
        out = VARIANT_BOOL()
        _com.check(_com.vcall(pointer, slot, HRESULT, list(argtypes) + [_PBOOL],
                              *args, ctypes.byref(out)))
        return out.value != 0

    def _with_bstrs(self, texts, call):
        bstrs = [_com.alloc_bstr(t) for t in texts]
        try:
            return call(*bstrs)
        finally:
            for b in bstrs:
                if b:
                    _com.platform().SysFreeString(b)

    # ILumbrookHostSupport, slot by slot after IUnknown.
    def type_library_text(self):
        return self._text(self._one, 3)

    def last_connect_error(self):
        return self._text(self._one, 4)

    def uses_base_views(self):
        return self._bool(self._one, 5)

    def last_browser_error(self):
        return self._text(self._one, 6)

    def export_counts(self):
        """(blocks, peak lines, bytes) the running or last DoExport has written."""
        blocks, lines, size = LONG(), LONG(), ctypes.c_double()
        _com.check(_com.vcall(self._one, 7, HRESULT,
                              [ctypes.POINTER(LONG), ctypes.POINTER(LONG),
                               ctypes.POINTER(ctypes.c_double)],
                              ctypes.byref(blocks), ctypes.byref(lines), ctypes.byref(size)))
        return blocks.value, lines.value, size.value

    def last_export_message(self):
        return self._text(self._one, 9)

    # ILumbrookHostSupport2.
    def listing_text(self, listing, id):
        """QueryListingById's text, unparsed."""
        return self._text(self._two, 3, listing, id, argtypes=(LONG, ctypes.c_int64))

    def listing(self, listing, id):
        """The rows of listing LISTING_* for `id`, parsed (see parse_listing)."""
        return parse_listing(self.listing_text(listing, id))

    def mask_connection_string(self, text):
        return self._with_bstrs([text], lambda b: self._text(self._two, 4, b,
                                                             argtypes=(BSTR,)))

    def do_export_list(self, out_file):
        """Exports the object's DescriptorList into `out_file`; True when every entry was
        exported completely (last_export_message() says why not)."""
        cell = BSTR(_com.alloc_bstr(out_file))
        try:
            return self._bool(self._two, 5, ctypes.byref(cell), argtypes=(_PBSTR,))
        finally:
            if cell.value:
                _com.platform().SysFreeString(cell.value)
            owner = self._owner()
            if owner is not None:
                owner._raise_handler_error()

    def set_index_file(self, path):
        self._with_bstrs([path], lambda b: _com.check(
            _com.vcall(self._two, 6, HRESULT, [BSTR], b)))

    def is_complete_peak_list(self, path):
        return self._with_bstrs([path], lambda b: self._bool(self._two, 7, b,
                                                             argtypes=(BSTR,)))

    def get_preference(self, name):
        """(text, stored): the stored text of preference `name`, or ("", False)."""
        def call(b):
            value, stored = BSTR(), VARIANT_BOOL()
            _com.check(_com.vcall(self._two, 8, HRESULT, [BSTR, _PBSTR, _PBOOL], b,
                                  ctypes.byref(value), ctypes.byref(stored)))
            return _com.take_bstr(value.value), stored.value != 0
        return self._with_bstrs([name], call)

    def save_preference(self, name, value):
        self._with_bstrs([name, value], lambda n, v: _com.check(
            _com.vcall(self._two, 9, HRESULT, [BSTR, BSTR], n, v)))

    def delete_preference(self, name):
        self._with_bstrs([name], lambda b: _com.check(
            _com.vcall(self._two, 10, HRESULT, [BSTR], b)))

    # ILumbrookHostSupport3.
    @property
    def output_format(self):
        """The format of the object's next exports: "QPK" (the default), "mzML" or "mzXML".
        Set it to one of the three in any letter case; another name raises ComError and
        leaves the format as it was."""
        return self._text(self._three, 3)

    @output_format.setter
    def output_format(self, name):
        self._with_bstrs([name], lambda b: _com.check(
            _com.vcall(self._three, 4, HRESULT, [BSTR], b)))

    def format_of_file_name(self, name):
        """The format a file's name asks for, by its extension in any letter case."""
        return self._with_bstrs([name], lambda b: self._text(self._three, 5, b,
                                                             argtypes=(BSTR,)))

    def format_extension(self, name):
        """The extension a format's files get by default (".qpk", ".mzML", ".mzXML")."""
        return self._with_bstrs([name], lambda b: self._text(self._three, 6, b,
                                                             argtypes=(BSTR,)))

    # What a script walks, as the command line's `list` walks it.
    def spot_sets(self):
        """Every spot set below Projects as (id, path) pairs, the path of folder names joined
        by "/"; each level in the query's order, a folder's spot sets before its folders'."""
        found = []
        walked = set()
        stack = [(ROOT_FOLDER, "")]
        while stack:
            folder, path = stack.pop()
            if folder in walked:
                continue  # folders that form a loop are walked once
            walked.add(folder)
            subfolders = []
            for row in self.listing(LISTING_FOLDER, folder):
                id = row.get("FOLDER_OBJECT_ID")
                if not isinstance(id, int):
                    continue
                name = row.get("NAME") or ""
                child = name if not path else path + "/" + name
                if str(row.get("OBJECT_TYPE")) == str(_FOLDER_TYPE):
                    subfolders.append((id, child))
                else:
                    found.append((id, child))
            stack.extend(reversed(subfolders))
        return found

    def job_runs(self, spot_set_id):
        """The job runs of a spot set, one dict a run (JOB_RUN_ID, ..., ENTRY)."""
        return self.listing(LISTING_JOB_RUNS, spot_set_id)

    def items(self, job_run_id):
        """The completed items of a job run."""
        return self.listing(LISTING_ITEMS, job_run_id)

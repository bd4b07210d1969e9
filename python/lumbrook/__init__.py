"""Lumbrook from Python: the automation object, created by its ProgID and driven by name
through IDispatch, as a scripting host drives it.

    import lumbrook
    with lumbrook.Lumbrook() as o:
        o.ODBCString = "Provider=SQLite;Data Source=/data/demo.sqlite"
        o.Connect()
        for id, path in o.host.spot_sets():
            for run in o.host.job_runs(id):
                print(path, run["JOB_RUN_ID"], run["ENTRY"])
        o.JobRunID = 12
        o.AllSpectra = True
        o.DoExport("job_run_12.qpk")

A failing member raises ComError (hresult, source, description). obj.advise(handler)
connects handler(done, total) to the Progress event. The libraries are found through
$LUMBROOK_LIBRARY_DIR, the build tree, the installed library folder or the linker's cache
(see _com.library_folders)."""

from ._com import ComError, MemberNotFoundError, library_folders
from ._dispatch import Advice, Dispatch
from ._host import LISTING_FOLDER, LISTING_ITEMS, LISTING_JOB_RUNS, parse_listing

PROGID = "LumbrookDLL.Lumbrook"

# The object's own errors, as ComError.hresult gives them.
E_MINMASS = 0x800403EC
E_MAXMASS = 0x800403ED
E_S2N = 0x800403EE
E_MONOISOTOPIC = 0x800403EF
E_NOMSMS = 0x800403F0
E_MSTYPE = 0x800403F1


def Lumbrook():
    """A new Lumbrook object (Dispatch("LumbrookDLL.Lumbrook"))."""
    return Dispatch(PROGID)


__all__ = ["Advice", "ComError", "Dispatch", "Lumbrook", "MemberNotFoundError", "PROGID",
           "LISTING_FOLDER", "LISTING_ITEMS", "LISTING_JOB_RUNS", "library_folders",
           "parse_listing", "E_MINMASS", "E_MAXMASS", "E_S2N", "E_MONOISOTOPIC", "E_NOMSMS",
           "E_MSTYPE"]

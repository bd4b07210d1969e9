import os
import subprocess
import sys

import pytest

import lumbrook
from lumbrook import _com
from conftest import run_cli

END = b"END IONS\r\n\r\n"


def connected(db):
    o = lumbrook.Lumbrook()
    o.ODBCString = db
    assert o.Connect() is True
    return o


def export_run(o, run, path):
    o.JobRunID = run
    o.AllSpectra = True
    return o.DoExport(str(path))


def test_export_equals_the_command_line(demo, tmp_path):
    ours, theirs = tmp_path / "py.qpk", tmp_path / "cli.qpk"
    with connected(demo) as o:
        o.minMass, o.S2N = 100.0, 5.0
        assert export_run(o, 12, ours) is True
        assert o.host.last_export_message() == ""
        blocks, lines, size = o.host.export_counts()
    run_cli("export", "-c", demo, "--job-run", "12", "--min-mass", "100", "--s2n", "5",
            "--out", str(theirs))
    data = ours.read_bytes()
    assert data == theirs.read_bytes()
    assert (blocks, size) == (data.count(b"BEGIN IONS"), len(data))


def test_the_output_format_is_chosen_through_the_host_support(demo, tmp_path):
    # Each of the third interface's four slots once; the rules behind them have their own tests.
    target = tmp_path / "run.dat"
    with connected(demo) as o:
        with pytest.raises(lumbrook.ComError):
            o.host.output_format = "csv"
        o.host.output_format = "MZML"
        assert o.host.output_format == "mzML"
        assert o.host.format_of_file_name("a.b.MzXmL") == "mzXML"
        assert o.host.format_extension("qpk") == ".qpk"
        assert export_run(o, 12, target) is True
    assert target.read_bytes().endswith(b"</indexedmzML>\n")


# Every writable property, each with a name in another letter case than the type library's.
ROUND_TRIPS = [
    ("ODBCString", "odbcstring", "Provider=SQLite;Data Source=/x y/ä.sqlite"),
    ("minMass", "MINMASS", 123.25),
    ("maxMass", "MaxMass", 0.0),
    ("S2N", "s2n", 7.5),
    ("Monoisotopic", "monoisotopic", 0),
    ("Descriptor", "DESCRIPTOR", "Projects\\Proteomics\tspot set"),
    ("MSType", "mstype", "MS-MS"),
    ("JobRunID", "jobrunid", -2**31),
    ("JobRunItemID", "JOBRUNITEMID", 2**31 - 1),
    ("DescriptorList", "descriptorlist", ""),
    ("AllSpectra", "allspectra", True),
]


@pytest.mark.parametrize("name,other_case,value", ROUND_TRIPS)
def test_property_round_trip(name, other_case, value):
    with lumbrook.Lumbrook() as o:
        setattr(o, other_case, value)
        got = getattr(o, name)
        assert got == value and type(got) is type(value)


def test_read_only_and_conversions():
    with lumbrook.Lumbrook() as o:
        assert o.DllVersion and isinstance(o.DllVersion, str)
        o.minMass = 61  # an int where a double is wanted is converted by the object
        assert o.minMass == 61.0
        o.JobRunID = True  # VARIANT_TRUE as a long, as the object converts it
        assert o.JobRunID == -1
        with pytest.raises(lumbrook.ComError):
            o.DllVersion = "2"
        with pytest.raises(OverflowError):
            o.JobRunID = 2**31
        assert not hasattr(o, "NoSuchMember")
        with pytest.raises(lumbrook.MemberNotFoundError) as e:
            o.NoSuchMember()
        assert e.value.hresult == 0x80020006


# The object's checks are tested through the C interface; here, that a refused put reaches
# Python with the object's number, source and text, and changes nothing.
def test_a_refused_put_raises_the_objects_error():
    with lumbrook.Lumbrook() as o:
        before = o.MSType
        with pytest.raises(lumbrook.ComError) as e:
            o.msType = "ms-ms"
        assert (e.value.hresult, e.value.source, e.value.description) == (
            lumbrook.E_MSTYPE, "Lumbrook", "MSType must be MS or MS-MS")
        assert o.MSType == before


def test_export_and_host_errors(demo, tmp_path):
    with lumbrook.Lumbrook() as o:
        with pytest.raises(lumbrook.ComError) as e:
            o.host.job_runs(1)
        assert e.value.description == "Connect first"
    with connected(demo) as o:
        target = tmp_path / "none.qpk"
        with pytest.raises(lumbrook.ComError) as e:
            export_run(o, 10, target)  # job run 10 holds MS spectra only
        assert e.value.hresult == lumbrook.E_NOMSMS
        assert e.value.description == "No MS/MS data in this job run"
        assert not target.exists()


def test_listings_match_the_command_line(demo):
    with connected(demo) as o:
        spot_sets = dict((path, id) for id, path in o.host.spot_sets())
        runs = o.host.job_runs(spot_sets["Proteomics/Digest standards"])
    assert 12 in [run["JOB_RUN_ID"] for run in runs]
    listed = run_cli("list", "job-runs", "-c", demo, "--spot-set",
                     "Proteomics/Digest standards").stdout.splitlines()
    assert [run["ENTRY"] for run in runs] == listed


def test_parse_listing():
    text = "ID\tNA\\tME\tWHEN\tX\nI7\tTa\\\\b\\nc\tD2024-01-02T03:04:05\tN\nI-1\tT\tR0.5\tN\n"
    rows = lumbrook.parse_listing(text)
    assert rows[0]["ID"] == 7 and rows[0]["NA\tME"] == "a\\b\nc"
    assert rows[0]["WHEN"].isoformat() == "2024-01-02T03:04:05" and rows[0]["X"] is None
    assert rows[1]["WHEN"] == 0.5 and rows[1]["NA\tME"] == ""
    for bad in ("ID\nI1", "ID\tX\nI1\n", "ID\nQ1\n", "ID\nT\\q\n"):
        with pytest.raises(ValueError):
            lumbrook.parse_listing(bad)


def test_progress_events_are_counted(demo, tmp_path):
    events, counts = [], []
    with connected(demo) as o:
        with o.advise(lambda done, total: (events.append((done, total)),
                                           counts.append(o.host.export_counts()[0]))):
            assert export_run(o, 12, tmp_path / "p.qpk") is True
        export_run(o, 12, tmp_path / "again.qpk")  # no longer connected: no more events
    blocks = (tmp_path / "p.qpk").read_bytes().count(b"BEGIN IONS")
    total = events[0][1]
    # One event a spectrum, then the closing report with the final counts.
    assert events == [(i, total) for i in range(1, total + 1)] + [(total, total)]
    assert blocks == total and counts[-1] == blocks


def test_cancel_from_the_handler_leaves_complete_blocks(big_demo, tmp_path):
    full, cut = tmp_path / "full.qpk", tmp_path / "cut.qpk"
    with connected(big_demo) as o:
        assert export_run(o, 12, full) is True

        def stop(done, total):
            if done == 40:
                o.Cancel()
        o.advise(stop)
        assert export_run(o, 12, cut) is False
        assert o.host.is_complete_peak_list(str(cut))
    data = cut.read_bytes()
    assert data.endswith(END)
    assert 40 <= data.count(b"BEGIN IONS") < full.read_bytes().count(b"BEGIN IONS")
    assert full.read_bytes().startswith(data)


def test_a_raising_handler_cancels_and_raises(big_demo, tmp_path):
    cut = tmp_path / "cut.qpk"
    with connected(big_demo) as o:
        def fail(done, total):
            if done == 3:
                raise KeyboardInterrupt
        o.advise(fail)
        with pytest.raises(KeyboardInterrupt):
            export_run(o, 12, cut)
    assert cut.read_bytes().endswith(END)


def open_files(path):
    folder = "/proc/self/fd"
    found = 0
    for fd in os.listdir(folder):
        try:
            found += os.readlink(os.path.join(folder, fd)) == path
        except OSError:
            pass
    return found


def test_nothing_leaks_and_release_closes_the_connection(demo, tmp_path):
    db = demo.split("Data Source=")[1]
    o = connected(demo)
    pointer = o._pointer
    advice = o.advise(lambda done, total: None)
    stays = o.advise(lambda done, total: None)  # still connected when the object goes
    export_run(o, 12, tmp_path / "r.qpk")
    o.host.spot_sets()
    assert open_files(db) > 0
    advice.unadvise()
    assert advice.sink.references == 1 and stays.sink.references == 2
    # What we hold: the IDispatch, the three host-support interfaces and the connection point
    # of `stays`; the calls, the export and the listings kept nothing.
    assert _com.add_ref(pointer) == 6 and _com.release(pointer) == 5
    del o  # the last Python reference
    assert stays.sink.references == 1 and not stays.connected
    assert open_files(db) == 0


CLASS_KEY = ("HKCU\\Software\\Classes\\CLSID\\{B89D511C-D03B-46AA-80A4-BC80A4CC3E24}"
             "\\InprocServer32")
WHICH_SERVER = ("import lumbrook; o = lumbrook.Dispatch('lumbrookdll.lumbrook'); "
                "print([l.split()[-1] for l in open('/proc/self/maps') if 'liblumbrook.so' in l][0])")


def test_a_registered_progid_is_created_through_its_registration(tmp_path):
    env = dict(os.environ, XDG_CONFIG_HOME=str(tmp_path / "config"))
    copy = tmp_path / "registered" / "liblumbrook.so.1"
    copy.parent.mkdir()
    copy.write_bytes(open(lumbrook._com.server_path(), "rb").read())

    def server(registered):
        run_cli("reg", "add", CLASS_KEY, "/ve", "/d", registered, "/f", env=env)
        return subprocess.run([sys.executable, "-c", WHICH_SERVER], env=env, check=True,
                              capture_output=True, text=True).stdout.strip()
    run_cli("register", env=env)
    assert server(str(copy)) == str(copy)
    # A registered file an upgrade removed: the library found without a registration serves.
    assert server(str(tmp_path / "gone.so.1")) == os.path.realpath(lumbrook._com.server_path())

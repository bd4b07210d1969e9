#!/usr/bin/python3
"""mzML and mzXML as the field's own readers see them.

usage: data_formats_test.py LUMBROOK WORK_DIR

Exports the demo database's requests as peak list files and as mzML and mzXML, then checks
every data file with the tools a lab would use on it: FileInfo validates the mzML against the
schema and the PSI mapping rules; pymzml reads the mzML, and msconvert reads the mzML and the
mzXML (converted to mzML with 64-bit arrays and read by pymzml), and each must give the
spectra, precursors and peaks the peak list file holds, in its order, values compared after
the peak list file's rounding. A cancelled mzML export must be a valid file of the spectra
read before the cancel.
"""

import hashlib
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import pymzml

HOST, WORK = sys.argv[1], sys.argv[2]
PRECURSOR_DECIMALS, CENTROID_DECIMALS, AREA_DECIMALS = 4, 6, 3
# The one finding the mapping rules make: the database is no format of the vocabulary's list,
# so its source file carries the generic file format term, which the rules want a child of.
FILE_FORMAT_FINDINGS = ("MS:1000560 - mass spectrometer file format", "'sourcefile_must'")


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def lumbrook(*args):
    done = run(HOST, *args)
    assert done.returncode == 0, f"lumbrook {' '.join(args)}: {done.returncode}\n{done.stderr}"
    return done


def rounded(value, decimals):
    """The value as the peak list file rounds it: scaled in double arithmetic, half to even."""
    scale = 10.0**decimals
    return round(value * scale) / scale


def qpk_spectra(path):
    """(title, precursor, [(m/z, area)]) of each block; one untitled spectrum of bare lines."""
    spectra, current = [], None
    with open(path, newline="") as f:
        for line in f.read().split("\r\n"):
            if line == "BEGIN IONS":
                current = {"title": None, "precursor": None, "peaks": []}
            elif line == "END IONS":
                spectra.append(current)
                current = None
            elif line.startswith("PEPMASS="):
                current["precursor"] = float(line[8:])
            elif line.startswith("TITLE="):
                current["title"] = line[6:]
            elif line and not line.startswith("CHARGE="):
                mz, area = line.split("\t")
                if current is None:  # an item's merged MS export: bare peak lines
                    if not spectra:
                        spectra.append({"title": None, "precursor": None, "peaks": []})
                    spectra[0]["peaks"].append((float(mz), float(area)))
                else:
                    current["peaks"].append((float(mz), float(area)))
    return spectra


def mzml_spectra(path, with_titles=True):
    spectra = []
    for spectrum in pymzml.run.Reader(path):
        precursors = spectrum.selected_precursors
        title = None
        if with_titles:
            title = spectrum.element.find(
                './/{http://psi.hupo.org/ms/mzml}cvParam[@accession="MS:1000796"]')
            title = None if title is None else title.get("value")
        spectra.append({
            "level": spectrum.ms_level,
            "title": title,
            "precursor": precursors[0]["mz"] if precursors else None,
            "charge": precursors[0].get("charge") if precursors else None,
            "peaks": [tuple(p) for p in spectrum.peaks("raw").tolist()],
        })
    return spectra


def same_number(read, written, decimals):
    return math.isclose(rounded(read, decimals), written, rel_tol=1e-12, abs_tol=1e-12)


def compare(name, data, peak_list, with_titles=True):
    assert len(data) == len(peak_list), f"{name}: {len(data)} spectra, the peak list has " \
                                        f"{len(peak_list)}"
    for number, (read, written) in enumerate(zip(data, peak_list), 1):
        where = f"{name}, spectrum {number}"
        if written["title"] is None:
            assert read["level"] == 1 and read["precursor"] is None, f"{where}: not MS1"
        else:
            assert read["level"] == 2 and read["charge"] == 1, f"{where}: not MS2 of charge 1"
            assert same_number(read["precursor"], written["precursor"], PRECURSOR_DECIMALS), \
                f"{where}: precursor {read['precursor']} against {written['precursor']}"
            if with_titles:
                assert read["title"] == written["title"], f"{where}: title {read['title']!r}"
        assert len(read["peaks"]) == len(written["peaks"]), f"{where}: peak count"
        for (mz, area), (qmz, qarea) in zip(read["peaks"], written["peaks"]):
            assert same_number(mz, qmz, CENTROID_DECIMALS) and \
                same_number(area, qarea, AREA_DECIMALS), \
                f"{where}: peak {mz} {area} against {qmz} {qarea}"


def check_index(path):
    """The offset index points at each spectrum, the checksum is the file's own."""
    with open(path, "rb") as f:
        data = f.read()
    head = data.rindex(b"<fileChecksum>") + len(b"<fileChecksum>")
    assert data[head:head + 40].decode() == hashlib.sha1(data[:head]).hexdigest(), \
        f"{path}: checksum"
    index_at = int(re.search(rb"<indexListOffset>(\d+)<", data).group(1))
    assert data.startswith(b"  <indexList ", index_at), f"{path}: index list offset"
    for spectrum_id, offset in re.findall(rb'<offset idRef="([^"]*)">(\d+)<', data):
        offset = int(offset)
        assert data.startswith(b'<spectrum index="', offset) and \
            b'id="' + spectrum_id + b'"' in data[offset:offset + 200], \
            f"{path}: offset of {spectrum_id}"


def validate(path):
    """FileInfo: valid by the schema, and by the mapping rules but for the file format term."""
    check_index(path)
    done = run("FileInfo", "-in", path, "-v")
    out = done.stdout + done.stderr
    assert "Success - the file is valid!" in out, f"{path}: schema validation\n{out}"
    assert "Semantically validating mzML file" in out, f"{path}: no semantic validation\n{out}"
    findings = [line for line in out.splitlines() if line.startswith("Error:")]
    unexpected = [f for f in findings if not any(known in f for known in FILE_FORMAT_FINDINGS)]
    assert not unexpected, f"{path}: semantic validation\n{out}"


def through_msconvert(path):
    """The file as msconvert reads it, written as mzML with 64-bit arrays."""
    out_dir = path + ".msconvert"
    shutil.rmtree(out_dir, ignore_errors=True)
    done = run("msconvert", path, "--mzML", "--64", "-o", out_dir)
    assert done.returncode == 0, f"msconvert {path}: {done.stdout}{done.stderr}"
    (converted,) = os.listdir(out_dir)
    return os.path.join(out_dir, converted)


def check_formats(name, peak_list_file, mzml_file, mzxml_file):
    peak_list = qpk_spectra(peak_list_file)
    assert peak_list, f"{name}: an empty peak list tests nothing"
    validate(mzml_file)
    compare(name + " (pymzml)", mzml_spectra(mzml_file), peak_list)
    compare(name + " (msconvert, mzML)", mzml_spectra(through_msconvert(mzml_file)), peak_list)
    compare(name + " (msconvert, mzXML)",
            mzml_spectra(through_msconvert(mzxml_file), with_titles=False), peak_list,
            with_titles=False)
    print(f"{name}: {len(peak_list)} spectra alike in the three formats")


def export_three(name, connect, *request):
    files = {ext: os.path.join(WORK, f"{name}.{ext}") for ext in ("qpk", "mzML", "mzXML")}
    for path in files.values():
        lumbrook("export", "-c", connect, *request, "-o", path, "-q")
    check_formats(name, files["qpk"], files["mzML"], files["mzXML"])


def cancelled_export(connect):
    """SIGINT in the middle: the file holds the spectra read so far, as a valid mzML."""
    whole = os.path.join(WORK, "big.qpk")
    cut = os.path.join(WORK, "big.mzML")
    lumbrook("export", "-c", connect, "--job-run", "12", "-o", whole, "-q")
    process = subprocess.Popen([HOST, "export", "-c", connect, "--job-run", "12", "-o", cut],
                               stderr=subprocess.PIPE, text=True)
    # Half a second after the export found its spectra and opened its output, Ctrl-C.
    for _ in range(3000):
        if any(name.startswith(".big.mzML.") for name in os.listdir(WORK)) or \
                process.poll() is not None:
            break
        time.sleep(0.01)
    time.sleep(0.5)
    process.send_signal(signal.SIGINT)
    _, err = process.communicate(timeout=120)
    assert process.returncode == 1 and "cancelled" in err, f"exit {process.returncode}: {err}"
    validate(cut)
    read = mzml_spectra(cut)
    peak_list = qpk_spectra(whole)
    assert 0 < len(read) < len(peak_list), f"cancelled after {len(read)} of {len(peak_list)}"
    compare("cancelled export", read, peak_list[:len(read)])
    print(f"cancelled export: a valid mzML of the first {len(read)} of {len(peak_list)} spectra")


def main():
    os.makedirs(WORK, exist_ok=True)
    demo = os.path.join(WORK, "demo.sqlite")
    lumbrook("demo-db", demo)
    connect = f"Provider=SQLite;Data Source={demo}"
    export_three("job_run_12", connect, "--job-run", "12")
    export_three("item_msms", connect, "--job-run", "12", "--item", "1010")
    export_three("item_ms", connect, "--job-run", "10", "--item", "1001", "--ms-type", "MS")

    # A spot set into folders: each job run's file in each format, the names' extensions
    # chosen by the format.
    folders = {fmt: os.path.join(WORK, f"spot_set_{fmt}") for fmt in ("qpk", "mzml", "mzxml")}
    for fmt, folder in folders.items():
        shutil.rmtree(folder, ignore_errors=True)
        lumbrook("export", "-c", connect, "--spot-set", "10", "--out-dir", folder,
                 "--format", fmt, "-q")
    names = sorted(os.listdir(folders["qpk"]))
    assert names == ["job_run_12.qpk", "job_run_13.qpk"], names
    for name in names:
        stem = name[:-len(".qpk")]
        check_formats("spot set 10, " + stem, os.path.join(folders["qpk"], name),
                      os.path.join(folders["mzml"], stem + ".mzML"),
                      os.path.join(folders["mzxml"], stem + ".mzXML"))

    big = os.path.join(WORK, "big.sqlite")
    lumbrook("demo-db", big, "--spectra", "60000")
    cancelled_export(f"Provider=SQLite;Data Source={big}")


if __name__ == "__main__":
    main()

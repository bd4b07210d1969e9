#!/usr/bin/env bash
# Lumbrook as a packager and a lab's administrator get it: a Release build without tests,
# installed into a prefix and into a root from its Debian packages, with the build folder
# deleted before anything installed runs.
#   install_test.sh SOURCE_DIR REFERENCE_LUMBROOK WORK_DIR
# REFERENCE_LUMBROOK is the build tree's program: its export of the demo database is what
# every installed way of exporting must write byte for byte.
set -euo pipefail
src=$1 reference=$2 work=$3

fail() { echo "install_test: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
build=$work/build prefix=$work/install/usr
export XDG_CONFIG_HOME=$work/config

echo "== build the Debian packages by the README's recipe, and install the same build"
# Configured for /usr, as a distribution builds it, and installed into a staging root: every
# installed path must work from wherever the files end up.
"$src/scripts/package.sh" "$build" >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; fail "packaging failed"; }
DESTDIR=$work/install cmake --install "$build" >/dev/null
mkdir -p "$work/debs"
mv "$build"/*.deb "$work/debs/"
rm -rf "$build"
for package in liblumbrook1 liblumbrook-dev lumbrook lumbrook-browser python3-lumbrook; do
    [ -e "$work/debs/${package}_"*.deb ] || fail "no package $package"
done

libdir=$(dirname "$(find "$prefix" -name 'liblumbrook.so.1' | head -1)")
[ -n "$libdir" ] || fail "no liblumbrook.so.1 installed"
for f in bin/lumbrook include/lumbrook/lumbrook.h include/lumbrook/com.h share/doc/lumbrook/LICENSE \
         share/doc/lumbrook/README.md share/man/man1/lumbrook.1.gz share/lumbrook/schema/postgresql.sql \
         share/bash-completion/completions/lumbrook; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
for f in liblumbrook.so liblumbrook.so.1.0.0 liblumbrook-platform.so liblumbrook-platform.so.1 \
         pkgconfig/lumbrook.pc cmake/Lumbrook/LumbrookConfig.cmake; do
    [ -e "$libdir/$f" ] || fail "not installed: $libdir/$f"
done

echo "== the manual page documents every subcommand and every option of export"
man=$(zcat "$prefix/share/man/man1/lumbrook.1.gz")
for command in browse config demo-db export "list items" probe props reg register unregister; do
    grep -q "^\.SS \"lumbrook $command " <<<"$man" || fail "the manual page lacks lumbrook $command"
    grep -q "$command" "$prefix/share/bash-completion/completions/lumbrook" ||
        fail "the completion lacks $command"
done
for option in $("$prefix/bin/lumbrook" export --help | grep -o -- '--[a-z0-9-]*' | sort -u); do
    grep -qF -- "\fB${option//-/\\-}\fR" <<<"$man" || fail "the manual page lacks export $option"
done
bash -n "$prefix/share/bash-completion/completions/lumbrook" || fail "the completion is not valid bash"

echo "== the installed program, without LD_LIBRARY_PATH"
unset LD_LIBRARY_PATH
demo=$work/demo.sqlite
connect="Provider=SQLite;Data Source=$demo"
"$prefix/bin/lumbrook" demo-db "$demo" >/dev/null
"$reference" export --quiet --connect "$connect" --job-run 12 --out "$work/reference.qpk"
"$prefix/bin/lumbrook" export --quiet --connect "$connect" --job-run 12 --out "$work/installed.qpk"
cmp "$work/reference.qpk" "$work/installed.qpk" || fail "the installed export differs"

echo "== no Qt library in the export path"
for f in "$prefix/bin/lumbrook" "$libdir/liblumbrook.so.1" "$libdir/liblumbrook-platform.so.1"; do
    if ldd "$f" | grep -q 'libQt'; then
        ldd "$f" | grep libQt
        fail "$f links Qt"
    fi
done

echo "== ShowDataBrowser finds and loads its installed module"
module=$libdir/lumbrook/liblumbrook-browser.so
[ -e "$module" ] || fail "the data browser module is not installed"
# Without any display it is the module's start of Qt that refuses, in its own words: the
# program links no Qt, so the text shows that the module was found and loaded.
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/lumbrook" browse \
    2>"$work/browse.err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "browse with the module and no display exited $status"
grep -q "^lumbrook: no display available: none of DISPLAY" "$work/browse.err" ||
    { cat "$work/browse.err"; fail "browse did not load the installed module"; }

echo "== ShowDataBrowser without its module: false, and the host says why"
mv "$module" "$module.away"
set +e
QT_QPA_PLATFORM=offscreen "$prefix/bin/lumbrook" browse 2>"$work/browse.err"
status=$?
set -e
mv "$module.away" "$module"
[ "$status" -eq 1 ] || fail "browse without the module exited $status"
grep -qF "lumbrook: the data browser is not installed: $module" "$work/browse.err" ||
    { cat "$work/browse.err"; fail "browse without the module did not say so"; }

echo "== a C host through pkg-config and through find_package, creating the object by ProgID"
"$prefix/bin/lumbrook" register >/dev/null
host_src=$src/tests/install/c_host
export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046 # pkg-config's flags are words
cc -std=c11 -Wall -Werror -o "$work/c_host_pc" "$host_src/c_host.c" \
    $(pkg-config --cflags --libs lumbrook) -Wl,-rpath,"$(pkg-config --variable=libdir lumbrook)"
cmake -S "$host_src" -B "$work/c_host_build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/c_host_build" >/dev/null
for host in "$work/c_host_pc" "$work/c_host_build/c_host"; do
    rm -f "$work/host.qpk"
    "$host" "$connect" 12 "$work/host.qpk" || fail "$host failed"
    cmp "$work/reference.qpk" "$work/host.qpk" || fail "the export of $host differs"
done
"$prefix/bin/lumbrook" unregister >/dev/null

echo "== the Debian packages, unpacked over a root whose registration names a removed file"
# An older version registered the file behind the SONAME link; the upgrade removed it.
root=$work/root
"$prefix/bin/lumbrook" register >/dev/null
clsid=$(grep -A1 -F 'LumbrookDLL.Lumbrook\CLSID]' "$XDG_CONFIG_HOME/lumbrook/HKEY_CURRENT_USER.reg" |
    grep -o '{[-0-9A-F]*}')
[ -n "$clsid" ] || fail "register wrote no class"
older=$root/usr/lib/$(basename "$libdir")/liblumbrook.so.0.9.0
"$prefix/bin/lumbrook" reg add "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve \
    /d "$older" /f >/dev/null
for deb in "$work"/debs/*.deb; do
    dpkg-deb -x "$deb" "$root"
    dpkg-deb -f "$deb" Package Depends
done
for package in liblumbrook1 liblumbrook-dev lumbrook lumbrook-browser python3-lumbrook; do
    [ -e "$root/usr/share/doc/$package/copyright" ] || fail "$package has no copyright file"
done
"$root/usr/bin/lumbrook" export --quiet --connect "$connect" --job-run 12 --out "$work/deb.qpk" \
    2>"$work/upgrade.err" || { cat "$work/upgrade.err"; fail "export after the upgrade failed"; }
cmp "$work/reference.qpk" "$work/deb.qpk" || fail "the packaged export differs"
grep -qF "the registered server library $older is gone" "$work/upgrade.err" ||
    { cat "$work/upgrade.err"; fail "the upgrade's fallback was not told"; }
# mzML from the packages: liblumbrook1 names the field's library among its dependencies.
dpkg-deb -f "$work"/debs/liblumbrook1_*.deb Depends | grep -q "libpwiz3" ||
    fail "liblumbrook1 does not depend on libpwiz3"
mkdir -p "$work/mzml/deb" "$work/mzml/reference"  # one name: the run is named after the file
"$root/usr/bin/lumbrook" export --quiet --connect "$connect" --job-run 12 \
    --out "$work/mzml/deb/job_run_12.mzML" 2>/dev/null || fail "the packaged mzML export failed"
"$reference" export --quiet --connect "$connect" --job-run 12 \
    --out "$work/mzml/reference/job_run_12.mzML"
cmp "$work/mzml/reference/job_run_12.mzML" "$work/mzml/deb/job_run_12.mzML" ||
    fail "the packaged mzML export differs"

echo "== the README's Python script from the unpacked root, past the same stale registration"
dist=$root/usr/lib/python3/dist-packages
[ "$(dpkg-deb -f "$work"/debs/python3-lumbrook_*.deb Architecture)" = all ] ||
    fail "python3-lumbrook is not architecture all"
awk '/^```python$/ {on = 1; next} /^```$/ {if (on) exit} on' "$src/README.md" >"$work/readme.py"
[ "$(wc -l <"$work/readme.py")" -eq 10 ] || fail "the README's Python script is not ten lines"
server=$(PYTHONPATH=$dist PYTHONDONTWRITEBYTECODE=1 python3 -c \
    'import lumbrook._com as c; print(c.server_path())')
[ "$server" = "$root/usr/lib/$(basename "$libdir")/liblumbrook.so.1" ] ||
    fail "the package found the server $server, not the root's"
(cd "$work" && PYTHONPATH=$dist PYTHONDONTWRITEBYTECODE=1 python3 readme.py "$demo" \
    >"$work/python.out" 2>"$work/python.err") ||
    { cat "$work/python.err"; fail "the README's Python script failed"; }
grep -q "^Proteomics/Digest standards	12	" "$work/python.out" ||
    { cat "$work/python.out"; fail "the README's script did not list job run 12"; }
cmp "$work/reference.qpk" "$work/job_run_12.qpk" || fail "the Python export differs"
[ -z "$(find "$dist" -name __pycache__)" ] || fail "the package left compiled files in the root"
"$root/usr/bin/lumbrook" unregister >/dev/null
if grep -q 'Software\\Classes' "$XDG_CONFIG_HOME/lumbrook/HKEY_CURRENT_USER.reg"; then
    fail "unregister left the registration of the removed file"
fi
if command -v lintian >/dev/null; then
    echo "== lintian"
    lintian --tag-display-limit 0 --pedantic --fail-on warning "$work"/debs/*.deb ||
        fail "lintian found warnings or errors"
fi
rm -rf "$work"
echo "install_test: passed"

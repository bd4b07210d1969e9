# CPack: `cpack -G DEB` in the build folder writes one Debian package per install component,
# with the shared-library dependencies computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME lumbrook)
set(CPACK_PACKAGE_VENDOR "The Lumbrook authors")
set(CPACK_PACKAGE_CONTACT "The Lumbrook authors <authors@lumbrook.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")

# Each package's Description: its first line is the package's own synopsis, the rest the long
# text as running text (CPack indents every line by one blank, so no line may start with a
# blank of its own, which would make it preformatted).
set(CPACK_DEBIAN_LIBLUMBROOK1_PACKAGE_NAME liblumbrook1)
# The package holds shared libraries: the linker cache is renewed through dpkg's trigger.
# (CPack also writes maintainer scripts that call ldconfig; scripts/package.sh drops them.)
set(CPACK_DEBIAN_LIBLUMBROOK1_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/triggers)
set(CPACK_DEBIAN_LIBLUMBROOK1_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBLUMBROOK1_DESCRIPTION
    "automation server for MS/MS peak list export (shared libraries)
Lumbrook exports MS/MS peak lists from a 4000 Series instrument database
(through ODBC, or a copy in SQLite) into QPK peak list files, the input of
protein-identification search engines, or into indexed mzML and mzXML.
.
This package holds the in-process automation server liblumbrook and the
platform library its hosts link.")

set(CPACK_DEBIAN_LIBLUMBROOK-DEV_PACKAGE_NAME liblumbrook-dev)
set(CPACK_DEBIAN_LIBLUMBROOK-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBLUMBROOK-DEV_PACKAGE_DEPENDS "liblumbrook1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_LIBLUMBROOK-DEV_DESCRIPTION
    "automation server for MS/MS peak list export (development files)
Lumbrook exports MS/MS peak lists from a 4000 Series instrument database into
QPK peak list files.
.
This package holds what a host program needs to create and drive the
Lumbrook object: the C and C++ headers, the pkg-config file and the CMake
package.")

set(CPACK_DEBIAN_LUMBROOK_PACKAGE_NAME lumbrook)
# The program loads the server library at run time, which no linker dependency records.
set(CPACK_DEBIAN_LUMBROOK_PACKAGE_DEPENDS "liblumbrook1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_LUMBROOK_DESCRIPTION
    "MS/MS peak lists from a 4000 Series database into QPK files
Lumbrook exports MS/MS peak lists from a 4000 Series instrument database
(through ODBC, or a copy in SQLite) into QPK peak list files, the input of
protein-identification search engines, or into indexed mzML and mzXML.
.
This package holds the command-line program lumbrook: it lists what the
database holds, exports job runs one at a time or in nightly batches with an
index back to the database, and keeps the preferences. It also ships the
database schema for making a copy in PostgreSQL or SQLite.")
set(CPACK_DEBIAN_PYTHON3-LUMBROOK_PACKAGE_NAME python3-lumbrook)
set(CPACK_DEBIAN_PYTHON3-LUMBROOK_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON3-LUMBROOK_PACKAGE_SECTION python)
# The package loads the libraries at run time through ctypes, which no linker dependency
# records; it goes with the program of its version, which writes the databases it reads.
set(CPACK_DEBIAN_PYTHON3-LUMBROOK_PACKAGE_DEPENDS
    "python3, lumbrook (= ${PROJECT_VERSION}), liblumbrook1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON3-LUMBROOK_DESCRIPTION
    "Python interface to the Lumbrook MS/MS peak list exporter
Lumbrook exports MS/MS peak lists from a 4000 Series instrument database into
QPK peak list files.
.
This package holds the Python 3 module lumbrook: it creates the Lumbrook
automation object and calls its members by name, as a scripting host does,
receives its Progress events in a Python function, and lists the spot sets,
job runs and items of the database, so that a script can export each.")
set(CPACK_COMPONENTS_ALL liblumbrook1 liblumbrook-dev lumbrook python3-lumbrook)
# The packages' programs and modules link the platform library of liblumbrook1: dpkg-shlibdeps
# finds it where CPack stages that package (packaged first, in name order).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/liblumbrook1${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
if(TARGET lumbrook_browser_module)
    list(APPEND CPACK_COMPONENTS_ALL lumbrook-browser)
    set(CPACK_DEBIAN_LUMBROOK-BROWSER_PACKAGE_NAME lumbrook-browser)
    set(CPACK_DEBIAN_LUMBROOK-BROWSER_PACKAGE_DEPENDS "liblumbrook1 (= ${PROJECT_VERSION})")
    set(CPACK_DEBIAN_LUMBROOK-BROWSER_DESCRIPTION
        "data browser of the Lumbrook peak list exporter
The modal window in which a person picks a spot set, a job run and its
spectra for an export. Without it, exports work as before and the browser
reports that it is not installed.")
endif()

include(CPack)

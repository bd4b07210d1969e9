# CPack: `cpack -G DEB` in the build folder writes one Debian package per install component,
# with the shared-library dependencies computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME lumbrook)
set(CPACK_PACKAGE_VENDOR "The Lumbrook authors")
set(CPACK_PACKAGE_CONTACT "The Lumbrook authors <authors@lumbrook.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MS/MS peak lists from a 4000 Series database into QPK files")
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

set(CPACK_DEBIAN_LUMBROOK_PACKAGE_NAME lumbrook)
# The package holds shared libraries: the linker cache is renewed through dpkg's trigger.
set(CPACK_DEBIAN_LUMBROOK_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/triggers)
set(CPACK_COMPONENT_LUMBROOK_DESCRIPTION
    "MS/MS peak lists from a 4000 Series database into QPK peak list files
 Lumbrook is an in-process automation library with a command-line host that
 exports MS/MS peak lists from a 4000 Series instrument database (through ODBC,
 or a copy in SQLite) into QPK peak list files, the input of
 protein-identification search engines.")
set(CPACK_COMPONENTS_ALL lumbrook)
# The browser module links the platform library of the other package: dpkg-shlibdeps finds it
# where CPack stages that package (packaged first, in name order).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/lumbrook${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
if(TARGET lumbrook_browser_module)
    list(APPEND CPACK_COMPONENTS_ALL lumbrook-browser)
    set(CPACK_DEBIAN_LUMBROOK-BROWSER_PACKAGE_NAME lumbrook-browser)
    set(CPACK_DEBIAN_LUMBROOK-BROWSER_PACKAGE_DEPENDS "lumbrook (= ${PROJECT_VERSION})")
    set(CPACK_COMPONENT_LUMBROOK-BROWSER_DESCRIPTION
        "data browser of the Lumbrook peak list exporter
 The modal window in which a person picks a spot set, a job run and its
 spectra for an export. Without it, exports work as before and the browser
 reports that it is not installed.")
endif()

include(CPack)

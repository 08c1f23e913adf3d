# The Debian package: cpack (or scripts/package) turns what cmake --install puts in place into
# tessaline_<version>_<arch>.deb, stripped, its library dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR "Tessaline developers")
set(CPACK_PACKAGE_CONTACT "Tessaline developers <tessaline@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copies a synthesizer voice into a performance part")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/tessaline")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information and the build tree's paths in it stay out of the package.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME tessaline)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaline developers <tessaline@example.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessaline copies one voice of an S90, Motif 6/7/8, Motif Rack or Motif
ES6/7/8 into one part of the current performance or song mix over MIDI
System Exclusive, so that the part keeps every parameter of the voice: its
element settings and, if wished, its system effects, its insertion effect
and its name.

The package holds the window (tessaline), a command-line front end
(tessaline-cli) and a virtual instrument on ALSA or JACK MIDI ports
(tessaline-virtual-instrument) to try the programs without an instrument.")

include(CPack)

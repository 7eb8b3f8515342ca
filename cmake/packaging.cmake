# Debian package of the POSIX build: `cpack -G DEB` in a build tree makes
# morvel_<version>_<arch>.deb from the install rules (the program in
# /usr/bin, the manual page in /usr/share/man/man1).
# scripts/check-package.sh builds, inspects and tries it.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "morvel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The morvel developers")
set(CPACK_PACKAGE_CONTACT "The morvel developers <morvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "batch converter of PostScript files to JPEG with Ghostscript")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# CPack puts the summary first and indents the body as a Debian description
# wants it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "morvel renders every *.ps file of a directory to a JPEG file of the same
base name beside it, by running Ghostscript's gs once per file (jpeg
device, 120 x 120 dpi). It prints a progress line and the exact converter
command for each file, starts the converter directly without a shell,
waits for each conversion in turn and reports failures on stderr with a
non-zero exit status.")
# Ghostscript is the converter morvel runs; the C and C++ runtime libraries
# come from dpkg-shlibdeps, which reads them off the binary.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ghostscript")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)

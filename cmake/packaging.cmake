# Debian package of the POSIX build: `cpack -G DEB` in a build tree makes
# morvel_<version>_<arch>.deb from the install rules: the program in
# /usr/bin, the compressed manual page in /usr/share/man/man1, and the
# copyright file and changelog in /usr/share/doc/morvel, as Debian policy
# wants them. `cmake --install` puts the same files under its prefix.
# scripts/check-package.sh builds the package and runs lintian on it.
#
# lintian (Debian 12) reports no error or warning. Of its information tags:
# - hardening-no-bindnow, hardening-no-fortify-functions: fixed below with
#   the flags dpkg-buildflags gives Debian's own packages.
# - binary-has-unneeded-section (.comment): left. CPack strips with plain
#   `strip`, which keeps the compiler's one-line identification that
#   dh_strip would drop; it costs a few dozen bytes and nothing else.

include(GNUInstallDirs)
find_program(MORVEL_GZIP gzip REQUIRED)
set(doc_dir ${PROJECT_BINARY_DIR}/package-docs)
set(CPACK_PACKAGE_CONTACT "The morvel developers <morvel@example.org>")

# Fortified string functions where the compiler optimises (glibc warns
# about the macro without optimisation), and relocations bound at start and
# then made read-only. morvel_warnings carries the flags every target of
# the project is built with, so the libraries inside the program get them.
target_compile_definitions(morvel_warnings INTERFACE
  $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
target_link_options(morvel_warnings INTERFACE LINKER:-z,relro LINKER:-z,now)

# The copyright file in the machine-readable format, made from LICENSE so
# that the two never disagree. Debian's name for the MIT license is Expat.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
if(NOT license_text MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no 'Copyright (c) ...' line followed by the license terms")
endif()
set(copyright_holder "${CMAKE_MATCH_1}")
# A license text in a control-file field: every line indented by one space,
# an empty line written as " .".
string(REPLACE "\n\n" "\n.\n" license_terms "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " license_terms " ${license_terms}")
file(CONFIGURE OUTPUT ${doc_dir}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: @PROJECT_NAME@
Upstream-Contact: @CPACK_PACKAGE_CONTACT@

Files: *
Copyright: @copyright_holder@
License: Expat
Comment: The MIT license, as in the file LICENSE of the sources.

License: Expat
@license_terms@
" @ONLY)

# A native package's changelog: one entry for the version being built.
# Its date is the release date of that version; change both together.
set(MORVEL_RELEASE_DATE "Tue, 08 Dec 2026 00:00:00 +0000")
file(CONFIGURE OUTPUT ${doc_dir}/changelog CONTENT
"@PROJECT_NAME@ (@PROJECT_VERSION@) unstable; urgency=medium

  * Release @PROJECT_VERSION@.

 -- @CPACK_PACKAGE_CONTACT@  @MORVEL_RELEASE_DATE@
" @ONLY)

# Compressed as Debian wants them: best compression, and no file name or
# time stamp inside, so the same sources give the same bytes.
function(morvel_gzip plain compressed)
  add_custom_command(OUTPUT ${compressed}
    COMMAND sh -c "\"$1\" -9n <\"$2\" >\"$3\"" sh ${MORVEL_GZIP} ${plain} ${compressed}
    DEPENDS ${plain}
    VERBATIM)
endfunction()
morvel_gzip(${doc_dir}/changelog ${doc_dir}/changelog.gz)
morvel_gzip(${PROJECT_SOURCE_DIR}/docs/morvel.1 ${doc_dir}/morvel.1.gz)
add_custom_target(morvel_package_docs ALL DEPENDS ${doc_dir}/changelog.gz ${doc_dir}/morvel.1.gz)

install(FILES ${doc_dir}/morvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "morvel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The morvel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "batch converter of PostScript files to JPEG with Ghostscript")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
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

# The archive a Windows user unpacks, made by `cpack -G ZIP` in the build
# tree (the mingw32 and mingw64 workflow presets do it):
# morvel-<version>-win32.zip or -win64.zip after the program's architecture,
# holding a folder of the same name with morvel.exe (stripped: less than
# half the size), README.txt, LICENSE.txt and the manual page as plain
# text, morvel.txt. The text files have CR LF line ends: Notepad before
# Windows 10 shows a file with bare LF line ends as one long line. They must
# be plain ASCII, which any Windows code page shows as written.

find_program(MORVEL_GROFF groff REQUIRED)
set(archive_docs ${PROJECT_BINARY_DIR}/archive-docs)
file(MAKE_DIRECTORY ${archive_docs})

# The manual rendered at configure time; a change to it configures again.
execute_process(
  COMMAND ${MORVEL_GROFF} -ww -man -Tascii -P-cbou ${PROJECT_SOURCE_DIR}/docs/morvel.1
  OUTPUT_FILE ${archive_docs}/morvel.ascii
  RESULT_VARIABLE groff_status)
if(NOT groff_status EQUAL 0)
  message(FATAL_ERROR "groff cannot render docs/morvel.1")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/morvel.1)

# @VERSION@ and @PROGRAM_KIND@ in the README.
set(VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(archive_arch win64)
  set(PROGRAM_KIND "64-bit, for 64-bit Windows")
else()
  set(archive_arch win32)
  set(PROGRAM_KIND "32-bit, for 32- and 64-bit Windows")
endif()
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${archive_docs}/README.txt
  @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${archive_docs}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${archive_docs}/morvel.ascii ${archive_docs}/morvel.txt @ONLY NEWLINE_STYLE CRLF)
set(archive_texts ${archive_docs}/README.txt ${archive_docs}/LICENSE.txt ${archive_docs}/morvel.txt)
foreach(text_file ${archive_texts})
  file(READ ${text_file} text)
  if(text MATCHES "[^\t\r\n -~]")
    message(FATAL_ERROR "${text_file} is not plain ASCII: ${CMAKE_MATCH_0}")
  endif()
endforeach()

# The program's own install rule puts it in CMAKE_INSTALL_BINDIR, the
# archive's top here (see the top CMakeLists.txt).
install(FILES ${archive_texts} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${archive_arch})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The archive a Windows user gets, made by CPack from the build's own
# configuration (as the package step makes it) into a folder of the test's:
# it is named after the version and the architecture and holds one folder of
# its own name with morvel.exe, README.txt, LICENSE.txt and morvel.txt, and
# nothing else. Left unpacked in <folder>/unpacked for the test that runs it.
#   cmake -P check-archive.cmake -- <cpack> <CPackConfig.cmake> <folder> <name>
set(cpack ${CMAKE_ARGV4})
set(config ${CMAKE_ARGV5})
set(folder ${CMAKE_ARGV6})
set(name ${CMAKE_ARGV7})
file(REMOVE_RECURSE ${folder})
execute_process(COMMAND ${cpack} --config ${config} -B ${folder}
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB archives RELATIVE ${folder} ${folder}/*.zip)
if(NOT archives STREQUAL "${name}.zip")
  message(FATAL_ERROR "cpack made '${archives}' in ${folder}; expected ${name}.zip")
endif()

file(MAKE_DIRECTORY ${folder}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${folder}/${name}.zip
  WORKING_DIRECTORY ${folder}/unpacked RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${folder}/${name}.zip cannot be unpacked")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${folder}/unpacked ${folder}/unpacked/*)
list(SORT files)
set(expected LICENSE.txt README.txt morvel.exe morvel.txt)
list(TRANSFORM expected PREPEND ${name}/)
if(NOT files STREQUAL expected)
  list(JOIN files "\n  " files)
  list(JOIN expected "\n  " expected)
  message(FATAL_ERROR "${name}.zip holds:\n  ${files}\nexpected:\n  ${expected}")
endif()
message(STATUS "${name}.zip holds ${files}")

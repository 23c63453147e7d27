# Reads the library's one list of its interface (src/core/interface.h) for
# the build: qr_read_interface(FILE functions variables) sets functions to
# "exported name|symbol|bytes of arguments" entries and variables to the
# exported values' names, both in the list's order.
function(qr_read_interface file out_functions out_variables)
  file(STRINGS "${file}" lines REGEX "^QR_(FUNCTION|VALUE)\\(")
  set(functions "")
  set(variables "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^QR_FUNCTION\\([^,]+, ([A-Za-z0-9_]+), \\(.*\\), ([^ ,]+), ([0-9]+), (HOST|LIBRARY)\\)$")
      list(APPEND functions "${CMAKE_MATCH_2}|${CMAKE_MATCH_1}|${CMAKE_MATCH_3}")
    elseif(line MATCHES "^QR_VALUE\\([^,]+, ([A-Za-z0-9_]+), [^,]*, (EXPORTED|SHARED_ONLY), (HOST|LIBRARY)\\)$")
      if(CMAKE_MATCH_2 STREQUAL "EXPORTED")
        list(APPEND variables "${CMAKE_MATCH_1}")
      endif()
    else()
      message(FATAL_ERROR "${file}: a line the build cannot read: ${line}")
    endif()
  endforeach()
  set(${out_functions} "${functions}" PARENT_SCOPE)
  set(${out_variables} "${variables}" PARENT_SCOPE)
endfunction()

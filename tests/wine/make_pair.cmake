# Lays out both widths as the product runs them on a 64-bit Windows: the
# 64-bit host and library in OUT, the 32-bit ones in OUT/x86.  Without an
# i686 build the 32-bit part is left out (the tests of both widths then say
# so).
file(MAKE_DIRECTORY ${OUT})
file(COPY ${X64}/Quillrun.exe ${X64}/QRHook.dll DESTINATION ${OUT})
if(EXISTS ${I686}/Quillrun.exe AND EXISTS ${I686}/QRHook.dll)
  file(COPY ${I686}/Quillrun.exe ${I686}/QRHook.dll DESTINATION ${OUT}/x86)
else()
  message(STATUS "No i686 build in ${I686}: pair/ has the 64-bit host alone")
  file(REMOVE_RECURSE ${OUT}/x86)
endif()

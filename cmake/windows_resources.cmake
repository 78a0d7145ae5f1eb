# kest_windows_resources(TARGET gui|console DESCRIPTION): the program's version information
# (the project's VERSION) and its application manifest, as one generated resource script.
enable_language(RC)

function(kest_windows_resources target kind description)
  set(KEST_PROGRAM ${target})
  set(KEST_DESCRIPTION ${description})
  set(KEST_MANIFEST ${CMAKE_SOURCE_DIR}/resources/windows/${kind}.manifest)
  set(script ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/windows/version.rc.in ${script} @ONLY)
  target_sources(${target} PRIVATE ${script})
  set_property(SOURCE ${script} APPEND PROPERTY COMPILE_OPTIONS -I${CMAKE_BINARY_DIR}/generated)
  # windres does not see the manifest as a dependency of the script.
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${KEST_MANIFEST})
endfunction()

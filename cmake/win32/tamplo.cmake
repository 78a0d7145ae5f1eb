# tamplo.exe, the flash loader: a hidden main window, standard dialogs and message boxes
# around the portable loader sequence of loader/.
enable_language(RC)
add_executable(tamplo WIN32
  loader/win32/tamplo_main.cpp
  loader/win32/com_properties_dlg.cpp
  resources/tamplo.rc)
target_include_directories(tamplo PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(tamplo PRIVATE kestplatform)
# windres finds the dialogs' control ids in the source tree.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/tamplo.rc APPEND PROPERTY
  COMPILE_OPTIONS -I${CMAKE_SOURCE_DIR} -I${CMAKE_SOURCE_DIR}/resources)

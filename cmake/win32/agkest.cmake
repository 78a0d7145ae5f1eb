# agkest.exe: the application generator (GUI subsystem).
file(GLOB AGKEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/editor/win32/*.cpp ${CMAKE_SOURCE_DIR}/simulator/win32/*.cpp)
if(EXISTS ${CMAKE_SOURCE_DIR}/simulator/engine.cpp)
  list(FILTER AGKEST_SOURCES EXCLUDE REGEX "engine_placeholder\\.cpp$")
endif()
# One resource script per page template (pages/) and per dialog (dialogs/), each compiled
# on its own, besides the program's menus, strings and bitmaps in agkest.rc.
file(GLOB AGKEST_RESOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/agkest/agkest.rc
  ${CMAKE_SOURCE_DIR}/resources/agkest/pages/*.rc
  ${CMAKE_SOURCE_DIR}/resources/agkest/dialogs/*.rc)
add_executable(agkest WIN32 ${AGKEST_SOURCES} ${AGKEST_RESOURCES})
target_link_libraries(agkest PRIVATE kestplatform comctl32 comdlg32 gdi32 user32 shell32)
target_include_directories(agkest PRIVATE ${CMAKE_SOURCE_DIR})
# windres finds the bitmaps and the icon next to the script and the ids in the source tree.
set_property(SOURCE ${AGKEST_RESOURCES} APPEND PROPERTY
  COMPILE_OPTIONS -I${CMAKE_SOURCE_DIR} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}/resources/agkest)
# windres writes no dependency file: a template is compiled again whenever an ids header
# changes.
file(GLOB AGKEST_RESOURCE_HEADERS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/editor/*_ids.h ${CMAKE_SOURCE_DIR}/editor/win32/resource_ids.h ${CMAKE_SOURCE_DIR}/resources/*.h)
set_property(SOURCE ${AGKEST_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS ${AGKEST_RESOURCE_HEADERS})

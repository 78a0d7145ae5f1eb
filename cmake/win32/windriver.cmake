# windriver.exe: the end-to-end tests' driver of dialogs and message boxes under Wine.
add_executable(windriver ${CMAKE_SOURCE_DIR}/tests/wine/windriver.cpp)
target_link_libraries(windriver PRIVATE comctl32 user32 shell32 version psapi)
target_link_options(windriver PRIVATE -municode -mconsole)

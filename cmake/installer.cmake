# The delivery of the Windows programs. The manual goes beside the programs in the build
# folder too (agkest's help finds Handbuch\index.html there as in an installed copy); the
# target installer writes the setup program (makensis) and a portable zip of the same files.
file(GLOB_RECURSE KEST_MANUAL_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/manual/*)
set(KEST_MANUAL_DIR ${CMAKE_BINARY_DIR}/Handbuch)
add_custom_command(OUTPUT ${KEST_MANUAL_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KEST_MANUAL_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/docs/manual ${KEST_MANUAL_DIR}
  DEPENDS ${KEST_MANUAL_FILES}
  COMMENT "Copying the manual"
  VERBATIM)
add_custom_target(manual ALL DEPENDS ${KEST_MANUAL_DIR}/index.html)

set(KEST_DELIVERY_NAME kest-${PROJECT_VERSION})
set(KEST_DELIVERY_DIR ${CMAKE_BINARY_DIR}/delivery)
set(KEST_STAGE ${KEST_DELIVERY_DIR}/${KEST_DELIVERY_NAME})
set(KEST_SETUP ${CMAKE_BINARY_DIR}/${KEST_DELIVERY_NAME}-setup.exe)
set(KEST_ZIP ${CMAKE_BINARY_DIR}/${KEST_DELIVERY_NAME}-win64.zip)
find_program(KEST_MAKENSIS makensis)
if(NOT KEST_MAKENSIS)
  set(KEST_MAKENSIS makensis)  # the target says so when it runs; the rest of the build does not need it
endif()

add_custom_command(OUTPUT ${KEST_SETUP} ${KEST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KEST_DELIVERY_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KEST_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:agkest> $<TARGET_FILE:tamplo> $<TARGET_FILE:kest> ${KEST_STAGE}
  COMMAND ${CMAKE_STRIP} --strip-debug ${KEST_STAGE}/agkest.exe ${KEST_STAGE}/tamplo.exe ${KEST_STAGE}/kest.exe
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KEST_MANUAL_DIR} ${KEST_STAGE}/Handbuch
  COMMAND ${KEST_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${KEST_STAGE} -DOUTFILE=${KEST_SETUP}
          -DICON=${CMAKE_SOURCE_DIR}/resources/agkest/agkest.ico ${CMAKE_SOURCE_DIR}/installer/kest.nsi
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KEST_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${KEST_DELIVERY_DIR}
          ${CMAKE_COMMAND} -E tar cf ${KEST_ZIP} --format=zip ${KEST_DELIVERY_NAME}
  DEPENDS agkest tamplo kest manual ${KEST_MANUAL_DIR}/index.html ${CMAKE_SOURCE_DIR}/installer/kest.nsi
  COMMENT "Writing ${KEST_DELIVERY_NAME}-setup.exe and ${KEST_DELIVERY_NAME}-win64.zip"
  VERBATIM)
add_custom_target(installer DEPENDS ${KEST_SETUP} ${KEST_ZIP})

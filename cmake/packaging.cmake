# Packages made by CPack (`cpack` in the build folder).
#
# Windows: group_g-VERSION-windows-x86_64.zip, the run folder as it is (the
# program, bmpcheck, the five pictures and a short read-me, in one folder),
# to be unpacked anywhere and started from there. tools/build_windows.sh
# builds it.
if(WIN32)
  install(TARGETS group_g bmpcheck RUNTIME DESTINATION .)
  install(FILES ${GROUP_G_PICTURE_FILES} DESTINATION .)
  # Windows' own line ends, so that Notepad shows the lines.
  file(READ ${PROJECT_SOURCE_DIR}/platform/win32/README.txt readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${readme}")
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME group_g)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME group_g-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
endif()

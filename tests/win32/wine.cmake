# The Windows build, cross-compiled into windows/, tested under Wine in the
# build's prefix (wine/): loader and text tests, bmpcheck.exe against
# bmpcheck, the zip, the journeys of group_g.exe; the setup program in a
# prefix of its own. Needs MinGW-w64, Wine, fonts-nanum, locales, nsis, icoutils.
option(GROUP_G_WINE_TESTS "Cross-build the Windows programs and test them under Wine" OFF)
if(NOT GROUP_G_WINE_TESTS)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/cmake/windows_build.cmake)
if(GROUP_G_WINDOWS_MISSING)
  message(FATAL_ERROR "the Wine tests need ${GROUP_G_WINDOWS_MISSING} "
                      "(tools/install_deps.sh --tests installs it)")
endif()
find_program(GROUP_G_UNZIP unzip REQUIRED)
find_program(GROUP_G_WRESTOOL wrestool REQUIRED)

set(wine_scripts ${CMAKE_CURRENT_LIST_DIR})
set(wine_out ${CMAKE_CURRENT_BINARY_DIR}/wine-artifacts)

# Made once per build folder; every other Wine test needs it.
add_test(NAME wine.prefix COMMAND bash ${wine_scripts}/wine_prefix.sh ${GROUP_G_WINE_DIR})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 600)

add_test(NAME wine.loader
  COMMAND bash ${wine_scripts}/wine_run.sh ${GROUP_G_WINE_DIR}
          ${GROUP_G_WINDOWS_DIR}/tests/loader_win32_test.exe)
add_test(NAME wine.bmpcheck
  COMMAND bash ${wine_scripts}/wine_bmpcheck.sh ${GROUP_G_WINE_DIR}
          ${GROUP_G_WINDOWS_DIR}/run/bmpcheck.exe $<TARGET_FILE:bmpcheck> ${GROUP_G_RUN_DIR}
          ${wine_out}/bmpcheck)
add_test(NAME wine.package
  COMMAND bash ${wine_scripts}/wine_package.sh ${GROUP_G_WINE_DIR} ${GROUP_G_WINDOWS_DIR}
          ${wine_out}/package)
# Every executable carries its manifest among its resources.
add_test(NAME wine.manifest
  COMMAND sh -c "for exe in \"$@\"; do ${GROUP_G_WRESTOOL} -l --type=24 \"$exe\" | grep -q . || { echo \"$exe: no manifest\"; exit 1; }; done"
          manifest ${GROUP_G_WINDOWS_DIR}/run/group_g.exe ${GROUP_G_WINDOWS_DIR}/run/bmpcheck.exe)
set_tests_properties(wine.manifest PROPERTIES LABELS wine)
# One Wine test at a time: they share the prefix and its one session.
set_tests_properties(wine.loader wine.bmpcheck wine.package PROPERTIES
  FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine TIMEOUT 300 LABELS wine)

# The journeys against group_g.exe, started through the launcher the
# environment names. Left out: the client area at the screen's corner
# (Windows puts the frame there; wine_journey checks it), the box centred on
# the window (Wine centres it on the screen), minimizing (Wine reports it
# after the deactivation, so the program draws on), F1 back to a window (Wine
# shrinks the new window to the still 640x480 display), the aim before a
# burst of right clicks (misses now and then); the installed program is Linux
# only. The copy of group_g.exe has a folder of its own, as the build's run
# folder holds pictures it would take in place of missing ones.
set(wine_program_dir ${CMAKE_CURRENT_BINARY_DIR}/wine-program)
add_custom_target(wine_program ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${wine_program_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${GROUP_G_WINDOWS_DIR}/run/group_g.exe
          ${wine_program_dir}/group_g.exe)
add_dependencies(wine_program windows_build)
set(wine_journey_env
  "GROUP_G_E2E_PROGRAM=${wine_program_dir}/group_g.exe"
  "GROUP_G_E2E_LAUNCHER=${wine_scripts}/wine_run.sh --new-session ${GROUP_G_WINE_DIR}"
  "GROUP_G_E2E_ARTIFACTS=${wine_out}/journeys")

group_g_wine_program(wine_journey ${wine_scripts}/wine_journey.cpp)
target_link_libraries(wine_journey PRIVATE e2e_driver)
target_compile_definitions(wine_journey PRIVATE
  GROUP_G_BOX_TEXT="${GROUP_G_WINDOWS_DIR}/tests/box_text.exe")

set(wine_journey_cases
  window_journey:WindowJourney.*:-WindowJourney.OpensAtTheScreenCorner*
  scene_journey:SceneJourney.*
  fullscreen_journey:FullscreenJourney.WithoutTheMode*
  pictures_journey:PicturesJourney.Missing*:PicturesJourney.Broken*:PicturesJourney.HugeClaim*
  wine_journey:WineJourney.*:Locales/WineHangul.*)
foreach(entry ${wine_journey_cases})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 journey)
  list(REMOVE_AT parts 0)
  string(REPLACE ";" ":" filter "${parts}")
  add_test(NAME wine.e2e.${journey} COMMAND ${journey} --gtest_filter=${filter})
  set_tests_properties(wine.e2e.${journey} PROPERTIES
    ENVIRONMENT "${wine_journey_env}" FIXTURES_REQUIRED wine_prefix
    RESOURCE_LOCK wine TIMEOUT 900 LABELS "wine;e2e")
endforeach()

# The setup program, in a prefix the journey makes afresh.
find_program(GROUP_G_MAKENSIS makensis REQUIRED)
group_g_wine_program(wine_setup_journey ${wine_scripts}/wine_setup_journey.cpp)
target_link_libraries(wine_setup_journey PRIVATE e2e_driver)
target_compile_definitions(wine_setup_journey PRIVATE
  GROUP_G_SETUP_WINE_DIR="${CMAKE_CURRENT_BINARY_DIR}/wine-setup"
  GROUP_G_CPACK="${CMAKE_CPACK_COMMAND}"
  GROUP_G_WRESTOOL="${GROUP_G_WRESTOOL}"
  GROUP_G_VERSION="${PROJECT_VERSION}")
add_test(NAME wine.e2e.setup_journey COMMAND wine_setup_journey)
set_tests_properties(wine.e2e.setup_journey PROPERTIES
  ENVIRONMENT "GROUP_G_E2E_ARTIFACTS=${wine_out}/journeys"
  RESOURCE_LOCK wine TIMEOUT 900 LABELS "wine;e2e")

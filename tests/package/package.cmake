# The Debian package built, checked, installed, run (package_journey) and
# removed; made from a plain build, so a sanitized suite leaves it out.
if(NOT GROUP_G_SANITIZE)
  add_executable(package_journey ${CMAKE_CURRENT_SOURCE_DIR}/package/package_journey.cpp)
  target_link_libraries(package_journey PRIVATE e2e_driver)
  group_g_warnings(package_journey)
  add_test(NAME package_e2e
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/package_e2e.sh
                   ${CMAKE_BINARY_DIR}/package-build $<TARGET_FILE:package_journey>)
  set_tests_properties(package_e2e PROPERTIES TIMEOUT 1800 LABELS "e2e;package")
endif()

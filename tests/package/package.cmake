# The Debian package, built from a tree of its own with tools/build_package.sh,
# checked, installed, run and removed. The package is made from a plain
# build, so a sanitized suite leaves this to the normal one.
if(NOT GROUP_G_SANITIZE)
  add_test(NAME package_e2e
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/package_e2e.sh
                   ${CMAKE_BINARY_DIR}/package-build)
  set_tests_properties(package_e2e PROPERTIES
    TIMEOUT 1800
    ENVIRONMENT "GROUP_G_ARTIFACTS=${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts")
endif()

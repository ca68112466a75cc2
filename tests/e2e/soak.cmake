# The soak drives the sanitized program with random input for two minutes
# and reads the sanitizers' reports, so it belongs to a sanitized build only.
if(GROUP_G_SANITIZE)
  add_test(NAME soak COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/soak.sh 120)
  set_tests_properties(soak PROPERTIES
    TIMEOUT 420
    ENVIRONMENT "GROUP_G_BIN=$<TARGET_FILE:group_g>;GROUP_G_RUN_DIR=${GROUP_G_RUN_DIR};GROUP_G_ARTIFACTS=${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts")
endif()

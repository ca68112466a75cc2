# The soak drives the sanitized program with random input for two minutes
# and reads the sanitizers' reports, so it belongs to a sanitized build only.
# heap_probe is preloaded into the program to report its live heap.
if(GROUP_G_SANITIZE)
  add_library(heap_probe SHARED ${CMAKE_CURRENT_SOURCE_DIR}/e2e/heap_probe.c)
  find_package(Threads REQUIRED)
  target_link_libraries(heap_probe PRIVATE Threads::Threads)
  add_test(NAME soak COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/soak.sh 120)
  set_tests_properties(soak PROPERTIES
    TIMEOUT 420
    ENVIRONMENT "GROUP_G_BIN=$<TARGET_FILE:group_g>;GROUP_G_RUN_DIR=${GROUP_G_RUN_DIR};GROUP_G_ARTIFACTS=${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts;GROUP_G_HEAP_PROBE_LIB=$<TARGET_FILE:heap_probe>")
endif()

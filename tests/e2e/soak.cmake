# The soak drives the sanitized program with random input for two minutes
# and reads the sanitizers' reports, so it belongs to a sanitized build only.
# heap_probe is preloaded into the program to report its live heap.
if(GROUP_G_SANITIZE)
  find_package(Threads REQUIRED)
  add_library(heap_probe SHARED ${E2E_DIR}/heap_probe.c)
  target_link_libraries(heap_probe PRIVATE Threads::Threads)
  add_executable(soak ${E2E_DIR}/soak.cpp)
  target_link_libraries(soak PRIVATE e2e_driver)
  target_compile_definitions(soak PRIVATE GROUP_G_HEAP_PROBE_LIB="$<TARGET_FILE:heap_probe>")
  add_dependencies(soak heap_probe)
  group_g_warnings(soak)
  add_test(NAME soak COMMAND soak 120)
  set_tests_properties(soak PROPERTIES TIMEOUT 420 LABELS soak)
  # Two minutes of boxes and F-key taps on Weston: the Wayland paths under
  # the sanitizers.
  add_executable(weston_soak ${E2E_DIR}/weston_soak.cpp)
  target_link_libraries(weston_soak PRIVATE e2e_driver)
  group_g_warnings(weston_soak)
  add_test(NAME soak.Weston COMMAND weston_soak)
  set_tests_properties(soak.Weston PROPERTIES TIMEOUT 420 LABELS soak)
endif()

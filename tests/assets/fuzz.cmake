# The loader's libFuzzer target (clang, -DGROUP_G_FUZZ=ON; run by
# tests/fuzz/run_fuzz.sh). The loader and its platform calls are compiled in,
# so all of them carry the coverage and sanitizer instrumentation.
if(GROUP_G_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "GROUP_G_FUZZ needs clang (libFuzzer): configure with CXX=clang++")
  endif()
  set(BMP_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
                     -fno-omit-frame-pointer)
  include(${PROJECT_SOURCE_DIR}/cmake/loader_sources.cmake)
  add_executable(bmp_fuzzer ${PROJECT_SOURCE_DIR}/tests/fuzz/bmp_fuzzer.cpp
                            ${GROUP_G_LOADER_SOURCES})
  target_include_directories(bmp_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(bmp_fuzzer PRIVATE ${BMP_FUZZ_FLAGS})
  target_link_options(bmp_fuzzer PRIVATE ${BMP_FUZZ_FLAGS})

  add_executable(bmp_seed_corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/bmp_seed_corpus.cpp)
  target_link_libraries(bmp_seed_corpus PRIVATE bmp_bytes)
endif()

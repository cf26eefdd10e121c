# Shared build rules: warning flags for our own code, sanitizers, and the
# helpers every folder uses to declare libraries, tests, benchmarks and fuzzers.

set(SUITE_WARNINGS -Wall -Wextra -Werror)

if(SUITE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz builds instrument everything for coverage; only the fuzz targets link the
# driver. Undefined behaviour is fatal, so the fuzzer stops and saves its input.
if(SUITE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# suite_library(<name> [SHARED|STATIC|MODULE] SOURCES ... [LIBS ...] [PUBLIC_LIBS ...])
function(suite_library name)
  cmake_parse_arguments(A "SHARED;STATIC;MODULE" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
  set(kind STATIC)
  if(A_SHARED)
    set(kind SHARED)
  elseif(A_MODULE)
    set(kind MODULE)
  endif()
  add_library(${name} ${kind} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${SUITE_WARNINGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} PUBLIC ${A_PUBLIC_LIBS})
endfunction()

# suite_test(<name> SOURCES ... [LIBS ...])
# One GoogleTest binary; its cases are registered with CTest one by one. They
# run on Qt's offscreen platform; SUITE_TEST_DATA names the source root.
function(suite_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${SUITE_WARNINGS})
  target_compile_definitions(${name} PRIVATE SUITE_TEST_DATA="${CMAKE_SOURCE_DIR}")
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(sanitizer_env "")
  if(SUITE_SANITIZE)
    # The font library keeps caches for the life of the process.
    set(sanitizer_env ENVIRONMENT_MODIFICATION "LSAN_OPTIONS=set:suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
               ${sanitizer_env}
               TIMEOUT 600
               FIXTURES_REQUIRED suite_temp_folder)
endfunction()

# Runs after every test: the temporary folder a run of tools/test.sh gives the
# tests must be empty again (skipped when ctest runs without such a folder).
function(suite_temp_folder_check)
  add_test(NAME TemporaryFolderIsLeftEmpty
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-temp-folder.sh)
  set_tests_properties(TemporaryFolderIsLeftEmpty PROPERTIES
    FIXTURES_CLEANUP suite_temp_folder
    SKIP_RETURN_CODE 77
    TIMEOUT 60)
endfunction()

# suite_benchmark(<name> SOURCES ... [LIBS ...]): Google Benchmark programs, never run by ctest.
function(suite_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${SUITE_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# suite_fuzzer(<name> SOURCES ... [LIBS ...]): a libFuzzer target (LLVMFuzzerTestOneInput).
function(suite_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${SUITE_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()

# Adds every sub-folder of the current folder that has a CMakeLists.txt.
function(suite_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

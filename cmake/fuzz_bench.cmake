# clang build: libFuzzer targets (with ASan) and Google Benchmark programs (optimised).
#
# clang has no Shift-JIS execution charset (its -fexec-charset takes only UTF-8). So this build
# compiles copies of the sources under cp932/ in the build folder, in which cp932_literals has
# written every non-ASCII character of the narrow literals as its CP932 bytes: the texts are then
# the same bytes as in the g++ and mingw builds. Diagnostics name the original files.
find_package(benchmark REQUIRED)

# The libraries of the other builds would hold UTF-8 texts here; the programs link CP932 copies.
set_target_properties(tavolin_core tavolin_target tavolin_shell tavolin_screens tavolin_frame PROPERTIES
                      EXCLUDE_FROM_ALL TRUE)

add_executable(cp932_literals ${CMAKE_SOURCE_DIR}/cmake/cp932_literals.cpp)
set(CP932_MIRROR ${CMAKE_BINARY_DIR}/cp932)

# Sets out_var to the converted copies of the given sources (same paths under CP932_MIRROR).
function(tavolin_cp932_copies out_var)
  set(copies)
  foreach(src ${ARGN})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${src})
    set(copy ${CP932_MIRROR}/${rel})
    add_custom_command(OUTPUT ${copy}
      COMMAND cp932_literals ${src} ${copy}
      DEPENDS ${src} cp932_literals
      VERBATIM)
    list(APPEND copies ${copy})
  endforeach()
  set(${out_var} ${copies} PARENT_SCOPE)
endfunction()

set(header_globs)
foreach(dir ${AREAS} resources tests)
  list(APPEND header_globs ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.hpp ${CMAKE_SOURCE_DIR}/${dir}/*.inc)
endforeach()
file(GLOB_RECURSE tree_headers CONFIGURE_DEPENDS ${header_globs})
file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*_bench.cpp)
tavolin_cp932_copies(header_copies ${tree_headers})
tavolin_cp932_copies(portable_copies ${PORTABLE_SOURCES})
tavolin_cp932_copies(program_copies ${fuzzers} ${benches})
# One target makes every copy, before any program of this build compiles (two targets
# that made the same copy could write it at the same time).
add_custom_target(cp932_copies DEPENDS ${header_copies} ${portable_copies} ${program_copies})

# The converted headers come first, so that an include never reaches an original.
function(tavolin_clang_options target)
  tavolin_target_options(${target})
  target_include_directories(${target} BEFORE PRIVATE ${CP932_MIRROR} ${CP932_MIRROR}/tests)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_dependencies(${target} cp932_copies)
endfunction()

# Every sanitizer finding ends the fuzzer with a crash, as it fails the native tests: a
# finding that only printed a report would let the fuzz stage pass over it.
set(FUZZ_SANITIZERS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
set(FUZZ_LIB_SANITIZERS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)

if(fuzzers)
  # The fuzzers get their own instrumented copy of the portable sources.
  add_library(tavolin_fuzz_lib STATIC ${portable_copies} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  tavolin_clang_options(tavolin_fuzz_lib)
  target_compile_options(tavolin_fuzz_lib PRIVATE ${FUZZ_LIB_SANITIZERS} -g)
  foreach(f ${fuzzers})
    get_filename_component(name ${f} NAME_WE)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${f})
    add_executable(${name} ${CP932_MIRROR}/${rel})
    tavolin_clang_options(${name})
    target_compile_options(${name} PRIVATE ${FUZZ_SANITIZERS} -g)
    target_link_options(${name} PRIVATE ${FUZZ_SANITIZERS})
    target_link_libraries(${name} PRIVATE tavolin_fuzz_lib)
    # A fuzzer may start from the design files of tests/data/designs by name.
    target_compile_definitions(${name} PRIVATE TAVOLIN_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  endforeach()
endif()

if(benches)
  add_library(tavolin_bench_lib STATIC ${portable_copies} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  tavolin_clang_options(tavolin_bench_lib)
  target_compile_options(tavolin_bench_lib PRIVATE -O2)
  foreach(b ${benches})
    get_filename_component(name ${b} NAME_WE)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${b})
    add_executable(${name} ${CP932_MIRROR}/${rel})
    tavolin_clang_options(${name})
    target_compile_options(${name} PRIVATE -O2)
    target_link_libraries(${name} PRIVATE tavolin_bench_lib benchmark::benchmark_main pthread util)
  endforeach()
endif()

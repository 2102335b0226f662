# Target names follow the folder: platform/win32/kernel -> platform_win32_kernel.
function(vls_target_name out folder)
  string(REPLACE "/" "_" name "${folder}")
  set(${out} ${name} PARENT_SCOPE)
endfunction()

# One static library per source folder, made of every .cpp directly in it
# (main.cpp is a program's entry and stays out).
#   vls_library(DEPS <targets...> [PRIVATE_DEPS <targets...>])
function(vls_library)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  vls_target_name(target ${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    # A folder whose code is all in headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# A program from main.cpp in the current folder, linked with its folder's library.
#   vls_program(<name> DEPS <targets...>)
function(vls_program name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# One test program per test folder, made of every .cpp in it; files ending in
# _gl_test.cpp go into a second program labelled gl, which needs OpenGL.
#   vls_test_folder(LIBS <targets...>)
function(vls_test_folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  vls_target_name(name ${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(gl_sources ${sources})
  list(FILTER gl_sources INCLUDE REGEX "_gl_test\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "_gl_test\\.cpp$")
  if(sources)
    vls_add_test_program(test_${name} "${sources}" "${ARG_LIBS}" "")
  endif()
  if(gl_sources)
    vls_add_test_program(test_${name}_gl "${gl_sources}" "${ARG_LIBS}" gl)
  endif()
endfunction()

function(vls_add_test_program target sources libs label)
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${libs} vls_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target})
  set(env "VEILSTRAND_TEST_DATA=${CMAKE_CURRENT_BINARY_DIR}" "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
  if(label STREQUAL "gl")
    # Mesa's software driver is unloaded before the leak check runs, so what
    # it keeps cannot be told from our own leaks; address errors still count.
    # The SDL backend is asked for by name, so a headless choice made for the
    # whole run does not take the OpenGL device away from these tests.
    list(APPEND env "LIBGL_ALWAYS_SOFTWARE=1" "ASAN_OPTIONS=detect_leaks=0" "VEILSTRAND_BACKEND=sdl")
    set_tests_properties(${target} PROPERTIES LABELS gl)
  else()
    # Logic tests never touch a real display or sound card.
    list(APPEND env "VEILSTRAND_BACKEND=headless" "SDL_AUDIODRIVER=dummy")
  endif()
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()

# vls_benchmark(<name> LIBS <targets...>) from bench/<name>.cpp
function(vls_benchmark name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(bench_${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(bench_${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# vls_fuzz_target(<name> LIBS <targets...>) from fuzz/<name>.cpp
function(vls_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# Tools that write demo data register a command here; `demo` runs them all.
#   vls_demo_step(COMMAND <cmd...> DEPENDS <targets...>)
function(vls_demo_step)
  cmake_parse_arguments(ARG "" "" "COMMAND;DEPENDS" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VLS_DEMO_DEPENDS ${ARG_DEPENDS})
  # Arguments are joined with a unit separator, not a blank, so arguments
  # with blanks (paths, generator expressions) come back whole.
  string(ASCII 31 separator)
  string(REPLACE ";" "${separator}" line "${ARG_COMMAND}")
  set_property(GLOBAL APPEND PROPERTY VLS_DEMO_COMMANDS "${line}")
endfunction()

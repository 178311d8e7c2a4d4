# Shared compile settings for every Orvanne target.
add_library(orv_options INTERFACE)
target_compile_options(orv_options INTERFACE -Wall -Wextra)
target_compile_features(orv_options INTERFACE cxx_std_20)

if(ORV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ORV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORV_FUZZ needs clang (CXX=clang++ CC=clang)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Fuzzers should not spend their time allocating huge pictures.
  add_compile_definitions(ORV_MAX_PICTURE_PIXELS=4194304)
endif()

# orv_add_gtest(name SOURCES ... LIBS ...): one gtest executable registered with CTest.
function(orv_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main orv_options)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "LC_ALL=ja_JP.UTF-8;${ARG_ENV}")
endfunction()
include(GoogleTest)

# ORV_TSAN: only the picture worker's thread test and the code it needs,
# built with ThreadSanitizer (Qt and libjpeg stay uninstrumented).
add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
add_link_options(-fsanitize=thread)
add_subdirectory(src/platform)
add_subdirectory(src/picture)
add_executable(preparer_tsan_tests
  tests/display/picture_preparer_thread_test.cpp tests/picture/picture_test_util.cpp
  tests/support/test_support.cpp tests/support/jpeg_encoder.cpp
  src/display/picture_preparer.cpp src/display/fit_picture.cpp src/display/upright.cpp)
target_include_directories(preparer_tsan_tests PRIVATE src tests)
target_link_libraries(preparer_tsan_tests PRIVATE orv_platform_gui orv_picture JPEG::JPEG
                      GTest::gtest GTest::gtest_main orv_options)
add_test(NAME preparer_tsan_tests COMMAND preparer_tsan_tests)
set_tests_properties(preparer_tsan_tests PROPERTIES ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1")

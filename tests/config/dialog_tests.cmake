# The configuration dialog, driven under Qt's offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(dialog_tests
  dialog_test_main.cpp dialog_fixture.h dialog_fixture.cpp dialog_layout_test.cpp
  dialog_settings_test.cpp dialog_folder_test.cpp dialog_drop_test.cpp)
set_target_properties(dialog_tests PROPERTIES AUTOMOC ON)
target_link_libraries(dialog_tests PRIVATE orv_config_dialog orv_test_support Qt6::Test GTest::gtest orv_options)
target_include_directories(dialog_tests PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
gtest_discover_tests(dialog_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "LC_ALL=ja_JP.UTF-8")

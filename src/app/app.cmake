# The screen saver program.
add_library(orv_app STATIC process_command_line.cpp run_hosted.cpp stop_signals.cpp add_to_xscreensaver.cpp)
target_include_directories(orv_app PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_app PUBLIC orv_app_core orv_display orv_config_dialog orv_formats orv_settings PRIVATE orv_options)

add_executable(orvanne main.cpp)
target_link_libraries(orvanne PRIVATE orv_app orv_options)

add_library(orv_config_dialog STATIC config_form.cpp config_form_parts.cpp config_face.cpp config_widgets.cpp
            drop_target.cpp focus_guard.cpp glyphs.cpp)
set_target_properties(orv_config_dialog PROPERTIES AUTOMOC ON)
target_include_directories(orv_config_dialog PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_config_dialog PUBLIC orv_platform_gui orv_settings PRIVATE orv_options)
target_sources(orv_config_dialog PRIVATE fit_to_screen.cpp)

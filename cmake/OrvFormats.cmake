# The formats that come through outside libraries: HEIF (HEIC and AVIF) over
# libheif, WebP over libwebp, JPEG XL over libjxl. Each is built in when its
# library is found and left out otherwise; ORV_WITH_<NAME>=OFF leaves it out.
# orv_formats gets ORV_HAVE_<NAME> for each one built in.
find_package(PkgConfig QUIET)

set(ORV_EXTRA_FORMATS_PRESENT "")
set(ORV_EXTRA_FORMATS_ABSENT "")

set(ORV_EXTRA_FORMAT_PACKAGES "")

# orv_extra_format(NAME SOURCE file MODULES pkg-config modules... PACKAGES
# the Debian runtime packages the .deb must then depend on)
function(orv_extra_format name)
  cmake_parse_arguments(ARG "" "SOURCE" "MODULES;PACKAGES" ${ARGN})
  option(ORV_WITH_${name} "Build the ${name} format in when its library is found" ON)
  string(TOLOWER ${name} lower)
  if(ORV_WITH_${name} AND PKG_CONFIG_FOUND)
    pkg_check_modules(ORV_LIB_${name} QUIET IMPORTED_TARGET ${ARG_MODULES})
  endif()
  if(ORV_WITH_${name} AND ORV_LIB_${name}_FOUND)
    add_library(orv_${lower} STATIC ${PROJECT_SOURCE_DIR}/src/formats/${ARG_SOURCE})
    target_include_directories(orv_${lower} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    # orv_png for its vector RGB-to-BGR row conversion.
    target_link_libraries(orv_${lower} PUBLIC orv_picture PRIVATE orv_png PkgConfig::ORV_LIB_${name} orv_options)
    target_link_libraries(orv_formats PUBLIC orv_${lower})
    target_compile_definitions(orv_formats PUBLIC ORV_HAVE_${name})
    set(ORV_EXTRA_FORMATS_PRESENT "${ORV_EXTRA_FORMATS_PRESENT} ${name}" PARENT_SCOPE)
    set(ORV_EXTRA_FORMAT_PACKAGES ${ORV_EXTRA_FORMAT_PACKAGES} ${ARG_PACKAGES} PARENT_SCOPE)
  else()
    set(ORV_EXTRA_FORMATS_ABSENT "${ORV_EXTRA_FORMATS_ABSENT} ${name}(${ARG_MODULES})" PARENT_SCOPE)
  endif()
endfunction()

orv_extra_format(HEIF SOURCE heif_image.cpp MODULES libheif PACKAGES libheif1)
orv_extra_format(WEBP SOURCE webp_image.cpp MODULES libwebp libwebpdemux PACKAGES libwebp7 libwebpdemux2)
orv_extra_format(JXL SOURCE jxl_image.cpp MODULES libjxl libjxl_threads PACKAGES libjxl0.7)

message(STATUS "Picture formats built in beyond BMP, JPEG, PNG and GIF:${ORV_EXTRA_FORMATS_PRESENT}")
if(ORV_EXTRA_FORMATS_ABSENT)
  message(STATUS "Picture formats left out (library not found or switched off):${ORV_EXTRA_FORMATS_ABSENT}")
endif()

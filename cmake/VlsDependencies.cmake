# Every outside library the tree uses, found once here.
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(GTest REQUIRED)
if(VLS_BENCH)
  find_package(benchmark REQUIRED)
endif()

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)

# Header-only libraries from Debian: stb lives in an stb/ subfolder.
find_path(STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb REQUIRED)
add_library(vls_stb INTERFACE)
target_include_directories(vls_stb SYSTEM INTERFACE ${STB_INCLUDE_DIR})

find_path(TINYGLTF_INCLUDE_DIR tiny_gltf.h REQUIRED)
find_package(nlohmann_json REQUIRED)
add_library(vls_tinygltf INTERFACE)
target_include_directories(vls_tinygltf SYSTEM INTERFACE ${TINYGLTF_INCLUDE_DIR} ${STB_INCLUDE_DIR})
target_link_libraries(vls_tinygltf INTERFACE nlohmann_json::nlohmann_json)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
# Pictures from outside: PNG and JPEG decoders that are fuzzed upstream.
pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET spng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
if(VLS_BENCH)
  # The script machine's benchmark times Lua beside it; without Lua it would have no reference.
  pkg_check_modules(LUA IMPORTED_TARGET lua5.4)
  if(NOT LUA_FOUND)
    message(FATAL_ERROR "bench/script_machine needs Lua 5.4 as its reference: install liblua5.4-dev "
                        "(scripts/install-deps.sh) or configure with -DVLS_BENCH=OFF")
  endif()
endif()

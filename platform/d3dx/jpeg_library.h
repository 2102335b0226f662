#pragma once

#include <cstdio>
#include <jpeglib.h>

namespace vls::d3dx {

// The JPEG decoder is loaded on the first JPEG picture decoded, not linked:
// a program that shows none before its first frame does not map and
// relocate it. The table holds every entry point the decoder calls.
#define VLS_JPEG_FUNCTIONS(X) \
    X(jpeg_std_error) \
    X(jpeg_CreateDecompress) \
    X(jpeg_destroy_decompress) \
    X(jpeg_mem_src) \
    X(jpeg_read_header) \
    X(jpeg_start_decompress) \
    X(jpeg_read_scanlines) \
    X(jpeg_finish_decompress)

struct JpegLibrary {
#define VLS_JPEG_POINTER(name) decltype(&::name) name = nullptr;
    VLS_JPEG_FUNCTIONS(VLS_JPEG_POINTER)
#undef VLS_JPEG_POINTER
};

// The table, loaded on the first call; null when the library or an entry
// point is missing. Once loaded it stays for the process's life.
const JpegLibrary* LoadJpegLibrary();

}  // namespace vls::d3dx

#include "platform/d3d8/d3d8_gl_support.h"

#include <SDL.h>

#include <cstring>
#include <type_traits>

namespace vls::d3d8 {

bool GlFunctions::load()
{
    bool ok = true;
    auto get = [&ok](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(SDL_GL_GetProcAddress(name));
        if (!fn) ok = false;
    };
    get(ActiveTexture, "glActiveTexture");
    get(ClientActiveTexture, "glClientActiveTexture");
    get(CompressedTexImage2D, "glCompressedTexImage2D");
    get(GenFramebuffers, "glGenFramebuffers");
    get(DeleteFramebuffers, "glDeleteFramebuffers");
    get(BindFramebuffer, "glBindFramebuffer");
    get(FramebufferTexture2D, "glFramebufferTexture2D");
    get(FramebufferRenderbuffer, "glFramebufferRenderbuffer");
    get(CheckFramebufferStatus, "glCheckFramebufferStatus");
    get(GenRenderbuffers, "glGenRenderbuffers");
    get(DeleteRenderbuffers, "glDeleteRenderbuffers");
    get(BindRenderbuffer, "glBindRenderbuffer");
    get(RenderbufferStorageMultisample, "glRenderbufferStorageMultisample");
    get(BlitFramebuffer, "glBlitFramebuffer");
    get(PointParameterf, "glPointParameterf");
    get(PointParameterfv, "glPointParameterfv");
    get(GenProgramsARB, "glGenProgramsARB");
    get(BindProgramARB, "glBindProgramARB");
    get(ProgramStringARB, "glProgramStringARB");
    get(DeleteProgramsARB, "glDeleteProgramsARB");
    return ok;
}

GLenum compareFunc(DWORD f)
{
    switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum blendFactor(DWORD b)
{
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum stencilOp(DWORD op)
{
    switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum primitiveMode(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
    }
}

GLenum addressMode(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

float asFloat(DWORD bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace vls::d3d8

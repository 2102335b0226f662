#pragma once

// What the OpenGL device needs of OpenGL beyond version 1.1, and how
// Direct3D 8's enumerations map onto OpenGL's.

#include "platform/d3d8/d3d8types.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace vls::d3d8 {

// The entry points past OpenGL 1.1, fetched from the context.
struct GlFunctions {
    PFNGLACTIVETEXTUREPROC ActiveTexture;
    PFNGLCLIENTACTIVETEXTUREARBPROC ClientActiveTexture;
    PFNGLCOMPRESSEDTEXIMAGE2DPROC CompressedTexImage2D;
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC RenderbufferStorageMultisample;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer;
    PFNGLPOINTPARAMETERFPROC PointParameterf;
    PFNGLPOINTPARAMETERFVPROC PointParameterfv;
    PFNGLGENPROGRAMSARBPROC GenProgramsARB;
    PFNGLBINDPROGRAMARBPROC BindProgramARB;
    PFNGLPROGRAMSTRINGARBPROC ProgramStringARB;
    PFNGLDELETEPROGRAMSARBPROC DeleteProgramsARB;

    // False when an entry point is missing.
    bool load();
};

GLenum compareFunc(DWORD f);
GLenum blendFactor(DWORD b);
GLenum stencilOp(DWORD op);
GLenum primitiveMode(D3DPRIMITIVETYPE type);
GLenum addressMode(DWORD mode);
float asFloat(DWORD bits);

}  // namespace vls::d3d8

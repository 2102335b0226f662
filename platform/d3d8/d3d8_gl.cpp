#include "platform/d3d8/d3d8_gl.h"

#include "platform/d3d8/d3d8_format.h"
#include "platform/d3d8/d3d8_gl_support.h"
#include "platform/d3d8/d3d8_offscreen.h"
#include "platform/d3d8/d3d8_recording.h"
#include "platform/d3d8/d3d8_window.h"
#include "platform/win32/backend/headless/headless_backend.h"
#include "platform/win32/backend/sdl/sdl_backend.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace vls::d3d8 {
namespace {

constexpr int kStages = 2;

// Twice the shift from Direct3D's pixel centres to OpenGL's, in pixels: half a
// pixel less a 1/128 nudge up and left, so that an edge on a whole number
// includes the pixel on its right and below (Direct3D's top-left rule) rather
// than falling exactly on a pixel centre.
constexpr float kCentre = 1.0f - 2.0f / 128.0f;

// The final blit: the picture through the gamma ramp, one lookup per channel.
// Written as assembly programs rather than in the shading language: the
// driver's shading-language compiler costs tens of milliseconds the first
// time it runs, before the first frame, where these programs cost next to
// nothing. (c * 255 + 0.5) / 256 is the centre of texel c of the ramp.
const char* kBlitVertex =
    "!!ARBvp1.0\n"
    "MOV result.position, vertex.position;\n"
    "MOV result.texcoord[0], vertex.texcoord[0];\n"
    "END\n";
const char* kBlitFragment =
    "!!ARBfp1.0\n"
    "TEMP c, r, g, b;\n"
    "TEX c, fragment.texcoord[0], texture[0], 2D;\n"
    "MAD c, c, 0.99609375, 0.001953125;\n"
    "MOV c.w, 0.5;\n"
    "TEX r, c.xwzw, texture[1], 2D;\n"
    "TEX g, c.ywzw, texture[1], 2D;\n"
    "TEX b, c.zwzw, texture[1], 2D;\n"
    "MOV result.color.x, r.x;\n"
    "MOV result.color.y, g.y;\n"
    "MOV result.color.z, b.z;\n"
    "MOV result.color.w, 1.0;\n"
    "END\n";


struct Vertex {
    float position[4];
    GLubyte colour[4];
    float tex[kStages][2];
};

class GLDevice final : public D3D8Device {
public:
    GLDevice(IDirect3D8* d3d, SDL_Window* window, const D3DPRESENT_PARAMETERS& params, const D3DCAPS8& caps)
        : D3D8Device(d3d, params, caps, false), window_(window)
    {
    }

    // Draws on an offscreen window of its own and shows its pictures to the
    // headless backend as the pictures of `shownIn`.
    GLDevice(IDirect3D8* d3d, HWND shownIn, const D3DPRESENT_PARAMETERS& params, const D3DCAPS8& caps)
        : D3D8Device(d3d, params, caps, false), shownIn_(shownIn), modulesBefore_(loadedModules())
    {
        window_ = openOffscreenWindow(width(), height());
    }

    bool start()
    {
        // Fixed-function drawing needs the compatibility profile.
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        if (!window_) return false;
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) return false;
        if (shownIn_) keepModulesLoadedSince(modulesBefore_);
        SDL_GL_MakeCurrent(window_, context_);
        SDL_GL_SetSwapInterval(0);
        if (!gl_.load()) return false;
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        s3tc_ = extensions && std::strstr(extensions, "GL_EXT_texture_compression_s3tc") != nullptr;
        if (!makeTargets()) return false;
        makeBlitProgram();
        glGenTextures(1, &gammaTexture_);
        glGenTextures(1, &white_);
        glBindTexture(GL_TEXTURE_2D, white_);
        const GLubyte white[4] = {255, 255, 255, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        backendGamma();
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
        glEnable(GL_SCISSOR_TEST);
        if (shownIn_) headless::SetPictureReader(shownIn_, [this](backend::Surface& picture) { return readPicture(picture); });
        return true;
    }

protected:
    ~GLDevice() override
    {
        if (shownIn_) {
            headless::SetPictureReader(shownIn_, {});
            keepModulesLoadedSince(modulesBefore_);
        }
        if (context_) {
            current();
            releaseDeadTextures();
            releaseTargets();
            deleteBlitProgram();
            glDeleteTextures(1, &gammaTexture_);
            glDeleteTextures(1, &white_);
            SDL_GL_DeleteContext(context_);
        }
        if (shownIn_) closeOffscreenWindow(window_);
    }

    void backendClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override
    {
        current();
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
        if (flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
        if (flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glStencilMask(0xFF);
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                     (color >> 24) / 255.0f);
        glClearDepth(z);
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
        if ((flags & D3DCLEAR_TARGET) && samples_ == 0) {
            const bool whole = count == 0 && viewport_.X == 0 && viewport_.Y == 0
                && static_cast<int>(viewport_.Width) >= width() && static_cast<int>(viewport_.Height) >= height();
            keepFront(whole);
        }
        const RECT view{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                        static_cast<LONG>(viewport_.X + viewport_.Width), static_cast<LONG>(viewport_.Y + viewport_.Height)};
        auto clearRect = [&](RECT r) {
            r.left = std::max(r.left, view.left);
            r.top = std::max(r.top, view.top);
            r.right = std::min(r.right, view.right);
            r.bottom = std::min(r.bottom, view.bottom);
            if (r.right <= r.left || r.bottom <= r.top) return;
            glScissor(r.left, height() - r.bottom, r.right - r.left, r.bottom - r.top);
            glClear(mask);
        };
        if (count == 0) {
            clearRect(view);
        } else {
            for (DWORD i = 0; i < count; ++i) clearRect(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2});
        }
    }

    void backendDraw(const DrawRequest& request) override
    {
        current();
        releaseDeadTextures();
        if (samples_ == 0) keepFront(false);
        applyRenderStates();
        const bool pretransformed = (request.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
        applyTransforms(pretransformed);
        applyStages();
        convert(request, pretransformed);

        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(4, GL_FLOAT, sizeof(Vertex), vertices_.data()->position);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), vertices_.data()->colour);
        for (int s = 0; s < kStages; ++s) {
            gl_.ClientActiveTexture(GL_TEXTURE0 + s);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), vertices_.data()->tex[s]);
        }
        gl_.ClientActiveTexture(GL_TEXTURE0);
        const GLenum mode = primitiveMode(request.type);
        const GLsizei count = static_cast<GLsizei>(verticesForPrimitives(request.type, request.primitiveCount));
        if (request.indices.empty()) {
            glDrawArrays(mode, 0, std::min<GLsizei>(count, static_cast<GLsizei>(vertices_.size())));
        } else {
            glDrawElements(mode, count, GL_UNSIGNED_INT, request.indices.data());
        }
    }

    // One pass over the window: the scene texture drawn through the gamma
    // ramp into the letterbox, and the bars cleared around it. The scene
    // texture goes on holding the presented picture for GetFrontBuffer
    // until the scene is next written (keepFront).
    void backendPresent() override
    {
        current();
        releaseDeadTextures();
        resolve();
        frontInScene_ = true;
        presented_ = true;
        if (shownIn_) {
            // Nobody looks at the offscreen window: the picture is read
            // from the scene texture when the backend asks for it.
            gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
            glEnable(GL_SCISSOR_TEST);
            return;
        }

        int windowWidth = 0, windowHeight = 0;
        SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, 0);
        // The same box the window layer maps the mouse through.
        const VlsLetterbox box = vls_backend_sdl_letterbox(window_, width(), height());
        const int boxBottom = windowHeight - box.y - box.height;
        glClearColor(0, 0, 0, 1);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        const auto clearBar = [](int x, int y, int w, int h) {
            if (w <= 0 || h <= 0) return;
            glScissor(x, y, w, h);
            glClear(GL_COLOR_BUFFER_BIT);
        };
        clearBar(0, 0, box.x, windowHeight);
        clearBar(box.x + box.width, 0, windowWidth - box.x - box.width, windowHeight);
        clearBar(box.x, 0, box.width, boxBottom);
        clearBar(box.x, boxBottom + box.height, box.width, windowHeight - boxBottom - box.height);
        glDisable(GL_SCISSOR_TEST);
        glViewport(box.x, boxBottom, box.width, box.height);
        drawBlit(sceneTexture_);
        if (D3D8TestOptions().captureWindow) captureWindow(windowWidth, windowHeight);
        SDL_GL_SwapWindow(window_);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
        glEnable(GL_SCISSOR_TEST);
    }

    void backendReset() override
    {
        current();
        frontInScene_ = false;
        releaseTargets();
        makeTargets();
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    }

    void backendGamma() override
    {
        current();
        std::vector<WORD> ramp(256 * 3);
        for (int i = 0; i < 256; ++i) {
            ramp[i * 3] = gamma_.red[i];
            ramp[i * 3 + 1] = gamma_.green[i];
            ramp[i * 3 + 2] = gamma_.blue[i];
        }
        glActiveTextureSafe(0);
        glBindTexture(GL_TEXTURE_2D, gammaTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16, 256, 1, 0, GL_RGB, GL_UNSIGNED_SHORT, ramp.data());
    }

    void backendReadBack(std::vector<DWORD>& pixels) override
    {
        current();
        if (samples_ > 0) keepFront(true);
        resolve();
        readFramebuffer(sceneFbo_, pixels);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    }

    void backendReadFront(std::vector<DWORD>& pixels) override
    {
        current();
        if (!frontInScene_) ensureFront();
        readFramebuffer(frontInScene_ ? sceneFbo_ : frontFbo_, pixels);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    }

private:
    int width() const { return static_cast<int>(params_.BackBufferWidth); }
    int height() const { return static_cast<int>(params_.BackBufferHeight); }

    void current()
    {
        if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
    }

    void glActiveTextureSafe(int unit) { gl_.ActiveTexture(GL_TEXTURE0 + unit); }

    void releaseDeadTextures()
    {
        if (link_->deadGlTextures.empty()) return;
        glDeleteTextures(static_cast<GLsizei>(link_->deadGlTextures.size()), link_->deadGlTextures.data());
        link_->deadGlTextures.clear();
    }

    GLuint colourTexture(GLuint& texture)
    {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width(), height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        return texture;
    }

    GLuint framebufferFor(GLuint texture)
    {
        GLuint fbo = 0;
        gl_.GenFramebuffers(1, &fbo);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo);
        gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        return fbo;
    }

    // The scene target (multisampled renderbuffers resolved into a texture
    // when asked for). The front copy that Present keeps is made when a
    // presented picture first has to move aside (ensureFront), so the first
    // frame pays for one colour target only.
    bool makeTargets()
    {
        samples_ = params_.MultiSampleType >= 2 ? static_cast<GLint>(params_.MultiSampleType) : 0;
        glActiveTextureSafe(0);
        sceneFbo_ = framebufferFor(colourTexture(sceneTexture_));
        gl_.GenRenderbuffers(1, &depthBuffer_);
        gl_.BindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        gl_.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples_, GL_DEPTH24_STENCIL8, width(), height());
        if (samples_ > 0) {
            gl_.GenRenderbuffers(1, &msColour_);
            gl_.BindRenderbuffer(GL_RENDERBUFFER, msColour_);
            gl_.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples_, GL_RGBA8, width(), height());
            gl_.GenFramebuffers(1, &msFbo_);
            gl_.BindFramebuffer(GL_FRAMEBUFFER, msFbo_);
            gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, msColour_);
            drawFbo_ = msFbo_;
        } else {
            drawFbo_ = sceneFbo_;
        }
        gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        const bool complete = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glClearColor(0, 0, 0, 1);
        glDisable(GL_SCISSOR_TEST);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        return complete;
    }

    // The front copy, black until a presented picture moves into it. Leaves
    // drawFbo_ bound.
    void ensureFront()
    {
        if (frontFbo_) return;
        GLboolean scissor = GL_FALSE;
        glGetBooleanv(GL_SCISSOR_TEST, &scissor);
        GLfloat clear[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glActiveTextureSafe(0);
        frontFbo_ = framebufferFor(colourTexture(frontTexture_));
        glClearColor(0, 0, 0, 1);
        glDisable(GL_SCISSOR_TEST);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        if (scissor) glEnable(GL_SCISSOR_TEST);
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    }

    void releaseTargets()
    {
        gl_.BindFramebuffer(GL_FRAMEBUFFER, 0);
        GLuint fbos[] = {sceneFbo_, frontFbo_, msFbo_};
        gl_.DeleteFramebuffers(3, fbos);
        GLuint rbs[] = {depthBuffer_, msColour_};
        gl_.DeleteRenderbuffers(2, rbs);
        GLuint textures[] = {sceneTexture_, frontTexture_};
        glDeleteTextures(2, textures);
        sceneFbo_ = frontFbo_ = msFbo_ = depthBuffer_ = msColour_ = sceneTexture_ = frontTexture_ = 0;
    }

    // Before the scene texture is written after a Present, the picture it
    // holds moves to the front texture: by swapping the two when the write
    // replaces every pixel, else by a copy. Leaves drawFbo_ bound.
    void keepFront(bool replacesScene)
    {
        if (!frontInScene_) return;
        frontInScene_ = false;
        ensureFront();
        if (replacesScene) {
            std::swap(sceneTexture_, frontTexture_);
            gl_.BindFramebuffer(GL_FRAMEBUFFER, sceneFbo_);
            gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneTexture_, 0);
            gl_.BindFramebuffer(GL_FRAMEBUFFER, frontFbo_);
            gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture_, 0);
        } else {
            GLboolean scissor = GL_FALSE;
            glGetBooleanv(GL_SCISSOR_TEST, &scissor);
            gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, sceneFbo_);
            gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, frontFbo_);
            glDisable(GL_SCISSOR_TEST);
            gl_.BlitFramebuffer(0, 0, width(), height(), 0, 0, width(), height(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
            if (scissor) glEnable(GL_SCISSOR_TEST);
        }
        gl_.BindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    }

    void resolve()
    {
        if (samples_ == 0) return;
        gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, msFbo_);
        gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneFbo_);
        glDisable(GL_SCISSOR_TEST);
        gl_.BlitFramebuffer(0, 0, width(), height(), 0, 0, width(), height(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glEnable(GL_SCISSOR_TEST);
    }

    void readFramebuffer(GLuint fbo, std::vector<DWORD>& pixels)
    {
        gl_.BindFramebuffer(GL_FRAMEBUFFER, fbo);
        std::vector<DWORD> rows(static_cast<std::size_t>(width()) * height());
        glReadPixels(0, 0, width(), height(), GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
        pixels.resize(rows.size());
        for (int y = 0; y < height(); ++y) {
            std::memcpy(&pixels[static_cast<std::size_t>(y) * width()],
                        &rows[static_cast<std::size_t>(height() - 1 - y) * width()], static_cast<std::size_t>(width()) * 4);
        }
    }

    // The last presented picture as the window would show it: through the
    // gamma ramp, as the final blit's lookup does.
    bool readPicture(backend::Surface& picture)
    {
        if (!presented_) return false;
        std::vector<DWORD> pixels;
        backendReadFront(pixels);
        const auto through = [](const WORD* ramp, DWORD value) {
            return static_cast<std::uint32_t>((ramp[value & 0xFF] * 255u + 32767u) / 65535u);
        };
        picture.width = width();
        picture.height = height();
        picture.pixels.resize(pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const DWORD p = pixels[i];
            picture.pixels[i] = 0xFF000000u | through(gamma_.red, p >> 16) << 16 | through(gamma_.green, p >> 8) << 8 |
                                through(gamma_.blue, p);
        }
        return true;
    }

    void captureWindow(int w, int h)
    {
        std::vector<DWORD> rows(static_cast<std::size_t>(w) * h);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
        windowPixels_.resize(rows.size());
        for (int y = 0; y < h; ++y) {
            std::memcpy(&windowPixels_[static_cast<std::size_t>(y) * w], &rows[static_cast<std::size_t>(h - 1 - y) * w],
                        static_cast<std::size_t>(w) * 4);
        }
        windowWidth_ = w;
    }

    // False when the driver refuses the program, which leaves it unset.
    bool loadProgram(GLenum target, GLuint& program, const char* text)
    {
        gl_.GenProgramsARB(1, &program);
        gl_.BindProgramARB(target, program);
        gl_.ProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(std::strlen(text)), text);
        GLint errorAt = -1;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
        gl_.BindProgramARB(target, 0);
        if (errorAt == -1) return true;
        gl_.DeleteProgramsARB(1, &program);
        program = 0;
        return false;
    }

    void makeBlitProgram()
    {
        if (!loadProgram(GL_VERTEX_PROGRAM_ARB, blitVertex_, kBlitVertex)
            || !loadProgram(GL_FRAGMENT_PROGRAM_ARB, blitFragment_, kBlitFragment))
            deleteBlitProgram();
    }

    void deleteBlitProgram()
    {
        const GLuint programs[] = {blitVertex_, blitFragment_};
        gl_.DeleteProgramsARB(2, programs);
        blitVertex_ = blitFragment_ = 0;
    }

    void drawBlit(GLuint picture)
    {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_CULL_FACE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glDisableClientState(GL_COLOR_ARRAY);
        for (int s = kStages - 1; s >= 0; --s) {
            glActiveTextureSafe(s);
            glDisable(GL_TEXTURE_2D);
        }
        glActiveTextureSafe(1);
        glBindTexture(GL_TEXTURE_2D, gammaTexture_);
        glActiveTextureSafe(0);
        glBindTexture(GL_TEXTURE_2D, picture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        if (blitFragment_) {
            gl_.BindProgramARB(GL_VERTEX_PROGRAM_ARB, blitVertex_);
            gl_.BindProgramARB(GL_FRAGMENT_PROGRAM_ARB, blitFragment_);
            glEnable(GL_VERTEX_PROGRAM_ARB);
            glEnable(GL_FRAGMENT_PROGRAM_ARB);
        } else {
            glEnable(GL_TEXTURE_2D);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const float quad[] = {-1, -1, 0, 0, 1, -1, 1, 0, 1, 1, 1, 1, -1, 1, 0, 1};
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 16, quad);
        gl_.ClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 16, quad + 2);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        if (blitFragment_) {
            glDisable(GL_VERTEX_PROGRAM_ARB);
            glDisable(GL_FRAGMENT_PROGRAM_ARB);
        }
    }

    DWORD rs(D3DRENDERSTATETYPE state) const { return renderStates_[state]; }

    void enable(GLenum cap, bool on)
    {
        if (on) {
            glEnable(cap);
        } else {
            glDisable(cap);
        }
    }

    void applyRenderStates()
    {
        enable(GL_DEPTH_TEST, rs(D3DRS_ZENABLE) != D3DZB_FALSE);
        glDepthFunc(compareFunc(rs(D3DRS_ZFUNC)));
        glDepthMask(rs(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
        enable(GL_ALPHA_TEST, rs(D3DRS_ALPHATESTENABLE) != 0);
        glAlphaFunc(compareFunc(rs(D3DRS_ALPHAFUNC)), (rs(D3DRS_ALPHAREF) & 0xFF) / 255.0f);
        enable(GL_BLEND, rs(D3DRS_ALPHABLENDENABLE) != 0);
        glBlendFunc(blendFactor(rs(D3DRS_SRCBLEND)), blendFactor(rs(D3DRS_DESTBLEND)));
        // Our picture is stored bottom-up, which turns Direct3D's clockwise
        // (front) faces counter-clockwise.
        const DWORD cull = rs(D3DRS_CULLMODE);
        enable(GL_CULL_FACE, cull != D3DCULL_NONE);
        glFrontFace(GL_CCW);
        glCullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
        enable(GL_STENCIL_TEST, rs(D3DRS_STENCILENABLE) != 0);
        glStencilFunc(compareFunc(rs(D3DRS_STENCILFUNC)), static_cast<GLint>(rs(D3DRS_STENCILREF) & 0xFF),
                      rs(D3DRS_STENCILMASK));
        glStencilOp(stencilOp(rs(D3DRS_STENCILFAIL)), stencilOp(rs(D3DRS_STENCILZFAIL)), stencilOp(rs(D3DRS_STENCILPASS)));
        glStencilMask(rs(D3DRS_STENCILWRITEMASK));
        const DWORD write = rs(D3DRS_COLORWRITEENABLE);
        glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
        glPolygonMode(GL_FRONT_AND_BACK, rs(D3DRS_FILLMODE) == D3DFILL_WIREFRAME ? GL_LINE
                                         : rs(D3DRS_FILLMODE) == D3DFILL_POINT ? GL_POINT : GL_FILL);
        glShadeModel(rs(D3DRS_SHADEMODE) == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
        enable(GL_MULTISAMPLE, rs(D3DRS_MULTISAMPLEANTIALIAS) != 0 && samples_ > 0);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);

        const bool sprites = rs(D3DRS_POINTSPRITEENABLE) != 0;
        enable(GL_POINT_SPRITE, sprites);
        for (int s = 0; s < kStages; ++s) {
            glActiveTextureSafe(s);
            glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, sprites ? GL_TRUE : GL_FALSE);
        }
        float size = asFloat(rs(D3DRS_POINTSIZE));
        float attenuation[3] = {1, 0, 0};
        if (rs(D3DRS_POINTSCALEENABLE)) {
            // Direct3D scales by the viewport height over the eye distance.
            size *= static_cast<float>(viewport_.Height);
            attenuation[0] = asFloat(rs(D3DRS_POINTSCALE_A));
            attenuation[1] = asFloat(rs(D3DRS_POINTSCALE_B));
            attenuation[2] = asFloat(rs(D3DRS_POINTSCALE_C));
        }
        glPointSize(std::max(size, 0.0f));
        gl_.PointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
        gl_.PointParameterf(GL_POINT_SIZE_MIN, asFloat(rs(D3DRS_POINTSIZE_MIN)));
        gl_.PointParameterf(GL_POINT_SIZE_MAX, asFloat(rs(D3DRS_POINTSIZE_MAX)));
    }

    void applyTransforms(bool pretransformed)
    {
        glMatrixMode(GL_PROJECTION);
        if (pretransformed) {
            // Screen pixels with Direct3D's pixel centres on whole numbers;
            // depth z goes through as the window depth.
            const float w = static_cast<float>(width()), h = static_cast<float>(height());
            const float m[16] = {2 / w, 0, 0, 0, 0, -2 / h, 0, 0, 0, 0, 2, 0, kCentre / w - 1, 1 - kCentre / h, -1, 1};
            glLoadMatrixf(m);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glViewport(0, 0, width(), height());
            glScissor(0, 0, width(), height());
            glDepthRange(0, 1);
            return;
        }
        // Direct3D's row-vector matrices read column-major are the GL matrices;
        // in front of the projection, depth 0..1 becomes -1..1 and the half-pixel
        // shift is made.
        const float vw = static_cast<float>(std::max<DWORD>(1, viewport_.Width));
        const float vh = static_cast<float>(std::max<DWORD>(1, viewport_.Height));
        const float fix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, kCentre / vw, -kCentre / vh, -1, 1};
        glLoadMatrixf(fix);
        glMultMatrixf(&transforms_[D3DTS_PROJECTION].m[0][0]);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(&transforms_[D3DTS_VIEW].m[0][0]);
        glMultMatrixf(&transforms_[D3DTS_WORLD].m[0][0]);
        const GLint y = height() - static_cast<GLint>(viewport_.Y + viewport_.Height);
        glViewport(static_cast<GLint>(viewport_.X), y, static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
        glScissor(static_cast<GLint>(viewport_.X), y, static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
        glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    }

    void upload(MemTexture& texture)
    {
        if (texture.glName == 0) glGenTextures(1, &texture.glName);
        glBindTexture(GL_TEXTURE_2D, texture.glName);
        if (texture.glVersion == texture.version()) return;
        texture.glVersion = texture.version();
        const D3DFORMAT format = texture.format();
        auto& levels = texture.levels();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size()) - 1);
        std::vector<DWORD>& pixels = uploadPixels_;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const auto& level = levels[i];
            const GLint index = static_cast<GLint>(i);
            const GLsizei w = static_cast<GLsizei>(level.width), h = static_cast<GLsizei>(level.height);
            if (isDxtFormat(format) && s3tc_) {
                const GLenum internal = format == D3DFMT_DXT1 ? GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
                                        : (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) ? GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
                                                                                            : GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
                gl_.CompressedTexImage2D(GL_TEXTURE_2D, index, internal, w, h, 0,
                                         static_cast<GLsizei>(level.bits.size()), level.bits.data());
                continue;
            }
            // A8R8G8B8 is GL's BGRA byte order already: no copy to make.
            if (format == D3DFMT_A8R8G8B8) {
                glTexImage2D(GL_TEXTURE_2D, index, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, level.bits.data());
                continue;
            }
            pixels.assign(static_cast<std::size_t>(w) * h, 0);
            if (isDxtFormat(format)) {
                decodeDxt(format, level.bits.data(), level.width, level.height, pixels.data());
            } else {
                const UINT bpp = bytesPerPixel(format);
                for (std::size_t p = 0; p < pixels.size(); ++p) pixels[p] = readPixel(format, level.bits.data() + p * bpp);
            }
            glTexImage2D(GL_TEXTURE_2D, index, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        }
    }

    static void setSource(GLenum source, GLenum operand, DWORD arg, int stage, bool alpha)
    {
        GLenum what = GL_PRIMARY_COLOR;
        switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_TEXTURE: what = GL_TEXTURE; break;
        case D3DTA_TFACTOR: what = GL_CONSTANT; break;
        case D3DTA_CURRENT: what = stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS; break;
        default: what = GL_PRIMARY_COLOR; break;
        }
        glTexEnvi(GL_TEXTURE_ENV, source, static_cast<GLint>(what));
        const bool complement = (arg & D3DTA_COMPLEMENT) != 0;
        GLenum op;
        if (alpha || (arg & D3DTA_ALPHAREPLICATE)) {
            op = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
        } else {
            op = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
        }
        glTexEnvi(GL_TEXTURE_ENV, operand, static_cast<GLint>(op));
    }

    // One combiner function (colour or alpha) of a stage.
    static void combine(bool alpha, DWORD op, DWORD arg1, DWORD arg2, int stage)
    {
        const GLenum mode = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
        const GLenum src0 = alpha ? GL_SRC0_ALPHA : GL_SRC0_RGB, src1 = alpha ? GL_SRC1_ALPHA : GL_SRC1_RGB;
        const GLenum src2 = alpha ? GL_SRC2_ALPHA : GL_SRC2_RGB;
        const GLenum op0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB, op1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
        const GLenum op2 = alpha ? GL_OPERAND2_ALPHA : GL_OPERAND2_RGB;
        const GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
        GLint function = GL_MODULATE;
        float factor = 1.0f;
        DWORD first = arg1, second = arg2;
        switch (op) {
        case D3DTOP_DISABLE: function = GL_REPLACE; first = D3DTA_CURRENT; break;
        case D3DTOP_SELECTARG1: function = GL_REPLACE; break;
        case D3DTOP_SELECTARG2: function = GL_REPLACE; first = arg2; break;
        case D3DTOP_MODULATE2X: factor = 2.0f; break;
        case D3DTOP_MODULATE4X: factor = 4.0f; break;
        case D3DTOP_ADD:
        case D3DTOP_ADDSMOOTH: function = GL_ADD; break;
        case D3DTOP_ADDSIGNED: function = GL_ADD_SIGNED; break;
        case D3DTOP_ADDSIGNED2X: function = GL_ADD_SIGNED; factor = 2.0f; break;
        case D3DTOP_SUBTRACT: function = GL_SUBTRACT; break;
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDFACTORALPHA: function = GL_INTERPOLATE; break;
        default: break;
        }
        glTexEnvi(GL_TEXTURE_ENV, mode, function);
        glTexEnvf(GL_TEXTURE_ENV, scale, factor);
        setSource(src0, op0, first, stage, alpha);
        setSource(src1, op1, second, stage, alpha);
        if (function == GL_INTERPOLATE) {
            const DWORD weight = op == D3DTOP_BLENDDIFFUSEALPHA ? D3DTA_DIFFUSE
                                 : op == D3DTOP_BLENDTEXTUREALPHA ? D3DTA_TEXTURE : D3DTA_TFACTOR;
            setSource(src2, op2, weight | D3DTA_ALPHAREPLICATE, stage, true);
        }
    }

    void applyStages()
    {
        const DWORD factor = rs(D3DRS_TEXTUREFACTOR);
        const float constant[4] = {((factor >> 16) & 0xFF) / 255.0f, ((factor >> 8) & 0xFF) / 255.0f,
                                   (factor & 0xFF) / 255.0f, (factor >> 24) / 255.0f};
        bool active = true;
        for (int s = 0; s < kStages; ++s) {
            const auto& st = stageStages(s);
            glActiveTextureSafe(s);
            active = active && st[D3DTSS_COLOROP] != D3DTOP_DISABLE;
            if (!active) {
                glDisable(GL_TEXTURE_2D);
                continue;
            }
            glEnable(GL_TEXTURE_2D);
            auto* texture = dynamic_cast<MemTexture*>(textures_[s]);
            if (texture) {
                upload(*texture);
                const bool mips = texture->levels().size() > 1 && st[D3DTSS_MIPFILTER] != D3DTEXF_NONE;
                const bool linearMin = st[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
                GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
                if (mips) {
                    const bool linearMip = st[D3DTSS_MIPFILTER] >= D3DTEXF_LINEAR;
                    minFilter = linearMin ? (linearMip ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                          : (linearMip ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
                }
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                                st[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(addressMode(st[D3DTSS_ADDRESSU])));
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(addressMode(st[D3DTSS_ADDRESSV])));
            } else {
                // A stage without a texture samples opaque white.
                glBindTexture(GL_TEXTURE_2D, white_);
            }
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, constant);
            combine(false, st[D3DTSS_COLOROP], st[D3DTSS_COLORARG1], st[D3DTSS_COLORARG2], s);
            combine(true, st[D3DTSS_ALPHAOP], st[D3DTSS_ALPHAARG1], st[D3DTSS_ALPHAARG2], s);
        }
        glActiveTextureSafe(0);
    }

    const std::array<DWORD, kD3DTextureStageStateCount>& stageStages(int s) const { return stageStates_[s]; }

    // Material colour of an unlit-by-lights vertex: emissive plus the ambient
    // render state times the ambient material; alpha from the diffuse one.
    DWORD litColour(bool hasDiffuse, DWORD diffuse) const
    {
        const bool vertexColour = rs(D3DRS_COLORVERTEX) && hasDiffuse;
        const D3DCOLORVALUE vertex{((diffuse >> 16) & 0xFF) / 255.0f, ((diffuse >> 8) & 0xFF) / 255.0f,
                                   (diffuse & 0xFF) / 255.0f, (diffuse >> 24) / 255.0f};
        const D3DCOLORVALUE ambientMaterial =
            vertexColour && rs(D3DRS_AMBIENTMATERIALSOURCE) == D3DMCS_COLOR1 ? vertex : material_.Ambient;
        const D3DCOLORVALUE emissive =
            vertexColour && rs(D3DRS_EMISSIVEMATERIALSOURCE) == D3DMCS_COLOR1 ? vertex : material_.Emissive;
        const float alpha =
            vertexColour && rs(D3DRS_DIFFUSEMATERIALSOURCE) == D3DMCS_COLOR1 ? vertex.a : material_.Diffuse.a;
        const DWORD ambient = rs(D3DRS_AMBIENT);
        const float ar = ((ambient >> 16) & 0xFF) / 255.0f, ag = ((ambient >> 8) & 0xFF) / 255.0f, ab = (ambient & 0xFF) / 255.0f;
        auto channel = [](float v) { return static_cast<DWORD>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
        return channel(alpha) << 24 | channel(emissive.r + ar * ambientMaterial.r) << 16 |
               channel(emissive.g + ag * ambientMaterial.g) << 8 | channel(emissive.b + ab * ambientMaterial.b);
    }

    void convert(const DrawRequest& request, bool pretransformed)
    {
        const DWORD fvf = request.fvf;
        UINT offset = pretransformed ? 16 : 12;
        if (fvf & D3DFVF_NORMAL) offset += 12;
        if (fvf & D3DFVF_PSIZE) offset += 4;
        const UINT diffuseAt = offset;
        const bool hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
        if (hasDiffuse) offset += 4;
        if (fvf & D3DFVF_SPECULAR) offset += 4;
        const UINT texAt = offset;
        const UINT texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
        const bool lit = !pretransformed && rs(D3DRS_LIGHTING) != 0;
        const UINT needed = texAt + texSets * 8;
        const bool layoutFits = needed <= request.stride;

        vertices_.resize(request.vertexCount);
        for (UINT i = 0; i < request.vertexCount; ++i) {
            const BYTE* in = request.vertices + static_cast<std::size_t>(i) * request.stride;
            Vertex& v = vertices_[i];
            float p[4] = {0, 0, 0, 1};
            std::memcpy(p, in, layoutFits ? (pretransformed ? 16 : 12) : 0);
            if (pretransformed) {
                const float w = p[3] > 0.0f ? 1.0f / p[3] : 1.0f;
                v.position[0] = p[0] * w;
                v.position[1] = p[1] * w;
                v.position[2] = p[2] * w;
                v.position[3] = w;
            } else {
                std::memcpy(v.position, p, sizeof p);
            }
            DWORD colour = 0xFFFFFFFF;
            if (hasDiffuse && layoutFits) std::memcpy(&colour, in + diffuseAt, 4);
            if (lit) colour = litColour(hasDiffuse, colour);
            v.colour[0] = static_cast<GLubyte>(colour >> 16);
            v.colour[1] = static_cast<GLubyte>(colour >> 8);
            v.colour[2] = static_cast<GLubyte>(colour);
            v.colour[3] = static_cast<GLubyte>(colour >> 24);
            for (int s = 0; s < kStages; ++s) {
                const UINT set = stageStates_[s][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
                if (layoutFits && set < texSets) {
                    std::memcpy(v.tex[s], in + texAt + set * 8, 8);
                } else {
                    v.tex[s][0] = v.tex[s][1] = 0.0f;
                }
            }
        }
    }

    SDL_Window* window_ = nullptr;
    HWND shownIn_ = nullptr;  // the window an offscreen device draws for
    std::vector<std::string> modulesBefore_;  // loaded before its driver was
    bool presented_ = false;
    SDL_GLContext context_ = nullptr;
    GlFunctions gl_{};
    bool s3tc_ = false;
    GLint samples_ = 0;
    GLuint sceneFbo_ = 0, sceneTexture_ = 0, frontFbo_ = 0, frontTexture_ = 0, msFbo_ = 0, msColour_ = 0;
    GLuint depthBuffer_ = 0, drawFbo_ = 0;
    bool frontInScene_ = false; // the scene texture holds the last presented picture
    GLuint blitVertex_ = 0, blitFragment_ = 0, gammaTexture_ = 0, white_ = 0;
    std::vector<Vertex> vertices_;
    // Converted texels on their way to GL, kept between uploads so that each
    // texture does not fault in fresh pages for its copy.
    std::vector<DWORD> uploadPixels_;
};

}  // namespace

namespace {

D3D8Device* started(GLDevice* device)
{
    if (device->start()) return device;
    device->Release();
    return nullptr;
}

}  // namespace

D3D8Device* createOpenGLDevice(IDirect3D8* d3d, void* sdlWindow, const D3DPRESENT_PARAMETERS& params,
                               const D3DCAPS8& caps)
{
    return started(new GLDevice(d3d, static_cast<SDL_Window*>(sdlWindow), params, caps));
}

D3D8Device* createOffscreenDevice(IDirect3D8* d3d, HWND shownIn, const D3DPRESENT_PARAMETERS& params,
                                  const D3DCAPS8& caps)
{
    return started(new GLDevice(d3d, shownIn, params, caps));
}

}  // namespace vls::d3d8

bool D3D8IsOpenGLDevice(IDirect3DDevice8* device)
{
    return dynamic_cast<vls::d3d8::GLDevice*>(device) != nullptr;
}

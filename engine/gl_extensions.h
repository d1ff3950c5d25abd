// What the driver offers beyond OpenGL 1.1, found once per context: vertex buffers, swap control,
// BGR(A) uploads, anisotropic filtering and the largest texture, with the entry points loaded at
// run time and the extension-string tests behind them.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

extern bool vboSupported;
// The buffer-object entry points. Our pointers carry their own names so that they never shadow
// the functions libGL exports under the same names.
extern PFNGLGENBUFFERSARBPROC tsGlGenBuffersARB;
#define glGenBuffersARB tsGlGenBuffersARB
extern PFNGLDELETEBUFFERSARBPROC tsGlDeleteBuffersARB;
#define glDeleteBuffersARB tsGlDeleteBuffersARB
extern PFNGLBINDBUFFERARBPROC tsGlBindBufferARB;
#define glBindBufferARB tsGlBindBufferARB
extern PFNGLBUFFERDATAARBPROC tsGlBufferDataARB;
#define glBufferDataARB tsGlBufferDataARB
extern PFNGLMAPBUFFERARBPROC tsGlMapBufferARB;
#define glMapBufferARB tsGlMapBufferARB
extern PFNGLUNMAPBUFFERARBPROC tsGlUnmapBufferARB;
#define glUnmapBufferARB tsGlUnmapBufferARB
extern bool swapControlSupported;
// Sets the swap interval (0 off, 1 vertical sync); null until setupExtensions found swap control.
extern int (*wglSwapIntervalEXT)(int interval);
extern bool bgraSupported;
// Filling a texture with one value on the card (GL_ARB_clear_texture); null when absent.
extern PFNGLCLEARTEXIMAGEPROC tsGlClearTexImage;
#define glClearTexImage tsGlClearTexImage
extern int maxTextureSize;
extern bool anisotropySupported;
extern float maxAnisotropy;

// Whole-word test of name in a blank-separated extension list.
bool extensionListHas(const char* list, const char* name);
// Whole-word test of the GL extension string; false for an empty name, a name with a blank, or
// when the driver gives no string.
bool isExtensionSupported(const char* name);
// Whole-word test against the window system's extension string (the GL one when there is none).
bool isWglExtensionSupported(const char* name);
// Vertex buffers, swap control, BGR(A) and the largest texture, on the current context.
void setupExtensions();
// Anisotropic filtering and its largest degree, on the current context.
void readAnisotropy();
void setSwapInterval(int interval);

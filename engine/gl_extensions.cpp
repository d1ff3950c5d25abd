#include "engine/gl_extensions.h"

#include "platform/system.h"
#include "platform/video.h"

#include <cstring>
#include <string>

bool vboSupported = false;
PFNGLGENBUFFERSARBPROC tsGlGenBuffersARB = nullptr;
PFNGLDELETEBUFFERSARBPROC tsGlDeleteBuffersARB = nullptr;
PFNGLBINDBUFFERARBPROC tsGlBindBufferARB = nullptr;
PFNGLBUFFERDATAARBPROC tsGlBufferDataARB = nullptr;
PFNGLMAPBUFFERARBPROC tsGlMapBufferARB = nullptr;
PFNGLUNMAPBUFFERARBPROC tsGlUnmapBufferARB = nullptr;
bool swapControlSupported = false;
int (*wglSwapIntervalEXT)(int interval) = nullptr;
bool bgraSupported = false;
PFNGLCLEARTEXIMAGEPROC tsGlClearTexImage = nullptr;
int maxTextureSize = 0;
bool anisotropySupported = false;
float maxAnisotropy = 0.0f;

static int swapInterval(int interval)
{
    return platformSetSwapInterval(interval) ? 1 : 0;
}

static const char* glExtensionList()
{
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

bool extensionListHas(const char* list, const char* name)
{
    if (!list || !name || !*name)
        return false;
    size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        bool startsWord = at == list || at[-1] == ' ';
        bool endsWord = at[length] == '\0' || at[length] == ' ';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool isWglExtensionSupported(const char* name)
{
    std::string list = platformWindowSystemExtensions();
    if (!list.empty())
        return extensionListHas(list.c_str(), name);
    return extensionListHas(glExtensionList(), name);
}

void setupExtensions()
{
    if (isExtensionSupported("GL_ARB_vertex_buffer_object")) {
        glGenBuffersARB = reinterpret_cast<PFNGLGENBUFFERSARBPROC>(platformGetProcAddress("glGenBuffersARB"));
        glDeleteBuffersARB = reinterpret_cast<PFNGLDELETEBUFFERSARBPROC>(platformGetProcAddress("glDeleteBuffersARB"));
        glBindBufferARB = reinterpret_cast<PFNGLBINDBUFFERARBPROC>(platformGetProcAddress("glBindBufferARB"));
        glBufferDataARB = reinterpret_cast<PFNGLBUFFERDATAARBPROC>(platformGetProcAddress("glBufferDataARB"));
        glMapBufferARB = reinterpret_cast<PFNGLMAPBUFFERARBPROC>(platformGetProcAddress("glMapBufferARB"));
        glUnmapBufferARB = reinterpret_cast<PFNGLUNMAPBUFFERARBPROC>(platformGetProcAddress("glUnmapBufferARB"));
        vboSupported = true;
    }
    if (platformSwapIntervalAvailable()) {
        wglSwapIntervalEXT = swapInterval;
        swapControlSupported = true;
    }
    if (isExtensionSupported("GL_EXT_bgra"))
        bgraSupported = true;
    if (isExtensionSupported("GL_ARB_clear_texture"))
        glClearTexImage = reinterpret_cast<PFNGLCLEARTEXIMAGEPROC>(platformGetProcAddress("glClearTexImage"));
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    maxTextureSize = size;
}

bool isExtensionSupported(const char* name)
{
    if (!name || !*name || std::strchr(name, ' '))
        return false;
    return extensionListHas(glExtensionList(), name);
}

void readAnisotropy()
{
    // Found anywhere in the list: a plain substring test, not a whole word.
    const char* list = glExtensionList();
    anisotropySupported = list && std::strstr(list, "GL_EXT_texture_filter_anisotropic") != nullptr;
    GLfloat anisotropy = 0;
    if (anisotropySupported)   // asking without the extension only raises a GL error
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    maxAnisotropy = anisotropy;
}

void setSwapInterval(int interval)
{
    if (wglSwapIntervalEXT)
        wglSwapIntervalEXT(interval);
}

#include "engine/gl_extensions.h"

#include <gtest/gtest.h>

TEST(Extensions, WholeWordMatchOnly)
{
    const char* list = "GL_EXT_bgra_extra GL_ARB_multisample GL_EXT_bgra";
    EXPECT_TRUE(extensionListHas(list, "GL_EXT_bgra"));          // found on the second occurrence
    EXPECT_TRUE(extensionListHas(list, "GL_ARB_multisample"));
    EXPECT_FALSE(extensionListHas(list, "GL_ARB_multi"));
    EXPECT_FALSE(extensionListHas(list, "sample"));
    EXPECT_FALSE(extensionListHas("XGL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_FALSE(extensionListHas(list, ""));
    EXPECT_FALSE(extensionListHas(nullptr, "GL_EXT_bgra"));
}

TEST(Extensions, MalformedNamesAndAMissingExtensionStringAreNotSupported)
{
    // No GL context is current here, so the driver gives no extension string at all.
    EXPECT_FALSE(isExtensionSupported("GL_EXT_bgra"));
    EXPECT_FALSE(isExtensionSupported(""));
    EXPECT_FALSE(isExtensionSupported(nullptr));
    EXPECT_FALSE(isExtensionSupported("GL_EXT_bgra GL_ARB_multisample"));
}

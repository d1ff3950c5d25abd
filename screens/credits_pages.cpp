#include "screens/credits_pages.h"

#include <GL/gl.h>
#include <cmath>
#include <iterator>

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "game/backdrops.h"
#include "game/credits.h"
#include "game/layout.h"
#include "screens/game_field.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

// Headings at scale 1, their names at 0.75; the lines between stay empty.
const CreditLine creditLines[] = {
    {1, 0.75f, "Developed by Quorvane"},
    {4, 1.0f, "Game Design"},
    {5, 0.75f, "The Tessarine team"},
    {8, 1.0f, "Programming & Sound FX"},
    {9, 0.75f, "The Tessarine team"},
    {12, 1.0f, "Art & Music"},
    {13, 0.75f, "The Tessarine team, drawn and composed in code"},
    {16, 1.0f, "Beta Testers"},
    {17, 0.75f, "Everyone who played the early builds"},
    {18, 0.75f, "Everyone who sent feedback & support"},
    {19, 0.75f, "The Tessarine team"},
    {22, 1.0f, "Special Thanks"},
    {23, 0.75f, "Family, Friends & Caffeine"},
};
const int creditLineCount = static_cast<int>(std::size(creditLines));

float creditLineY(int line)
{
    const LogoPlace logo = logoPlace();
    return logo.y + logo.h / 2.0f + 1.25f * mediumFont.height * static_cast<float>(line);
}

float restartRowUnit()
{
    return 3.0f * (static_cast<float>(screenWidth) / 1920.0f * 22.0f);
}

int restartQuestionRow()
{
    // The unit follows the width and the text the height: on a tall window one unit may be less
    // than a line, so the question moves down as many rows as it takes.
    const float unit = restartRowUnit();
    const float needed = 1.5f * mediumFont.height;
    if (unit <= 0.0f)
        return 1;
    const int rows = static_cast<int>(std::ceil(needed / unit));
    return rows < 1 ? 1 : rows;
}

std::string gratsCubeTexture(int colourIndex)
{
    GratsParticle particle;
    particle.colourIndex = colourIndex;
    return getBlockTextureName(gratsColour(particle), 0);
}

void renderRestart()
{
    PROFILE_SCOPE("renderRestart");
    const float x = static_cast<float>(screenWidth / 2), y = static_cast<float>(screenHeight / 2);
    pageText("Please restart the game to update your settings.", x, y, 0, 1.0f);
    pageText("Restart?", x, y + restartRowUnit() * static_cast<float>(restartQuestionRow()), 0, 1.0f);
}

void renderCredits()
{
    PROFILE_SCOPE("renderCredits");
    const LogoPlace logo = logoPlace();
    Render2D(logo.x, logo.y, logo.w, logo.h, 0, "tessarinelogo.tga", 255.0f);
    const float x = static_cast<float>(screenWidth / 2);
    for (const CreditLine& line : creditLines)
        pageText(line.text, x, creditLineY(line.line), 0, line.scale);
}

void renderGrats()
{
    PROFILE_SCOPE("renderGrats");
    popOrtho();
    camera.set(0.0f, -20.0f * blockSize, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    camera.look(0.0f);
    for (const GratsParticle& particle : gratsParticles) {
        const std::string name = gratsCubeTexture(particle.colourIndex);
        if (name.empty())
            continue;
        const int texture = getTextureIndex(name);
        if (texture == textureNotLoaded)
            continue;
        glPushMatrix();
        glColor4ub(255, 255, 255, 255);
        glTranslatef(particle.position.x, particle.position.y, particle.position.z);
        glRotatef(particle.rotationAngle, particle.rotationAxis.x, particle.rotationAxis.y, particle.rotationAxis.z);
        activateAtlasChunk(texture);
        drawMeshSet(&cubeMesh);
        glPopMatrix();
    }
    glDepthMask(GL_FALSE);
    renderParticleSystems();
    glDepthMask(GL_TRUE);
    pushOrtho();
    renderMotionBlur(0.0f, 0.0f, 0.6f, true);

    renderMenuBase();
    const float h = static_cast<float>(screenHeight), u = mediumFont.height;
    const float x = static_cast<float>(screenWidth / 2);
    Render2D(x, static_cast<float>(screenHeight / 2), 0.12f * h / 188.0f * 1431.0f, 0.125f * h, 0, "gratz.tga", 255.0f);
    pageText("You have completed classic mode!", x, 0.68f * h + 0.5f * u, 0, 1.0f);
    drawSentence("You can try the other game modes, rank up on the leaderboards or play for achievements.", x,
                 0.68f * h + 2.0f * u, 0.75f);
    pageText("Click to Continue", x, menuDescriptionY(), 0, 0.5f);
}

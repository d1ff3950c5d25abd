#include "screens/score_pages.h"

#include <cstdint>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/game_types.h"
#include "game/levels.h"
#include "game/page_state.h"
#include "game/reports.h"
#include "game/score.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/requests.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

namespace {

const float green[3] = {116, 185, 35};
const float red[3] = {255, 0, 0};

// The drawn width of a text at scale 1.
float textWidth(const std::string& text) { return 2.0f * freetype::getWidth(&mediumFont, text); }

float left() { return scoreColumnX(-1); }
float middle() { return scoreColumnX(0); }
float right() { return scoreColumnX(1); }

void title(const std::string& text)
{
    freetype::printShadowed(text.c_str(), middle(), menuRowY(menuHeadingRow), 2.0f, 0, 0.65f, 255, 255, 255, 255,
                            &largeFont);
}

void labelled(const std::string& label, const std::string& value, float row)
{
    const float y = menuRowY(row);
    pageText(label, left(), y, 5, 1.0f);
    pageText(value, right(), y, 6, 1.0f);
}

// A magnitude at the right column with its sign text just left of it.
float signedValue(const std::string& magnitude, bool positive, float y)
{
    pageText(magnitude, right(), y, 6, 1.0f);
    const float* colour = positive ? green : red;
    const char* sign = positive ? " +" : " -";
    const float signEnd = right() - textWidth(magnitude);
    pageTextColoured(sign, signEnd, y, 6, 1.0f, colour[0], colour[1], colour[2], 255);
    return signEnd - textWidth(sign);
}

// From the right column leftwards: the climb's magnitude and sign when it moved, then "#rank".
void rankValue(long long rank, long long previous, float y)
{
    const long long climb = rankClimb(previous, rank);
    float end = right();
    if (climb != 0)
        end = signedValue(magnitudeText(climb), climb > 0, y);
    pageText("#" + magnitudeText(rank), end, y, 6, 1.0f);
}

std::string timeText()
{
    // Whole seconds; a clock past what an int holds shows its largest value rather than wrapping.
    const double seconds = static_cast<double>(gameTime) / 1000.0;
    const int whole = seconds >= 2147483647.0 ? 2147483647 : seconds <= -2147483647.0 ? -2147483647
                                                                                     : static_cast<int>(seconds);
    return formatSeconds(whole);
}

std::string levelTitle()
{
    return "Level: " + magnitudeText(static_cast<long long>(levelNumber) + 1);
}

void commonRows(float scoreRow)
{
    labelled("Score: ", groupedMagnitude(getScore()), scoreRow);
    labelled("Highest Combo:", "x" + magnitudeText(bestCombo), scoreRow + 1.0f);
    labelled("Time:", timeText(), scoreRow + 2.0f);
}

void skillPointRow()
{
    const float y = menuRowY(1.0f);
    if (skillPointsAfter < 0) {
        labelled("Skillpoints", offlineMode == 99 ? "Offline" : "Loading...", 1.0f);
        return;
    }
    const long long change = static_cast<long long>(skillPointsAfter) - skillPointsBefore;
    if (change == 0) {
        labelled("Skillpoints:", "No Change", 1.0f);
        return;
    }
    pageText(change > 0 ? "Skillpoints Earned:" : "Skillpoints Lost:", left(), y, 5, 1.0f);
    signedValue(groupedMagnitude(change), change > 0, y);
}

void rankRow()
{
    const float y = menuRowY(2.0f);
    const char* label = scoreRankLabel(gameMode);
    if (newRank < 1) {
        labelled(label, offlineMode == 99 ? "Offline" : "Loading...", 2.0f);
        return;
    }
    pageText(label, left(), y, 5, 1.0f);
    rankValue(newRank, previousRank, y);
}

bool offersContinue() { return gameMode != gm::Rush && gameMode != gm::Survival && gameMode != gm::Meditation; }

} // namespace

std::string magnitudeText(long long value)
{
    // Unsigned, so the magnitude of the most negative value is still exact.
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    return std::to_string(magnitude);
}

std::string groupedMagnitude(long long value)
{
    return groupDigits(magnitudeText(value));
}

long long rankClimb(long long previous, long long now)
{
    return previous > 0 ? previous - now : 0;
}

Grade endgameGrade(long long score, long long mean, long long spread)
{
    if (score < mean - spread)
        return {"Fair", 223, 213, 0};
    if (score < mean + spread)
        return {"Good", 158, 223, 0};
    if (score < mean + 2 * spread)
        return {"Great", 0, 158, 223};
    if (score < mean + 3 * spread)
        return {"Excellent", 62, 0, 223};
    return {"Epic", 139, 0, 223};
}

const char* scoreRankLabel(int mode)
{
    switch (mode) {
    case gm::Casual: return "Casual Rank:";
    case gm::Normal: return "Normal Rank:";
    case gm::Expert: return "Expert Rank:";
    case gm::Rush: return "Rush Rank:";
    case gm::Survival: return "Survival Rank:";
    case gm::Meditation: return "Meditation Rank:";
    default: return "";
    }
}

const char* endgameRankLabel(int mode)
{
    switch (mode) {
    case gm::Normal: return "Novice Rank:";
    case gm::Expert: return "Expert Rank:";
    case gm::Rush: return "Sabotage Rank:";
    case gm::Survival: return "Survival Rank:";
    default: return "";
    }
}

void renderScoreScreen()
{
    PROFILE_SCOPE("renderScoreScreen");
    renderMenuBase();
    switch (gameMode) {
    case gm::Survival: title("Survival"); break;
    case gm::Rush: title("Rush"); break;
    case gm::Meditation: title("Meditation"); break;
    default: title(levelTitle()); break;
    }
    commonRows(-2.0f);
    if (!levelSelectPlay) {
        skillPointRow();
        rankRow();
    }
    const bool withContinue = offersContinue();
    if (hoveredButton == 1 || hoveredButton == 3 || (hoveredButton == 2 && withContinue))
        drawHighlight(scorePageButtonRect(hoveredButton));
    const float y = menuRowY(scoreButtonRow);
    pageText("Retry", left(), y, 5, 1.0f);
    if (withContinue)
        pageText("Continue", middle(), y, 0, 1.0f);
    pageText("Quit", right(), y, 6, 1.0f);
}

void renderEndgame()
{
    PROFILE_SCOPE("renderEndgame");
    renderMenuBase();
    title(gameMode == gm::Survival ? "Survival" : levelTitle());
    if (performanceMean >= 0 && performanceSpread >= 0) {
        const Grade grade = endgameGrade(getScore(), performanceMean, performanceSpread);
        const float y = menuRowY(-2.0f);
        pageText("Performance: ", left(), y, 5, 1.0f);
        pageTextColoured(grade.name, right(), y, 6, 1.0f, grade.r, grade.g, grade.b, 255);
    }
    commonRows(-1.0f);
    if (newRank >= 1) {
        const float y = menuRowY(3.0f);
        pageText(endgameRankLabel(gameMode), left(), y, 5, 1.0f);
        rankValue(newRank, previousRank, y);
    }
    pageText("Click to Continue", middle(), menuRowY(scoreButtonRow), 0, 1.0f);
}

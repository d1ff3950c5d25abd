#include "screens/score_pages.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

const float white[3] = {255, 255, 255};
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

// A piece of a row's value and its colour.
struct Piece {
    std::string text;
    const float* colour;
};

// A row: its label from the left column, its value's pieces from the right column leftwards. The
// value is sized down where it would come within a blank's width of the label.
void valueRow(const std::string& label, const std::vector<Piece>& pieces, float row)
{
    const float y = menuRowY(row);
    pageText(label, left(), y, 5, 1.0f);
    float width = 0.0f;
    for (const Piece& piece : pieces)
        width += textWidth(piece.text);
    const float room = right() - left() - textWidth(label) - textWidth(" ");
    const float scale = width > room && width > 0.0f ? std::max(room, 0.0f) / width : 1.0f;
    float end = right();
    for (const Piece& piece : pieces) {
        pageTextColoured(piece.text, end, y, 6, scale, piece.colour[0], piece.colour[1], piece.colour[2], 255);
        end -= textWidth(piece.text) * scale;
    }
}

void labelled(const std::string& label, const std::string& value, float row)
{
    valueRow(label, {{value, white}}, row);
}

// A magnitude with its sign text just left of it.
std::vector<Piece> signedValue(const std::string& magnitude, bool positive)
{
    return {{magnitude, white}, {positive ? " +" : " -", positive ? green : red}};
}

// The climb's magnitude and sign when it moved, then "#rank".
std::vector<Piece> rankValue(long long rank, long long previous)
{
    const long long climb = rankClimb(previous, rank);
    std::vector<Piece> pieces;
    if (climb != 0)
        pieces = signedValue(magnitudeText(climb), climb > 0);
    pieces.push_back({"#" + magnitudeText(rank), white});
    return pieces;
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
    if (skillPointsAfter < 0) {
        labelled("Skillpoints", offlineMode == 99 ? "Offline" : "Loading...", 1.0f);
        return;
    }
    const long long change = static_cast<long long>(skillPointsAfter) - skillPointsBefore;
    if (change == 0) {
        labelled("Skillpoints:", "No Change", 1.0f);
        return;
    }
    valueRow(change > 0 ? "Skillpoints Earned:" : "Skillpoints Lost:", signedValue(groupedMagnitude(change), change > 0),
             1.0f);
}

void rankRow()
{
    const char* label = scoreRankLabel(gameMode);
    if (newRank < 1)
        labelled(label, offlineMode == 99 ? "Offline" : "Loading...", 2.0f);
    else
        valueRow(label, rankValue(newRank, previousRank), 2.0f);
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
        const float colour[3] = {grade.r, grade.g, grade.b};
        valueRow("Performance: ", {{grade.name, colour}}, -2.0f);
    }
    commonRows(-1.0f);
    if (newRank >= 1)
        valueRow(endgameRankLabel(gameMode), rankValue(newRank, previousRank), 3.0f);
    pageText("Click to Continue", middle(), menuRowY(scoreButtonRow), 0, 1.0f);
}

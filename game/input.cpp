#include "game/input.h"

#include "engine/camera.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/window.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/page_buttons.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/login.h"
#include "platform/messages.h"

bool leftButtonDown = false;
bool rotateDragActive = false;
float mouseHoldTime = 0.0f;
int leftHoldTime = 0;
int rotateDragTime = 0;
const int quickClickLimit = 200;
const int rotateDragLimit = 100;
Vector2 dragStart(0, 0);
float actionCount = 0.0f;
int viewRotateCount = 0;
bool consoleVisible = false;
std::string consoleInput;
short (*keyStateReader)(int) = platformGetKeyState;

namespace {

// A release after a hold longer than this turned the view rather than placed a block.
constexpr float rotateHoldMs = 200.0f;
constexpr std::size_t minimumFieldLength = 4;

// The text field of one page step, and the step Enter leads to.
struct TextField {
    int state;
    int popup;
    std::string* text;
    bool password;      // measured as it is shown: one star a character
    float boxShare;     // the box's width as a share of the screen height
    float measure;      // the e-mail box measures its text at three quarters
    int enterStep;      // -1: the retype step compares the two passwords instead
    std::size_t maxLength;   // 0: the text must fit its box; else it may outgrow it, shown by its tail
};

// The longest e-mail address there is.
constexpr std::size_t maxEmailLength = 254;

const TextField textFields[] = {
    {gs::NewProfile, 20, &email, false, 0.5f, 0.75f, 1, maxEmailLength},
    {gs::NewProfile, 1, &username, false, 0.3f, 1.0f, 8, 0},
    {gs::NewProfile, 2, &playerPassword, true, 0.3f, 1.0f, 3, 0},
    {gs::NewProfile, 3, &retypedPassword, true, 0.3f, 1.0f, -1, 0},
    {gs::Login, 1, &username, false, 0.3f, 1.0f, 2, 0},
    {gs::Login, 2, &playerPassword, true, 0.3f, 1.0f, 13, 0},
};

// The field that last refused a character, and its text then: until that text changes the field
// takes no character, so a narrower one never follows one that was dropped.
const std::string* refusingField = nullptr;
std::string refusedAfter;

bool isPlayState(int state)
{
    return state == gs::Game || state == gs::Score || state == gs::Grats;
}

// The states whose release ends the hold and the drag.
bool endsHoldOnRelease(int state)
{
    return state == gs::Game || state == gs::Score || state == gs::Ranking || state == gs::RankingToMenu;
}

bool held(int virtualKey)
{
    return (getKeyState(virtualKey) & 0x8000) != 0;
}

Vector2 pointer()
{
    return Vector2(static_cast<float>(mouseX), static_cast<float>(mouseY));
}

void anchorDrag()
{
    dragStart = lastMousePos = pointer();
    mouseHoldTime = 0.0f;
}

// The text a key types; empty for keys that type nothing.
std::string typedText(int key, bool upper, bool shift)
{
    if (key >= '0' && key <= '9')
        return shift && key == '2' && popupId == 20 ? "@" : std::string(1, static_cast<char>(key));
    if (key == VK_OEM_MINUS)
        return shift ? "_" : "-";
    if (key == VK_OEM_PERIOD && popupId == 20)
        return ".";
    if (key == VK_OEM_PLUS && shift && popupId == 20)   // an address such as name+tag@host
        return "+";
    if (key >= 'A' && key <= 'Z')
        return std::string(1, static_cast<char>(upper ? key : key - 'A' + 'a'));
    return std::string();
}

void consoleKey(int key, const std::string& ch)
{
    switch (key) {
    case VK_SPACE:
        consoleInput += " ";
        break;
    case VK_BACK:
        if (!consoleInput.empty())
            consoleInput.pop_back();
        break;
    case VK_TAB:
        consoleInput = consoleSuggestion;
        break;
    case VK_RETURN: {
        const std::string line = consoleInput;
        runConsoleCommand(line);
        consoleInput.clear();
        consoleVisible = false;
        break;
    }
    default:
        consoleInput += ch;
        break;
    }
}

const TextField* fieldOf(int state, int popup)
{
    for (const TextField& field : textFields)
        if (field.state == state && field.popup == popup)
            return &field;
    return nullptr;
}

bool charFitsField(const TextField& field, const std::string& ch)
{
    const std::string shown = field.password ? std::string(field.text->size() + 1, '*') : *field.text + ch;
    return fieldTextFits(field.state, field.popup, shown);
}

bool takesChar(const TextField& field, const std::string& ch)
{
    if (refusingField == field.text && *field.text == refusedAfter)
        return false;
    refusingField = nullptr;
    if (charFitsField(field, ch))
        return true;
    refusingField = field.text;
    refusedAfter = *field.text;
    return false;
}

void enterField(const TextField& field)
{
    if (field.enterStep < 0) {
        popupId = *field.text == playerPassword ? 9 : 5;
        return;
    }
    if (field.text->size() < minimumFieldLength)
        return;
    popupId = field.enterStep;
    if (field.state == gs::Login && field.enterStep == 13)
        loginRequestSent = false;
}

void fieldKey(int key, const std::string& ch)
{
    const TextField* field = fieldOf(gameState, popupId);
    if (!field)
        return;
    if (key == VK_BACK) {
        if (!field->text->empty())
            field->text->pop_back();
    } else if (key == VK_RETURN) {
        enterField(*field);
    } else if (takesChar(*field, ch)) {
        *field->text += ch;
    }
}

// Counts a release as a player action: `always` counts every release outside the level-complete
// panel, otherwise only a hold long enough to have turned the view in play.
void countAction(bool always)
{
    if (paused || tutorialOpen || levelCompleteTimer != 0.0f)
        return;
    if (always || (mouseHoldTime > rotateHoldMs && gameState == gs::Game))
        actionCount += 1.0f;
}

bool countsRotation()
{
    return levelCompleteTimer == 0.0f && mouseHoldTime > rotateHoldMs && gameState == gs::Game;
}

} // namespace

bool fieldTextFits(int state, int popup, const std::string& shown)
{
    const TextField* field = fieldOf(state, popup);
    if (!field)
        return false;
    if (field->maxLength > 0)
        return shown.size() <= field->maxLength;
    return entryTextFits(shown, field->boxShare, field->measure);
}

short getKeyState(int virtualKey)
{
    return keyStateReader(virtualKey);
}

bool viewDragging()
{
    return ((mouseFlip == 0 || mouseFlip == 2) && leftButtonDown) || (mouseFlip == 1 && rotateDragActive);
}

void handleKeyDown(int key)
{
    if (key < 0 || key > 255)
        return;
    bool upper = (getKeyState(VK_CAPITAL) & 1) != 0;
    const bool shift = held(VK_SHIFT);
    if (shift)
        upper = !upper;
    if (key == VK_OEM_3 && held(VK_LCONTROL)) {
        consoleVisible = !consoleVisible;
        consoleInput.clear();
    }
    const std::string ch = typedText(key, upper, shift);

    if (consoleVisible) {
        consoleKey(key, ch);
        return;
    }
    if (ch.empty() && key != VK_BACK && key != VK_RETURN)
        return;
    fieldKey(key, ch);
}

void handleLeftButtonDown()
{
    if (!isPlayState(gameState)) {
        dispatchPageClick();
        return;
    }
    leftButtonDown = true;
    if (mouseFlip == 1)
        return;
    // While paused the release must not count as a quick click.
    leftHoldTime = paused ? quickClickLimit + 999 : 0;
    anchorDrag();
}

void handleLeftButtonUp()
{
    countAction(mouseFlip == 1 || mouseFlip == 2);
    if (endsHoldOnRelease(gameState)) {
        leftButtonDown = false;
        if (mouseFlip == 0 && countsRotation())
            ++viewRotateCount;
    }
    if (mouseFlip == 2 && leftHoldTime < quickClickLimit && !tutorialOpen) {
        rotateDragActive = true;
        rotateDragTime = 0;
        anchorDrag();
    }
}

void handleRightButtonDown()
{
    if (!isPlayState(gameState))
        return;
    rotateDragActive = true;
    if (mouseFlip == 1)
        anchorDrag();
}

void handleRightButtonUp()
{
    rotateDragTime = 0;
    countAction(mouseFlip == 0);
    if (endsHoldOnRelease(gameState)) {
        rotateDragActive = false;
        if (mouseFlip != 0 && countsRotation())
            ++viewRotateCount;
    }
}

#include "game/intro.h"

std::string cheeveIcons[28], cheeveTitles[28], cheeveDescriptions[28];

void fillAchievementTables()
{
    struct Entry {
        const char* icon;
        const char* title;
        const char* description;
    };
    static const Entry entries[27] = {
        {"achi-lightheaded.tga", "Lightheaded", "Spin the mass 300 times in 10 seconds"},
        {"achi-chainreaction.tga", "Chain Reaction", "Create a 13x combo in any game mode"},
        {"achi-personalgrowth.tga", "Personal Growth", "Beat your personal best score in classic mode"},
        {"achi-epic.tga", "Epic", "Get an epic performance rating in any game mode"},
        {"achi-legendary.tga", "Legendary", "Reach rank 1 in the overall leaderboard"},
        {"achi-tessarine.tga", "Tessarine", "Unlock all achievements"},
        {"achi-massaddict.tga", "Mass Addict", "Play for 100 hours"},
        {"achi-learnedtoplay.tga", "Learned To Play", "Complete classic mode on casual difficulty"},
        {"achi-vexalpro.tga", "Vexal Pro", "Complete classic mode on normal difficulty"},
        {"achi-vexalmaster.tga", "Vexal Master", "Complete classic mode on normal difficulty in under 20 minutes"},
        {"achi-vexalexpert.tga", "Vexal Expert", "Complete classic mode on expert difficulty"},
        {"achi-vexallyinsane.tga", "Vexally Insane",
         "Complete classic mode on expert difficulty in under 20 minutes"},
        {"achi-holdstill.tga", "Hold Still",
         "Complete classic mode on normal difficulty or higher without using rotation"},
        {"achi-quicksave.tga", "Quick Save", "Use a fusion pulse above 90% tessarine on normal difficulty or higher"},
        {"achi-ambidextrous.tga", "Ambidextrous",
         "Complete classic mode on normal difficulty using both normal & reversed controls"},
        {"achi-elitist.tga", "Elitist",
         "Complete classic mode on normal difficulty or higher without using timewarp & fusion pulse"},
        {"achi-betatester.tga", "Beta Tester", "Complete classic mode on casual, normal & expert"},
        {"achi-classicallytrained.tga", "Classically Trained",
         "Reach rank 1 in classic mode on normal difficulty or higher"},
        {"achi-quorvane.tga", "Quorvane", "Average actions per minute 80+ in rush mode"},
        {"achi-killstreak.tga", "Killstreak", "5 combos within 10 seconds in rush mode"},
        {"achi-buttonmasher.tga", "Button Masher", "Reach rank 1 in rush mode"},
        {"achi-zenmaster.tga", "Zen Master", "Build a 16x combo in meditation mode"},
        {"achi-intothevoid.tga", "Into The Void", "Finish meditation mode with a score of zero"},
        {"achi-enlightenment.tga", "Enlightenment", "Reach rank 1 in meditation mode"},
        {"achi-survivalist.tga", "Survivalist", "Survive for 5 minutes in survival mode"},
        {"achi-youvegotredonyou.tga", "You've Got Red On You",
         "Survive at 80% tessarine for 10 seconds in survival mode"},
        {"achi-lastmanstanding.tga", "Last Man Standing", "Reach rank 1 in survival mode"},
    };
    for (int i = 1; i <= 27; ++i) {
        cheeveIcons[i] = entries[i - 1].icon;
        cheeveTitles[i] = entries[i - 1].title;
        cheeveDescriptions[i] = entries[i - 1].description;
    }
}

// Placeholder until the intro and resource loading are written.
void UpdateIntro(float) {}

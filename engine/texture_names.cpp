#include "engine/texture_names.h"

const std::vector<std::string>& streamedTextureNames()
{
    static const std::vector<std::string> names = {
        "voderivozudid.tga", "background1.tga", "whiteparticle.tga", "titlegrid.tga", "newswindow.tga",
        "tessarinelogo.tga", "loadingbar.tga", "cursor.tga", "cursor_blue.tga", "cursor_red.tga",
        "cursor_yellow.tga", "cursor_orange.tga", "cursor_green.tga", "cursor_pink.tga", "menuonoff.tga",
        "social-twitter.tga", "social-facebook.tga", "social-tsg.tga", "steamicon.tga", "red.tga", "pink.tga",
        "orange.tga", "green.tga", "yellow.tga", "blue.tga", "redH.tga", "pinkH.tga", "orangeH.tga",
        "greenH.tga", "yellowH.tga", "blueH.tga", "redCB.tga", "pinkCB.tga", "orangeCB.tga", "greenCB.tga",
        "yellowCB.tga", "blueCB.tga", "redHCB.tga", "pinkHCB.tga", "orangeHCB.tga", "greenHCB.tga",
        "yellowHCB.tga", "blueHCB.tga", "trollface.tga", "grey.tga", "wpixel.tga", "pixel.tga",
        "pinkparticle.tga", "redparticle.tga", "orangeparticle.tga", "greenparticle.tga",
        "yellowparticle.tga", "blueparticle.tga", "masswarning.tga", "gratz.tga", "powerupbg.tga",
        "powerupcolor.tga", "powerupcolor-on.tga", "powerupreflection.tga", "pupnukeicon.tga",
        "puptimeicon.tga", "pupmultiicon.tga", "multinoty.tga", "timenoty.tga", "fusionnoty.tga",
        "cooldownedges.tga", "deathsplosion.tga", "powerupglow.tga", "popupwindow.tga", "leftmouse.tga",
        "rightmouse.tga", "escbutton.tga", "arrowup.tga", "arrowdown.tga", "arrowleft.tga", "arrowright.tga",
        "tute-pup.tga", "tute-combo.tga", "tute-combonow.tga", "tute-color.tga", "tute-crit.tga",
        "tute-control.tga", "tute-control-rev.tga", "tute-control-single.tga", "tute-rush.tga",
        "tute-rush-rev.tga", "tute-rush-single.tga", "tute-surv.tga", "tute-surv-rev.tga",
        "tute-surv-single.tga", "tute-med.tga", "tute-med-rev.tga", "tute-med-single.tga", "achi-bg.tga",
        "achi-locked.tga", "achi-lastmanstanding.tga", "achi-youvegotredonyou.tga", "achi-survivalist.tga",
        "achi-enlightenment.tga", "achi-intothevoid.tga", "achi-buttonmasher.tga", "achi-killstreak.tga",
        "achi-quorvane.tga", "achi-classicallytrained.tga", "achi-betatester.tga", "achi-elitist.tga",
        "achi-ambidextrous.tga", "achi-quicksave.tga", "achi-holdstill.tga", "achi-vexallyinsane.tga",
        "achi-vexalexpert.tga", "achi-vexalmaster.tga", "achi-vexalpro.tga", "achi-learnedtoplay.tga",
        "achi-massaddict.tga", "achi-tessarine.tga", "achi-legendary.tga", "achi-epic.tga",
        "achi-personalgrowth.tga", "achi-chainreaction.tga", "achi-lightheaded.tga", "achi-zenmaster.tga",
    };
    return names;
}

const std::vector<std::string>& packTextureNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all = streamedTextureNames();
        for (int n = 2; n <= 10; ++n)
            all.push_back("background" + std::to_string(n) + ".tga");
        for (const char* tile : {"yellowcube.tga", "bluecube.tga", "redcube.tga", "orangecube.tga", "pinkcube.tga",
                                 "greycube.tga", "greencube.tga", "bomb.tga", "buster.tga", "drill.tga"})
            all.push_back(tile);
        return all;
    }();
    return names;
}

// The simulated players' texts: built-in names and chat lines, and the side and
// specialty names as the console prints them.
#include "NameTables.h"

#include <iterator>

#include "StringIds.h"

namespace korvane {

namespace {

const char* const kNames[] = {
    "Alice",        "Bravo_Six",   "Ghost",        "Mara",       "Kestrel",  "Dutch",
    "Nikolai",      "Sgt. Pepper", "Hana",         "Longshot",   "Viper",    "Okonkwo",
    "Tess",         "Ironside",    "Lupe",         "Rook",       "Jansen",   "Wildcard",
    "Priya",        "Copperhead",  "Old Man Finn", "Sparrow",    "Dmitri",   "Quinn",
    "Bulldozer",    "Akira",       "Moose",        "Selene",     "Hatchet",  "Ravi",
    "Juniper",      "Tank",        "Brannigan",    "Yusuf",      "Nightjar", "Magpie",
    "Corporal Kim", "Sofia",       "Stonewall",    "Pixel",      "Havoc",    "Ingrid",
    "Razorback",    "Tomasz",      "Duchess",      "Bishop",     "Amara",    "Crowbar",
    "Felix",        "Mirage",      "Sundance",     "Lt. Okafor", "Boomer",   "Zhenya",
    "Echo",         "Paladin",     "Wren",         "Mustang",    "Cobb",     "Frostbite",
    "Reaper",       "Imogen",      "Sledge",       "Valkyrie",   "Nomad"};

const char* const kChat[] = {"gg",
                             "nice shot",
                             "need a medic at the bridge!",
                             "lag?",
                             "brb",
                             "lol",
                             "cover me, moving up",
                             "who has the flag?",
                             "thx",
                             "ok",
                             "go go go",
                             "sniper on the ridge, watch it",
                             "one more round?",
                             "gl hf",
                             "anyone on comms?",
                             "push left",
                             "hold the bunker",
                             "engineer, the gate needs fixing",
                             "where is everybody",
                             "that was close",
                             "wp",
                             "rush the north tower",
                             "I'm out of ammo",
                             "sorry, teamkill, my bad",
                             "they're flanking east",
                             "good round all",
                             "anyone want to swap sides?",
                             "map vote after this one?",
                             "heads up, heavy weapons at the depot",
                             "np"};

}  // namespace

const char* TeamName(int team) {
    switch (team) {
        case KORVANE_TEAM_BLUE:
            return "Blue Force";
        case KORVANE_TEAM_RED:
            return "Red Force";
        case KORVANE_TEAM_SPECTATORS:
            return "Spectators";
        default:
            return "Unassigned";
    }
}

const char* SpecialtyName(int specialty) {
    switch (specialty) {
        case KORVANE_SPECIALTY_NONE:
            return "None";
        case KORVANE_SPECIALTY_RIFLEMAN:
            return "Rifleman";
        case KORVANE_SPECIALTY_SNIPER:
            return "Sniper";
        case KORVANE_SPECIALTY_MEDIC:
            return "Medic";
        case KORVANE_SPECIALTY_ENGINEER:
            return "Engineer";
        case KORVANE_SPECIALTY_HEAVY_WEAPONS:
            return "Heavy Weapons";
        case KORVANE_SPECIALTY_DEMOLITIONS:
            return "Demolitions";
        case KORVANE_SPECIALTY_SIGNALS:
            return "Signals";
        default:
            return "Unassigned";
    }
}

const char* WeaponName(int specialty) {
    switch (specialty) {
        case KORVANE_SPECIALTY_RIFLEMAN:
            return "an assault rifle";
        case KORVANE_SPECIALTY_SNIPER:
            return "a sniper rifle";
        case KORVANE_SPECIALTY_MEDIC:
            return "a pistol";
        case KORVANE_SPECIALTY_ENGINEER:
            return "a shotgun";
        case KORVANE_SPECIALTY_HEAVY_WEAPONS:
            return "a machine gun";
        case KORVANE_SPECIALTY_DEMOLITIONS:
            return "a satchel charge";
        case KORVANE_SPECIALTY_SIGNALS:
            return "a carbine";
        default:
            return "a knife";
    }
}

size_t BuiltInNameCount() {
    return std::size(kNames);
}

const char* BuiltInName(size_t index) {
    return kNames[index];
}

size_t ChatLineCount() {
    return std::size(kChat);
}

const char* ChatLine(size_t index) {
    return kChat[index];
}

}  // namespace korvane

// The option table, presets and default rotation as constant data.
#include "settings/SettingTable.h"

#include "settings/ServerSettings.h"

namespace korvane {

const char* const BandwidthPresetNames[kBandwidthPresetCount] = {"56k", "ISDN", "DSL",
                                                                 "T1",  "T3",   "CUSTOM"};
const uint32_t BandwidthPresetValues[kBandwidthPresetCount] = {4000,    16000,    32000,
                                                               1000000, 10000000, 32000};

const char* const DefaultMapRotation[kDefaultMapCount] = {
    "worlds/antarctica", "worlds/argentina", "worlds/chechnya", "worlds/colombia",
    "worlds/lima",       "worlds/mexico",    "worlds/nafrica",  "worlds/quebec",
    "worlds/schinasea",  "worlds/srilanka",  "worlds/tunnel",   "worlds/uganda",
    "worlds/usa"};

namespace {
ServerSettings& s = serverSettings;
}

// The order is the order in which defaults are sent, variables marked and values read back.
const SettingEntry SettingTable[kSettingCount] = {
    {"servername", String, "\"Korvane Server\"", 0, nullptr},
    {"adminname", String, "\" \"", 0, nullptr},
    {"adminemail", String, "\" \"", 0, nullptr},
    {"serverwebsite", String, "\" \"", 0, nullptr},
    {"serverpassword", String, "\" \"", 0, nullptr},
    {"remoteadminpassword", String, "\" \"", 0, nullptr},
    {"timelimit", Integer, "", 30, &s.timeLimit},
    {"numrounds", Integer, "", 5, &s.numRounds},
    {"teamflip", Boolean, "", 0, &s.teamFlip},
    {"flipround", Integer, "", 1, &s.flipRound},
    {"maxplayers", Integer, "", 16, &s.maxPlayers},
    {"ffteam", Float, "", 0.5f, &s.ffTeam},
    {"ffallies", Float, "", 0.5f, &s.ffAllies},
    {"mirrordamage", Boolean, "", 1, &s.mirrorDamage},
    {"mirrordamagepercent", Float, "", 0.5f, &s.mirrorDamagePercent},
    {"tkpunish", Boolean, "", 1, &s.tkPunish},
    {"numtkstokick", Integer, "", 5, &s.numTksToKick},
    {"numcivstokick", Integer, "", 5, &s.numCivsToKick},
    {"kickafktime", Integer, "", 8, &s.kickAfkTime},
    {"voting", Boolean, "", 1, &s.voting},
    {"playerkickvote", Float, "", 0.6f, &s.playerKickVote},
    {"mapvote", Float, "", 0.6f, &s.mapVote},
    {"autoteambalance", Boolean, "", 1, &s.autoTeamBalance},
    {"logevents", Integer, "", 0, &s.logEvents},
    {"nummaps", Integer, "", 13, nullptr},
    {"katime", Float, "", 30, &s.kaTime},
    {"allowuploads", Boolean, "", 1, &s.allowUploads},
    {"map%d", Float, "", 0, nullptr},
    {"dedicated", Boolean, "", 0, &s.dedicated},
    {"IncapacitatedTime", Integer, "", 30, &s.incapacitatedTime},
    {"voip", Integer, "", 0, &s.voip},
    {"lan", Boolean, "", 0, &s.lan},
    {"serverbandwidth", Integer, "", kDefaultBandwidthPreset, &s.serverBandwidth},
    {"custombandwidth", Integer, "",
     static_cast<float>(BandwidthPresetValues[kCustomBandwidthPreset]), &s.customBandwidth},
    {"mirrorcash", Integer, "", 50, &s.mirrorCash},
    {"forceteambalance", Boolean, "", 0, &s.forceTeamBalance},
    {"TimeSyncCheck", Boolean, "", 1, &s.timeSyncCheck},
};

}  // namespace korvane

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

// The order is the order in which defaults are sent, variables marked and values read back.
const SettingEntry SettingTable[kSettingCount] = {
    {"servername", String, "\"Korvane Server\"", 0, nullptr, nullptr},
    {"adminname", String, "\" \"", 0, nullptr, nullptr},
    {"adminemail", String, "\" \"", 0, nullptr, nullptr},
    {"serverwebsite", String, "\" \"", 0, nullptr, nullptr},
    {"serverpassword", String, "\" \"", 0, nullptr, nullptr},
    {"remoteadminpassword", String, "\" \"", 0, nullptr, nullptr},
    {"timelimit", Integer, "", 30, &ServerSettings::timeLimit, nullptr},
    {"numrounds", Integer, "", 5, &ServerSettings::numRounds, nullptr},
    {"teamflip", Boolean, "", 0, &ServerSettings::teamFlip, nullptr},
    {"flipround", Integer, "", 1, &ServerSettings::flipRound, nullptr},
    {"maxplayers", Integer, "", 16, &ServerSettings::maxPlayers, nullptr},
    {"ffteam", Float, "", 0.5f, nullptr, &ServerSettings::ffTeam},
    {"ffallies", Float, "", 0.5f, nullptr, &ServerSettings::ffAllies},
    {"mirrordamage", Boolean, "", 1, &ServerSettings::mirrorDamage, nullptr},
    {"mirrordamagepercent", Float, "", 0.5f, nullptr, &ServerSettings::mirrorDamagePercent},
    {"tkpunish", Boolean, "", 1, &ServerSettings::tkPunish, nullptr},
    {"numtkstokick", Integer, "", 5, &ServerSettings::numTksToKick, nullptr},
    {"numcivstokick", Integer, "", 5, &ServerSettings::numCivsToKick, nullptr},
    {"kickafktime", Integer, "", 8, &ServerSettings::kickAfkTime, nullptr},
    {"voting", Boolean, "", 1, &ServerSettings::voting, nullptr},
    {"playerkickvote", Float, "", 0.6f, nullptr, &ServerSettings::playerKickVote},
    {"mapvote", Float, "", 0.6f, nullptr, &ServerSettings::mapVote},
    {"autoteambalance", Boolean, "", 1, &ServerSettings::autoTeamBalance, nullptr},
    {"logevents", Integer, "", 0, &ServerSettings::logEvents, nullptr},
    {kMapCountKey, Integer, "", 13, nullptr, nullptr},
    {"katime", Float, "", 30, nullptr, &ServerSettings::kaTime},
    {"allowuploads", Boolean, "", 1, &ServerSettings::allowUploads, nullptr},
    {kMapEntryKey, Float, "", 0, nullptr, nullptr},
    {"dedicated", Boolean, "", 0, &ServerSettings::dedicated, nullptr},
    {"IncapacitatedTime", Integer, "", 30, &ServerSettings::incapacitatedTime, nullptr},
    {"voip", Integer, "", 0, &ServerSettings::voip, nullptr},
    {"lan", Boolean, "", 0, &ServerSettings::lan, nullptr},
    {"serverbandwidth", Integer, "", kDefaultBandwidthPreset, &ServerSettings::serverBandwidth,
     nullptr},
    {"custombandwidth", Integer, "",
     static_cast<float>(BandwidthPresetValues[kCustomBandwidthPreset]),
     &ServerSettings::customBandwidth, nullptr},
    {"mirrorcash", Integer, "", 50, &ServerSettings::mirrorCash, nullptr},
    {"forceteambalance", Boolean, "", 0, &ServerSettings::forceTeamBalance, nullptr},
    {"TimeSyncCheck", Boolean, "", 1, &ServerSettings::timeSyncCheck, nullptr},
};

}  // namespace korvane

/* Ids of the team and specialty texts in korvane/cres.dll. Shared by cres.rc and the engine,
   whose player events carry these ids, so plain macros only. Teams and specialties share one
   string table, so their ranges must not overlap; KORVANE_UNASSIGNED serves both: a new
   player's team, and the specialty the host shows for a player without one. */
#pragma once

#define KORVANE_SPECIALTY_NONE 0
#define KORVANE_SPECIALTY_RIFLEMAN 1
#define KORVANE_SPECIALTY_SNIPER 2
#define KORVANE_SPECIALTY_MEDIC 3
#define KORVANE_SPECIALTY_ENGINEER 4
#define KORVANE_SPECIALTY_HEAVY_WEAPONS 5
#define KORVANE_SPECIALTY_DEMOLITIONS 6
#define KORVANE_SPECIALTY_SIGNALS 7
/* A player event's specialty 8 means "not chosen"; the host shows it as KORVANE_UNASSIGNED. */
#define KORVANE_SPECIALTY_UNCHOSEN 8

#define KORVANE_TEAM_BLUE 1070
#define KORVANE_TEAM_RED 1071
#define KORVANE_TEAM_SPECTATORS 1072
#define KORVANE_UNASSIGNED 1073

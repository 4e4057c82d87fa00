// game_models: the game's cast of models, loaded from PROGDIR: at the detail the settings
// ask for: the fighter ("stihac"), the compact station, the station complex with its
// freighter, the planet and moon stand-ins, the door box of the docking bay built in code,
// and up to eight scene props cached by name. Every mode that shows ships draws these.
#pragma once

#include "render/model.h"

namespace vantrel {

// Switch distances (fix16) between levels; the last entry is never reached.
extern const fix16 HULL_LOD_DIST[3];
extern const fix16 STATION_LOD_DIST[3];
extern const fix16 TRANSPORT_LOD_DIST[3];
extern const fix16 DOCK_LOD_DIST[3];
extern const fix16 MOON_LOD_DIST[3];
extern const fix16 PLANET_LOD_DIST[3];

int load_detail_models(int level);
drawable* scene_drawable(const char* name);
// The single-level box built in code for the docking demo.
int door_box_build(drawable* d);
// Frees the scene props cached by scene_drawable (a scene played to its end lets them go).
void scene_models_free();
// Frees every model the loader keeps and forgets the loaded level (the game's exit path).
void game_models_free();

// The game's fixed drawables and what is available.
extern drawable g_hull, g_dock, g_transport, g_station, g_planet, g_moon, g_door_box;
extern int g_have_dock;
extern int g_have_planet;
extern int g_have_door_box;
extern int g_model_detail; // the detail level the game models were loaded at (0: none yet)

} // namespace vantrel

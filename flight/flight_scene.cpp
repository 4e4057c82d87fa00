// flight_scene: where a flight's objects stand and move, who holds the camera, and what the
// 3D view draws of them.
//
// Scene layout of the game mode, in the flight's metre frame (y up): the station complex
// sits at the origin with its docking bay opening towards +x and its traffic flying in; the
// player starts 2.9 km out on its far side with the station ahead on the right and the
// planet (17 km away, its moon circling it) beyond on the left; the three decoys wait a few
// hundred metres ahead, the freighter off to the side. The demos show the compact station
// (orbit) or the station complex with its traffic (dock).
#include "flight/flight_local.h"
#include "flight/furniture.h"
#include "flight/scenery.h"
#include "render/globe_draw.h"
#include "render/model_draw.h"
#include "render/particles_draw.h"
#include "shell/game_models.h"

namespace vantrel {

namespace {

constexpr int GLOBES = 2;
constexpr mat3 ORBIT_STEP = {{65522, 0, 1372, 0, 65536, 0, -1372, 0, 65522}}; // 1.2 deg about Y

// Livery blocks of the game palette, one per kind of object.
constexpr uint8_t LIVERY_STATION = 200, LIVERY_TRANSPORT = 16, LIVERY_TRAFFIC = 40;
constexpr uint8_t LIVERY_DECOY[3] = {40, 64, 224};

fix32 metres(int32_t m) {
    return static_cast<fix32>(m) << 32;
}

space_pos at_metres(int32_t x, int32_t y, int32_t z) {
    return space_pos{metres(x), metres(y), metres(z)};
}

space_pos from_local(const space_local& p) {
    return space_pos{p.x, p.y, p.z};
}

void place_targets(flight* f) {
    static const char* const NAMES[TARGETS] = {"Stanice Alfa", "Kocka-7", "Sokol-2", "Vrana-5",
                                               "Nakladni-3"};
    const fix16 station_radius = f->setup->player ? 500 * FIX16_ONE : 35 * FIX16_ONE;
    f->target_count = f->setup->player ? 5 : 4;
    f->targets[0] = target_info{NAMES[0], &f->station, {0, 0, 0}, station_radius, 1};
    for (int i = 0; i < 3; i++)
        f->targets[1 + i] =
            target_info{NAMES[1 + i], &f->decoys[i], f->decoy_velocity[i], 8 * FIX16_ONE, 0};
    f->targets[4] = target_info{NAMES[4], &f->transport, {0, 0, 0}, 125 * FIX16_ONE, 0};
}

} // namespace

void flight_place_scene(flight* f) {
    f->station = render_pose{at_metres(0, 0, 0), IDENTITY};
    if (f->setup->player) {
        // Kocka-7 waits dead ahead of the start, the other two a little aside.
        f->decoys[0] = render_pose{at_metres(2123, 831, -1309), IDENTITY};
        f->decoys[1] = render_pose{at_metres(2150, 760, -1250), IDENTITY};
        f->decoys[2] = render_pose{at_metres(2250, 930, -1180), IDENTITY};
    } else {
        f->decoys[0] = render_pose{at_metres(-70, 10, -90), IDENTITY};
        f->decoys[1] = render_pose{at_metres(80, -20, -60), IDENTITY};
        f->decoys[2] = render_pose{at_metres(0, 60, 110), IDENTITY};
    }
    for (vec3& v : f->decoy_velocity) v = vec3{0, 0, 0};
    f->transport = render_pose{at_metres(1500, 250, 900), NOSE_PLUS_Z};
    f->planet = render_pose{at_metres(-17000, -2500, 3000), IDENTITY};
    f->moon = f->planet;
    orbit_init(&f->moon_orbit, static_cast<uint64_t>(metres(15788)), 39343, 0xDB05B05Bu, 61322589u,
               0);
    // The start: outside the station's far side, the station ahead on the right and the
    // planet with its moon beyond it on the left.
    f->ship.position = space_local{metres(2400), metres(900), metres(-1400)};
    vec3 view = {-6400 * FIX16_ONE, -1600 * FIX16_ONE, 2100 * FIX16_ONE}, up = {0, FIX16_ONE, 0};
    mat3_look_at(&f->ship.orientation, &view, &up);
    f->ship.velocity = vec3{0, 0, 0};
    f->ship.angular_velocity = vec3{0, 0, 0};
    place_targets(f);
}

namespace {

void look_at(render_pose* camera, const vec3& from_m, const vec3& target_m) {
    camera->pos = space_pos{static_cast<fix32>(from_m.x) << 16, static_cast<fix32>(from_m.y) << 16,
                            static_cast<fix32>(from_m.z) << 16};
    vec3 forward, up = {0, FIX16_ONE, 0};
    vec3_sub(&forward, &target_m, &from_m);
    mat3_look_at(&camera->orient, &forward, &up);
}

void orbit_demo_camera(flight* f, int ticks) {
    for (int t = 0; t < ticks; t++) {
        mat3_apply(&f->orbit_dir, &ORBIT_STEP, &f->orbit_dir);
        vec3_normalize(&f->orbit_dir, &f->orbit_dir);
    }
    const vec3& d = f->orbit_dir;
    vec3 at = {fix16_mul(140 * FIX16_ONE, d.x), 40 * FIX16_ONE, fix16_mul(140 * FIX16_ONE, d.z)};
    f->ship.position = space_local{static_cast<fix32>(at.x) << 16, static_cast<fix32>(at.y) << 16,
                                   static_cast<fix32>(at.z) << 16};
    vec3 facing = {wrap_sub32(0, d.x), 0, wrap_sub32(0, d.z)}, up = {0, FIX16_ONE, 0};
    mat3_look_at(&f->ship.orientation, &facing, &up);
    f->camera = render_pose{from_local(f->ship.position), f->ship.orientation};
}

void dock_demo_camera(flight* f) {
    amiga_datestamp now;
    amiga_date_stamp(&now);
    uint32_t t = static_cast<uint32_t>(datestamp_elapsed_ms(&f->started, &now));
    if ((t / 20000) % 2 == 0) {
        fix16 u = fix16_div(static_cast<fix16>(t % 20000), 20000);
        fix16 phi = fix16_mul(turn_sin(static_cast<uint32_t>(u)), 0x1EB8);
        vec3 from = {560 * FIX16_ONE +
                         fix16_mul(300 * FIX16_ONE, turn_sin(static_cast<uint32_t>(phi + 0x4000))),
                     70 * FIX16_ONE,
                     fix16_mul(300 * FIX16_ONE, turn_sin(static_cast<uint32_t>(phi)))};
        look_at(&f->camera, from, vec3{510 * FIX16_ONE, 0, 0});
    } else {
        fix16 u = fix16_div(static_cast<fix16>(t % 30000), 30000);
        vec3 from = {fix16_mul(1500 * FIX16_ONE, turn_sin(static_cast<uint32_t>(u + 0x4000))),
                     420 * FIX16_ONE,
                     fix16_mul(1500 * FIX16_ONE, turn_sin(static_cast<uint32_t>(u)))};
        look_at(&f->camera, from, vec3{0, 0, 0});
    }
}

} // namespace

void flight_place_camera(flight* f, int ticks) {
    switch (f->setup->camera) {
    case CAMERA_ORBIT:
        orbit_demo_camera(f, ticks);
        break;
    case CAMERA_DOCK:
        dock_demo_camera(f);
        break;
    case CAMERA_SHIP:
        f->camera = render_pose{from_local(f->ship.position), f->ship.orientation};
        break;
    }
}

namespace {

void draw_bodies(flight* f, const view_scene* view, fix16 overlap) {
    if (!f->setup->player) return;
    space_pos offset;
    orbit_offset(&f->moon_orbit, &g_world_time, &offset);
    f->moon.pos =
        space_pos{wrap_add64(f->planet.pos.x, offset.x), wrap_add64(f->planet.pos.y, offset.y),
                  wrap_add64(f->planet.pos.z, offset.z)};
    spin_orientation(&f->planet.orient, &EARTH_SPIN, &g_world_time);
    spin_orientation(&f->moon.orient, &MOON_SPIN, &g_world_time);
    const globe_texture* zeme = globe_lookup("zeme");
    const globe_texture* mesic = globe_lookup("mesic");
    globe_item items[GLOBES];
    int count = 0;
    if (zeme) globe_item_add(items, &count, GLOBES, zeme, &f->planet, &f->camera);
    if (mesic) globe_item_add(items, &count, GLOBES, mesic, &f->moon, &f->camera);
    const view_target& vt = view->target;
    draw_globes_back(vt.frame, vt.depth, vt.width, vt.height, items, count, overlap, &f->camera,
                     &f->vp, &g_depth_frame, globe_detail_setting(f->gfx.detail));
    if (!zeme && g_have_planet) view_draw_object(view, &g_planet, &f->planet, 152, SHADE_LIT_RAMP);
    if (!mesic && g_have_planet) view_draw_object(view, &g_moon, &f->moon, 176, SHADE_LIT_RAMP);
}

void place_dock_traffic(flight* f) {
    uint32_t t = f->sim_ms;
    if (f->setup->traffic_real_time) {
        amiga_datestamp now;
        amiga_date_stamp(&now);
        t = static_cast<uint32_t>(datestamp_elapsed_ms(&f->started, &now));
    }
    dock_scene scene;
    dock_scene_objects(t, &scene);
    for (int k = 0; k < DOCK_SHIPS; k++) {
        f->dock_objects[k] = render_pose{
            {scene.ship_pos[k][0], scene.ship_pos[k][1], scene.ship_pos[k][2]}, NOSE_MINUS_X};
        f->dock_in_flight[k] = scene.ship_in_flight[k];
    }
    for (int d = 0; d < 2; d++)
        f->dock_objects[3 + d] = render_pose{
            {scene.door_pos[d][0], scene.door_pos[d][1], scene.door_pos[d][2]}, IDENTITY};
    f->dock_objects[5] =
        render_pose{{scene.mover_pos[0], scene.mover_pos[1], scene.mover_pos[2]}, NOSE_PLUS_Z};
}

} // namespace

void flight_render_view(flight* f, const view_scene* view) {
    uint32_t t0 = clock_us();
    view_begin(view, &g_depth_frame);
    uint32_t t1 = clock_us();
    f->timers.clear += t1 - t0;

    int mode = f->gfx.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
    bool big_station = !f->setup->compact_station && g_have_dock;
    const drawable* station = big_station ? &g_dock : &g_station;
    fix16 overlap =
        view_far_edge(&f->camera, &f->station, big_station ? 600 * FIX16_ONE : 60 * FIX16_ONE);
    bool freighter = f->setup->player && g_have_dock;
    if (freighter) {
        fix16 t = view_far_edge(&f->camera, &f->transport, 130 * FIX16_ONE);
        if (t > overlap) overlap = t;
    }
    draw_bodies(f, view, overlap);
    f->station_lod = view_draw_object(view, station, &f->station, LIVERY_STATION, mode);
    if (big_station) {
        place_dock_traffic(f);
        for (int k = 0; k < DOCK_SHIPS; k++)
            view_draw_object(view, &g_hull, &f->dock_objects[k], LIVERY_TRAFFIC, mode);
        if (g_have_door_box)
            for (int d = 0; d < 2; d++)
                view_draw_object(view, &g_door_box, &f->dock_objects[3 + d], LIVERY_STATION, mode);
        view_draw_object(view, scene_drawable("lehka_fregata"), &f->dock_objects[5],
                         LIVERY_TRANSPORT, mode);
    }
    uint32_t t2 = clock_us();
    f->timers.station += t2 - t1;
    if (f->setup->decoys_drawn)
        for (int i = 0; i < 3; i++)
            view_draw_object(view, &g_hull, &f->decoys[i], LIVERY_DECOY[i], mode);
    if (freighter) view_draw_object(view, &g_transport, &f->transport, LIVERY_TRANSPORT, mode);
    uint32_t t3 = clock_us();
    f->timers.decoys += t3 - t2;
    const view_target& vt = view->target;
    particles_draw(&f->fx, FX_RAMPS, &f->camera, &f->vp, &g_depth_frame, vt.frame, vt.depth,
                   vt.width, vt.height);
    f->timers.fx += clock_us() - t3;
}

} // namespace vantrel

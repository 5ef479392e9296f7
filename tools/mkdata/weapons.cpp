// The sample weapons of "Dat\Tama.dat": every firing type, missile type, force-field type and laser
// behaviour, each from the game's new-record defaults. Shots show the shot sequences of the effect set
// (kShotSeq and on), end at walls and on their first mech hit.
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"

namespace mkdata {

namespace {

// Phase 0 of a weapon: one looping step lasting `frames`, then the shot ends.
void OneStep(TAMA_PHASE& p, u8 kind, u8 anim, i16 frames, i16 speed, u8 hits) {
    p.kind = kind;
    p.step[0].anim = anim;
    p.step[0].timing = 2;
    p.step[0].duration = frames;
    p.speed = speed;
    p.charHits = hits;
}

// A missile that ends on its first mech hit or at a wall, with sparks and a hit sound.
TAMA_DATA Missile(i16 index, const char* name, u8 moveType, u8 anim, i16 frames, i16 speed, i16 power) {
    TAMA_DATA d = tools::NewTama(index, name);
    TAMA_PHASE& p = d.phase[0];
    OneStep(p, 0, anim, frames, speed, 1);
    p.moveType = moveType;
    p.p[15] = -1;  // no stopping distance
    p.charHitTrigger = 999;
    p.obstacle = 2;
    p.power = power;
    p.hitEffect = 2;
    p.hitSound = 7;
    p.flags = TAMA_FLAG_FACE_MOVE;
    return d;
}

}  // namespace

bool BuildWeapons(const std::string& dataDir, std::string* error) {
    std::vector<TAMA_DATA> weapons;
    TAMA_DATA shot = Missile(0, "Shot", 0, kShotSeq, 40, 14, 110);
    shot.phase[0].fire.sound = 24;  // "vulcan1"
    weapons.push_back(shot);

    // Falls in an arc, then bursts where it lands.
    TAMA_DATA bomb = tools::NewTama(1, "Arcing bomb");
    OneStep(bomb.phase[0], 0, kShotSeq + 1, 60, 6, 1);
    bomb.phase[0].flags = TAMA_FLAG_PARABOLIC;
    bomb.phase[0].height = 40;
    bomb.phase[0].heightAdd = -2;
    bomb.phase[0].nextOnLand = 1;
    OneStep(bomb.phase[1], 1, kShotSeq + 2, 20, 0, 8);
    bomb.phase[1].power = 80;
    weapons.push_back(bomb);

    // A laser aimed at the target whose chain grows one member a volley; hits erase what lies beyond.
    TAMA_DATA beam = tools::NewTama(2, "Chain laser");
    OneStep(beam.phase[0], 2, kShotSeq + 3, 30, 0, 4);
    beam.phase[0].q[11] = 1;
    beam.phase[0].q[12] = 1;
    beam.phase[0].q[15] = 1;
    beam.phase[0].power = 40;
    weapons.push_back(beam);

    // A shield on the firing box while the technique holds it.
    TAMA_DATA barrier = tools::NewTama(3, "Barrier");
    OneStep(barrier.phase[0], 1, kShotSeq + 4, 90, 0, 0);
    barrier.phase[0].tamaHits = 20;
    barrier.phase[0].flags = TAMA_FLAG_PIERCE_CHAR;
    weapons.push_back(barrier);

    TAMA_DATA homing = Missile(4, "Homing missile", 1, kShotSeq + 1, 90, 9, 160);
    homing.phase[0].p[1] = 6;  // degrees a frame
    homing.phase[0].p[2] = 4;  // facing along the flight
    homing.phase[0].flags = TAMA_FLAG_TRAIL;
    weapons.push_back(homing);

    TAMA_DATA wobble = Missile(5, "Wobbling shot", 2, kShotSeq, 50, 10, 90);
    wobble.phase[0].p[1] = 10;
    wobble.phase[0].p[2] = 20;
    wobble.phase[0].p[3] = 4;
    wobble.phase[0].p[5] = 6;
    wobble.phase[0].p[6] = 4;
    weapons.push_back(wobble);

    TAMA_DATA mine = Missile(6, "Mine", 3, kShotSeq + 2, 120, 0, 120);
    mine.phase[0].p[1] = -1;  // stays where it was laid
    weapons.push_back(mine);

    TAMA_DATA inertial = Missile(7, "Inertial missile", 4, kShotSeq + 1, 80, 8, 140);
    const i32 guide[] = {30, 2, 12, 1, 4, 8, 1};
    for (int i = 0; i < 7; i++) inertial.phase[0].p[i] = guide[i];
    weapons.push_back(inertial);

    // Force fields pushed out from the firing box: a ring that grows, chips around the box.
    TAMA_DATA ring = tools::NewTama(8, "Ring field");
    OneStep(ring.phase[0], 1, kShotSeq + 4, 30, 0, 4);
    ring.phase[0].moveType = 1;
    ring.phase[0].p[1] = 3;
    ring.phase[0].p[2] = 60;
    weapons.push_back(ring);
    TAMA_DATA chips = tools::NewTama(9, "Chip field");
    OneStep(chips.phase[0], 1, kShotSeq + 2, 30, 0, 4);
    chips.phase[0].moveType = 2;
    chips.phase[0].p[1] = 2;
    chips.phase[0].p[2] = 40;
    weapons.push_back(chips);

    // Lasers with the other head and member behaviours: tracking and wriggling, sweeping and guided.
    TAMA_DATA track = tools::NewTama(10, "Tracking laser");
    track.phase[0] = beam.phase[0];
    track.phase[0].moveType = 1;
    track.phase[0].p[0] = 2;
    track.phase[0].p[1] = 1;
    track.phase[0].laserType = 2;
    weapons.push_back(track);
    TAMA_DATA sweep = tools::NewTama(11, "Sweeping laser");
    sweep.phase[0] = beam.phase[0];
    sweep.phase[0].moveType = 2;
    sweep.phase[0].p[0] = 1;
    sweep.phase[0].p[1] = 6;
    sweep.phase[0].laserType = 1;
    sweep.phase[0].q[0] = 1;
    sweep.phase[0].q[1] = 2;
    sweep.phase[0].q[15] = 2;
    weapons.push_back(sweep);

    const std::string path = dataDir + "/Dat/Tama.dat";
    if (!tools::SaveFile(path, tools::TamaFile(weapons))) {
        *error = "cannot write " + path;
        return false;
    }
    // The weapon editor's names of the effect sprite set's sequences (the name is UTF-8 on disk).
    const std::string names = dataDir + "/ChipTxt/效果.txt";
    const std::string text = "// sequences of the effect sprite set\r\nshot\r\nbomb\r\nblast\r\nbeam\r\nbarrier\r\n";
    if (!tools::SaveFile(names, std::vector<u8>(text.begin(), text.end()))) {
        *error = "cannot write " + names;
        return false;
    }
    return true;
}

}  // namespace mkdata

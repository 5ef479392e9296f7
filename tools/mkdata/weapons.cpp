// A few weapons in "Dat\Tama.dat": a straight shot, a falling bomb, a beam and a barrier, each from
// the game's new-record defaults.
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

}  // namespace

bool BuildWeapons(const std::string& dataDir, std::string* error) {
    std::vector<TAMA_DATA> weapons;
    TAMA_DATA shot = tools::NewTama(0, "Shot");
    OneStep(shot.phase[0], 0, 0, 40, 16, 1);
    shot.phase[0].fire.sound = 24;  // "vulcan1"
    weapons.push_back(shot);

    TAMA_DATA bomb = tools::NewTama(1, "Bomb");
    OneStep(bomb.phase[0], 0, 1, 60, 6, 1);
    bomb.phase[0].flags = TAMA_FLAG_PARABOLIC;
    bomb.phase[0].height = 40;
    bomb.phase[0].heightAdd = -2;
    bomb.phase[0].nextOnLand = 1;
    OneStep(bomb.phase[1], 1, 2, 20, 0, 8);
    bomb.phase[1].power = 80;
    weapons.push_back(bomb);

    TAMA_DATA beam = tools::NewTama(2, "Beam");
    OneStep(beam.phase[0], 2, 3, 30, 0, 4);
    weapons.push_back(beam);

    TAMA_DATA barrier = tools::NewTama(3, "Barrier");
    OneStep(barrier.phase[0], 1, 4, 90, 0, 0);
    barrier.phase[0].tamaHits = 20;
    barrier.phase[0].flags = TAMA_FLAG_PIERCE_CHAR;
    weapons.push_back(barrier);

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

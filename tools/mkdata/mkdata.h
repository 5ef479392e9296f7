// The sample data builder's parts; each writes its files under the data folder and returns false
// with a message in *error when it cannot.
#pragma once
#include <string>

#include "platform/movie_encode.h"
#include "platform/types.h"

namespace mkdata {

// The Big5 code (lead byte high) whose glyph a font keeps in this wide slot; 0 for the slots whose
// trail byte is no Big5 trail byte (0x7F, 0xA0, 0xFF).
u16 Big5OfSlot(u32 slot);
constexpr u32 kWideSlots = 10496;

// "Dat\Fnt10x10.fnt" and "Dat\Fnt14x14.fnt" from the CJK font file (its half-width face).
bool BuildFonts(const std::string& dataDir, const std::string& fontFile, std::string* error);
// "dfont.grp" (16 cells a row from the space) and "Bmp\DebugEft.grp" (one row from '!').
bool BuildDebugGlyphs(const std::string& dataDir, const std::string& fontFile, std::string* error);
// "Bmp\Cursor\Cursor.spr" and its picture: the five pointer shapes as looping sequences 0 to 4.
bool BuildCursor(const std::string& dataDir, std::string* error);
// "bmp\etc\window.bmp" (its ".grp": a background and a frame band for each window type) and the wipe
// map "bmp\etc\tbl.dat".
bool BuildWindow(const std::string& dataDir, std::string* error);
// The effect sounds, the music pieces and a voice.
bool BuildSounds(const std::string& dataDir, std::string* error);
// "opening.mpg", a few seconds of title with a tone.
bool BuildMovie(const std::string& dataDir, const std::string& fontFile, std::string* error);
// Encodes a movie and saves it like every other file (through the build record).
bool SaveMovie(const std::string& path, const plat::MovieEncodeOptions& options, const plat::MovieFrameFill& fill,
               std::string* error);

// The menus' pictures (".grp"): "Bmp\MainMenu.bmp" (five 96×32 buttons at (0, 32i), their overlays at
// (96, 32i)), "Bmp\Menu.bmp", "Bmp\Equip.bmp" and "Bmp\MenuBG00.bmp" .. "Bmp\MenuBG06.bmp".
bool BuildMainMenu(const std::string& dataDir, const std::string& fontFile, std::string* error);

// "Bmp\Effect\Effect.spr" with its picture, "Bmp\Parts.bmp" and "Bmp\MekaPnl.bmp" (as ".grp").
bool BuildEffectsAndHud(const std::string& dataDir, std::string* error);

// The ranking screen's pictures (".grp"): "Bmp\etc\Ranking", "bmp\etc\ttt" and "etc_t01" in both folders.
bool BuildRanking(const std::string& dataDir, const std::string& fontFile, std::string* error);

// The weapon level-up screen's picture "Bmp\WpnLvUp" (".grp", 640 × 704).
bool BuildLevelUp(const std::string& dataDir, const std::string& fontFile, std::string* error);

// The title's pictures "bmp\etc\title.bmp" and "bmp\etc\etc_t00.bmp" and the opening's logo
// "bmp\etc\logo.bmp" (as ".grp"), captions from the CJK font file.
bool BuildTitle(const std::string& dataDir, const std::string& fontFile, std::string* error);

// The effect set's five shot sequences (shot, bomb, blast, beam, barrier) begin here; the sample
// weapons show them and their pages carry the boxes shots read.
constexpr int kShotSeq = 0;
constexpr int kShotSeqCount = 5;

// "Dat\Tama.dat": weapons of every firing type, missile, force-field and laser behaviour.
bool BuildWeapons(const std::string& dataDir, std::string* error);

// The survival mode: the 15 stage maps and their sheets, the banner, loading, portrait and result
// pictures.
bool BuildSurvival(const std::string& dataDir, const std::string& fontFile, std::string* error);

// The mech sets, technique and CPU files of the player and the survival's 13 enemy types, and stage
// map 0 of a battle; the effect set and HUD pictures come from BuildEffectsAndHud.
bool BuildBattle(const std::string& dataDir, std::string* error);
// The name (UTF-8) of technique group g (techniques 3g to 3g + 2 of the player, each with its level),
// as the menus' and the level-up screen's icons show it.
std::string TechniqueGroupName(int group);

// The five tutorial scripts "script\TT_*.scr", assembled from the sources in sourceDir.
bool BuildTutorials(const std::string& dataDir, const std::string& sourceDir, std::string* error);

}  // namespace mkdata

// The weapon file "Dat\Tama.dat": the reader, then the list of weapons in use walked both ways, every
// phase's successors and firing entry looked up, a weapon taken, dropped and added as the editor does,
// and the records written back: every record the file held whole gives its bytes again, but for the
// own index the reader sets from the slot.
#include <cstring>

#include "battle/data/tama_data.h"
#include "fuzz/fuzz_support.h"
#include "tools/writers/battle_data_writer.h"

namespace {

constexpr int kIndexAt = 1420;

// Walks the list from its head; every link must name a record in use that links back.
void CheckList() {
    int seen = 0, prev = -1;
    for (int n = TamaListHead; n >= 0; n = TamaDataTbl[n]->next) {
        fuzz::Check(n < TamaDataCount && TamaDataTbl[n] && TamaDataTbl[n]->inUse, "list link names a record in use");
        fuzz::Check(TamaDataTbl[n]->prev == prev, "list links back");
        fuzz::Check(++seen <= TAMA_MAX, "list ends");
        prev = n;
    }
    fuzz::Check(prev == TamaListTail && seen == TamaListCount, "list tail and count");
}

void Walk(const TAMA_DATA& t) {
    for (const TAMA_PHASE& ph : t.phase) {
        for (int next : {ph.nextOnCalcEnd, ph.nextOnAnimEnd, ph.nextOnLand, ph.nextOnCharHit, ph.nextOnTamaHit,
                         ph.nextOnObstacle})
            if (next >= 0 && next < TAMA_PHASE_MAX) (void)t.phase[next].kind;
        (void)TAMA_GetData(ph.fire.weapon);
    }
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    TAMA_DATA a = tools::NewTama(0, "gun");
    a.phase[0].nextOnCalcEnd = 1;
    a.phase[0].fire.weapon = 2;
    TAMA_DATA b = tools::NewTama(1, "free");
    b.inUse = 0;
    TAMA_DATA c = tools::NewTama(2, "laser");
    c.phase[0].kind = 2;
    return {{"three", tools::TamaFile({a, b, c})}, {"one", tools::TamaFile({a})}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool root = [] {
        fuzz::UseGameRoot();
        return true;
    }();
    (void)root;
    fuzz::InputFile("Dat/Tama.dat", data, size);
    if (!TAMA_LoadData()) return 0;
    fuzz::Check(TamaDataCount >= 0 && TamaDataCount <= TAMA_MAX, "weapon count within the table");
    CheckList();
    const i64 whole = size >= 2 ? i64(size - 2) / TAMA_FILE_SIZE : 0;
    u8 bytes[TAMA_FILE_SIZE];
    for (int i = 0; i < TamaDataCount; ++i) {
        const TAMA_DATA* t = TAMA_GetData(i);
        fuzz::Check(t != nullptr && t->index == i, "every counted weapon present at its index");
        Walk(*t);
        if (i < whole) {
            TAMA_WriteRecord(t, bytes);
            const u8* in = data + 2 + size_t(i) * TAMA_FILE_SIZE;
            fuzz::Check(std::memcmp(bytes, in, kIndexAt) == 0, "weapon record round trip");
        }
    }
    if (TAMA_GetFreeData()) CheckList();
    if (TamaListHead >= 0) {
        TAMA_UnlinkData(TamaListHead);
        CheckList();
    }
    if (TAMA_NewData()) CheckList();
    TAMA_ClearData();
    fuzz::Check(TamaDataCount == 0 && TamaListHead < 0 && TamaListCount == 0, "cleared");
    return 0;
}

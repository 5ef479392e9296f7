// The built-in functions on assembled calls, against the real sprites, choices and fade: the bytes
// each row reads, its frame result, its effect and what the read mode skips; then the maths, the busts
// with their faces and marks, and the guarded names and indexes.
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "adv_env.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/core/ass.h"
#include "script/core/ass_func.h"
#include "script/core/scr_data.h"
#include "shell/sound/sound.h"
#include "tools/writers/script_asm.h"

namespace {

using test::Rgb8;

// A statement, the calls the stand-ins and the sound record for it (joined by ';', <d> standing for the
// data folder that face paths start with), and whether the signature sees an effect (not for a timed
// wait, folders, empty rows).
struct Row {
    int no;
    const char* call;
    const char* calls = "";
    bool effect = true;
};

const Row kRows[] = {
    {0, "call return 6"}, {1, "call call \"sub.scr\""}, {2, "call clearsurf 0"}, {3, "call rgb 255, 0, 0"},
    {4, "call rand 7"}, {5, "call sin 4096, 64"}, {6, "call cos 4096, 0"}, {7, "call clearvalue"},
    {8, "call setvalue 1, 4 + 5"}, {9, "call getvalue 1"}, {10, "call fade 100"}, {11, "call fade2 100"},
    {12, "call wait 100", "", false}, {13, "call keywait"}, {14, "call getkey -1"},
    {15, "call windowtype 1", "_ass_settextwindowtype(1)"},
    {16, "call window 1, 2, 3, 4", "_ass_settextwindowpos(1, 2);_ass_settextwindowsize(3, 4)"},
    {17, "call windowpos 1, 2", "_ass_settextwindowpos(1, 2)"},
    {18, "call windowsize 3, 4", "_ass_settextwindowsize(3, 4)"},
    {19, "call settextwindow 1, 2, 3, 4, 5", "_ass_settextwindow(1, 2, 3, 4, 5)"},
    {20, "call settextwindowbg 1, 2, 3, 4", "", false}, {21, "call nop", "", false},
    {22, "call wintype2 1, 2, 3, 4", "", false}, {23, "call nop2a 1, 2", "", false},
    {24, "call nop2b 1, 2", "", false}, {25, "call changeframe 2", "_ass_changeframe(2)"},
    {26, "call addtext \"hi\"", "ADV_SetMessage(hi)"}, {27, "call message", "ADV_DrawMessage()"},
    {28, "call message2", "ADV_DrawMessage()"}, {29, "call closewindow 100", "_ass_closetext(100)"},
    {30, "call closewindow2 100", "_ass_closetext(100)"}, {31, "call pagewait"},
    {32, "call auto 1", "_ass_setwaittype(1, 500)"}, {33, "call autotime 800", "_ass_setwaittype(1, 800)"},
    {34, "call textcursor 1, 2", "_ass_text_cursor(1, 2)"}, {35, "call facedir \"f/\"", "", false},
    {36, "call initface 64, 32", "_ass_initface();ADV_SetFaceSpace(64, 32)"},
    {37, "call setface 2, \"a.spr\"", "_ass_loadface(2, <d>/a.spr)"}, {38, "call delface 2", "_ass_releaseface(2)"},
    {39, "call facepos 1, 2, 3, 4", "_ass_settextwindowfacepos(1, 2)"},
    {40, "call facepos2 1, 2", "_ass_settextwindowfacepos(1, 2)"}, {41, "call nop2c 1, 2", "", false},
    {42, "call namepos 1, 2", "_ass_settextwindownamepos(1, 2)"},
    {43, "call fonttype 1, 12", "_ass_settextwindowfonttype(1);_ass_settextwindowfontils(12)"},
    {44, "call fontcolor 1, 2", "_ass_settextwindowfontcolor(1, 2)"},
    {45, "call seltext \"x\", 7", "ADV_SetSelMessage(x, 7)"}, {46, "call message3", "ADV_DrawMessage()"},
    {47, "call selrect 1, 2, 3, 4, -1, -1, -1, -1, 7"}, {48, "call selwait"}, {49, "call sprdir \"p/\"", "", false},
    {50, "call delsprite 3"}, {51, "call loadsprite \"pic.bmp\", 1, 2, 3, 1"},
    {52, "call setsprite \"pic.bmp\", 5, 1, 2, 3, 1, 100"}, {53, "call sprdisp 3, 0, 0, 0"},
    {54, "call sprpos 3, 7, 8"}, {55, "call sprpri 3, 9"}, {56, "call delsprite2 3"},
    {57, "call chrdir \"c/\"", "", false}, {58, "call setchr 2, \"pic.bmp\", 1, 2, 3, 0, 0"},
    {59, "call chrdisp 1, 0, 0, 0"}, {60, "call delchr2 1"}, {61, "call delchr 1"}, {62, "call chrpos 1, 5, 6"},
    {63, "call chrattr 1, 1, 100"}, {64, "call chrrect 1, 0, 0, 4, 4"}, {65, "call bustdir \"b/\"", "", false},
    {66, "call setbust 2, \"btst_01.spr\", 0, 0, 1, 100"},
    {67, "call setbust2 2, 1, 2, 0, -1, 0", "_ass_loadface(1, <d>/face_01.spr)"},
    {68, "call setbust3 3", "_ass_loadface(3, <d>/face_03.spr)"}, {69, "call bustdisp 1, 0, 0, 0"},
    {70, "call delbust2 1"}, {71, "call delbust 1", "_ass_releaseface(1)"}, {72, "call bustpos 1, 2"},
    {73, "call bustpage 1, 1"}, {74, "call empty", "", false}, {75, "call empty2", "", false},
    {76, "call empty3", "", false}, {77, "call playbgm 3", "BGM_Play(3, 1)"}, {78, "call stopbgm", "BGM_Stop()"},
    {79, "call playse 2, 0", "SE_Play(2, 0)"}, {80, "call playse2 2, 0, 50, 0", "SE_Play(2, 0);SE_SetVolume(50)"},
    {81, "call stopse 2", "SE_Stop(2)"}, {82, "call nop3 1, 2, 3", "", false}, {83, "call skip"},
    {900, "text \"hello\"", "ADV_SetMessage(hello);ADV_DrawMessage()"},
};

const std::set<int> kFrame = {0, 1, 2, 10, 11, 12, 13, 27, 29, 31, 46, 48, 900};
const std::set<int> kReadSkipped = {10, 11, 12, 13, 14, 26, 27, 28, 29, 30, 32, 33, 47, 48, 50, 51, 52, 53, 54, 55,
                                    56, 58, 59, 60, 61, 62, 63, 64, 68, 69, 70, 71, 72, 73, 77, 79, 80, 81, 900};

class AdvFunc : public test::AdvTest {
protected:
    void SetUp() override {
        AdvTest::SetUp();
        WritePicture("pic.grp", 64, 48, [](int x, int y) { return Rgb8{x * 4, y * 5, 120}; });
        for (const char* set : {"btst_01.spr", "btst_03.spr"}) WriteSpriteSet(set, 2);
        const tools::ScriptAsmResult sub = tools::AssembleScript("call keywait");
        dir.Write("script/sub.scr", sub.bytes);
        plat::SetRandSource([] { return 10; });
    }
    void TearDown() override {
        plat::SetRandSource({});
        AdvTest::TearDown();
    }

    // The same world before every row: empty folders, a picture in slot 3, character 1 and bust 1 shown.
    void Prepare(i32 readMode) {
        ASS_SetScriptReadMode(0);
        ASS_Init();
        Run("call sprdir \"\"\ncall chrdir \"\"\ncall bustdir \"\"\ncall facedir \"\"\ncall return 5", "pre.scr");
        ASSERT_EQ(Loop(), 5);
        ASSERT_EQ(_ass_createsprite2(3, "pic.bmp"), 3);
        ADV_SetSprite(3, 5, 0, 0, 0, 0);
        ASSERT_EQ(_ass_createsprite2(81, "pic.bmp"), 81);
        ADV_SetSprite(81, 5, 0, 0, 0, 0);
        ASSERT_EQ(_ass_createsprite2(97, "btst_01.spr"), 97);
        ADV_SetSprite(97, 16, 320, 480, 0, 0);
        ScrValueTbl[1] = 5;
        ASS_SetFuncReturn(99);
        key.trigger = 16;
        SeVolume = 80;
        ASS_SetScriptReadMode(readMode);
        trace.clear();
    }

    std::string Sig() const {
        std::ostringstream o;
        for (const auto& t : trace) o << t << ";";
        o << "|ret " << ASS_GetFuncReturn() << " end " << _ass_getscriptendret() << " wait " << GetScriptWait() << "/"
          << GetScriptWaitFunc() << " clr " << ASS_ClearSurfFlag() << " fade " << _ass_getfadekind()
          << " v1 " << ScrValueTbl[1] << " sel " << SelRectCnt << "/" << _ass_getselectrectwait()
          << " se " << SeVolume << " run " << ASS_IsScriptRunning() << " sub "
          << (actv_scr && std::string(actv_scr->name) == "sub.scr");
        for (int s = 0; s < ADV_SPR_MAX; ++s) {
            const ADV_SPR& a = AdvSprTbl[s];
            if (!a.use) continue;
            o << " [" << s << ":" << a.state << "," << a.kind << "," << a.x << "," << a.y << "," << a.fadeType << ","
              << a.fadeTime << "," << a.drawMode << "," << a.drawValue << "," << a.src.right;
            if (const SPR_HEAD* h = SPR_GetAnySpr(a.spr)) o << " p" << h->priority << " v" << int(h->view);
            if (const SPR_DATA* d = SPR_GetSpr(a.spr)) o << " pg" << d->page;
            o << "]";
        }
        o << " marks";
        for (int i = 0; i < 16; ++i) o << int(ScrFuncFlagTbl[i]);
        return o.str();
    }

    // Runs the row's one statement: the frame result, where the reading stopped and the signature.
    int RunRow(const Row& row, i32* pos, std::string* sig) {
        const tools::ScriptAsmResult r = tools::AssembleScript(std::string(row.call) + "\ncall return 5");
        EXPECT_TRUE(r.ok) << r.error;
        dir.Write("script/row.scr", r.bytes);
        EXPECT_EQ(ASS_LoadScript("row.scr"), 1);
        u8 type = 0;
        ReadScrData(&type, 1);
        const int result = AnalysisFunc();
        *pos = actv_scr ? actv_scr->pos : -1;
        *sig = Sig();
        return result;
    }
};

TEST_F(AdvFunc, EveryRowReadsItsArgumentsActsAndHonoursTheReadMode) {
    for (const Row& row : kRows) {
        const i32 size = i32(tools::AssembleScript(row.call).bytes.size());
        Prepare(0);
        const std::string before = Sig();
        i32 pos = 0;
        std::string normal, read;
        EXPECT_EQ(RunRow(row, &pos, &normal), kFrame.count(row.no) ? 1 : 0) << row.no;
        EXPECT_TRUE(row.no == 1 || pos == size) << row.no << " stopped at " << pos;
        std::string recorded;
        for (const auto& t : trace) recorded += (recorded.empty() ? "" : ";") + t;
        std::string want = row.calls;
        if (const size_t at = want.find("<d>"); at != std::string::npos) want.replace(at, 3, dir.path());
        EXPECT_EQ(recorded, want) << row.no;
        if (row.effect) {
            EXPECT_NE(normal, before) << row.no;
        } else {
            EXPECT_EQ(normal, before) << row.no;
        }
        Prepare(1);
        EXPECT_EQ(RunRow(row, &pos, &read), kFrame.count(row.no) ? 1 : 0) << row.no;
        EXPECT_TRUE(row.no == 1 || pos == size) << row.no << " stopped at " << pos;
        if (row.no == 14) {
            EXPECT_EQ(ASS_GetFuncReturn(), 0);  // getkey answers 0 in read mode
        } else if (row.no == 68) {
            EXPECT_EQ(ScrFuncFlagTbl[3], 1);  // the mark only
            EXPECT_EQ(AdvSprTbl[99].use, 0);
            EXPECT_TRUE(trace.empty());
        } else if (kReadSkipped.count(row.no)) {
            EXPECT_EQ(read, before) << row.no;
        } else {
            EXPECT_EQ(read, normal) << row.no;
        }
    }
}

TEST_F(AdvFunc, MathsAndGuardedIndexes) {
    int randCalls = 0;
    plat::SetRandSource([&] { return ++randCalls, 1000; });
    const struct {
        const char* expr;
        i32 want;
    } rows[] = {
        {"sin(4096, 64)", 4096}, {"sin(4096, 320)", 4096}, {"cos(4096, 0)", 4096}, {"sin(4096, 192)", -4096},
        {"sin(600000, 64)", 600000}, {"cos(-2000000, 128)", 2000000}, {"sin(100, 32)", 70},
        {"rand(7)", 1000 % 7}, {"rand(0)", 0}, {"rand(-3)", 0}, {"rgb(255, 255, 255)", 0xFFFF},
        {"getvalue(300)", 0}, {"getvalue(-1)", 0},
    };
    for (const auto& r : rows) {
        ASS_Init();
        Run(std::string("decl 3 n\ncall setvalue 300, 1\ncall setvalue -1, 1\nset n = ") + r.expr + "\ncall return 5");
        Loop();
        EXPECT_EQ(i32(actv_scr->value[0].value), r.want) << r.expr;
    }
    EXPECT_EQ(randCalls, 1);
    for (int i = 0; i < SCR_GLOBAL_VALUE_COUNT; ++i) ASSERT_EQ(ScrValueTbl[i], 0) << i;
    EXPECT_EQ(ASS_BustX(0), 128);
    EXPECT_EQ(ASS_BustX(2), 512);
    EXPECT_EQ(ASS_BustX(3), 320);
    EXPECT_EQ(ASS_BustX(-1), 320);
}

TEST_F(AdvFunc, BustsWithTheirFacesAndMarks) {
    WriteSpriteSet("b/btst_04.spr", 2);
    WriteSpriteSet("b/btst_05.spr", 2);
    Run("call bustdir \"b/\"\ncall facedir \"f/\"\n"
        "call setbust2 0, 4, 0, 1, 1, 100\n"
        "call setbust3 5\n"
        "call setbust 2, \"btst_04.spr\", 7, 0, -1, 0\n"
        "call bustpos 0, 2\ncall bustpage 0, 0\ncall bustdisp 5, 1, 1, 0\n"
        "call keywait\ncall delbust -1\ncall return 5");
    EXPECT_EQ(Loop(), 0);
    const std::string f = dir.path() + "/f/";
    EXPECT_EQ(trace, (std::vector<std::string>{"_ass_loadface(4, " + f + "face_04.spr)",
                                               "_ass_loadface(5, " + f + "face_05.spr)"}));
    EXPECT_EQ(AdvSprTbl[96].state, ADV_STATE_FADEIN);
    EXPECT_EQ(AdvSprTbl[96].x, 512);
    EXPECT_EQ(AdvSprTbl[96].y, 480);
    EXPECT_EQ(SPR_GetSpr(AdvSprTbl[96].spr)->page, 0);
    EXPECT_EQ(AdvSprTbl[101].state, ADV_STATE_SHOWN);  // 0 ms: at once
    EXPECT_EQ(AdvSprTbl[101].x, 320);
    EXPECT_EQ(ScrFuncFlagTbl[5], 1);
    EXPECT_EQ(AdvSprTbl[98].state, ADV_STATE_HIDDEN);
    EXPECT_EQ(AdvSprTbl[98].x, 320);  // position 7 stands in the middle
    trace.clear();
    EXPECT_EQ(Loop(16), 5);
    for (int s = 96; s < 112; ++s) EXPECT_EQ(AdvSprTbl[s].use, 0) << s;
    EXPECT_EQ(ScrFuncFlagTbl[5], 0);
    ASSERT_EQ(trace.size(), 16u);
    EXPECT_EQ(trace[15], "_ass_releaseface(15)");
}

TEST_F(AdvFunc, NamesTooLongForTheirFolderDoNotLoad) {
    test::DebugCapture debug;
    const std::string folder(255, 'd');
    Run("call sprdir \"" + folder + "\"\ndecl 3 n\nset n = loadsprite(\"pic.bmp\", 0, 0, 1, 1)\ncall return 5");
    EXPECT_EQ(Loop(), 5);
    EXPECT_EQ(i32(actv_scr->value[0].value), -1);
    EXPECT_TRUE(debug.Contains("file name too long"));
    for (int s = 0; s < 80; ++s) EXPECT_EQ(AdvSprTbl[s].use, 0);
    // The folder outlives the script: empty again for the tests after this one.
    Run("call sprdir \"\"\ncall return 5");
    EXPECT_EQ(Loop(), 5);
}

}  // namespace

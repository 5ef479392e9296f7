// The built-in functions on assembled calls, against the real sprites, choices, fade and sound: the bytes
// each row reads, its frame result, its effect and what the read mode skips; then the maths, the busts
// with their faces and marks, and the guarded names and indexes.
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "adv_env.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "script/adv/adv_face.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/adv/adv_window.h"
#include "script/core/ass.h"
#include "script/core/ass_func.h"
#include "script/core/scr_data.h"
#include "shell/sound/sound.h"
#include "shell/sound/stream.h"
#include "tools/writers/script_asm.h"
#include "tools/writers/wave_writer.h"

namespace {

using test::Rgb8;

// A statement, what it changes in the state (see Now and Change) and the key trigger word and new mouse
// presses of its update.
struct Row {
    int no;
    const char* call;
    const char* change = "";
    u16 trigger = 16;
    u32 mouse = 0;
};

const Row kRows[] = {
    {0, "call return 6", "end=6"}, {1, "call call \"sub.scr\"", "sub=1"},
    {2, "call clearsurf 0", "clr=0"}, {2, "call clearsurf 2"}, {3, "call rgb 255, 128, 0", "ret=64512"},
    {4, "call rand 7", "ret=3"}, {5, "call sin 4096, 64", "ret=4096"}, {6, "call cos 4096, 0", "ret=4096"},
    {7, "call clearvalue", "v1=- v255=-"}, {8, "call setvalue 1, 4 + 5", "v1=9"},
    {8, "call setvalue 255, 4 + 5", "v255=9"}, {9, "call getvalue 1", "ret=5"}, {9, "call getvalue 255", "ret=6"},
    {10, "call fade 100", "end=3 fade=10 wait=1,10"}, {11, "call fade2 100", "end=3 fade=11 wait=1,11"},
    {12, "call wait 100"}, {13, "call keywait", "wait=1,13"}, {14, "call getkey -1", "ret=1"},
    {14, "call getkey -1", "ret=1", 0, 2}, {14, "call getkey 0", "ret=0", 0, 2}, {14, "call getkey 2", "ret=1", 64},
    {15, "call windowtype 2", "cur=1,1457 frame=1 ils=12 npos=8,14 win=56,344,576,128 wtype=2"},
    {16, "call window 1, 2, 3, 4", "win=1,2,3,4"}, {17, "call windowpos 1, 2", "win=1,2,0,0"},
    {18, "call windowsize 3, 4", "win=0,0,3,4"}, {19, "call settextwindow 1, 2, 3, 4, 5", "margin=5,5,5,5 win=1,2,3,4"},
    {20, "call settextwindowbg 1, 2, 3, 4"}, {21, "call nop"}, {22, "call wintype2 1, 2, 3, 4"},
    {23, "call nop2a 1, 2"}, {24, "call nop2b 1, 2"}, {25, "call changeframe 2", "frame=2"},
    {26, "call addtext \"hi\"", "msg=hi,1"}, {27, "call message", "page=1,0 wait=1,27 wst=1,300"},
    {28, "call message2", "page=1,0 wst=1,300"}, {29, "call closewindow 100", "wait=1,29 wst=3,100"},
    {30, "call closewindow2 100", "wait=1,29 wst=3,100"}, {31, "call pagewait", "wait=1,27"},
    {32, "call auto 1", "auto=1,500"}, {33, "call autotime 800", "auto=1,800"},
    {34, "call textcursor 1, 2", "cur=1,2"}, {35, "call facedir \"f/\""},
    {36, "call initface 64, 32", "fspace=64,32 face0=-"},
    {37, "call setface 2, \"face_03.spr\"", "face1=2,1 s1=st1 k18 @0,0 f0/0 d0/0 r0,0,0,0"},
    {38, "call delface 1", "face0=- s0=-"}, {39, "call facepos 1, 2, 3, 4", "fpos=1,2"},
    {40, "call facepos2 1, 2", "fpos=1,2"}, {41, "call nop2c 1, 2"}, {42, "call namepos 1, 2", "npos=1,2"},
    {43, "call fonttype 2, 12", "font=2,20,20 ils=12"}, {44, "call fontcolor 1, 2", "fcol=1,2,0"},
    {45, "call seltext \"xyz\", 7", "msel0=14,0,7 msg=xyz,1"}, {46, "call message3", "page=1,0 wait=1,27 wst=1,300"},
    {47, "call selrect 10, 20, 300, 400, 255, 128, 0, 90, 7", "sel0=10,20,300,400,64512,90,7"},
    {48, "call selwait", "selwait=1 wait=1,48"}, {49, "call sprdir \"q/\""}, {50, "call delsprite 3", "ret=-1 s3=-"},
    {51, "call loadsprite \"wide.bmp\", 11, 22, 7, 0", "ret=1 s1=st5 k1 @11,22 f0/0 d0/0 r0,0,32,24 p7 v0"},
    {51, "call loadsprite \"wide.bmp\", 11, 22, 7, 1", "ret=1 s1=st3 k1 @11,22 f0/0 d0/0 r0,0,32,24 p7 v1"},
    {52, "call setsprite \"top.bmp\", 5, 11, 22, 7, 1, 100", "s5=st2 k1 @11,22 f1/100 d0/0 r0,0,16,8 p7 v1"},
    {52, "call setsprite \"pic.bmp\", 79, 11, 22, 7, 0, 0", "s79=st3 k1 @11,22 f0/0 d0/0 r0,0,64,48 p7 v1"},
    {52, "call setsprite \"pic.bmp\", 80, 11, 22, 7, 0, 0"}, {53, "call sprdisp 3, 1, 2, 250", "s3=st2 f2/250"},
    {54, "call sprpos 3, 7, 8", "s3=@7,8"}, {55, "call sprpri 3, 9", "s3=p9"},
    {56, "call delsprite2 3", "ret=-1 s3=st5 -p5 -v1"}, {57, "call chrdir \"c/\""},
    {58, "call setchr 2, \"pic.bmp\", 11, 22, 7, 1, 150", "s82=st2 k1 @11,22 f1/150 d0/0 r0,0,64,48 p7 v1"},
    {59, "call chrdisp 1, 1, 2, 250", "s81=st2 f2/250"}, {60, "call delchr2 1", "s81=st5 -p5 -v1"},
    {61, "call delchr 1", "ret=-1 s81=-"}, {61, "call delchr 17", "ret=17"}, {62, "call chrpos 1, 5, 6", "s81=@5,6"},
    {63, "call chrattr 1, 2, 40", "s81=d2/40"}, {64, "call chrrect 1, 1, 2, 30, 40", "s81=r1,2,30,40"},
    {65, "call bustdir \"b/\""},
    {66, "call setbust 2, \"btst_01.spr\", 2, 1, 0, 0", "s98=st3 k2 @512,480 f0/0 d0/0 r0,0,0,0 p16 v1 pg1"},
    {66, "call setbust 0, \"btst_01.spr\", 0, 2, 1, 100", "s96=st2 k2 @128,480 f1/100 d0/0 r0,0,0,0 p16 v1 pg2"},
    {67, "call setbust2 2, 1, 0, 2, -1, 0",
     "face1=1,1 s1=st1 k18 @0,0 f0/0 d0/0 r0,0,0,0 s98=st5 k2 @128,480 f0/0 d0/0 r0,0,0,0 p16 v0 pg2"},
    {68, "call setbust3 3",
     "face1=3,1 marks=0101000000000000 s1=st1 k18 @0,0 f0/0 d0/0 r0,0,0,0 "
     "s99=st5 k2 @320,480 f0/0 d0/0 r0,0,0,0 p16 v0 pg0"},
    {69, "call bustdisp 1, 1, 1, 250", "s97=st2 f1/250"}, {70, "call delbust2 1", "s97=st5 -p16 -v1 -pg0"},
    {71, "call delbust 1", "marks=0000000000000000 ret=-1 face0=- s0=- s97=-"},
    {72, "call bustpos 1, 0", "s97=@128,480"}, {73, "call bustpage 1, 2", "s97=pg2"},
    {74, "call empty"}, {75, "call empty2"}, {76, "call empty3"},
    {77, "call playbgm 3", "bgm=3,5"}, {78, "call stopbgm", "bgm=-1,0"},
    {79, "call playse 2, 1", "se2=5"}, {80, "call playse2 2, 0, 50, 9", "se2=1 sev=50"},
    {81, "call stopse 4", "se4=-"}, {82, "call nop3 1, 2, 3"}, {83, "call skip", "ret=0"},
    {900, "text \"hello\"", "page=0,3 text=he|ll|o wait=1,27 wst=1,300"},  // no window type: a character a row
};

const std::set<int> kFrame = {0, 1, 2, 10, 11, 12, 13, 27, 29, 31, 46, 48, 900};
// Rows that find the text window open (closing needs one).
const std::set<int> kOpenWindow = {29, 30};
const std::set<int> kReadSkipped = {10, 11, 12, 13, 14, 26, 27, 28, 29, 30, 32, 33, 47, 48, 50, 51, 52, 53, 54, 55,
                                    56, 58, 59, 60, 61, 62, 63, 64, 68, 69, 70, 71, 72, 73, 77, 79, 80, 81, 900};

// The effect numbers and music pieces the rows play, with files on disk.
constexpr int kSeRow = 2, kSePrepared = 4, kBgmRow = 3, kBgmPrepared = 4;

using State = std::map<std::string, std::string>;

// "key=value" for each key that is new or changed in after, then "key=-" for each one gone; of a
// changed record (words), only the words that changed, and "-word" for each one it lost at its end.
std::string Change(const State& before, const State& after) {
    std::string out;
    for (const auto& [k, v] : after) {
        const auto b = before.find(k);
        if (b == before.end()) {
            out += " " + k + "=" + v;
        } else if (b->second != v) {
            std::istringstream was(b->second), is(v);
            std::string w, x, words;
            while (is >> x)
                if (!(was >> w) || w != x) words += " " + x;
            while (was >> w) words += " -" + w;
            out += " " + k + "=" + words.erase(0, 1);
        }
    }
    for (const auto& [k, v] : before)
        if (!after.count(k)) out += " " + k + "=-";
    return out.erase(0, 1);
}

class AdvFunc : public test::AdvTest {
protected:
    void SetUp() override {
        AdvTest::SetUp();
        WritePicture("pic.grp", 64, 48, [](int x, int y) { return Rgb8{x * 4, y * 5, 120}; });
        WritePicture("top.grp", 16, 8, [](int x, int y) { return Rgb8{x * 9, y * 9, 30}; });
        WritePicture("p/wide.grp", 32, 24, [](int x, int y) { return Rgb8{x * 4, y * 5, 60}; });
        for (const char* set : {"btst_01.spr", "btst_03.spr", "face_01.spr", "face_03.spr"}) WriteSpriteSet(set, 3);
        const tools::ScriptAsmResult sub = tools::AssembleScript("call keywait");
        dir.Write("script/sub.scr", sub.bytes);
        plat::SetRandSource([] { return 10; });
        const std::vector<u8> wave = tools::MakeWave({}, tools::IndexSamples16(800));
        for (int n : {kSeRow, kSePrepared}) dir.Write(std::string("Wav/") + SeTbl[n].stem + ".wav", wave);
        for (int n : {kBgmRow, kBgmPrepared}) dir.Write(std::string("Music/") + BgmTbl[n].stem + ".wav", wave);
        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        for (int n : {kSeRow, kSePrepared}) SeBuffer[n] = SND_LoadSound(MakeFilePath("Wav\\%s.wav", SeTbl[n].stem));
        oldBgmVolume_ = BgmVolume;
        BgmVolume = 100;
    }
    void TearDown() override {
        BGM_Stop();
        SND_TermAll();
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        BgmVolume = oldBgmVolume_;
        plat::SetRandSource({});
        AdvTest::TearDown();
    }

    // The same world before every row: a picture folder "p/", the other folders empty, a picture in
    // slot 3, character 1 and bust 1 loaded with bust 1's face and mark 1, music and a looping effect
    // playing; the text window open for the rows that close it.
    void Prepare(i32 readMode, const Row& row) {
        ASS_SetScriptReadMode(0);
        ASS_Init();
        Run("call sprdir \"p/\"\ncall chrdir \"\"\ncall bustdir \"\"\ncall facedir \"\"\ncall return 5", "pre.scr");
        ASSERT_EQ(Loop(), 5);
        ASSERT_EQ(_ass_createsprite2(3, "pic.bmp"), 3);
        ADV_SetSprite(3, 5, 0, 0, 0, 0);
        ASSERT_EQ(_ass_createsprite2(81, "pic.bmp"), 81);
        ADV_SetSprite(81, 5, 0, 0, 0, 0);
        ASSERT_EQ(_ass_createsprite2(97, "btst_01.spr"), 97);
        ADV_SetSprite(97, 16, 320, 480, 0, 0);
        ASSERT_EQ(_ass_loadface(1, "face_01.spr"), 0);
        _ass_text_cursor(0, 0);  // the engine's start leaves the cursor as the last script set it
        if (kOpenWindow.count(row.no)) {
            _ass_opentext();
            clock.Advance(TEXT_OPEN_MS);
            _ass_animtextwindow();
            ASSERT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN);
        }
        ScrFuncFlagTbl[1] = 1;
        ScrValueTbl[1] = 5;
        ScrValueTbl[255] = 6;
        ASS_SetFuncReturn(99);
        key.trigger = row.trigger;
        ASS_RenewKeyDevice(0, 0, row.mouse, row.mouse);
        SeVolume = 80;
        BGM_Stop();
        ASSERT_EQ(BGM_Play(kBgmPrepared, 0), -1);
        SE_Stop(kSeRow);
        ASSERT_EQ(SE_Play(kSePrepared, 1), 1);
        ASS_SetScriptReadMode(readMode);
    }

    // What the built-ins change: the frame's flow, the values, the choices, the script sprites, the
    // marks, the sound front end (the music and its mixer status, each effect's status, the volume),
    // the text window's record, the faces, and the message (its text, choices, page and wait).
    State Now() const {
        State s;
        const auto put = [&](const std::string& k, const std::vector<i64>& v) {
            std::string& t = s[k];
            for (const i64 x : v) t += (t.empty() ? "" : ",") + std::to_string(x);
        };
        const TEXT_WINDOW& w = TextWindow;
        u32 autoMs = 0;
        const int autoOn = _ass_getwaittype(&autoMs);
        for (const auto& [k, v] : std::vector<std::pair<std::string, std::vector<i64>>>{
                 {"ret", {ASS_GetFuncReturn()}}, {"end", {_ass_getscriptendret()}}, {"clr", {ASS_ClearSurfFlag()}},
                 {"fade", {_ass_getfadekind()}}, {"selwait", {_ass_getselectrectwait()}},
                 {"run", {ASS_IsScriptRunning()}}, {"sub", {actv_scr && std::string(actv_scr->name) == "sub.scr"}},
                 {"wait", {GetScriptWait(), GetScriptWaitFunc()}}, {"bgm", {BgmNo, SND_GetStatus(Stream.buffer)}},
                 {"sev", {SeVolume}}, {"win", {w.x, w.y, w.w, w.h}}, {"wtype", {w.type}},
                 {"margin", {w.margin[0], w.margin[1], w.margin[2], w.margin[3]}}, {"fpos", {w.faceX, w.faceY}},
                 {"npos", {w.nameX, w.nameY}}, {"font", {w.fontSlot, w.fontW, w.fontH}}, {"ils", {w.ils}},
                 {"fcol", {w.color[0], w.color[1], w.color[2]}}, {"frame", {TextFrame.style}},
                 {"wst", {w.state, w.duration}}, {"cur", {cursor_type, cursor_col}}, {"auto", {autoOn, autoMs}},
                 {"fspace", {FaceSpaceW, FaceSpaceH}}, {"page", {Msg.page, Msg.segCount}}})
            put(k, v);
        for (int i = 0; i < SCR_GLOBAL_VALUE_COUNT; ++i)
            if (ScrValueTbl[i]) put("v" + std::to_string(i), {ScrValueTbl[i]});
        for (int i = 0; i < SelRectCnt; ++i) {
            const SEL_RECT& r = SelRectTbl[i];
            put("sel" + std::to_string(i), {r.left, r.top, r.right, r.bottom, r.color, r.alpha, r.label});
        }
        for (int n = 0; n < ADV_SPR_MAX; ++n) {
            const ADV_SPR& a = AdvSprTbl[n];
            if (!a.use) continue;
            std::ostringstream o;
            o << "st" << a.state << " k" << a.kind << " @" << a.x << "," << a.y << " f" << a.fadeType << "/"
              << a.fadeTime << " d" << a.drawMode << "/" << a.drawValue << " r" << a.src.left << "," << a.src.top
              << "," << a.src.right << "," << a.src.bottom;
            if (const SPR_HEAD* h = SPR_GetAnySpr(a.spr)) o << " p" << h->priority << " v" << int(h->view);
            if (const SPR_DATA* d = SPR_GetSpr(a.spr)) o << " pg" << d->page;
            s["s" + std::to_string(n)] = o.str();
        }
        std::string marks;
        for (int i = 0; i < 16; ++i) marks += char('0' + ScrFuncFlagTbl[i]);
        s["marks"] = marks;
        for (int n = 0; n < kSeSlots; ++n)
            if (const u32 st = SND_GetStatus(SeBuffer[n])) put("se" + std::to_string(n), {st});
        for (int i = 0; i < FACE_SLOT_MAX; ++i)
            if (FaceSprTbl[i].id != -1) put("face" + std::to_string(i), {FaceSprTbl[i].id, FaceSprTbl[i].slot});
        s["msg"] = std::string(Msg.buf ? Msg.buf : "", size_t(Msg.len)) + "," + std::to_string(Msg.lineCount);
        for (int i = 0; i < Msg.selCount; ++i)
            put("msel" + std::to_string(i), {Msg.sel[i].x, Msg.sel[i].y, Msg.sel[i].label});
        std::string text;
        for (int i = 0; i < Msg.segCount; ++i)
            text += (i ? "|" : "") + std::string(MsgLineTbl[i].text, size_t(MsgLineTbl[i].len));
        if (!text.empty()) s["text"] = text;
        return s;
    }

    // Runs the row's one statement: the frame result, where the reading stopped and the state.
    int RunRow(const Row& row, i32* pos, State* state) {
        const tools::ScriptAsmResult r = tools::AssembleScript(std::string(row.call) + "\ncall return 5");
        EXPECT_TRUE(r.ok) << r.error;
        dir.Write("script/row.scr", r.bytes);
        EXPECT_EQ(ASS_LoadScript("row.scr"), 1);
        u8 type = 0;
        ReadScrData(&type, 1);
        const int result = AnalysisFunc();
        *pos = actv_scr ? actv_scr->pos : -1;
        *state = Now();
        return result;
    }

    int oldBgmVolume_ = 100;
};

TEST_F(AdvFunc, EveryRowReadsItsArgumentsActsAndHonoursTheReadMode) {
    for (const Row& row : kRows) {
        const std::string at = std::to_string(row.no) + " " + row.call;
        const i32 size = i32(tools::AssembleScript(row.call).bytes.size());
        Prepare(0, row);
        const State before = Now();
        i32 pos = 0;
        State normal, read;
        EXPECT_EQ(RunRow(row, &pos, &normal), kFrame.count(row.no) ? 1 : 0) << at;
        EXPECT_TRUE(row.no == 1 || pos == size) << at << " stopped at " << pos;
        EXPECT_EQ(Change(before, normal), row.change) << at;
        Prepare(1, row);
        EXPECT_EQ(RunRow(row, &pos, &read), kFrame.count(row.no) ? 1 : 0) << at;
        EXPECT_TRUE(row.no == 1 || pos == size) << at << " stopped at " << pos;
        if (row.no == 14) {
            EXPECT_EQ(ASS_GetFuncReturn(), 0);  // getkey answers 0 in read mode
        } else if (row.no == 68) {
            EXPECT_EQ(Change(before, read), "marks=0101000000000000") << at;  // the mark only
        } else if (kReadSkipped.count(row.no)) {
            EXPECT_EQ(Change(before, read), "") << at;
        } else {
            EXPECT_EQ(read, normal) << at;
        }
        // The argument table that rows without a handler of their own are skipped by reads as much.
        if (row.no <= ASS_FUNC_BUILTIN_LAST) {
            ASSERT_EQ(ASS_LoadScript("row.scr"), 1);
            u8 head[3] = {};
            ReadScrData(head, 3);
            _ass_skipfuncargs(row.no);
            EXPECT_EQ(actv_scr->pos, size) << at << ": argument kinds " << _ass_funcargs(row.no);
        }
    }
    Run("call sprdir \"\"\ncall return 5");  // the folder outlives the script
    EXPECT_EQ(Loop(), 5);
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

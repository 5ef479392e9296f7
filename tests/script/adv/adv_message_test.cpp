// Message text: the speaker prefix, each tag's effect on the laid-out segments, the row rules, choice
// rectangles and bounds; the reveal frame by frame with decide, clicks, Shift and cancel; the waits
// 27 and 29 against the real window; and pictures of composed windows.
#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "script/adv/adv_select.h"
#include "shell/sound/snd.h"
#include "text_env.h"
#include "tools/writers/wave_writer.h"

namespace {

using test::TextTest;
using test::Wide;

const std::string kA = "\xA4\x40", kB = "\xA4\x41", kC = "\xA4\x42", kD = "\xA4\x43";

void Page(const std::string& text) {
    ADV_SetMessage(text.c_str());
    ADV_DrawMessage();
}

std::string Text(int i) { return MsgLineTbl[i].text ? MsgLineTbl[i].text : ""; }

TEST_F(TextTest, SpeakerPrefixGivesTheNameAndKeepsItsLastCharacter) {
    const std::string prefix = "\xA4\x70\xA9\xFA\xA1\x47\xA1\x75", name = "\xA4\x70\xA9\xFA";
    ASSERT_EQ(ASS_SetIndent("\xA4\x6A\xA1\x47\xA1\x75", "\xA4\x6A"), 1);
    ASSERT_EQ(ASS_SetIndent(prefix.c_str(), name.c_str()), 1);
    Page(prefix + kA + kB + "\xA1\x76");
    EXPECT_STREQ(Msg.name, name.c_str());
    EXPECT_EQ(Text(0), "\xA1\x75" + kA + kB + "\xA1\x76");
    Page(kA + kB);
    EXPECT_STREQ(Msg.name, "");
    // 81 84 at the first lead byte becomes "//", which shows as nothing.
    Page("ab\x81\x84" + kA);
    EXPECT_EQ(Text(0), "ab" + kA);
    // The table's capacities.
    for (int i = 2; i < MSG_INDENT_MAX; ++i) EXPECT_EQ(ASS_SetIndent("x", "y"), 1);
    EXPECT_EQ(ASS_SetIndent("x", "y"), 0);
    _ass_initindent();
    EXPECT_EQ(ASS_SetIndent(std::string(32, 'p').c_str(), "y"), 0);
}

TEST_F(TextTest, TagsShapeTheSegments) {
    const i32 red = DISP_PackRGB(255, 0, 0), white = FONT_White();
    struct Seg {
        std::string text;
        i32 x, y, newLine, keyWait, speed, face, side;
        std::string voice;
        i32 colour;
    };
    struct Row {
        std::string in;
        std::vector<Seg> segs;
    };
    const std::vector<Row> rows = {
        {kA + "/n" + kB, {{kA, 0, 0, 1, 0, 12, -1, -1, "", white}, {kB, 0, 26, 0, 0, 12, -1, -1, "", white}}},
        {"/n" + kA, {{kA, 0, 0, 1, 0, 12, -1, -1, "", white}}},
        {kA + "/k" + kB, {{kA, 0, 0, 0, 1, 12, -1, -1, "", white}, {kB, 14, 0, 0, 0, 12, -1, -1, "", white}}},
        {"/s4" + kA + "/s9" + kB, {{kA, 0, 0, 0, 0, 4, -1, -1, "", white}, {kB, 14, 0, 0, 0, 9, -1, -1, "", white}}},
        {"/f23/fr" + kA + "/fn" + kB,
         {{kA, 0, 0, 0, 0, 12, 23, 1, "", white}, {kB, 14, 0, 0, 0, 12, -2, -1, "", white}}},
        {"/v12" + kA + "/w" + kB, {{kA + kB, 0, 0, 0, 0, 12, -1, -1, "12.wav", white}}},
        {kA + "/cFF0000" + kB + "/hp" + kC, {{kA, 0, 0, 0, 0, 12, -1, -1, "", white}, {kB + "hp" + kC, 14, 0, 0, 0, 12, -1, -1, "", red}}},
        // The text after an odd segment starts at the next whole cell.
        {"a/cFF0000" + kB, {{"a", 0, 0, 0, 0, 12, -1, -1, "", white}, {kB, 14, 0, 0, 0, 12, -1, -1, "", red}}},
    };
    for (const Row& row : rows) {
        Msg.speed = 12;
        Page(row.in);
        EXPECT_EQ(Msg.segCount, i32(row.segs.size())) << row.in;
        for (size_t i = 0; i < row.segs.size() && i < size_t(Msg.segCount); ++i) {
            const Seg& s = row.segs[i];
            const MSG_LINE& r = MsgLineTbl[i];
            EXPECT_EQ(Text(int(i)), s.text) << row.in << " " << i;
            EXPECT_EQ(std::vector<i32>({r.x, r.y, r.newLine, r.keyWait, r.speed, r.face, r.faceSide, r.color[0]}),
                      std::vector<i32>({s.x, s.y, s.newLine, s.keyWait, s.speed, s.face, s.side, s.colour}))
                << row.in << " " << i;
            EXPECT_STREQ(r.voice, s.voice.c_str());
        }
    }
    // Wipe times: "/wo" sets the opening's duration, "/wc" the next one's.
    ASS_Term();
    ASS_Init();
    _ass_settextwindowtype(0);
    Page("/wo120" + kA);
    EXPECT_EQ(TextWindow.duration, 120);
    Page("/wc75" + kA + "/wo" + kA);  // no digits: no change
    EXPECT_EQ(TextWindow.duration, 75);
}

// The first and last columns of the window surface that the shown page inks in rows top..bottom-1
// (-1, -1 for none).
std::pair<i32, i32> InkColumns(i32 top = 0, i32 bottom = 1 << 20) {
    plat::Surface* s = ADV_GetTextSurface();
    SURF_Fill(s, nullptr, TextWindow.key);
    DrawText_Text(Msg.sprite);
    std::pair<i32, i32> ink{-1, -1};
    for (i32 y = std::max(0, top); y < std::min(s->height, bottom); ++y)
        for (i32 x = 0; x < s->width; ++x)
            if (reinterpret_cast<const u16*>(s->pixels + y * s->pitch)[x] != TextWindow.key)
                ink = {ink.first < 0 ? x : std::min(ink.first, x), std::max(ink.second, x)};
    return ink;
}

TEST_F(TextTest, RubyKeepsEveryCharacterInsideItsRow) {
    LoadProbeFont(0, 10);
    LoadProbeFont(1, 14);
    std::string trails, ruby60;  // wide characters whose trail byte is a bracket, a slash or a tag letter
    for (char t : {']', '[', '/', 'k', 'l', 'n'}) trails += std::string("\xA4") + t;
    for (int i = 0; i < 60; ++i) ruby60 += kB;
    const std::string bcd = kB + kC + kD, spaces36(36, ' '), ruby40 = ruby60.substr(0, 40), w73 = Wide(73);
    struct Row {
        std::string in;
        std::vector<std::string> rows;  // each row's text: its segments one after another, from whole cells
        int rubySeg;                    // the segment with the ruby: its text and count, base start and count
        std::string ruby;
        i32 rubyCount, baseStart, baseCount;
        i32 rubyFirst, rubyLast;  // the ruby's inked columns from the text origin
    };
    const std::vector<Row> rows = {
        // Three ruby characters (30 pixels) over one base character: three cells, one each side.
        {"/kl[" + kA + "][" + bcd + "]" + kA, {"  " + kA + "  " + kA}, 0, bcd, 3, 2, 1, 10, 39},
        {"/kll[" + kA + "][" + bcd + "]", {kA + "  "}, 0, bcd, 3, 0, 1, 4, 33},
        {"/kl[" + Wide(10) + "][" + kB + "]", {Wide(10)}, 0, kB, 1, 0, 10, 69, 78},
        // A ruby wider than a row keeps what the 37-cell row holds at 10 pixels each.
        {"/kl[" + kA + "][" + ruby60 + "]", {spaces36 + kA + spaces36}, 0, ruby60.substr(0, 102), 51, 36, 1, 8, 517},
        // Trail bytes that read as brackets or tags belong to their characters, in base and ruby.
        {"/kl[" + trails + "][" + kB + "]" + kA, {trails + kA}, 0, kB, 1, 0, 6, 41, 50},
        {"/kl[" + kA + kB + kC + "][" + trails + "]", {"  " + kA + kB + kC + "  "}, 0, trails, 6, 2, 3, 9, 68},
        // Single-byte characters in base and ruby: both stay whole; the base fills its last cell.
        {"/kl[a" + kA + "][x" + kB + kC + "]" + kD, {"a" + kA + "   " + kD}, 0, "x" + kB + kC, 3, 0, 2, 2, 33},
        {"/kl[ab" + kA + "][xy]" + kB, {"ab" + kA + kB}, 0, "xy", 2, 0, 3, 6, 20},
        // A ruby that does not fit the rest of its row goes whole to the next one; one that just fits
        // stays.
        {Wide(36) + "/kl[" + kA + "][" + bcd + "]", {Wide(36), "  " + kA + "  "}, 1, bcd, 3, 2, 1, 10, 39},
        {Wide(30) + "/kl[" + Wide(20) + "][" + kB + "]", {Wide(30), Wide(20)}, 1, kB, 1, 0, 20, 139, 148},
        {Wide(34) + "/kl[" + kA + "][" + bcd + "]", {Wide(34) + "  " + kA + "  "}, 1, bcd, 3, 2, 1, 486, 515},
        // Unless the move would push text below the window's third row: the base then runs on.
        {w73 + "/kl[" + kA + "][" + bcd + kB + kC + "]" + Wide(37), {Wide(37), w73.substr(74) + kA, Wide(37)}, 2,
         bcd + kB + kC, 5, 0, 1, 472, 521},
        // A base longer than a row runs on as plain text, before the text after it.
        {"/kl[" + Wide(40) + "][" + kB + "]\xA1\x42" + kC, {Wide(37), Wide(40).substr(74) + "\xA1\x42" + kC}, 0, kB, 1,
         0, 37, 258, 267},
        {kA + "/kl[" + Wide(40) + "][" + kB + "]", {kA, Wide(37), Wide(40).substr(74)}, 1, kB, 1, 0, 37, 258, 267},
        // An odd one ends half a cell into its row; the rest starts the next.
        {"/kl[a" + Wide(40) + "][" + kB + "]" + kC, {"a" + Wide(36), Wide(40).substr(72) + kC}, 0, kB, 1, 0, 37, 254,
         263},
        // A wide ruby over a base at the row's start without left padding stays inside the row.
        {"/kll[" + kA + "][" + ruby40 + "]", {kA + std::string(14, ' ')}, 0, ruby40, 20, 0, 1, 4, 203},
    };
    for (const Row& row : rows) {
        OpenPage(row.in);
        // Decide completes the reveal once the current segment shows more than 12 pixels.
        for (int i = 0; i < 12 && _ass_getpagestate() != ADV_PAGE_SHOWN; ++i) Step(i % 3 == 2 ? 16 : 0);
        ASSERT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN) << row.in;
        std::vector<std::string> got;
        for (int i = 0; i < Msg.segCount; ++i) {
            const MSG_LINE& r = MsgLineTbl[i];
            got.resize(std::max(got.size(), size_t(r.y / 26 + 1)));
            std::string& line = got[size_t(r.y / 26)];
            EXPECT_EQ(std::pair(r.x, r.y % 26), std::pair(i32(line.size() + 1) / 2 * 14, 0)) << row.in << " " << i;
            line += Text(i);
            // Its glyphs show whole: the window's ink in its row reaches its own (but for the outline's
            // last two columns, which no segment shows).
            plat::Surface* s = SPR_GetSlotSurf(r.surf);
            i32 own = -1;
            for (i32 y = 0; s && y < s->height; ++y) {
                const u16* px = reinterpret_cast<const u16*>(s->pixels + y * s->pitch);
                for (i32 x = 0; x < s->width; ++x)
                    if (px[x] != TextWindow.key) own = std::max(own, x);
            }
            const i32 top = TextWindow.originY + r.y;
            EXPECT_GE(InkColumns(top, top + r.glyphH + 2).second, TextWindow.originX + r.x + own - 2)
                << row.in << " " << i;
        }
        EXPECT_EQ(got, row.rows) << row.in;
        const MSG_LINE& r = MsgLineTbl[row.rubySeg];
        const std::string rubyText = r.rubyText ? r.rubyText : "";
        EXPECT_EQ(std::tuple(r.ruby, rubyText, r.rubyCount, r.baseStart, r.baseCount),
                  std::tuple(1, row.ruby, row.rubyCount, row.baseStart, row.baseCount))
            << row.in;
        const i32 top = TextWindow.originY + r.y - 11;
        const auto [rubyFirst, rubyLast] = InkColumns(top, top + 10);
        EXPECT_EQ(std::pair(rubyFirst - TextWindow.originX, rubyLast - TextWindow.originX),
                  std::pair(row.rubyFirst, row.rubyLast))
            << row.in;
        // Nothing is drawn outside the row's columns: 37 cells of 14 pixels from the text origin.
        const auto [first, last] = InkColumns();
        EXPECT_GE(first, TextWindow.originX - 1) << row.in;
        EXPECT_LE(last, TextWindow.originX + 37 * 14 + 4) << row.in;
    }
}

TEST_F(TextTest, FullRowsKeepTheirCommaAndStopAtSixtyFourSegments) {
    Page(Wide(37) + "\xA1\x42" + kA);
    ASSERT_EQ(Msg.segCount, 2);
    EXPECT_EQ(MsgLineTbl[0].len, 76);
    EXPECT_EQ(Text(1), kA);
    EXPECT_EQ(MsgLineTbl[1].y, 26);
    Page(Wide(37) + "\xA1\x43");
    EXPECT_EQ(Msg.segCount, 1);

    std::string many;
    for (int i = 0; i < 70; ++i) many += kA + "/n";
    test::DebugCapture debug;
    Page(many);
    EXPECT_EQ(Msg.segCount, MSG_LINE_MAX);
    EXPECT_TRUE(debug.Contains("more than 64 segments"));

    // Texts that end inside a character or a tag read nothing past their end.
    for (const std::string& t : {std::string("plain ascii without lead bytes"), std::string("ab\xA4"), std::string("ab/wo"),
                                 std::string("ab/s"), std::string("/c12"), std::string("/kl[") + kA, std::string("/f"),
                                 std::string("/v1234567890123"), std::string("/")}) {
        Page(t);
        EXPECT_LE(Msg.segCount, 1) << t;
    }
}

TEST_F(TextTest, ChoiceLineRectangle) {
    ADV_SetMessage((Wide(5) + "/n").c_str());
    ADV_SetMessage((Wide(5) + "/n").c_str());
    ADV_SetSelMessage(Wide(10).c_str(), 77);
    EXPECT_EQ(ADV_GetSelAns(0), 77);
    ADV_DrawSelectMessage();
    ASSERT_EQ(SelRectCnt, 1);
    const SEL_RECT& r = SelRectTbl[0];
    EXPECT_EQ(std::vector<i32>({r.left, r.top, r.right, r.bottom, r.alpha, r.label}),
              std::vector<i32>({92, 443, 232, 457, 64, 77}));
    EXPECT_EQ(r.color, DISP_PackRGB(0, 0, 255));
    EXPECT_EQ(_ass_getselectrectwait(), 1);
    // A ninth choice line is not recorded; its text still shows.
    for (int i = 0; i < 9; ++i) ADV_SetSelMessage((kA + "/n").c_str(), i);
    EXPECT_EQ(Msg.selCount, MSG_SELECT_MAX);
}

TEST_F(TextTest, RandomTextsLayOutRevealAndDrawSafely) {
    UseSampleWindow();
    LoadProbeFont(1, 14);
    // Bytes drawn from the tag alphabet, lead bytes and the special pairs, seeded.
    const std::vector<std::string> pieces = {"/", "n", "k", "kl", "l", "s", "f", "v", "c", "w", "o", "hp", "[", "]",
                                             "0", "7", "9", "F", kA, kB, "\xA1\x42", "\x81\x84", "\xA4", "a", " "};
    u32 seed = 12345;
    for (int page = 0; page < 100; ++page) {
        std::string text;
        const int n = int(seed % 120);
        for (int i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % pieces.size()];
        }
        seed = seed * 1103515245u + 12345u;
        ADV_SetMessage(text.c_str());
        ADV_DrawMessage();
        for (int u = 0; u < 12; ++u) {
            Step(u % 5 == 4 ? 16 : 0);
            if (u % 2) DrawAll();
        }
        ASSERT_LE(Msg.segCount, MSG_LINE_MAX);
    }
}

// ---- reveal and input ----

TEST_F(TextTest, FullLineRevealsInFortyFourUpdatesAndShowsInTheFortySeventh) {
    OpenPage(Wide(37));
    std::vector<int> se;
    int reached = 0, shown = 0;
    for (int u = 1; u <= 50; ++u) {
        trace.clear();
        Step();
        se.push_back(Count("SE_Play(46, 0)"));
        if (!reached && MsgLineTbl[0].width == 518) reached = u;
        if (!shown && _ass_getpagestate() == ADV_PAGE_SHOWN) shown = u;
    }
    EXPECT_EQ(reached, 44);
    EXPECT_EQ(shown, 47);
    EXPECT_EQ(std::vector<int>(se.begin(), se.begin() + 44), std::vector<int>(44, 1));
    EXPECT_EQ(std::vector<int>(se.begin() + 44, se.end()), std::vector<int>(6, 0));
}

// The ruby over a base appears once the base's segment is revealed whole, never while it comes in.
TEST_F(TextTest, RubyWaitsUntilItsBaseIsRevealed) {
    LoadProbeFont(0, 10);
    LoadProbeFont(1, 14);
    OpenPage("/kl[" + kA + "][" + kB + kC + kD + "]" + kB);
    int partial = 0, whole = 0;
    for (int u = 0; u < 12; ++u) {
        Step();
        const MSG_LINE& r = MsgLineTbl[0];
        const bool revealed = r.width >= 4 * r.glyphW;  // the segment's four cells: "  A  B"
        (revealed ? whole : partial)++;
        const i32 top = TextWindow.originY + r.y - 11;  // the ruby's ten rows above the text
        EXPECT_EQ(InkColumns(top, top + 10).second >= 0, revealed) << "update " << u << ", " << r.width << " pixels";
    }
    EXPECT_GT(partial, 0);
    EXPECT_GT(whole, 0);
}

TEST_F(TextTest, DecideCompletesPastTwelvePixelsAndThenFinishes) {
    OpenPage(Wide(37));
    Step();
    Step(16);  // 12 pixels shown: ignored
    EXPECT_EQ(Msg.skip, 0);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_REVEALING);
    Step(16);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN);
    EXPECT_EQ(MsgLineTbl[0].width, 518);
    Step(16);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_FINISHED);
}

TEST_F(TextTest, MouseWordsShiftAndCancel) {
    struct Row {
        bool shift;
        u16 trigger, held;
        u32 mouseTrg, mousePad;
        bool finishes;
    };
    const Row rows[] = {
        {false, 0, 0, 5, 1, true},    // a fresh left press
        {false, 0, 0, 0, 1, false},   // held only
        {true, 0, 0, 0, 1, true},     // held, with Shift
        {true, 0, 16, 0, 0, true},    // decide held, with Shift
        {false, 0, 16, 0, 0, false},  // decide held, without
    };
    for (const Row& r : rows) {
        OpenPage(kA + kB);
        for (int i = 0; i < 10; ++i) Step();
        ASSERT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN);
        fake.asyncKeys[plat::VK_SHIFT] = r.shift;
        Step(r.trigger, r.held, r.mouseTrg, r.mousePad);
        fake.asyncKeys[plat::VK_SHIFT] = false;
        EXPECT_EQ(_ass_getpagestate() == ADV_PAGE_FINISHED, r.finishes) << r.shift << r.held << r.mouseTrg;
    }
    // Cancel (or a right click) hides the window; decide does nothing until it shows again.
    OpenPage(kA);
    for (int i = 0; i < 10; ++i) Step();
    Step(32);
    EXPECT_EQ(TextWindow.shown, 0);
    Step(16);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN);
    Step(0, 0, 2, 2);
    EXPECT_EQ(TextWindow.shown, 1);
    Step(16);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_FINISHED);
}

TEST_F(TextTest, KeyWaitInsidePageSpeedZeroAndVoices) {
    plat::AudioSetManualMix(8000);
    ASSERT_EQ(SND_InitDevice(nullptr), 1);
    tools::WaveOptions wave;
    dir.Write("1.wav", tools::MakeWave(wave, tools::IndexSamples16(800)));
    dir.Write("2.wav", tools::MakeWave(wave, tools::IndexSamples16(1200)));  // told apart by its size
    OpenPage("/v1" + kA + "/k/v2" + kB);
    for (int i = 0; i < 10; ++i) Step();
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN);
    EXPECT_EQ(Msg.current, 0);
    ASSERT_NE(Msg.voice, nullptr);
    EXPECT_EQ(plat::SoundGetSize(Msg.voice), 1600u);
    const u32 live = plat::SoundLiveBuffers();
    Step(16);  // resumes at the next segment
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_REVEALING);
    EXPECT_EQ(Msg.current, 1);
    for (int i = 0; i < 10; ++i) Step();
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_SHOWN);
    // The second voice took the first one's place.
    ASSERT_NE(Msg.voice, nullptr);
    EXPECT_EQ(plat::SoundGetSize(Msg.voice), 2400u);
    EXPECT_EQ(plat::SoundLiveBuffers(), live);
    EXPECT_EQ(Count("SND_LoadSound(2.wav)"), 1);
    Step(16);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_FINISHED);

    // "/s0" reveals a pixel an update.
    OpenPage("/s0" + kA);
    Step();
    Step();
    EXPECT_EQ(MsgLineTbl[0].width, 2);
    ASS_Term();
    SND_TermDevice();
    plat::AudioSetManualMix(0);
    ASS_Init();
}

TEST_F(TextTest, PageAndCloseWaitsAgainstTheWindow) {
    Run("call windowtype 0\ncall autotime 500\ntext \"\\xA4\\x40\"\ncall setvalue 1, 1\ncall closewindow 0\n"
        "call setvalue 2, 1\ncall wait 100000");
    u32 shownAt = 0, finishedAt = 0;
    for (int updates = 0; ScrValueTbl[2] == 0 && updates < 200; ++updates) {
        Loop(0, 33);
        if (!shownAt && _ass_getpagestate() == ADV_PAGE_SHOWN) shownAt = plat::GetTimeMs();
        if (!finishedAt && ScrValueTbl[1]) finishedAt = plat::GetTimeMs();
    }
    ASSERT_NE(shownAt, 0u);
    ASSERT_NE(finishedAt, 0u);
    // Wait 27 ends in the first update more than 500 ms after the page was shown.
    EXPECT_GT(finishedAt - shownAt, 500u);
    EXPECT_LE(finishedAt - shownAt, 500u + 33u);
    // Wait 29 (a 0 ms close) ends once the window is closed and the page with it.
    EXPECT_EQ(ScrValueTbl[2], 1);
    EXPECT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_CLOSED);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_CLOSED);
}

// ---- pictures ----

TEST_F(TextTest, PicturesOfComposedWindows) {
    UseSampleWindow();
    LoadSampleFonts();
    WriteSpriteSet("face.spr", 3);
    const std::string out = KORVANE_BUILD_PICTURES;
    const std::string speaker = "\xA4\x70\xA9\xFA\xA1\x47\xA1\x75";
    ASS_SetIndent(speaker.c_str(), "\xA4\x70\xA9\xFA");
    const auto draw = [&](const std::string& name) {
        for (int y = 0; y < 480; ++y) {
            const RECT row{0, y, 640, y + 1};
            SURF_Fill(DispBackBuffer, &row, Pack({90 + y / 8, 110, 150 - y / 8}));
        }
        SPR_DrawAllSpr(-1);
        EXPECT_TRUE(plat::SaveSurfaceBmp(DispBackBuffer, (out + "/" + name).c_str()));
    };
    for (i32 type : {0, 1, 2}) {
        _ass_settextwindowtype(type);
        _ass_releaseface(-1);
        _ass_loadface(1, "face.spr");
        const std::string text = speaker + "/f12" + Wide(4) + "/kl[" + kA + "][" + kB + kC + kD + "]" + "/c40FF80" +
                                 Wide(5) + "/cFFFFFF" + Wide(14) + "\xA1\x76";
        ADV_SetMessage(text.c_str());
        ADV_DrawMessage();
        for (int i = 0; i < 5; ++i) Step();
        if (type == 0) draw("text_window_opening.bmp");
        for (int i = 0; i < 26; ++i) Step();
        EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_REVEALING);
        draw("text_window_type" + std::to_string(type) + ".bmp");
        ASS_CloseText(0);
        Step();
    }
}

// The composed window with probe fonts, kept as a golden picture: frame and background of type 0, a
// face, the name, a coloured segment, ruby, the soft edge and the cursor mid-reveal.
TEST_F(TextTest, ComposedWindowMatchesItsGoldenPicture) {
    UseSampleWindow();
    LoadProbeFont(0, 10);
    LoadProbeFont(1, 14);
    WriteSpriteSet("face.spr", 2);
    _ass_loadface(1, "face.spr");
    _ass_settextwindowpos(0, 0);
    ASS_SetIndent("\xA4\x6A\xA1\x47\xA1\x75", "\xA4\x6A");
    OpenPage("\xA4\x6A\xA1\x47\xA1\x75/f11" + Wide(3) + "/kl[" + kA + "][" + kB + kC + "]/c40FF80" + Wide(4) +
             "/cFFFFFF" + Wide(20));
    for (int i = 0; i < 22; ++i) Step();
    ASSERT_EQ(_ass_getpagestate(), ADV_PAGE_REVEALING);
    DrawAll();
    CheckGolden("text_window.bmp", 640, 136);
}

}  // namespace

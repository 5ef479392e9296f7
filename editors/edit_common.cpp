#include "editors/edit_common.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "graphics/display/disp.h"
#include "platform/encoding.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

char EditChipNameTbl[EDIT_CHIP_MAX][EDIT_CHIP_NAME];

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f'; }

}  // namespace

int EDIT_LoadChipTxt(const char* stem) {
    for (auto& name : EditChipNameTbl) std::snprintf(name, EDIT_CHIP_NAME, "---------------");
    const char* path = MakeFilePath("ChipTxt\\%s.txt", stem);
    i32 size = 0;
    auto* data = static_cast<const char*>(ReadBinaryFile(path, &size));
    if (!data) {
        DebugMsg("ChipTxt: %s.txt を開けません", stem);
        return 0;
    }
    // Read as a 256-byte line buffer would: a longer line comes in pieces of 255 bytes.
    int row = 0;
    for (i32 pos = 0; pos < size && row < EDIT_CHIP_MAX;) {
        i32 end = pos;
        while (end < size && end - pos < 255 && data[end] != '\n') end++;
        if (end < size && data[end] == '\n' && end - pos < 255) end++;
        const std::string_view line(data + pos, end - pos);
        pos = end;
        if (!line.empty() && line[0] == '/') continue;
        size_t a = 0;
        while (a < line.size() && IsBlank(line[a])) a++;
        size_t b = a;
        while (b < line.size() && !IsBlank(line[b])) b++;
        if (b > a) {
            const size_t n = std::min<size_t>(b - a, EDIT_CHIP_NAME - 1);
            std::memcpy(EditChipNameTbl[row], line.data() + a, n);
            EditChipNameTbl[row][n] = 0;
        }
        row++;
    }
    plat::GlobalFree(const_cast<char*>(data));
    return 1;
}

bool EDIT_ParseInt(std::string_view text, bool isSigned, i64* value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == '-') {
        negative = true;
        i++;
    }
    i64 v = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++, digits++) {
        v = v * 10 + (text[i] - '0');
        if (v > 0xFFFFFFFFll) return false;
    }
    if (digits == 0) return false;
    if (negative) v = -v;
    if (isSigned ? (v < INT32_MIN || v > INT32_MAX) : v > 0xFFFFFFFFll) return false;
    *value = v;
    return true;
}

i32 EDIT_ClampText(std::string_view text, bool isSigned, i32 min, i32 max) {
    i64 v = 0;
    if (!EDIT_ParseInt(text, isSigned, &v)) return min;
    return static_cast<i32>(std::clamp<i64>(v, min, max));
}

void EDIT_StoreInt(void* dst, i32 value, int bytes) {
    auto* p = static_cast<u8*>(dst);
    const u32 u = static_cast<u32>(value);
    for (int i = 0; i < bytes && i < 4; i++) p[i] = static_cast<u8>(u >> (8 * i));
}

i32 EDIT_LoadInt(const void* src, int bytes, bool isSigned) {
    const auto* p = static_cast<const u8*>(src);
    u32 u = 0;
    for (int i = 0; i < bytes && i < 4; i++) u |= static_cast<u32>(p[i]) << (8 * i);
    if (bytes == 1) return isSigned ? static_cast<i8>(u) : static_cast<i32>(u);
    if (bytes == 2) return isSigned ? static_cast<i16>(u) : static_cast<i32>(u);
    return static_cast<i32>(u);
}

void EDIT_GetDlgInt(plat::Dialog* dlg, int ctl, bool isSigned, i32 min, i32 max, void* dst, int bytes) {
    if (!dst) return;
    EDIT_StoreInt(dst, EDIT_ClampText(plat::GetCtlText(dlg, ctl), isSigned, min, max), bytes);
}

void EDIT_SetWazaPtr(EDIT_STATE* st) {
    st->waza = WAZA_GetData(st->type, st->no);
    st->motion = std::clamp(st->motion, 0, WAZA_MOTION_MAX - 1);
    st->frame = std::clamp(st->frame, 0, WAZA_FRAME_MAX - 1);
    st->step = std::clamp(st->step, 0, WAZA_STEP_MAX - 1);
    st->branch = std::clamp(st->branch, 0, WAZA_BRANCH_MAX - 1);
    st->tama = nullptr;
    st->tamaPhase = nullptr;
    st->scale = nullptr;
    st->shadow = nullptr;
    if (!st->waza) {
        st->wazaMotion = nullptr;
        st->entry = nullptr;
        st->fire = nullptr;
        st->wazaStep = nullptr;
        st->wazaBranch = nullptr;
        return;
    }
    st->wazaMotion = &st->waza->motion[st->motion];
    st->entry = reinterpret_cast<u8*>(&st->wazaMotion->frame[st->frame]);
    st->fire = &st->wazaMotion->fire;
    st->wazaStep = &st->waza->stepTbl[st->step];
    st->wazaBranch = &st->waza->branch[st->branch];
}

void EDIT_SetTamaPtr(EDIT_STATE* st) {
    st->motion = std::clamp(st->motion, 0, TAMA_PHASE_MAX - 1);
    st->frame = std::clamp(st->frame, 0, TAMA_STEP_MAX - 1);
    st->waza = nullptr;
    st->wazaMotion = nullptr;
    st->wazaStep = nullptr;
    st->wazaBranch = nullptr;
    st->tama = st->no >= 0 && st->no < TamaDataCount ? TAMA_GetData(st->no) : nullptr;
    if (!st->tama) {
        st->tamaPhase = nullptr;
        st->entry = nullptr;
        st->fire = nullptr;
        st->scale = nullptr;
        st->shadow = nullptr;
        return;
    }
    st->tamaPhase = &st->tama->phase[st->motion];
    st->entry = reinterpret_cast<u8*>(&st->tamaPhase->step[st->frame]);
    st->fire = &st->tamaPhase->fire;
    st->scale = &st->tamaPhase->scale[st->frame];
    st->shadow = &st->tamaPhase->shadow[st->frame];
}

const char* const EditHitMarkTbl[EDIT_HITMARK_ROWS] = {
    "無", "機甲全毀爆炸", "【不可使用】", "命中記號(小)", "命中記號(中)", "命中記號(大)", "命中記號(特大)",
    "命中記號(機槍)", "相互抵銷", "火神砲命中", "【不可使用】", "電擊", "煙霧", "【不可使用】", "機甲落地煙塵",
    "機甲碎片", "地面碎片", "機槍發射1", "機槍發射2", "彈夾", "【不可使用】", "【不可使用】", "【不可使用】",
    "命中記號(雷射)", "游標", "【不可使用】",
};

const char* const EditSoundTbl[EDIT_SOUND_ROWS] = {
    "無し", "防護罩", "光束1", "光束2", "光束3", "bu-", "爆炸1", "爆炸2", "爆炸3", "爆炸4", "爆炸5", "揮動",
    "充填1", "充填2", "高速移動1", "高速移動2", "高速移動3", "撞擊地面", "電鑽刺", "觸電1", "觸電2", "火焰1",
    "火焰2", "瓦斯", "格林機槍", "命中1", "命中2", "命中3", "命中4", "鏗1", "鏗2", "鎖定", "疾行", "發射音1",
    "發射音2", "著地", "超必殺技", "地面著彈", "火神砲", "鞭1", "鞭2", "揮刀", "揮空", "鏘～", "碎片1", "碎片2",
    "碎片3", "選單01", "選單02", "選單03", "選單04", "選單05", "選單06", "選單07", "高速移動4", "取得武器",
};

namespace {

void FillCombo(plat::Dialog* dlg, int ctl, const char* const* rows, int count) {
    plat::ClearRows(dlg, ctl);
    for (int i = 0; i < count; i++) plat::AddRow(dlg, ctl, rows[i]);
    plat::SetSel(dlg, ctl, 0);
}

}  // namespace

void EDIT_SetHitMarkCombo(plat::Dialog* dlg, int ctl) { FillCombo(dlg, ctl, EditHitMarkTbl, EDIT_HITMARK_ROWS); }
void EDIT_SetSoundCombo(plat::Dialog* dlg, int ctl) { FillCombo(dlg, ctl, EditSoundTbl, EDIT_SOUND_ROWS); }

int (*EditSePlay)(int no, int loop) = SE_Play;

void EDIT_PlayComboSound(int row) {
    if (row >= 1) EditSePlay(row - 1, 0);
}

std::string EDIT_NameToUtf8(const char* name, int size) {
    return plat::RecordNameToUtf8(std::string_view(name, strnlen(name, size)));
}

void EDIT_NameFromUtf8(std::string_view utf8, char* name, int size) {
    const std::string bytes = plat::Utf8ToRecordName(utf8);
    size_t n = 0;
    while (n < bytes.size()) {
        const size_t len = plat::IsRecordNameLead(static_cast<u8>(bytes[n])) ? 2 : 1;
        if (n + len > static_cast<size_t>(size - 1) || n + len > bytes.size()) break;
        n += len;
    }
    std::memset(name, 0, size);
    std::memcpy(name, bytes.data(), n);
}

std::string EDIT_PadLeft(std::string_view utf8, int width) {
    int columns = 0;
    for (char ch : utf8) {
        const auto b = static_cast<u8>(ch);
        if (b < 0x80) columns++;
        else if ((b & 0xC0) != 0x80) columns += 2;
    }
    return std::string(std::max(0, width - columns), ' ') + std::string(utf8);
}

std::string EDIT_Format(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

POINT EDIT_PlaceDialog(const RECT& gameFrame, const plat::ScreenMetrics& screen, i32 width, i32 height, i32 x, i32 y,
                       const RECT& list) {
    auto onScreen = [&](i32 px, i32 py) {
        return POINT{std::max(0, std::min(px, screen.cxScreen - width)),
                     std::max(0, std::min(py, screen.cyScreen - height))};
    };
    const POINT p = x < 0 ? onScreen((gameFrame.left + gameFrame.right - width) / 2,
                                     (gameFrame.top + gameFrame.bottom - height) / 2)
                          : onScreen(gameFrame.left + x, gameFrame.top + y);
    auto covered = [&](POINT q) {
        const i64 w = std::min(q.x + width, list.right) - std::max(q.x, list.left);
        const i64 h = std::min(q.y + height, list.bottom) - std::max(q.y, list.top);
        return w > 0 && h > 0 ? w * h : 0;
    };
    auto distance = [&](POINT q) { return std::abs(q.x - p.x) + std::abs(q.y - p.y); };
    POINT best = p;
    for (const POINT q : {onScreen(list.right, p.y), onScreen(list.left - width, p.y), onScreen(p.x, list.bottom),
                          onScreen(p.x, list.top - height)}) {
        const i64 a = covered(q), b = covered(best);
        if (a < b || (a == b && a < covered(p) && distance(q) < distance(best))) best = q;
    }
    return best;
}

void EDIT_MoveDialog(plat::Dialog* dlg, i32 x, i32 y, const plat::Dialog* list) {
    RECT frame{0, 0, 640, 480};
    if (MainWnd) plat::GetWindowRect(MainWnd, &frame);
    const plat::ScreenMetrics screen = plat::GetScreenMetrics(MainWnd);
    const RECT r = plat::GetDialogRect(dlg);
    const RECT avoid = list && list != dlg ? plat::GetDialogRect(list) : RECT{};
    const POINT p = EDIT_PlaceDialog(frame, screen, r.right - r.left, r.bottom - r.top, x, y, avoid);
    plat::MoveDialog(dlg, p.x, p.y);
}

void EDIT_PrepareDisplay() {
    if (!DispFullScreen || !MainWnd) return;
    ChangeDisplayMode(MainWnd, 640, 480, 16, 0);
    plat::WhenDialogsClosed([] {
        if (MainWnd && plat::IsWindowAlive(MainWnd) && !DispFullScreen) ChangeDisplayMode(MainWnd, 640, 480, 16, 1);
    });
}

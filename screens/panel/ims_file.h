// The small file menu on the panel manager: the "file" panel with four entries, its child
// "file_save" listing ten save slots, and the "yesno" confirmation.
#pragma once
#include "platform/types.h"
#include "screens/panel/ims_pnl.h"

constexpr int IMS_FILE_ITEMS = 4;
constexpr int IMS_FILE_SAVE_ITEMS = 16;
constexpr int IMS_FILE_SAVE_LINES = 13;  // " ^ ", ten slots, " v " twice
constexpr int IMS_YESNO_ITEMS = 4;

using IMS_YESNO_FUNC = void (*)();

extern IMS_PNL ImsFilePnl[IMS_FILE_ITEMS];
extern POINT ImsFilePos;
extern i32 ImsFileCursor;
extern i32 ImsFileCursorOld;
extern i32 ImsFileSurf;  // "Bmp\MainMenu.bmp"

extern IMS_PNL ImsFileSavePnl[IMS_FILE_SAVE_ITEMS];
extern POINT ImsFileSavePos;
extern i32 ImsFileSaveCursor;  // 0..9 for the slot lines 1..10
extern i32 ImsFileSaveCursorOld;
extern i32 ImsFileSaveSurf;  // its own use of "Bmp\MainMenu.bmp" while open, -1 otherwise

extern IMS_PNL ImsYesNoPnl[IMS_YESNO_ITEMS];
extern POINT ImsYesNoPos;
extern i32 ImsYesNoCursor;
extern i32 ImsYesNoCursorOld;
extern i32 ImsYesNoSurf;
extern IMS_YESNO_FUNC ImsYesFunc;
extern IMS_YESNO_FUNC ImsNoFunc;

void IMS_FILE_Create();
i32 ims_file_key(i32 msg, u32 focus);
void IMS_FILE_SAVE_Create(i32 x, i32 y);
i32 FileSavePnl(i32 msg, u32 focus);
void IMS_YESNO_SetFunc(IMS_YESNO_FUNC yes, IMS_YESNO_FUNC no);
void IMS_YesNo(const char* parent, i32 x, i32 y);
i32 YesNoPnl(i32 msg, u32 focus);

// The file entries' help lines as the fonts draw them (Big5), converted once.
const char* IMS_FILE_GetHelpStr(int entry);

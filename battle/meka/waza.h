// The technique engine: the running technique, motion and frame of the mech being updated.
#pragma once

struct WAZA_DATA;
struct WAZA_MOTION;
struct WAZA_FRAME;

// Valid for CurObj only; set by the mech drivers and the step machine. Null while none runs.
extern WAZA_DATA* CurWaza;
extern WAZA_MOTION* CurMotion;
extern WAZA_FRAME* CurFrame;

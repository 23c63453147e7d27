// The plain rules behind the CBT hook and the pointer jump, for the rooms'
// files and the tests.
#pragma once

#include <windows.h>

int ClassHasBosaPrefix(const char* name);   // "bosa_" prefix, case ignored
int JumpClassListed(const char* name);      // the pointer may jump to this class
int ButtonEditListed(const char* name);     // buttons and edit fields only
// The frame band of a frame window's rectangle (bounds included).
int FrameBandHit(RECT r, POINT p, int fx, int fy, int menu, int caption);
// A return is still in time: elapsed ticks since the jump, wrapped, below window.
int ReturnStillInTime(int jumpTick, int nowTick, int window);
int PointWithin(POINT a, POINT b, int tolerance);  // per axis, bound included
POINT RectCentre(RECT r);

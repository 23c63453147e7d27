// winsim: list-box messages (the controls themselves are the tests' handlers).
#pragma once

#ifndef LB_SETHORIZONTALEXTENT
#define LB_SETHORIZONTALEXTENT 0x0194
#endif

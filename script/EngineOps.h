#pragma once
#include "script/Atom.h"

// The routines of the atoms the loader makes itself: literals, parameters, procedures and the
// control words whose jump targets it sets.
void OpPushValue(TvekScript& s);     // string, block, integer, float and date literals
void OpPushParam(TvekScript& s);     // %name
void OpDefine(TvekScript& s);        // name=
void OpCall(TvekScript& s);          // a procedure call
void OpReturn(TvekScript& s);        // ;
void OpIf(TvekScript& s);
void OpElse(TvekScript& s);
void OpUntil(TvekScript& s);
void OpNothing(TvekScript& s);       // endif, repeat

#pragma once
// Running MAXScript text.

#include "../maxtypes.h"
#include "ScriptSource.h"

class FPValue;

/// Runs a MAXScript text synchronously on the user-interface thread. With quietErrors, errors do
/// not reach the user. TRUE when the host ran the text.
ScripterExport BOOL ExecuteMAXScriptScript(const MCHAR* s, MAXScript::ScriptSource scriptSource,
                                           BOOL quietErrors = FALSE, FPValue* fpv = nullptr,
                                           BOOL logQuietErrors = TRUE);

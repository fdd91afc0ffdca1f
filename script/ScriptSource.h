#pragma once
#include "script/VekScript.h"

#include <string>
#include <string_view>

// Script files written on Linux end their lines with LF alone; the loader joins CR LF pairs. So
// wherever a script file is read, each lone LF is taken as CR LF before the text reaches the loader.
std::string WithCrLf(std::string_view text);
// A script file's whole text, line ends as above. Raises EvekFileError when it cannot be read.
std::string ReadScriptSource(const std::string& fileName);

// An onInclude handler for hosts that run script files: the include file is looked for in
// scriptFolder (the including script's folder), then in "scripts" under the program folder.
TvekScript::TonInclude FileIncludeHandler(std::string scriptFolder);

#pragma once
#include <string>

// A script file's whole text, with each lone LF taken as CR LF so that the loader's line rules hold
// for scripts written on Linux. Raises EvekFileError when the file cannot be read.
std::string ReadScriptFile(const std::string& fileName);

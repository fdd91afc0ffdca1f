#pragma once
#include <string>

// The folder every file the system writes for itself lives in, with a trailing "/": the folder of
// the executable unless --home or VISTREL_HOME names another.
const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);
// Called once at start with argv[0]; honours VISTREL_HOME.
void InitProgramFolder(const char* argv0);

// The folder of the running executable, with a trailing "/", whatever the program folder is; where
// the files installed with the program (its manual) are looked for.
const std::string& ExecutableFolder();
void SetExecutableFolder(const std::string& folder);

// One running instance: later starts reach it over DDE (service "BOXSWEEP").
#pragma once

#include "shell/command_line.h"

// Asks a running instance to show its configuration ("SHOWCFGDLG") or, for "/exit" and
// "/restart", to save and end ("EXITAPP"); then registers this process as the running one.
// False when this process is to end at once (with status 0).
bool NegotiateSingleInstance(StartOption option);

// The list file "BOXSWEEP.LST": rules, click counts, settings and the main window's placement.
// Its format and its storage on disk live apart; the rest of the program includes this header.
#pragma once

#include "rules/list_format.h"
#include "rules/list_storage.h"

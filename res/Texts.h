#pragma once

// The program's own messages, each written once: the windows, the worker and tabulon-collect
// show them from here. Each feature's texts are in a file of their own beside this one; callers
// include this file only, and a new text goes into its feature's file, near the related ones.
// The texts the string table holds (the English file and print messages, the command prompts)
// are read with res::loadString instead.
#include "res/AppTexts.h"
#include "res/ArchiveTexts.h"
#include "res/CollectTexts.h"
#include "res/ExchangeTexts.h"
#include "res/FormTexts.h"
#include "res/IndexTexts.h"
#include "res/LineTexts.h"
#include "res/ListenTexts.h"
#include "res/ModemTexts.h"
#include "res/SiteTexts.h"
#include "res/StoreTexts.h"

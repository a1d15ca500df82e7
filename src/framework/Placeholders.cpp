#include "framework/Placeholders.h"

#include "framework/CApplication.h"


void init_sup() {}
void run_sup() {}
void quit_sup() {}

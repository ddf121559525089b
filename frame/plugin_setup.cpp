// The plug-in's set-up after binding, and its finish.

#include "board/board_table.h"
#include "frame/plugin.h"
#include "modules/module_classes.h"

int32_t SetupPlugin()
{
    if (!InitBoardTable())
        return 0;
    InsertPluginMenu();
    RegisterModuleClasses();
    return 1;
}

void FinishPlugin()
{
    ExitBoardTable();
}

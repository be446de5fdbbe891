#include "scene.h"

#include "runtime/demo.h"
#include "tools/zkt_basictools.h"
#include "ui/zkt_tinymenu_vol.h"

const SCENE g_Scenes[] = {
    {"splash-1500", 1500, 0},
    {"splash-6000", 6000, 0},
    {"splash-10500", 10500, 0},
    {"streaks", 20000, 0},
    {"ring-title", 34000, 0},
    {"ring-music", 39000, 0},
    {"ribbon", 62000, 0},
    {"wall", 80000, 0},
    {"track", 100000, 0},
    {"after-formations", 117000, 0},
    {"volume-up", 118000, ZKT_BTN_VOLUP},
    {"volume-shown", 118500, 0},
    {"menu-open", 119000, ZKT_BTN_START},
    {"menu-shown", 119600, 0},
};
const u32 g_nScenes = sizeof g_Scenes / sizeof g_Scenes[0];

static u32 s_ulNow = 0, s_ulPrevInput = 0, s_ulMode = 0;
static u32 SceneNow() { return s_ulNow; }

void Scene_Begin(u32 mode)
{
    s_ulMode = mode;
    ZKT_SetDisplayMode(mode, 16);
    if (mode >= 5)
        ZKT_SetTvInterlace(0);
    ZKT_PreCalc_SinCos(nullptr, nullptr);
    ZKT_TMV_SetTimeSource(SceneNow);
    ZKT_TMV_Vol_Initialize(mode <= 4 ? 1 : 0, mode >= 19 ? 1 : 0);
    ZKT_TMV_TinyMenu_Initialize(mode <= 4 ? 1 : 0, mode >= 19 ? 1 : 0);
    for (u32 i = 0; i < DEMO_PART_COUNT; i++)
        g_DemoParts[i].pfnInit(mode);
    for (u32 i = 0; i < DEMO_PART_COUNT; i++)
        g_DemoParts[i].pfnReset();
    s_ulPrevInput = 0;
}

void Scene_Frame(u32 i)
{
    const SCENE &s = g_Scenes[i];
    s_ulNow = s.ulTime;
    ZKT_TMV_HandleVolAndTinyMenu(s.ulInput, s_ulPrevInput);
    if (ZKT_TMV_TinyMenu_GetState() == 0) {
        for (u32 p = 0; p < DEMO_PART_COUNT; p++) {
            const DEMO_PART &part = g_DemoParts[p];
            if (part.ulStart <= s.ulTime && s.ulTime < part.ulEnd)
                part.pfnPaint(s.ulTime - part.ulStart, part.ulEnd - part.ulStart, s_ulMode);
        }
    }
    ZKT_WaitHwBlitter(0);
    ZKT_WaitHwBlitter(1);
    s_ulPrevInput = s.ulInput;
}

/* A caller of the requirements checker that knows nothing of Qt or of the
 * program: it loads the library by path, as an installer would, and prints
 * what the exports give, one tab-separated line per call:
 *   outside_caller LIBRARY LANGUAGE-ID
 * Exit code 0 when every export was found. */

#include "sysprobe/sysprobe.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef int (*InitFn)(const char*);
typedef int (*RunFn)(void);
typedef int (*HardwareFn)(char*, char*, char*, char*, char*, char*, char*, char*, char*);
typedef int (*SoftwareFn)(char*, char*, char*, char*, char*, char*, char*);
typedef int (*StateFn)(char*);

static HardwareFn hardware;
static SoftwareFn software;
static StateFn systemState;

static void printTexts(const char* label, int result, char texts[][SYSPROBE_TEXT_SIZE], int count)
{
    printf("%s\t%d", label, result);
    for (int i = 0; i < count; ++i)
        printf("\t%s", texts[i]);
    printf("\n");
}

static void report(const char* prefix)
{
    char texts[9][SYSPROBE_TEXT_SIZE];
    char label[64];
    memset(texts, 'x', sizeof texts);
    snprintf(label, sizeof label, "%shardware", prefix);
    int result = hardware(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7], texts[8]);
    printTexts(label, result, texts, 9);
    memset(texts, 'x', sizeof texts);
    snprintf(label, sizeof label, "%ssoftware", prefix);
    result = software(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6]);
    printTexts(label, result, texts, 7);
    memset(texts, 0, sizeof texts);
    snprintf(label, sizeof label, "%ssystem", prefix);
    result = systemState(texts[0]);
    printTexts(label, result, texts, 1);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s LIBRARY LANGUAGE-ID\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    InitFn init = (InitFn)dlsym(library, "DllInit");
    RunFn run = (RunFn)dlsym(library, "DllRunCheck");
    hardware = (HardwareFn)dlsym(library, "DllGetHardwareInfo");
    software = (SoftwareFn)dlsym(library, "DllGetSoftwareInfo");
    systemState = (StateFn)dlsym(library, "DllGetSystemState");
    if (!init || !run || !hardware || !software || !systemState) {
        fprintf(stderr, "an export is missing\n");
        dlclose(library);
        return 1;
    }
    report("before.");
    printf("init\t%d\n", init(argv[2]));
    printf("run\t%d\n", run());
    report("");
    /* Kept loaded to the end: unloading it would unload Qt too, whose own
     * start-up allocations the leak checker would then count as lost. */
    return 0;
}

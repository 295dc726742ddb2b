#ifndef SYSPROBE_H
#define SYSPROBE_H

/* The requirements checker for outside callers (installers, launchers):
 * load libSysprobe.so, then call DllInit, DllRunCheck and the three getters
 * in any order and as often as wanted. One caller thread; all state is the
 * library's own. Every text buffer belongs to the caller and holds at least
 * SYSPROBE_TEXT_SIZE bytes; texts are 8-bit and NUL-terminated, states the
 * texts "0" (recommended requirements met), "1" (minimal requirements met)
 * and "2" (minimal requirements not met). Every function returns 1 unless
 * said otherwise. */

#define SYSPROBE_TEXT_SIZE 256

#if defined(__GNUC__)
#define SYSPROBE_API __attribute__((visibility("default")))
#else
#define SYSPROBE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Chooses the language by its Windows language id given as decimal text
 * (1031 German, 1033 English; other languages give empty texts), loads the
 * texts and sets every state to 2 until the check runs. 0 for a null
 * pointer, which changes nothing. */
SYSPROBE_API int DllInit(const char* languageId);

/* Measures the machine and blocks the caller for 2000 ms. When the calling
 * thread runs a Qt GUI event loop and the language has texts, a wait window
 * shows meanwhile and the result is 1; otherwise the check runs silently
 * and the result is 0. */
SYSPROBE_API int DllRunCheck(void);

/* Names and states of processor, memory, free disk space of the home folder
 * and monitor, and the hardware verdict. Null buffers are skipped. */
SYSPROBE_API int DllGetHardwareInfo(char* cpuName, char* cpuState, char* memoryName, char* memoryState,
                                    char* diskName, char* diskState, char* monitorName, char* monitorState,
                                    char* hardwareVerdict);

/* Names and states of operating system, system libraries and reserve, and
 * the software verdict. Null buffers are skipped. */
SYSPROBE_API int DllGetSoftwareInfo(char* systemName, char* systemState, char* librariesName,
                                    char* librariesState, char* reserveName, char* reserveState,
                                    char* softwareVerdict);

/* The overall state, the worse of the hardware and software states. */
SYSPROBE_API int DllGetSystemState(char* state);

#ifdef __cplusplus
}
#endif

#endif

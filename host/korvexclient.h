/*
 * korvexclient.h - a host's side of the korvex contract, as plain C functions.
 *
 * Start the bridge with a window of yours, send it requests, read and delete
 * its result atoms, wait for what it posts, and end it.  Every wait is bounded.
 */
#ifndef KORVEX_CLIENT_H
#define KORVEX_CLIENT_H

#include <windows.h>
#include "korvex.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KORVEXLINK {
    HWND   host;       /* our window: notices and dialog replies arrive here */
    HWND   request;    /* the bridge's request window, from the ready notice */
    HANDLE process;    /* the bridge process */
    DWORD  timeout;    /* bound of every send, in milliseconds */
    BOOL   timedOut;   /* set when a send ran into the bound */
} KORVEXLINK;

/* The last component of path: after its last backslash or slash.  Walked by
   character: in a double-byte code page a second byte can be a backslash's. */
const char *KorvexLastComponent(const char *path);

/* The path of program in this program's own folder.  FALSE when it does not
   fit in size characters. */
BOOL KorvexProgramPath(const char *program, char *path, int size);

/* Starts exe (NULL: korvex.exe beside this program) with the host window in
   decimal and the show state show, and waits up to timeout ms for the ready
   notice.  FALSE when the bridge did not start or did not announce itself; the
   process, if any, is then killed. */
BOOL KorvexStart(KORVEXLINK *link, HWND host, const char *exe, int show, DWORD timeout);

/* Sends request code with lParam MAKELONG(low, high), or the whole lParam. */
LRESULT KorvexRequest(KORVEXLINK *link, UINT code, WORD low, WORD high);
LRESULT KorvexRequestLong(KORVEXLINK *link, UINT code, LPARAM lParam);

/* An argument atom for text: NULL or "" give 0, as the contract reads it. */
ATOM KorvexAtom(const char *text);

/* Reads a result atom into buffer (size characters, always terminated) and
   deletes it.  Atom 0 reads as "".  Returns the length read. */
int KorvexTakeResult(ATOM atom, char *buffer, int size);

/* Waits up to timeout ms for message posted to window (wParam too, unless
   anyWParam), dispatching everything else meanwhile.  TRUE with *out filled. */
BOOL KorvexWaitPosted(HWND window, UINT message, WPARAM wParam, BOOL anyWParam,
                      DWORD timeout, MSG *out);

/* Dispatches what arrives for up to ms milliseconds. */
void KorvexPump(DWORD ms);

/* Ends the bridge with request 6 and waits up to timeout ms for it to exit.
   *closing (may be NULL) tells whether the closing notice arrived.  Returns the
   exit code, or -1 when the bridge had to be killed. */
int KorvexEnd(KORVEXLINK *link, DWORD timeout, BOOL *closing);

/* Kills the bridge if it still runs and forgets it. */
void KorvexKill(KORVEXLINK *link);

#ifdef __cplusplus
}
#endif
#endif

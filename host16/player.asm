; player.asm - a real Win16 host that plays a script of steps against korvex
; and qivddraw and writes down everything that happened.
;
;   player16.exe SCRIPT LOG
;
; One step a line; values are decimal numbers, a letter for something the
; player knows (w its window, l its list box, k korvex's request window,
; f qivddraw's full-screen window, r the last result, q the lParam of the last
; awaited message, m the message qivddraw registers), or a "text" that the
; player adds as a global atom.
;
;   E "command"                 WinExec the command
;   X "before" "after"          WinExec before + our window in decimal + after
;   W message wparam ms         wait up to ms for message (wparam 65535: any)
;   S window message wparam lo hi   SendMessage; r = the answer
;   P window message wparam lo hi   PostMessage
;   A value                     read atom value, delete it; its text is kept
;   F "text"                    GlobalFindAtom (is an atom still there?)
;   R                           keep the last atom's text aside
;   N index                     r = the index-th number of the text kept aside
;   L                           the list box's lines, then empty it
;   V window                    IsWindow and IsWindowVisible
;   H window command            ShowWindow
;   Z ms                        dispatch messages for ms
;   T                           the tick count now, in milliseconds
;   O ["path"]                  _lopen the path (else the last atom's text),
;                               log the first 63 bytes it holds
;   Q                           wait for the tasks we started to end; exit
;
; The log gets a line for every step, and for every message that reaches the
; window from outside: "msg MESSAGE WPARAM LPARAM sent|posted".
%include "ne.inc"

NE_BEGIN 'PLAYER16', 0x2000, 0x800

%define WM_CREATE      1
%define WM_CLOSE       16
%define WM_SETCURSOR   32
%define WM_KEYFIRST    256
%define WM_KEYLAST     262
%define WM_SYSCOMMAND  274
%define WM_MOUSEFIRST  512
%define WM_MOUSELAST   521
%define WM_JOYFIRST    0x3A0
%define WM_JOYLAST     0x3BF
%define WM_USER        1024
%define LB_RESETCONTENT (WM_USER + 5)
%define LB_GETTEXT     (WM_USER + 10)
%define LB_GETTEXTLEN  (WM_USER + 11)
%define LB_GETCOUNT    (WM_USER + 12)

; ---- imports --------------------------------------------------------------
NE_IMPORT InitTask,          NE_MODULE_KERNEL, 91
NE_IMPORT WaitEvent,         NE_MODULE_KERNEL, 30
NE_IMPORT DOS3Call,          NE_MODULE_KERNEL, 102
NE_IMPORT GetNumTasks,       NE_MODULE_KERNEL, 152
NE_IMPORT WinExec,           NE_MODULE_KERNEL, 166
NE_IMPORT lopen,             NE_MODULE_KERNEL, 85
NE_IMPORT lread,             NE_MODULE_KERNEL, 82
NE_IMPORT lcreat,            NE_MODULE_KERNEL, 83
NE_IMPORT lwrite,            NE_MODULE_KERNEL, 86
NE_IMPORT lclose,            NE_MODULE_KERNEL, 81
NE_IMPORT lstrlen,           NE_MODULE_KERNEL, 90
NE_IMPORT InitApp,           NE_MODULE_USER, 5
NE_IMPORT SetTimer,          NE_MODULE_USER, 10
NE_IMPORT GetTickCount,      NE_MODULE_USER, 13
NE_IMPORT CreateWindow,      NE_MODULE_USER, 41
NE_IMPORT ShowWindow,        NE_MODULE_USER, 42
NE_IMPORT IsWindow,          NE_MODULE_USER, 47
NE_IMPORT IsWindowVisible,   NE_MODULE_USER, 49
NE_IMPORT RegisterClass,     NE_MODULE_USER, 57
NE_IMPORT DefWindowProc,     NE_MODULE_USER, 107
NE_IMPORT GetMessage,        NE_MODULE_USER, 108
NE_IMPORT PostMessage,       NE_MODULE_USER, 110
NE_IMPORT SendMessage,       NE_MODULE_USER, 111
NE_IMPORT TranslateMessage,  NE_MODULE_USER, 113
NE_IMPORT DispatchMessage,   NE_MODULE_USER, 114
NE_IMPORT RegisterWindowMessage, NE_MODULE_USER, 118
NE_IMPORT LoadCursor,        NE_MODULE_USER, 173
NE_IMPORT InSendMessage,     NE_MODULE_USER, 192
NE_IMPORT GlobalAddAtom,     NE_MODULE_USER, 268
NE_IMPORT GlobalDeleteAtom,  NE_MODULE_USER, 269
NE_IMPORT GlobalFindAtom,    NE_MODULE_USER, 270
NE_IMPORT GlobalGetAtomName, NE_MODULE_USER, 271
NE_IMPORT wsprintf,          NE_MODULE_USER, 420

; wsprintf into the log line: FORMAT format, words in C order (a DWORD as its
; low word, then its high word; a far string as offset, then segment).
; PRINTF does the same and writes the line to the log.
%macro PRINTF 1-*
    FORMAT %{1:-1}
    call WriteLogLine
%endmacro

%macro FORMAT 1-*
    %assign printf_words %0 - 1
    %rep printf_words
        %rotate -1
        push %1
    %endrep
    %rotate -1
    push ds
    push %1
    push ds
    push logline
    call far [cs:wsprintf]
    add sp, 8 + 2 * printf_words
%endmacro

; ---- start-up -------------------------------------------------------------
ne_start:
    call far [cs:InitTask]
    or ax, ax
    jnz .task
    jmp Exit
.task:
    mov [instance], di
    ; The command line: its length byte, then the text (no terminating zero).
    xor cx, cx
    mov cl, [es:0x80]
    cmp cx, 126
    jbe .copy
    mov cx, 126
.copy:
    mov si, 0x81
    mov di, cmdline
.copyloop:
    jcxz .copied
    mov al, [es:si]
    mov [di], al
    inc si
    inc di
    dec cx
    jmp .copyloop
.copied:
    mov byte [di], 0
    push word 0
    call far [cs:WaitEvent]
    push word [instance]
    call far [cs:InitApp]

    ; SCRIPT and LOG from the command line.
    mov si, cmdline
    call SkipBlanks
    mov [scriptname], si
    call SkipWord
    cmp byte [si], 0
    je .nolog
    mov byte [si], 0
    inc si
    call SkipBlanks
.nolog:
    mov [logname], si
    call SkipWord
    mov byte [si], 0

    push ds
    push word [logname]
    push word 0
    call far [cs:lcreat]
    cmp ax, 0xFFFF
    jne .logopen
    jmp Exit
.logopen:
    mov [logfile], ax

    push ds
    push word [scriptname]
    push word 0                         ; OF_READ
    call far [cs:lopen]
    cmp ax, 0xFFFF
    jne .scriptopen
    PRINTF text_noscript
    jmp Finish
.scriptopen:
    push ax                             ; for _lclose below
    push ax
    push ds
    push word script
    push word SCRIPT_SIZE - 1
    call far [cs:lread]
    cmp ax, 0xFFFF
    jne .read
    xor ax, ax
.read:
    mov di, ax
    mov byte [script + di], 0
    call far [cs:lclose]                ; the handle pushed above

    call far [cs:GetNumTasks]
    mov [tasks], ax
    push ds
    push word text_qivmessage
    call far [cs:RegisterWindowMessage]
    mov [qivmessage], ax
    call MakeWindows
    or ax, ax
    jnz .windows
    PRINTF text_nowindow
    jmp Finish
.windows:
    PRINTF text_ready, word [window], word [listbox], word [tasks]

    mov si, script
.nextline:
    cmp byte [si], 0
    je .done
    call RunLine
    jmp .nextline
.done:
    jmp Finish

; ---- the windows ----------------------------------------------------------
MakeWindows:
    mov word [wc_proc], WndProc
    mov word [wc_proc + 2], cs
    mov ax, [instance]
    mov [wc_instance], ax
    mov word [wc_class], text_class
    mov [wc_class + 2], ds
    push ds
    push word wndclass
    call far [cs:RegisterClass]
    or ax, ax
    jz .fail

    push ds
    push word text_class
    push ds
    push word text_title
    push word 0x00CF                    ; WS_OVERLAPPEDWINDOW
    push word 0x0000
    push word 0
    push word 0
    push word 320
    push word 200
    push word 0
    push word 0
    push word [instance]
    push word 0
    push word 0
    call far [cs:CreateWindow]
    mov [window], ax
    or ax, ax
    jz .fail

    push ds
    push word text_listbox
    push ds
    push word text_empty
    push word 0x5000                    ; WS_CHILD | WS_VISIBLE
    push word 0x0000
    push word 0
    push word 0
    push word 300
    push word 150
    push word [window]
    push word 1
    push word [instance]
    push word 0
    push word 0
    call far [cs:CreateWindow]
    mov [listbox], ax
    or ax, ax
    jz .fail

    push word [window]
    push word 1                         ; SW_SHOWNORMAL
    call far [cs:ShowWindow]
    ; A tick now and then, so every wait looks at the clock.
    push word [window]
    push word 1
    push word 50
    push word 0
    push word 0
    call far [cs:SetTimer]
    mov ax, 1
    ret
.fail:
    xor ax, ax
    ret

; The window procedure (PASCAL far): records what comes from outside, learns
; korvex's and qivddraw's windows, answers the cursor query.
WndProc:
    push bp
    mov bp, sp
    push ds
    push si
    push di
    mov ax, ss                          ; our data is our stack's segment
    mov ds, ax
%define P_LPARAM  bp + 6
%define P_WPARAM  bp + 10
%define P_MESSAGE bp + 12
%define P_WINDOW  bp + 14
    mov ax, [P_MESSAGE]

    ; korvex's ready notice names its request window; qivddraw's 118 its window.
    cmp ax, WM_USER
    jne .notready
    cmp word [P_WPARAM], 1
    jne .notready
    cmp word [P_LPARAM + 2], 2
    jne .notready
    mov dx, [P_LPARAM]
    mov [korvex], dx
.notready:
    cmp ax, [qivmessage]
    jne .notqiv
    cmp word [P_WPARAM], 118
    jne .notqiv
    mov dx, [P_LPARAM]
    mov [fullscreen], dx
.notqiv:

    cmp ax, WM_SETCURSOR
    jne .notcursor
    mov dx, [fullscreen]
    or dx, dx
    jz .default
    cmp dx, [P_WPARAM]
    jne .default
    push word 0
    push word 0
    push word 32512                     ; IDC_ARROW
    call far [cs:LoadCursor]
    mov [cursor], ax
    call Record
    PRINTF text_cursor, word [cursor]
    mov ax, [cursor]
    xor dx, dx
    jmp .return
.notcursor:

    ; Input comes from qivddraw: only what another task sent is recorded.
    cmp ax, WM_KEYFIRST
    jb .notinput
    cmp ax, WM_KEYLAST
    jbe .input
    cmp ax, WM_MOUSEFIRST
    jb .notinput
    cmp ax, WM_MOUSELAST
    ja .notinput
.input:
    call far [cs:InSendMessage]
    or ax, ax
    jz .default
    call Record
    jmp .zero
.notinput:
    mov ax, [P_MESSAGE]
    cmp ax, WM_CLOSE
    je .recordzero
    cmp ax, WM_SYSCOMMAND
    je .recordzero
    cmp ax, WM_USER
    jae .recordzero
    cmp ax, WM_JOYFIRST
    jb .default
    cmp ax, WM_JOYLAST
    ja .default
.recordzero:
    ; Recorded and answered 0: WM_CLOSE and WM_SYSCOMMAND from outside must
    ; not close or move us.
    call Record
.zero:
    xor ax, ax
    xor dx, dx
    jmp .return
.default:
    push word [P_WINDOW]
    push word [P_MESSAGE]
    push word [P_WPARAM]
    push word [P_LPARAM + 2]
    push word [P_LPARAM]
    call far [cs:DefWindowProc]
.return:
    pop di
    pop si
    pop ds
    pop bp
    retf 10

; Writes the message line and notes whether the awaited message has come.
Record:
    call far [cs:InSendMessage]
    mov bx, text_posted
    or ax, ax
    jz .how
    mov bx, text_sent
.how:
    PRINTF text_msg, word [P_MESSAGE], word [P_WPARAM], word [P_LPARAM], word [P_LPARAM + 2], bx, ds
    mov ax, [P_MESSAGE]
    cmp ax, [waitmessage]
    jne .done
    cmp word [waitwparam], 0xFFFF
    je .hit
    mov ax, [P_WPARAM]
    cmp ax, [waitwparam]
    jne .done
.hit:
    mov byte [waithit], 1
    mov ax, [P_LPARAM]
    mov [lastq], ax
    mov ax, [P_LPARAM + 2]
    mov [lastq + 2], ax
.done:
    ret

; ---- the script -----------------------------------------------------------
; RunLine: SI at a line; runs it and leaves SI at the next line.
RunLine:
    call SkipBlanks
    mov al, [si]
    inc si
    cmp al, 13
    je .eol
    cmp al, 10
    je .eol
    cmp al, '#'
    je .skip
    cmp al, 'E'
    je StepExec
    cmp al, 'X'
    je StepExecWindow
    cmp al, 'W'
    je StepWait
    cmp al, 'S'
    je StepSend
    cmp al, 'P'
    je StepPost
    cmp al, 'A'
    je StepAtom
    cmp al, 'F'
    je StepFind
    cmp al, 'N'
    je StepNumber
    cmp al, 'R'
    je StepKeep
    cmp al, 'L'
    je StepList
    cmp al, 'V'
    je StepVisible
    cmp al, 'H'
    je StepShow
    cmp al, 'Z'
    je StepPump
    cmp al, 'T'
    je StepTick
    cmp al, 'O'
    je StepOpen
    cmp al, 'Q'
    je StepQuit
    xor ah, ah
    PRINTF text_unknown, ax
.skip:
    jmp SkipLine
.eol:
    ret

StepExec:
    mov di, command
    call GetText
    jmp RunCommand

StepExecWindow:
    mov di, command
    call GetText
    ; our window in decimal after the first text
    ; (room for five digits and the zero, whatever the first text took)
    cmp di, command + COMMAND_SIZE - 6
    jb .room
    mov di, command + COMMAND_SIZE - 6
.room:
    push di
    FORMAT text_word, word [window]
    pop di
    push si
    push ds
    pop es
    mov si, logline
.copyw:
    lodsb
    stosb
    or al, al
    jnz .copyw
    dec di
    pop si
    call GetText
RunCommand:
    push ds
    push word command
    push word 1                         ; SW_SHOWNORMAL
    call far [cs:WinExec]
    PRINTF text_exec, ax, word command, ds
    jmp SkipLine

StepTick:
    call far [cs:GetTickCount]
    PRINTF text_tick, ax, dx
    jmp SkipLine

StepWait:
    call GetValue
    mov [waitmessage], ax
    call GetValue
    mov [waitwparam], ax
    call GetValue
    mov [waitms], ax
    mov byte [waithit], 0
    mov bx, waithit
    call PumpUntil
    mov dx, text_ok
    or ax, ax
    jnz .said
    mov dx, text_timeout
.said:
    PRINTF text_wait, word [waitmessage], word [waitwparam], dx, ds, word [lastq], word [lastq + 2]
    jmp SkipLine

StepSend:
    mov bx, SendMessage
    call CallWithMessage
    mov [lastr], ax
    mov [lastr + 2], dx
    PRINTF text_send, word [m_window], word [m_message], word [m_wparam], word [m_low], word [m_high], word [lastr], word [lastr + 2]
    jmp SkipLine

StepPost:
    mov bx, PostMessage
    call CallWithMessage
    PRINTF text_post, word [m_window], word [m_message], word [m_wparam], word [m_low], word [m_high], ax
    jmp SkipLine

; Reads window, message, wParam and lParam's words from the line and calls
; SendMessage or PostMessage (the import slot in BX) with them.
CallWithMessage:
    push bx
    call GetMessageValues
    pop bx
    push word [m_window]
    push word [m_message]
    push word [m_wparam]
    push word [m_high]
    push word [m_low]
    call far [cs:bx]
    ret

GetMessageValues:
    call GetValue
    mov [m_window], ax
    call GetValue
    mov [m_message], ax
    call GetValue
    mov [m_wparam], ax
    call GetValue
    mov [m_low], ax
    call GetValue
    mov [m_high], ax
    ret

StepAtom:
    call GetValue
    mov [m_low], ax
    mov byte [atomtext], 0
    push ax
    push ds
    push word atomtext
    push word 256
    call far [cs:GlobalGetAtomName]
    mov [m_high], ax
    push word [m_low]
    call far [cs:GlobalDeleteAtom]
    PRINTF text_atom, word [m_low], word [m_high], word atomtext, ds
    jmp SkipLine

StepFind:
    mov di, command
    call GetText
    push ds
    push word command
    call far [cs:GlobalFindAtom]
    PRINTF text_find, ax, word command, ds
    jmp SkipLine

StepKeep:
    push si
    push ds
    pop es
    mov si, atomtext
    mov di, keptext
    mov cx, 260
    rep movsb
    pop si
    PRINTF text_kept, word keptext, ds
    jmp SkipLine

; r = the index-th decimal number of the text kept aside.
StepNumber:
    call GetValue
    mov cx, ax
    push si
    xor ax, ax
    xor dx, dx
    jcxz .found
    mov si, keptext
    xor ax, ax
    xor dx, dx
.field:
    call SkipBlanks
    cmp byte [si], 0
    je .none
    call ParseNumber
    loop .field
    jmp .found
.none:
    xor ax, ax
    xor dx, dx
.found:
    pop si
    mov [lastr], ax
    mov [lastr + 2], dx
    PRINTF text_number, ax, dx
    jmp SkipLine

StepList:
    push word [listbox]
    push word LB_GETCOUNT
    push word 0
    push word 0
    push word 0
    call far [cs:SendMessage]
    mov [m_high], ax
    PRINTF text_list, ax
    mov word [m_low], 0
.line:
    mov ax, [m_low]
    cmp ax, [m_high]
    jae .empty
    ; LB_GETTEXT writes the whole line: ask its length first.
    push word [listbox]
    push word LB_GETTEXTLEN
    push word [m_low]
    push word 0
    push word 0
    call far [cs:SendMessage]
    cmp ax, 259
    jbe .fits
    PRINTF text_toolong, ax
    inc word [m_low]
    jmp .line
.fits:
    mov byte [atomtext], 0
    push word [listbox]
    push word LB_GETTEXT
    push word [m_low]
    push ds
    push word atomtext
    call far [cs:SendMessage]
    PRINTF text_line, word atomtext, ds
    inc word [m_low]
    jmp .line
.empty:
    push word [listbox]
    push word LB_RESETCONTENT
    push word 0
    push word 0
    push word 0
    call far [cs:SendMessage]
    jmp SkipLine

StepVisible:
    call GetValue
    mov [m_window], ax
    push ax
    call far [cs:IsWindow]
    mov [m_low], ax
    push word [m_window]
    call far [cs:IsWindowVisible]
    PRINTF text_visible, word [m_window], word [m_low], ax
    jmp SkipLine

StepShow:
    call GetValue
    mov [m_window], ax
    call GetValue
    mov [m_wparam], ax
    push word [m_window]
    push ax
    call far [cs:ShowWindow]
    PRINTF text_shown, word [m_window], word [m_wparam], ax
    jmp SkipLine

StepPump:
    call GetValue
    mov [waitms], ax
    mov bx, never
    call PumpUntil
    PRINTF text_pumped, word [waitms]
    jmp SkipLine

; Opens a name as a host does and logs what the file holds, so a test can
; tell which file a name opens.  Handle 65535: it opened nothing.
StepOpen:
    mov bx, atomtext
    call SkipBlanks
    cmp byte [si], '"'
    jne .open
    mov di, command
    call GetText
    mov bx, command
.open:
    push ds
    push bx
    push word 0                         ; OF_READ
    call far [cs:lopen]
    mov [m_low], ax
    mov byte [filetext], 0
    cmp ax, 0xFFFF
    je .log
    push ax
    push ds
    push word filetext
    push word 63
    call far [cs:lread]
    cmp ax, 63
    jbe .cut
    xor ax, ax
.cut:
    mov bx, ax
    mov byte [filetext + bx], 0
    push word [m_low]
    call far [cs:lclose]
.log:
    PRINTF text_open, word [m_low], word filetext, ds
    jmp SkipLine

; The started programs run as tasks of their own: leaving while one of them
; is still ending can hang Wine, so wait (bounded) until they are gone.
StepQuit:
    mov cx, 100
.tasks:
    push cx
    call far [cs:GetNumTasks]
    pop cx
    cmp ax, [tasks]
    jbe Finish
    push cx
    mov word [waitms], 100
    mov bx, never
    call PumpUntil
    pop cx
    loop .tasks
    jmp Finish

; Dispatches messages until the byte at BX is not 0 or waitms have passed.
; AX = 1 when the byte was set.
PumpUntil:
    mov [pumpflag], bx
    call far [cs:GetTickCount]
    mov [pumpstart], ax
.loop:
    mov bx, [pumpflag]
    cmp byte [bx], 0
    jne .hit
    call far [cs:GetTickCount]
    sub ax, [pumpstart]
    cmp ax, [waitms]
    jae .out
    push ds
    push word msg
    push word 0
    push word 0
    push word 0
    call far [cs:GetMessage]
    or ax, ax
    jz .out
    push ds
    push word msg
    call far [cs:TranslateMessage]
    push ds
    push word msg
    call far [cs:DispatchMessage]
    jmp .loop
.hit:
    mov ax, 1
    ret
.out:
    xor ax, ax
    ret

; ---- text helpers ---------------------------------------------------------
SkipBlanks:
    cmp byte [si], ' '
    je .next
    cmp byte [si], 9
    je .next
    ret
.next:
    inc si
    jmp SkipBlanks

SkipWord:
    mov al, [si]
    cmp al, ' '
    je .done
    cmp al, 9
    je .done
    cmp al, 13
    je .done
    cmp al, 10
    je .done
    or al, al
    jz .done
    inc si
    jmp SkipWord
.done:
    ret

; To the start of the next line.
SkipLine:
    mov al, [si]
    or al, al
    jz .done
    inc si
    cmp al, 10
    jne SkipLine
.done:
    ret

; GetText: the quoted text at SI, appended at DI (DI left on its zero).
GetText:
    call SkipBlanks
    cmp byte [si], '"'
    jne .end
    inc si
.copy:
    mov al, [si]
    or al, al
    jz .end
    cmp al, 10
    je .end
    inc si
    cmp al, '"'
    je .end
    cmp di, command + COMMAND_SIZE - 1
    jae .copy
    mov [di], al
    inc di
    jmp .copy
.end:
    mov byte [di], 0
    ret

; ParseNumber: decimal digits at SI into DX:AX.
ParseNumber:
    push bx
    push cx
    xor ax, ax
    xor dx, dx
.digit:
    mov bl, [si]
    sub bl, '0'
    cmp bl, 9
    ja .done
    inc si
    ; DX:AX = DX:AX * 10 + digit
    push bx
    mov bx, dx
    mov cx, 10
    mul cx                              ; DX:AX = AX * 10
    push ax
    push dx
    mov ax, bx
    mul cx                              ; high word * 10
    pop dx
    add dx, ax
    pop ax
    pop bx
    xor bh, bh
    add ax, bx
    adc dx, 0
    jmp .digit
.done:
    pop cx
    pop bx
    ret

; GetValue: the next value of the line into DX:AX.
GetValue:
    call SkipBlanks
    mov al, [si]
    cmp al, '0'
    jb .notdigit
    cmp al, '9'
    ja .notdigit
    jmp ParseNumber
.notdigit:
    cmp al, '"'
    jne .letter
    push di
    mov di, command
    call GetText
    pop di
    push ds
    push word command
    call far [cs:GlobalAddAtom]
    xor dx, dx
    ret
.letter:
    inc si
    xor dx, dx
    mov bx, letters
.find:
    cmp byte [bx], 0
    je .unknown
    cmp al, [bx]
    je .known
    add bx, 3
    jmp .find
.known:
    mov bx, [bx + 1]
    mov ax, [bx]
    cmp bx, lastr
    je .dword
    cmp bx, lastq
    je .dword
    ret
.dword:
    mov dx, [bx + 2]
    ret
.unknown:
    xor ax, ax
    ret

; ---- the log --------------------------------------------------------------
WriteLogLine:
    push ds
    push word logline
    call far [cs:lstrlen]
    mov bx, ax
    mov word [logline + bx], 0x0A0D
    add ax, 2
    push word [logfile]
    push ds
    push word logline
    push ax
    call far [cs:lwrite]
    ret

Finish:
    PRINTF text_end, word [tasks]
    push word [logfile]
    call far [cs:lclose]
Exit:
    mov ax, 0x4C00
    call far [cs:DOS3Call]

NE_CODE_END

; ---- data -----------------------------------------------------------------
NE_DATA_BEGIN
SCRIPT_SIZE  equ 8192
COMMAND_SIZE equ 300

instance:    dw 0
window:      dw 0
listbox:     dw 0
korvex:      dw 0
fullscreen:  dw 0
tasks:       dw 0
logfile:     dw 0
qivmessage:  dw 0
cursor:      dw 0
scriptname:  dw 0
logname:     dw 0
lastr:       dd 0
lastq:       dd 0
waitmessage: dw 0
waitwparam:  dw 0
waitms:      dw 0
waithit:     db 0
never:       db 0
pumpflag:    dw 0
pumpstart:   dw 0
m_window:    dw 0
m_message:   dw 0
m_wparam:    dw 0
m_low:       dw 0
m_high:      dw 0
letters:     db 'w'
             dw window
             db 'l'
             dw listbox
             db 'k'
             dw korvex
             db 'f'
             dw fullscreen
             db 'r'
             dw lastr
             db 'q'
             dw lastq
             db 'm'
             dw qivmessage
             db 0

wndclass:
             dw 0x0003                  ; CS_HREDRAW | CS_VREDRAW
wc_proc:     dd 0
             dw 0, 0
wc_instance: dw 0
             dw 0, 0, 6                 ; no icon, no cursor, COLOR_WINDOW + 1
             dd 0
wc_class:    dd 0

msg:         times 18 db 0

text_class:      db 'Player16', 0
text_title:      db 'player16', 0
text_listbox:    db 'LISTBOX', 0
text_empty:      db 0
text_qivmessage: db 'PM_RORAD2VORNIQ', 0
text_sent:       db 'sent', 0
text_posted:     db 'posted', 0
text_ok:         db 'ok', 0
text_timeout:    db 'timeout', 0
text_noscript:   db 'error no script', 0
text_nowindow:   db 'error no window', 0
text_ready:      db 'player window %u listbox %u tasks %u', 0
text_unknown:    db 'error unknown step %u', 0
text_word:       db '%u', 0
text_exec:       db 'exec %u %s', 0
text_wait:       db 'wait %u %u %s %lu', 0
text_send:       db 'send %u %u %u %u %u = %lu', 0
text_post:       db 'post %u %u %u %u %u = %u', 0
text_atom:       db 'atom %u %u "%s"', 0
text_find:       db 'find %u "%s"', 0
text_number:     db 'number %lu', 0
text_kept:       db 'kept "%s"', 0
text_list:       db 'list %u', 0
text_line:       db 'line %s', 0
text_toolong:    db 'line of %u characters left out', 0
text_visible:    db 'window %u exists %u visible %u', 0
text_pumped:     db 'pumped %u', 0
text_tick:       db 'tick %lu', 0
text_shown:      db 'show %u %u = %u', 0
text_msg:        db 'msg %u %u %lu %s', 0
text_cursor:     db 'cursor %u', 0
text_end:        db 'end tasks %u', 0
text_open:       db 'open %u "%s"', 0

cmdline:     times 128 db 0
command:     times COMMAND_SIZE db 0
atomtext:    times 260 db 0
keptext:     times 260 db 0
filetext:    times 64 db 0
logline:     times 400 db 0
script:      times SCRIPT_SIZE db 0
NE_DATA_END

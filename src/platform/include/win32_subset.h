#pragma once
// The part of the Win32 API that our window code uses, for builds that are not
// for Windows. Names, types, values and calling conventions follow the
// platform's documentation, so that code written against the real API
// compiles unchanged. Only ANSI ("A") functions exist. Behaviour is that of
// the platform as documented; where this layer keeps a call simpler, the
// comment says how.

#include <cstddef>
#include <cstdint>
#include <cstring>

// Calling conventions mean nothing on this platform.
#define WINAPI
#define CALLBACK
#define APIENTRY

// ---- Basic types (sizes as on 64-bit Windows) ----
typedef int BOOL;
typedef unsigned char BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t ULONG_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* LPVOID;
typedef void* HANDLE;
typedef char* LPSTR;
typedef const char* LPCSTR;

#define TRUE 1
#define FALSE 0

// Handles are distinct pointer types, so that passing a window where a device
// context is expected does not compile. Their values are table keys of the
// layer, never addresses.
#define KARVO_DECLARE_HANDLE(name) \
  struct name##__ {                \
    int unused;                    \
  };                               \
  typedef struct name##__* name
KARVO_DECLARE_HANDLE(HWND);
KARVO_DECLARE_HANDLE(HINSTANCE);
KARVO_DECLARE_HANDLE(HDC);
KARVO_DECLARE_HANDLE(HBITMAP);
KARVO_DECLARE_HANDLE(HBRUSH);
KARVO_DECLARE_HANDLE(HICON);
KARVO_DECLARE_HANDLE(HMENU);
#undef KARVO_DECLARE_HANDLE
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef HANDLE HGDIOBJ;

// ---- Word and resource helpers ----
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(low, high) ((LONG)(((WORD)(low)) | (((DWORD)((WORD)(high))) << 16)))
#define MAKEWPARAM(low, high) ((WPARAM)(DWORD)MAKELONG(low, high))
#define MAKELPARAM(low, high) ((LPARAM)(DWORD)MAKELONG(low, high))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r)) | (((WORD)((BYTE)(g))) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#define ZeroMemory(dest, len) std::memset((dest), 0, (len))

// ---- Structures ----
typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;   // exclusive
  LONG bottom;  // exclusive
} RECT;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT;

// What GetObjectA tells about a bitmap.
typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP;

// ---- Window messages ----
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;

// ---- Window styles ----
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ---- Show commands ----
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

// ---- Buttons ----
constexpr DWORD BS_PUSHBUTTON = 0x00000000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
constexpr DWORD BS_GROUPBOX = 0x00000007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x00000009;
constexpr DWORD BS_TYPEMASK = 0x0000000F;
constexpr DWORD BS_NOTIFY = 0x00004000;
constexpr WORD BN_CLICKED = 0;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0x0000;
constexpr WPARAM BST_CHECKED = 0x0001;
constexpr LRESULT BST_PUSHED = 0x0004;

// ---- Message boxes ----
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// ---- Keys ----
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;

// ---- Message retrieval ----
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// ---- System colours, cursors, images, raster operations ----
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
#define IDC_ARROW MAKEINTRESOURCEA(32512)
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x00000000;
constexpr UINT LR_LOADFROMFILE = 0x00000010;
constexpr DWORD SRCCOPY = 0x00CC0020;

// ---- The program's entry point, defined by the program ----
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// ---- Windows and classes ----
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
// Returns 0 if the class is registered already or the record is incomplete.
ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
// Only IDC_ARROW with a null instance is known; anything else gives NULL.
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
// WM_CREATE is sent before this returns; if it answers -1 the window is
// destroyed again and the result is NULL.
HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam);
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI IsWindow(HWND hWnd);
BOOL WINAPI IsWindowEnabled(HWND hWnd);
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
BOOL WINAPI GetClientRect(HWND hWnd, RECT* lpRect);
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// ---- Messages ----
// Returns 0 for WM_QUIT, -1 when there is no input to wait for (no presenter);
// lpMsg then holds WM_NULL for no window, which dispatches to nothing.
BOOL WINAPI GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// Looks at posted and paint messages only; never waits for input.
BOOL WINAPI PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg);
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int nExitCode);
// A top-level window owned by hWnd's top-level window, with the MB_ICON*
// icon, the text and a single OK button, whatever other button flags say.
// Until it is answered (OK, Enter, Space, Escape or its close button) the
// owner takes no input and every other message is still dispatched. Returns
// IDOK; 0 for a stale owner, or when WM_QUIT or the owner's destruction
// ended the box (WM_QUIT is posted again for the loop outside).
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// ---- Painting ----
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL WINAPI UpdateWindow(HWND hWnd);
HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);

// ---- GDI ----
HBRUSH WINAPI GetSysColorBrush(int nIndex);
DWORD WINAPI GetSysColor(int nIndex);
// Only LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE) loads; a
// path may use '\' or '/', and its components match files case-insensitively.
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
HDC WINAPI CreateCompatibleDC(HDC hdc);
// A bitmap is selected into one device context at a time: selecting one that
// another device context holds fails with NULL.
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
BOOL WINAPI DeleteDC(HDC hdc);
// Fails for a bitmap that is still selected into a device context. The system
// colour brushes are shared and stay alive: deleting one succeeds and does
// nothing.
BOOL WINAPI DeleteObject(HGDIOBJ ho);
// For a bitmap: fills a BITMAP (bmBits stays null) and returns the bytes
// written; 0 for anything else or when the buffer is too small.
int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv);
// Takes the rectangle out of the device context's clipping area; later
// drawing leaves it alone. Returns 0 (ERROR) for a device context that does
// not exist, otherwise the kind of clipping area left (1 empty, 2 one
// rectangle, 3 more complex).
int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);

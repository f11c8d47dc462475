// The windowing, drawing, file and clock layer that the rest of the program calls.
// Only the files of this folder include Qt; everything here speaks plain C++ types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Start-up

// Creates the application object (once per process) and registers the bundled font faces.
// Must run before any window, image or font is made.
void PlatformInit(int& argc, char** argv);

// ---------------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR, the same packing as the entry field's cells.
using Colour = uint32_t;

constexpr Colour Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t RedOf(Colour c) {
    return c & 0xFF;
}
constexpr uint32_t GreenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr uint32_t BlueOf(Colour c) {
    return (c >> 16) & 0xFF;
}

constexpr Colour COLOUR_BLACK = Rgb(0, 0, 0);
constexpr Colour COLOUR_WHITE = Rgb(255, 255, 255);
constexpr Colour COLOUR_RED = Rgb(255, 0, 0);
constexpr Colour COLOUR_GREEN = Rgb(0, 255, 0);
constexpr Colour COLOUR_BLUE = Rgb(0, 0, 255);
constexpr Colour COLOUR_YELLOW = Rgb(255, 255, 0);

// ---------------------------------------------------------------------------------------------
// Images and the current drawing target. Every drawing call below works on the current target.

struct Image;   // w x h pixels, 32-bit RGB
struct Font;    // a face at a pixel size and weight; identical requests give the same font
struct Window;  // the main window or its drawing surface
struct Menu;    // a menu bar or one of its drop-down menus

Image* CreateImage(int width, int height);
void DestroyImage(Image* image);  // a null image is ignored; the target is dropped if it was this
int ImageWidth(const Image* image);
int ImageHeight(const Image* image);
Colour GetPixel(const Image* image, int x, int y);  // white outside the image

void SelectTarget(Image* image);
Image* CurrentTarget();
// The surface's own picture, which the surface repaints itself from.
Image* SurfacePicture(Window* surface);

void ClearTarget(Colour colour);
void SetPenWidth(int width);
// A box from (x1, y1) to (x2, y2): the outline runs along x1 and x2 - 1, y1 and y2 - 1 (right and
// bottom edges exclusive), a pen wider than one pixel spreading equally to both sides of it.
void DrawBox(int x1, int y1, int x2, int y2, Colour line, Colour fill);
void DrawFrame(int x1, int y1, int x2, int y2, Colour line);  // the same outline, not filled
// Copies the whole of `source` onto the target with its top-left corner at (x, y), clipped.
void CopyImage(const Image* source, int x, int y);
// Copies the rectangle of `source` at (x, y), `width` x `height`, onto the same place of the
// target, clipped; a surface repaints only that part.
void CopyImagePart(const Image* source, int x, int y, int width, int height);

// ---------------------------------------------------------------------------------------------
// Fonts and text. Texts are single-byte Windows-1252 (0x80 is the euro sign).

// Point sizes become pixel heights at 96 dots per inch (12 pt = 16 px).
Font* RequestFont(std::string_view face, int points, bool bold);
void SelectFont(Font* font);
struct FontMetrics {
    int averageCharWidth;
    int height;  // ascent plus descent
    int externalLeading;
};
FontMetrics SelectedFontMetrics();

void SetTextColour(Colour colour);
void SetBackColour(Colour colour);
void SetBackgroundOpaque(bool opaque);  // otherwise only the glyphs are painted

// The drawing position: texts are drawn with the top-left corner of their cell there.
void MoveTo(int x, int y);
int PositionX();
int PositionY();
void NewLine();  // x = 0 and one line height (height + external leading) further down
void DrawText(std::string_view text);  // at the drawing position, which does not move

int TextWidth(std::string_view text);
// How many leading characters of `text` fit within `maxWidth` pixels.
int FitCount(std::string_view text, int maxWidth);
// The next texts drawn on the target get `extra` pixels spread over their first `breaks` spaces.
void SetTextJustification(int extra, int breaks);

// Converts a Windows-1252 text to UTF-8 and back (a character without a code becomes "?").
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Windows and messages. Handlers get every message of their window, one at a time.

using WindowProc = intptr_t (*)(Window* window, unsigned message, uintptr_t wParam,
                                intptr_t lParam);

// Message numbers keep the values of the desktop system they were first defined on.
constexpr unsigned MSG_INITDIALOG = 0x0110;
constexpr unsigned MSG_COMMAND = 0x0111;
constexpr unsigned MSG_NCACTIVATE = 0x0086;  // wParam 0 when the window is being deactivated
constexpr unsigned MSG_KEYDOWN = 0x0100;     // wParam virtual key, lParam bits 16..23 scan code
constexpr unsigned MSG_KEYUP = 0x0101;
constexpr unsigned MSG_CHAR = 0x0102;  // wParam the character's Windows-1252 code
constexpr unsigned MSG_MOUSEMOVE = 0x0200;
constexpr unsigned MSG_LBUTTONDOWN = 0x0201;  // lParam x in the low 16 bits, y in the high 16
constexpr unsigned MSG_LBUTTONUP = 0x0202;
constexpr unsigned MSG_RBUTTONDOWN = 0x0204;

constexpr int LowWord(intptr_t value) {
    return static_cast<int>(value & 0xFFFF);
}
constexpr int HighWord(intptr_t value) {
    return static_cast<int>((value >> 16) & 0xFFFF);
}

// A dialog-style top-level window with a fixed client area, centred in the available desktop
// area, without close, minimise and maximise buttons where the window manager honours that.
Window* CreateMainWindow(int clientWidth, int clientHeight, std::string_view title);
// The one child control: a bordered surface that keeps its own picture of its client area.
Window* AddSurface(Window* parent, int id, int x, int y, int width, int height);
Window* SurfaceOf(Window* mainWindow);

// Hands the surface's messages to `proc` and returns the handler it had; `proc` is expected
// to pass every message on to the returned handler after its own handling.
WindowProc ReplaceSurfaceProc(Window* surface, WindowProc proc);

// The surface's pending keys, each a character or a zero followed by a scan code, kept in press
// order. While a key message is handled this returns, one per call, the keys it made due: at a
// press an earlier press of the same key (a repeat), at a release that key and every key pressed
// before it; then an empty text. Keys nobody takes during their message are dropped.
std::string TakePendingKey(Window* surface);
void SetArrowCursor(Window* window);

// Sends the initialisation message to `proc`, shows the window and runs its modal loop until
// `EndModal`; returns the end value. The window system's close request ends it with 0.
int RunModal(Window* window, WindowProc proc);
// The first half of `RunModal` without the loop, for tests that drive the window themselves.
void OpenModeless(Window* window, WindowProc proc);
void EndModal(Window* window, int value);
bool ModalEnded(Window* window, int* value);
void DestroyMainWindow(Window* window);

Window* FocusedWindow();
void SetFocusTo(Window* window);

// ---------------------------------------------------------------------------------------------
// Menus: items are addressed by command identifier; a "-" item is a separator.

constexpr int MENU_ENABLED = 0;
constexpr int MENU_GREYED = 3;
constexpr int MENU_CHECKED = 8;

Menu* CreateMenuBar();
Menu* CreatePopupMenu();
void AppendMenuItem(Menu* menu, int id, std::string_view text);
void AppendSubmenu(Menu* bar, Menu* popup, std::string_view text);
void AttachMenuBar(Window* window, Menu* bar);
void SetMenuItemState(Menu* bar, int id, int state);
int MenuItemState(Menu* bar, int id);  // -1 when no item has that identifier

// ---------------------------------------------------------------------------------------------
// Files (POSIX). Paths are plain byte strings.

// The folder of the running executable with a trailing separator.
std::string ExecutableFolder();

bool PathHasAttributes(const std::string& path);  // true for files and folders alike
bool MakePlainFile(const std::string& path);      // owner read and write, nothing else set
bool DeletePath(const std::string& path);

// Opens a file of fixed-length records with an exclusive lock; -1 on failure (see *error).
int OpenRecordFile(const std::string& path, bool forWriting, bool createIfMissing, int* error);
long long RecordFileSize(int handle, int* error);  // -1 on failure
bool ReadAt(int handle, long long offset, void* buffer, size_t size, int* error);
bool WriteAt(int handle, long long offset, const void* buffer, size_t size, int* error);
void CloseRecordFile(int handle);
// Where the next bytes actually stored on disk begin at or after `offset`: the end of the file
// when only a hole follows, `offset` itself where holes cannot be told.
long long NextDataOffset(int handle, long long offset);

// Replaces the file at `path` with `size` bytes as one step. Symbolic links are followed: the
// file they lead to is replaced in its own folder and the links stay. The replacement keeps the
// permission bits of the file it replaces (a new file gets 0644 less the umask). A temporary file
// in the same folder is written, flushed and synced, renamed over the file, and the folder is
// synced. On failure the file is as it was and no temporary file remains; the one exception is a
// failed sync of the folder, which comes after the rename: readers already see the new content,
// but the failure is still reported because the replacement may not survive a power loss.
// The system calls, in this order: open the folder, create the temporary file ".<name>.XXXXXX",
// set its mode, write (as often as needed), sync, close, [keep the backup], rename, sync the
// folder. With `keepBackup` the file being replaced is first kept as "<name>.bak" beside it: a
// hard link to it under a temporary name of the same form (or, where the file system has no hard
// links, a synced copy) is renamed over the old backup, so that a crash at any point leaves the
// old or the new file in place and a whole backup. A process killed during the replacement can
// leave its temporary file behind; such a file is never read and never collides with a later one.
// A file that may be written while its folder may not is overwritten in place instead, as safely
// as that allows: room for the content is reserved, the whole content is written, the file is
// cut to its length and synced (no backup can be kept there).
struct ReplaceResult {
    int error;              // 0 on success, else the system's error code
    bool openFailed;        // the folder could not be opened or the temporary file not created
    bool replaced = false;  // the new content is in the file's place, even if a later step failed
};
ReplaceResult ReplaceFileContents(const std::string& path, const void* data, size_t size,
                                  bool keepBackup = false);
constexpr const char* BACKUP_SUFFIX = ".bak";

// The file that `path` leads to once symbolic links are followed (it need not exist); a loop of
// links or an unreadable one gives the last path reached.
std::string FollowLinks(const std::string& path);
// The folder part of a path with its trailing separator ("./" for a bare name), and the name.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// What tells one file's content from another's: which file it is and when it last changed.
struct FileIdentity {
    bool exists;
    bool regular;
    uint64_t device;
    uint64_t inode;
    long long size;
    long long changedNs;
};
FileIdentity IdentifyFile(const std::string& path);  // through symbolic links
FileIdentity IdentifyOpenFile(int handle);
bool SameFile(const FileIdentity& a, const FileIdentity& b);

// Renames `path` to `path + label + "-AAAAMMDD-HHMMSS"` (local time), with "-2", "-3", ... added
// when that name is taken; never replaces anything. Returns 0 or the system's error code.
int SetFileAside(const std::string& path, const std::string& label, std::string* asidePath);

// Removes from `folder` the temporary files that a killed replacement of a file called `name`
// leaves: regular files named "." + name + "." and six letters or digits, nothing else. Returns
// how many went.
int RemoveReplacementLeftovers(const std::string& folder, const std::string& name);

// A write beyond the process's file size limit then fails with EFBIG instead of ending the
// process by a signal.
void IgnoreFileSizeSignal();

// An advisory lock on a folder (created when missing), held until UnlockFolder or the end of
// the process; a process that dies releases it.
enum FolderLock { FOLDER_LOCKED, FOLDER_LOCK_HELD_ELSEWHERE, FOLDER_LOCK_UNAVAILABLE };
FolderLock LockFolder(const std::string& folder);
void UnlockFolder();

// The file layer's process-wide state. Tests may point the executable's folder elsewhere, make
// the file system calls of a replacement fail and record them (platform/testing.h).
struct FileLayerState {
    std::string executableFolder;  // empty means the folder of the running program
    int faultCall;                 // the call that fails; 0 when nothing is injected
    int faultError;
    bool faultPersistent;
    int callsSinceInjection;
    bool recordCalls;
    std::vector<std::string> callNames;
    int lockHandle = -1;  // the locked folder, open while the lock is held
};
extern FileLayerState fileLayer;

// ---------------------------------------------------------------------------------------------
// Folders of the user's desktop (POSIX)

struct LocalDate;

// $XDG_DATA_HOME, else ~/.local/share, with a trailing separator; empty without a home folder.
std::string UserDataHome();
// Whether the current user may create files in `folder`.
bool FolderTakesNewFiles(const std::string& folder);
// Makes `folder` and every missing folder above it, each readable by the owner only; `error`,
// when given, gets the reason of a failure.
bool MakeFolders(const std::string& folder, int* error);
// Renames `from` to `to` unless `to` exists (then fails with EEXIST).
bool RenameWithoutReplacing(const std::string& from, const std::string& to, int* error);
// The local date of the last change of `path`'s content.
bool FileModifiedDate(const std::string& path, LocalDate* date);

// ---------------------------------------------------------------------------------------------
// One running program per ledger. The running one listens on a local socket named after the
// ledger's path; a later start asks it to bring its window to the front.

class QLocalServer;

// Listens for later starts; each request raises and activates the program's windows.
bool ServeLaterStarts(const std::string& ledgerPath);
void StopServingLaterStarts();
// Asks the program that serves `ledgerPath` to show its window; true once it answered. Waits up
// to `connectMs` for it to listen and `replyMs` for the answer.
bool ShowRunningProgram(const std::string& ledgerPath, int connectMs, int replyMs);

struct InstanceState {
    QLocalServer* server = nullptr;
};
extern InstanceState instance;

// ---------------------------------------------------------------------------------------------
// Clock

struct LocalDate {
    int year;
    int month;
    int day;
};
LocalDate Today();
struct ClockState {
    LocalDate fixedToday;  // year 0: the system clock gives the date
};
extern ClockState clockState;

/*
 * VistrelViewer service modules: the module ABI.
 *
 * A service module is a shared object in the program's System/ folder that the program loads
 * with dlopen(RTLD_NOW | RTLD_LOCAL) when its command is first chosen, and keeps loaded until it
 * ends. The module exports the plain C functions listed under "Module exports"; the program
 * hands it a lookup function through which it reaches the host functions listed under "Host
 * functions". Plain C, 64-bit Linux, the platform's C calling convention.
 *
 * Memory rule: every block that crosses the boundary is allocated with malloc() and freed with
 * free() of the C library. A HostBuffer passed BY VALUE to a host function belongs to the host
 * from then on: the host frees it before returning and the caller must not free it again.
 * Out-parameters are caller-owned records: pass zeroed or valid records; the host frees what
 * they held before writing the result; the caller frees the result (VistrelFreeBuffer and
 * friends below do that).
 *
 * Threads: the host functions may be called only on the program's main thread, from inside Exec
 * or from the module's own windows, whose events run in the program's event loop.
 *
 * Windows and menus at the boundary are QWidget* and QMenu* passed as void*; modules that make
 * windows link the same Qt 6 as the program.
 */
#ifndef VISTREL_SERVICE_H
#define VISTREL_SERVICE_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------------------- */
/* Records                                                                                  */
/* ---------------------------------------------------------------------------------------- */

/* Bytes up to this count are held inside the record itself. */
#define VISTREL_HOST_BUFFER_INLINE 8

/* A text or byte string. size counts the bytes held (for a text: its UTF-8 bytes plus the
 * terminating NUL, so "" has size 1). Up to 8 bytes live in data.bytes; a longer value lives in a
 * malloc'd block of exactly size bytes at data.pointer. All-zero is the empty buffer. */
typedef struct HostBuffer {
    uint64_t size;
    union {
        unsigned char bytes[VISTREL_HOST_BUFFER_INLINE];
        void* pointer;
    } data;
} HostBuffer;

/* count HostBuffer records in one malloc'd array (items is null when count is 0). */
typedef struct HostBufferList {
    uint64_t count;
    HostBuffer* items;
} HostBufferList;

/* One Exif/TIFF tag: number, value type (1 BYTE, 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, 7
 * UNDEFINED, 9 SLONG, 10 SRATIONAL) and value count; value holds the raw little-endian bytes,
 * type size x count of them. */
typedef struct HostTagRecord {
    uint32_t tag;
    uint32_t type;
    uint32_t count;
    uint32_t reserved;
    HostBuffer value;
} HostTagRecord;

typedef struct HostTagList {
    uint64_t count;
    HostTagRecord* items;
} HostTagList;

/* A date and time as the camera recorded it (local time). */
typedef struct HostSystemTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
} HostSystemTime;

/* The 60-byte metadata record of a file (GetMediumInfo). */
typedef struct HostMediumInfo {
    int32_t width;                      /* after orientation */
    int32_t height;
    int32_t bitsPerPixel;
    int32_t qualityIndex;               /* 0 fine, 1 normal, 2 basic, 3/4 TIFF colour models, -1 */
    int32_t hasExif;
    int32_t adobeRgb;
    int32_t framesPerSecond;
    int32_t audioChannels;
    int32_t audioBitsPerSample;
    int32_t audioSamplesPerSecondBy100;
    int32_t durationHundredths;         /* -1 when unknown */
    HostSystemTime shootingDate;        /* all zero when the file has none */
} HostMediumInfo;

/* A picture: a 40-byte bitmap-info header (followed by the palette below 24 bits) and top-down
 * rows of stride bytes (a multiple of 4); a 24-bit pixel is blue, green, red. Both blocks are
 * malloc'd; an image that ReadImage filled belongs to the caller (VistrelFreeImage). */
typedef struct HostImage {
    uint32_t width;
    uint32_t height;
    uint32_t bitsPerPixel;
    uint32_t stride;
    void* header;
    void* pixels;
} HostImage;

/* The event type of a copy-data text that the program sends to a service window (a QWidget
 * that a module created): a QEvent whose type() is VISTREL_COPY_DATA_EVENT and which is a
 * VistrelCopyDataEvent, delivered with QCoreApplication::sendEvent. Texts: "ZORX_Startup",
 * "ZORX_AutoCaptureStartup", "ZORX_SelectAll", "ZORX_CopyToClipboard", "ZORX_UpdateMenu,<id>",
 * "ZORX_DeleteMenu,<id>", "ZORX_SoftwareUpdate,<id>". */
#define VISTREL_COPY_DATA_EVENT 5300 /* QEvent::User + 4300 */

/* ---------------------------------------------------------------------------------------- */
/* Host functions, looked up by exact name through the lookup function                     */
/* ---------------------------------------------------------------------------------------- */

/* Any host function; cast it to its typedef below. */
typedef void (*VistrelHostProc)(void);

/* Host "GetProcAddress": the host function of that exact name (case-sensitive), null when
 * unknown. The name is consumed. The addresses stay valid for the whole run. */
typedef VistrelHostProc (*VistrelGetProcAddressFn)(HostBuffer name);

/* Results are 1 for success and 0 for failure unless said otherwise. path, name, key, caption,
 * text and format arguments are consumed HostBuffer texts. */

/* Kind 0 unknown, 1 picture, 2 movie, 3 sound, 4 RAW companion; the type name ("JPEG", ...). */
typedef int32_t (*VistrelGetFileTypeFn)(HostBuffer path, HostBuffer* typeName);
/* Also reachable as "GetMediumInfo2" and "GetMediumInfo3". 0 when unreadable. */
typedef int32_t (*VistrelGetMediumInfoFn)(HostBuffer path, HostMediumInfo* info);
/* The whole picture at 24 bits with its orientation applied. */
typedef int32_t (*VistrelReadImageFn)(HostBuffer path, HostImage* image);
/* Writes a new picture file: format "JPEG" (number = quality index 0 fine, 1 normal, 2 basic),
 * "TIFF" or "BMP" (anything else is JPEG). The tags (may be null) are copied, not consumed; the
 * image is only read. The file is written to a temporary name and renamed into place.
 * Result 0 success; -1 out of memory; -5001 the file cannot be created or written; -5003 the
 * picture is empty or not 24-bit; -5004 unsupported format; -5005 a bad tag list. */
typedef int32_t (*VistrelWriteImageFn)(HostBuffer path, const HostImage* image, HostBuffer format,
                                       const HostTagList* tags, int32_t number);
/* Every tag of the file. */
typedef int32_t (*VistrelGetTagInfoAllFn)(HostBuffer path, HostTagList* tags);
/* One tag; when the file has no such tag: 1, and the record is left unchanged. */
typedef int32_t (*VistrelGetTagInfoFn)(HostBuffer path, int32_t tag, HostTagRecord* record);
/* Progress of a movie conversion in percent, on the main thread. */
typedef void (*VistrelMovieProgressFn)(int32_t percent);
/* Converts a camera AVI movie into a Windows Media file; progress may be null. */
typedef int32_t (*VistrelMovieConvertFn)(HostBuffer source, HostBuffer destination, int32_t reducedMode,
                                         VistrelMovieProgressFn progress);
/* The frame at the current position of the movie being played. */
typedef int32_t (*VistrelReadCurrentMovieImageFn)(HostImage* image);
/* The language text of a key (the key itself when the string file lacks it); always 1. */
typedef int32_t (*VistrelGetTextFn)(HostBuffer* text, HostBuffer key);
/* Localises a window and its children: each text that is a language key becomes its text. */
typedef int32_t (*VistrelReplaceTextFn)(void* window);
/* One of the counters named in the SDK README ("NumSelectedImages", ...); 0 for an unknown name
 * or a null value pointer. */
typedef int32_t (*VistrelGetValueFn)(HostBuffer name, int64_t* value);
/* A text out-parameter: "GetZORXSystemFolder", "GetZORXTemporaryFolder", "GetCurrentFolder",
 * "GetCurrentFolderName", "GetCurrentFolderData" (bytes), "GetBaseFolder", "GetCommandLine",
 * "GetCommandLineForAutoCapture". */
typedef int32_t (*VistrelGetTextValueFn)(HostBuffer* text);
/* "GetAllFiles", "GetSelectedFiles", "GetDisplayedFiles", "GetFocusedFile": full paths, and the
 * sound memo of each (empty text when none); both lists have the same length. */
typedef int32_t (*VistrelGetFiles2Fn)(HostBufferList* paths, HostBufferList* memoPaths);
/* The "3" forms add the RAW companion of each (empty text when none). */
typedef int32_t (*VistrelGetFiles3Fn)(HostBufferList* paths, HostBufferList* memoPaths,
                                      HostBufferList* companionPaths);
/* The media files directly inside a folder, in directory order. */
typedef int32_t (*VistrelGetEnumFilesFn)(HostBuffer folder, HostBufferList* paths);
/* The same files by category: lists[0] pictures, lists[1] movies, lists[2] sounds. */
typedef int32_t (*VistrelGetEnumFiles2Fn)(HostBuffer folder, HostBufferList lists[3]);
/* The program's settings tree; key paths use "\" between levels ("AutoCapture\BaseDir").
 * The reads give the default and return 0 when the key does not exist. */
typedef int32_t (*VistrelRegistryReadDwordFn)(uint32_t* value, HostBuffer keyPath, uint32_t defaultValue);
typedef int32_t (*VistrelRegistryWriteDwordFn)(HostBuffer keyPath, uint32_t value);
typedef int32_t (*VistrelRegistryReadStringFn)(HostBuffer* text, HostBuffer keyPath, HostBuffer defaultText);
typedef int32_t (*VistrelRegistryWriteStringFn)(HostBuffer keyPath, HostBuffer text);
typedef int32_t (*VistrelRegistryDeleteSubKeyFn)(HostBuffer keyPath);
/* The left panel's width limits; equal values freeze the splitter. */
typedef int32_t (*VistrelSetWindowLWidthMinMaxFn)(int32_t minimum, int32_t maximum);
/* The modeless dialog that gets the dialog keys (Tab, Enter, Esc); null for none. */
typedef int32_t (*VistrelSetDialogHandleFn)(void* dialog);
/* Ends the active pane service and brings the program's own windows back; returns after that
 * was done. A pane service's window must not be used after Exit returns. */
typedef int32_t (*VistrelExitFn)(void);
/* "GetProgramMenuHandle" (first command 43000) and "GetToolMenuHandle" (44000): the QMenu*
 * into which the "OpenAsRun" and "Tool" modules put their own entries. */
typedef int32_t (*VistrelGetMenuHandleFn)(void** menu, int32_t* firstCommand);
/* Flag 1 and the command while a program-menu or tool-menu entry runs; else 0 and the last one. */
typedef int32_t (*VistrelGetMenuCommandFn)(int32_t* running, int32_t* command);
/* "SetNumHelperMenus" / "SetNumProgramMenus": the menu panel's entry count, clamped to 0..256. */
typedef int32_t (*VistrelSetNumMenusFn)(int32_t count);
/* "SetHelperMenu" / "SetProgramMenu": entry index (ignored unless 0 <= index < count); choosing
 * it sends the command (low 32 bits) to the program. */
typedef int32_t (*VistrelSetMenuFn)(int32_t index, HostBuffer caption, int64_t command, HostBuffer secondText);
/* A file that the program refreshes when the service ends. */
typedef int32_t (*VistrelSetUpdateFileFn)(HostBuffer path);
/* The folder that the service changed; the program lists it again when the service ends. */
typedef int32_t (*VistrelSetUpdateFolderFn)(HostBuffer path);
/* "SetDllResult" / "SetDllRotation": accepted and ignored. */
typedef int32_t (*VistrelSetDllResultFn)(int32_t value);
/* "IsPeriodMode", "IsPreviewMode", "EnableNetPrint": 1 or 0. */
typedef int32_t (*VistrelGetFlagFn)(void);
/* Face detection on a 24-bit top-down picture; 0 while no detector is installed. */
typedef int32_t (*VistrelFaceDetectExecuteFn)(const HostImage* image);
typedef int32_t (*VistrelFaceDetectGetNumberOfFacesFn)(int32_t* count);
typedef int32_t (*VistrelFaceDetectGetResultFn)(int32_t index, int32_t* left, int32_t* top, int32_t* right,
                                                int32_t* bottom);

/* ---------------------------------------------------------------------------------------- */
/* Exports of the host executable (optional; SetService hands over the same function)        */
/* ---------------------------------------------------------------------------------------- */

/* The host's lookup function, as a whole pointer. */
typedef VistrelGetProcAddressFn (*VistrelGetServiceProcAddressFn)(void);
/* The root of the language resource module in Qt's resource tree (":/zorres/"); a bitmap is
 * QPixmap(root + NAME + ".png"). Host-owned text; null when the module is absent. */
typedef const char* (*VistrelGetResourceModuleFn)(void);

/* ---------------------------------------------------------------------------------------- */
/* Module exports (declare them with VISTREL_SERVICE_EXPORT)                                 */
/* ---------------------------------------------------------------------------------------- */

#define VISTREL_SERVICE_EXPORT __attribute__((visibility("default")))

/* Optional. Called once, right after a successful load. */
typedef void (*VistrelSetServiceFn)(VistrelGetProcAddressFn getProcAddress, void* reserved);
/* Required. 0 for a dialog service (Init, Exec, Free for every run), other values for a pane
 * service (Init, CreateWindowL, CreateWindowM; Free when it ends). Called before every run. */
typedef int32_t (*VistrelGetTypeFn)(void);
/* Required. Before every run; at start for the start-up services. Result ignored. */
typedef int32_t (*VistrelInitFn)(void);
/* Required. After a dialog run, when a pane service ends, at exit for start-up services. */
typedef int32_t (*VistrelFreeFn)(void);
/* Required. Runs a dialog service modally (returns when done); module is the dlopen handle,
 * mainWindow the program's QWidget*. Result ignored. */
typedef int32_t (*VistrelExecFn)(void* module, void* mainWindow);
/* Optional. A pane service's left window (replaces the left page; parent is its parent widget)
 * and main window (replaces the view area); "ServiceCustomize" alone makes the right column at
 * start with CreateWindowR. The program owns the returned QWidget* and deletes it when the
 * service ends; a module may delete its window first, the program notices. */
typedef void* (*VistrelCreateWindowFn)(void* module, void* parent);
/* Optional. Asked before an active pane service is ended: 0 refuses, other values allow. */
typedef int32_t (*VistrelCloseFn)(void);

/* ---------------------------------------------------------------------------------------- */
/* Helpers (inline, for modules)                                                            */
/* ---------------------------------------------------------------------------------------- */

static inline const unsigned char* VistrelBufferBytes(const HostBuffer* buffer)
{
    return buffer->size <= VISTREL_HOST_BUFFER_INLINE ? buffer->data.bytes
                                                      : (const unsigned char*)buffer->data.pointer;
}

/* A text buffer holding a copy of the NUL-terminated text; an empty buffer when memory runs
 * out. Hand it to a host function (which consumes it) or free it with VistrelFreeBuffer. */
static inline HostBuffer VistrelMakeText(const char* text)
{
    HostBuffer buffer;
    size_t size = strlen(text) + 1;
    memset(&buffer, 0, sizeof buffer);
    if (size <= VISTREL_HOST_BUFFER_INLINE) {
        memcpy(buffer.data.bytes, text, size);
    } else {
        buffer.data.pointer = malloc(size);
        if (!buffer.data.pointer)
            return buffer;
        memcpy(buffer.data.pointer, text, size);
    }
    buffer.size = size;
    return buffer;
}

/* The text of a buffer that a host function filled: up to its first NUL and never past its
 * size, copied into out (outSize bytes, always NUL-terminated). Returns the text's length. */
static inline size_t VistrelCopyText(const HostBuffer* buffer, char* out, size_t outSize)
{
    const unsigned char* bytes = VistrelBufferBytes(buffer);
    size_t length = 0;
    if (outSize == 0)
        return 0;
    while (bytes && length < buffer->size && bytes[length] != 0 && length + 1 < outSize) {
        out[length] = (char)bytes[length];
        ++length;
    }
    out[length] = 0;
    return length;
}

static inline void VistrelFreeBuffer(HostBuffer* buffer)
{
    if (buffer->size > VISTREL_HOST_BUFFER_INLINE)
        free(buffer->data.pointer);
    memset(buffer, 0, sizeof *buffer);
}

static inline void VistrelFreeBufferList(HostBufferList* list)
{
    uint64_t i;
    for (i = 0; i < list->count && list->items; ++i)
        VistrelFreeBuffer(&list->items[i]);
    free(list->items);
    memset(list, 0, sizeof *list);
}

static inline void VistrelFreeTagList(HostTagList* list)
{
    uint64_t i;
    for (i = 0; i < list->count && list->items; ++i)
        VistrelFreeBuffer(&list->items[i].value);
    free(list->items);
    memset(list, 0, sizeof *list);
}

static inline void VistrelFreeImage(HostImage* image)
{
    free(image->header);
    free(image->pixels);
    memset(image, 0, sizeof *image);
}

/* Looks a host function up by name through the lookup function. */
static inline VistrelHostProc VistrelLookUp(VistrelGetProcAddressFn getProcAddress, const char* name)
{
    return getProcAddress ? getProcAddress(VistrelMakeText(name)) : (VistrelHostProc)0;
}

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(HostBuffer) == 16, "HostBuffer is 16 bytes");
static_assert(sizeof(HostBufferList) == 16, "HostBufferList is 16 bytes");
static_assert(sizeof(HostTagRecord) == 32, "HostTagRecord is 32 bytes");
static_assert(offsetof(HostTagRecord, value) == 16, "HostTagRecord value at 16");
static_assert(sizeof(HostTagList) == 16, "HostTagList is 16 bytes");
static_assert(sizeof(HostMediumInfo) == 60, "HostMediumInfo is 60 bytes");
static_assert(offsetof(HostMediumInfo, shootingDate) == 44, "shooting date at 44");
static_assert(sizeof(HostImage) == 32, "HostImage is 32 bytes");
#else
_Static_assert(sizeof(HostBuffer) == 16, "HostBuffer is 16 bytes");
_Static_assert(sizeof(HostBufferList) == 16, "HostBufferList is 16 bytes");
_Static_assert(sizeof(HostTagRecord) == 32, "HostTagRecord is 32 bytes");
_Static_assert(sizeof(HostTagList) == 16, "HostTagList is 16 bytes");
_Static_assert(sizeof(HostMediumInfo) == 60, "HostMediumInfo is 60 bytes");
_Static_assert(sizeof(HostImage) == 32, "HostImage is 32 bytes");
#endif

#if defined(__cplusplus) && defined(QT_CORE_LIB)
#include <QByteArray>
#include <QEvent>

/* The copy-data event, for modules built with Qt. Check type() == VISTREL_COPY_DATA_EVENT and
 * static_cast: type information is not shared across module boundaries. */
class VistrelCopyDataEvent : public QEvent {
public:
    explicit VistrelCopyDataEvent(QByteArray text)
        : QEvent(static_cast<QEvent::Type>(VISTREL_COPY_DATA_EVENT)), m_text(static_cast<QByteArray&&>(text))
    {
    }
    /* UTF-8, without a terminating NUL. */
    const QByteArray& Text() const { return m_text; }

private:
    QByteArray m_text;
};
#endif

#endif /* VISTREL_SERVICE_H */

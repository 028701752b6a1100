#pragma once

/*
 * QWTIFF16: reads TIFF files with 16 bits per sample into 24-bit device-independent bitmaps.
 * Loaded at run time from System/QWTIFF16.so with dlopen; the program looks up all seventeen
 * functions below by name and refuses a module that lacks any of them.
 *
 * Every function returns a 16-bit result: QWTIFF16_OK (0) or one of the QWTIFF16_E_ codes.
 * No function prints, aborts or lets an exception out. The module keeps no state per file
 * outside the context the caller owns, so different contexts may be used on different threads
 * at the same time; one context is used by one thread at a time.
 *
 * A read fills the caller's buffer with a packed bitmap: a 40-byte bitmap-info header (size
 * 40, width, height, 1 plane, 24 bits, no compression, image size), then rows of blue, green,
 * red bytes padded to 4 bytes. A positive height means bottom-up rows (the plain reads), a
 * negative height top-down rows (the Ex reads with QWTIFF16_READ_TOP_DOWN). Samples are scaled
 * from 0..65535 to 0..255 with rounding; the file's Orientation tag is reported, never applied.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QWTIFF16_BUILD)
#define QWTIFF16_API __attribute__((visibility("default")))
#else
#define QWTIFF16_API
#endif

#define QWTIFF16_API_VERSION 1u

/* Results. */
#define QWTIFF16_OK 0
#define QWTIFF16_E_ARGUMENT 1        /* a null pointer, an unknown flag */
#define QWTIFF16_E_NOT_INITIALISED 2 /* Open before Init, or after the last Exit */
#define QWTIFF16_E_OPEN 3            /* the file cannot be opened or is no TIFF */
#define QWTIFF16_E_NOT_OPEN 4        /* the context is not open */
#define QWTIFF16_E_NOT_TARGET 5      /* a TIFF, but not one with 16-bit samples that this module reads */
#define QWTIFF16_E_TOO_LARGE 6       /* more pixels than QWTiff16LibInfo.maxPixels */
#define QWTIFF16_E_BUFFER 7          /* the buffer is smaller than the read needs */
#define QWTIFF16_E_DECODE 8          /* the pixel data is damaged (libtiff reported an error) */
#define QWTIFF16_E_MEMORY 9          /* out of memory */
#define QWTIFF16_E_MALFORMED 10      /* a directory lies outside the file or is inconsistent */
#define QWTIFF16_E_NOT_PARSED 11     /* a query before the matching Parse call */
#define QWTIFF16_E_NO_TAG 12         /* the directory has no such tag */
#define QWTIFF16_E_NO_EXIF 13        /* the file has no Exif directory */

/* Flags of the Ex reads. */
#define QWTIFF16_READ_TOP_DOWN 0x1u /* top-down rows and a negative header height */

/* QWTiff16TargetInfo.flags */
#define QWTIFF16_THUMBNAIL_EMBEDDED 0x1u /* the thumbnail is the file's own reduced image (IFD1) */

/* What the module is: filled by GetLibInfo. */
typedef struct QWTiff16LibInfo {
    uint32_t structSize;        /* sizeof(QWTiff16LibInfo) */
    uint32_t apiVersion;        /* QWTIFF16_API_VERSION */
    uint32_t maxPixels;         /* largest picture (width x height) the module reads */
    uint32_t thumbnailBoxWidth; /* a thumbnail made from the picture fits this box */
    uint32_t thumbnailBoxHeight;
    uint32_t reserved;       /* 0 */
    char name[40];           /* "QWTIFF16", NUL-terminated */
    char decoderVersion[64]; /* the first line of the TIFF decoder's version text */
} QWTiff16LibInfo;

/* One open file. The caller zeroes it before Open; only Close may be called when opened is 0. */
typedef struct QWTiff16Context {
    void* handle;                 /* the module's open file; NULL when not open */
    uint32_t opened;              /* 1 between a successful Open and Close */
    uint32_t reserved;            /* 0 */
    uint64_t imageBufferSize;     /* bytes ReadImage needs; 0 unless the file is a target */
    uint64_t thumbnailBufferSize; /* bytes ReadThumbnail needs; 0 unless the file is a target */
} QWTiff16Context;

/* What IsTarget reports about the file's first directory (the picture). */
typedef struct QWTiff16TargetInfo {
    uint32_t width; /* picture size in pixels, as stored */
    uint32_t height;
    uint32_t thumbnailWidth; /* size of what ReadThumbnail returns, as stored */
    uint32_t thumbnailHeight;
    uint16_t bitsPerSample; /* 16 for a target */
    uint16_t samplesPerPixel;
    uint16_t photometric;  /* 0 white is zero, 1 black is zero, 2 RGB */
    uint16_t planarConfig; /* 1 interleaved, 2 planes */
    uint16_t compression;
    uint16_t orientation; /* the Orientation tag (1 to 8) as stored; 1 when absent */
    uint32_t flags;       /* QWTIFF16_THUMBNAIL_EMBEDDED */
    uint32_t reserved[4]; /* 0 */
} QWTiff16TargetInfo;

/* Type, count and byte size of one directory entry. */
typedef struct QWTiff16TagInfo {
    uint16_t tag;
    uint16_t type; /* TIFF field type: 1 BYTE ... 12 DOUBLE, 13 IFD */
    uint32_t count;
    uint64_t byteSize; /* type size x count: the buffer a QueryHeader call needs */
} QWTiff16TagInfo;

#ifdef __cplusplus
static_assert(sizeof(QWTiff16LibInfo) == 128, "QWTiff16LibInfo layout");
static_assert(offsetof(QWTiff16LibInfo, name) == 24, "QWTiff16LibInfo layout");
static_assert(offsetof(QWTiff16LibInfo, decoderVersion) == 64, "QWTiff16LibInfo layout");
static_assert(sizeof(QWTiff16Context) == 32, "QWTiff16Context layout");
static_assert(offsetof(QWTiff16Context, opened) == 8, "QWTiff16Context layout");
static_assert(offsetof(QWTiff16Context, imageBufferSize) == 16, "QWTiff16Context layout");
static_assert(offsetof(QWTiff16Context, thumbnailBufferSize) == 24, "QWTiff16Context layout");
static_assert(sizeof(QWTiff16TargetInfo) == 48, "QWTiff16TargetInfo layout");
static_assert(offsetof(QWTiff16TargetInfo, bitsPerSample) == 16, "QWTiff16TargetInfo layout");
static_assert(offsetof(QWTiff16TargetInfo, flags) == 28, "QWTiff16TargetInfo layout");
static_assert(sizeof(QWTiff16TagInfo) == 16, "QWTiff16TagInfo layout");
static_assert(offsetof(QWTiff16TagInfo, byteSize) == 8, "QWTiff16TagInfo layout");
#else
_Static_assert(sizeof(QWTiff16LibInfo) == 128, "QWTiff16LibInfo layout");
_Static_assert(sizeof(QWTiff16Context) == 32, "QWTiff16Context layout");
_Static_assert(sizeof(QWTiff16TargetInfo) == 48, "QWTiff16TargetInfo layout");
_Static_assert(sizeof(QWTiff16TagInfo) == 16, "QWTiff16TagInfo layout");
#endif

/* Lifetime. Init and Exit count: the module is usable from the first Init until the Exit
   that balances it. */
/* [any thread] */
QWTIFF16_API uint16_t QWTiff16Init(void);
/* [any thread] [contexts still open stay valid and must still be closed] */
QWTIFF16_API uint16_t QWTiff16Exit(void);
/* [any thread] [info owned by the caller] */
QWTIFF16_API uint16_t QWTiff16GetLibInfo(QWTiff16LibInfo* info);

/* Files. */
/* [one thread per context] picture size of the first directory of any TIFF, 16-bit or not */
QWTIFF16_API uint16_t QWTiff16GetSize(QWTiff16Context* context, uint32_t* width, uint32_t* height);
/* [one thread per context] [path UTF-8; context owned by the caller, released by Close] */
QWTIFF16_API uint16_t QWTiff16Open(const char* path, QWTiff16Context* context);
/* [one thread per context] frees the module's handle; E_NOT_OPEN when the context is not open */
QWTIFF16_API uint16_t QWTiff16Close(QWTiff16Context* context);
/* [one thread per context] 0 for a 16-bit TIFF this module reads; also sets the buffer sizes */
QWTIFF16_API uint16_t QWTiff16IsTarget(QWTiff16Context* context, QWTiff16TargetInfo* info);

/* Pixels. The buffer belongs to the caller and holds at least the context's buffer size. */
/* [one thread per context] [buffer owned by the caller] bottom-up rows */
QWTIFF16_API uint16_t QWTiff16ReadImage(QWTiff16Context* context, void* buffer, uint64_t size);
/* [one thread per context] [buffer owned by the caller] flags: QWTIFF16_READ_ */
QWTIFF16_API uint16_t QWTiff16ReadImageEx(QWTiff16Context* context, void* buffer, uint64_t size,
                                          uint32_t flags);
/* [one thread per context] [buffer owned by the caller] the file's reduced image (IFD1) when
   it has one this module reads, otherwise the picture reduced by averaging to fit the
   thumbnail box (never enlarged); bottom-up rows */
QWTIFF16_API uint16_t QWTiff16ReadThumbnail(QWTiff16Context* context, void* buffer, uint64_t size);
/* [one thread per context] [buffer owned by the caller] flags: QWTIFF16_READ_ */
QWTIFF16_API uint16_t QWTiff16ReadThumbnailEx(QWTiff16Context* context, void* buffer, uint64_t size,
                                              uint32_t flags);

/* Tags. Parse reads a directory's entries (classic TIFF only); the queries then answer from
   them. Values are copied in machine byte order, element by element. */
/* [one thread per context] the first directory */
QWTIFF16_API uint16_t QWTiff16ParseHeader(QWTiff16Context* context);
/* [one thread per context] the Exif directory: the one tag 0xC4F9 points to, else 0x8769 */
QWTIFF16_API uint16_t QWTiff16ParseExifHeader(QWTiff16Context* context);
/* [one thread per context] [info owned by the caller] */
QWTIFF16_API uint16_t QWTiff16QueryHeaderType(QWTiff16Context* context, uint16_t tag, QWTiff16TagInfo* info);
/* [one thread per context] [buffer owned by the caller; E_BUFFER when below the byte size] */
QWTIFF16_API uint16_t QWTiff16QueryHeader(QWTiff16Context* context, uint16_t tag, void* buffer,
                                          uint64_t size);
/* [one thread per context] [info owned by the caller] */
QWTIFF16_API uint16_t QWTiff16QueryExifHeaderType(QWTiff16Context* context, uint16_t tag,
                                                  QWTiff16TagInfo* info);
/* [one thread per context] [buffer owned by the caller; E_BUFFER when below the byte size] */
QWTIFF16_API uint16_t QWTiff16QueryExifHeader(QWTiff16Context* context, uint16_t tag, void* buffer,
                                              uint64_t size);

/* The same functions as pointer types, for the program's run-time lookup. */
typedef uint16_t (*QWTiff16InitFn)(void);
typedef uint16_t (*QWTiff16ExitFn)(void);
typedef uint16_t (*QWTiff16GetLibInfoFn)(QWTiff16LibInfo*);
typedef uint16_t (*QWTiff16GetSizeFn)(QWTiff16Context*, uint32_t*, uint32_t*);
typedef uint16_t (*QWTiff16OpenFn)(const char*, QWTiff16Context*);
typedef uint16_t (*QWTiff16CloseFn)(QWTiff16Context*);
typedef uint16_t (*QWTiff16IsTargetFn)(QWTiff16Context*, QWTiff16TargetInfo*);
typedef uint16_t (*QWTiff16ReadImageFn)(QWTiff16Context*, void*, uint64_t);
typedef uint16_t (*QWTiff16ReadImageExFn)(QWTiff16Context*, void*, uint64_t, uint32_t);
typedef uint16_t (*QWTiff16ReadThumbnailFn)(QWTiff16Context*, void*, uint64_t);
typedef uint16_t (*QWTiff16ReadThumbnailExFn)(QWTiff16Context*, void*, uint64_t, uint32_t);
typedef uint16_t (*QWTiff16ParseHeaderFn)(QWTiff16Context*);
typedef uint16_t (*QWTiff16ParseExifHeaderFn)(QWTiff16Context*);
typedef uint16_t (*QWTiff16QueryHeaderTypeFn)(QWTiff16Context*, uint16_t, QWTiff16TagInfo*);
typedef uint16_t (*QWTiff16QueryHeaderFn)(QWTiff16Context*, uint16_t, void*, uint64_t);
typedef uint16_t (*QWTiff16QueryExifHeaderTypeFn)(QWTiff16Context*, uint16_t, QWTiff16TagInfo*);
typedef uint16_t (*QWTiff16QueryExifHeaderFn)(QWTiff16Context*, uint16_t, void*, uint64_t);

#ifdef __cplusplus
}
#endif

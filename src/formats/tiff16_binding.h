#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "tiff16/qwtiff16.h"

class DibImage;

// The 16-bit TIFF module (System/QWTIFF16.so) as the program uses it: loaded at run time,
// checked for all seventeen entry points, initialised once, and asked per file to open, say
// whether the file is a 16-bit TIFF, read the picture or thumbnail and close.

// Where the module lies, relative to the program folder.
inline constexpr const char* kTiff16ModulePath = "System/QWTIFF16.so";

// Error codes of a binding (Tiff16Library::ErrorCode); 0 means usable.
inline constexpr int kTiff16ModuleMissing = 1; // the shared object cannot be loaded
inline constexpr int kTiff16ExportMissing = 2; // one of the seventeen entry points is absent
inline constexpr int kTiff16LibInfoFailed = 3; // GetLibInfo refused after a successful Init
inline constexpr int kTiff16InitFailed = -1;   // Init returned non-zero

// The module's entry points, in the order they are looked up.
struct Tiff16Exports {
    QWTiff16InitFn init = nullptr;
    QWTiff16ExitFn exit = nullptr;
    QWTiff16GetLibInfoFn getLibInfo = nullptr;
    QWTiff16GetSizeFn getSize = nullptr;
    QWTiff16OpenFn open = nullptr;
    QWTiff16CloseFn close = nullptr;
    QWTiff16IsTargetFn isTarget = nullptr;
    QWTiff16ReadImageFn readImage = nullptr;
    QWTiff16ReadImageExFn readImageEx = nullptr;
    QWTiff16ReadThumbnailFn readThumbnail = nullptr;
    QWTiff16ReadThumbnailExFn readThumbnailEx = nullptr;
    QWTiff16ParseHeaderFn parseHeader = nullptr;
    QWTiff16ParseExifHeaderFn parseExifHeader = nullptr;
    QWTiff16QueryHeaderTypeFn queryHeaderType = nullptr;
    QWTiff16QueryHeaderFn queryHeader = nullptr;
    QWTiff16QueryExifHeaderTypeFn queryExifHeaderType = nullptr;
    QWTiff16QueryExifHeaderFn queryExifHeader = nullptr;
};

// One loaded module. The constructor never throws: it records why the module is unusable in
// ErrorCode(). The per-file calls are const and open their own context, so one library serves
// the thumbnail worker and the main thread at the same time.
class Tiff16Library {
public:
    // dlopen (RTLD_NOW | RTLD_LOCAL), every export by name, then Init and GetLibInfo.
    explicit Tiff16Library(const std::string& modulePath);
    // Exit when Init succeeded, then dlclose.
    ~Tiff16Library();
    Tiff16Library(const Tiff16Library&) = delete;
    Tiff16Library& operator=(const Tiff16Library&) = delete;

    int ErrorCode() const { return m_error; }
    bool IsUsable() const { return m_error == 0; }
    // What the loader said when loading failed; empty otherwise.
    const std::string& ErrorText() const { return m_errorText; }
    const Tiff16Exports& Exports() const { return m_exports; }
    const QWTiff16LibInfo& LibInfo() const { return m_libInfo; }

    // True when the module opens the file and takes it for a 16-bit TIFF; any failure is false.
    // `info`, when given, receives what IsTarget reported.
    bool IsTiff16(const std::string& path, QWTiff16TargetInfo* info = nullptr) const;
    // The picture and the thumbnail as 24-bit images, as stored (the orientation is not
    // applied). Throw MediaError: -5000 the file cannot be opened or is no 16-bit TIFF, -5001
    // damaged data or a result that does not match the module's own sizes, -1 out of memory
    // or above kMaxPicturePixels; the image is then empty.
    void ReadImage(const std::string& path, DibImage& image) const;
    void ReadThumbnail(const std::string& path, DibImage& image) const;

private:
    struct ModuleCloser {
        void operator()(void* module) const;
    };

    void Read(const std::string& path, DibImage& image, bool thumbnail) const;

    std::unique_ptr<void, ModuleCloser> m_module;
    Tiff16Exports m_exports;
    QWTiff16LibInfo m_libInfo{};
    int m_error = 0;
    std::string m_errorText;
    bool m_initialised = false;
};

// The binding the TIFF handler shares: created on the first file that needs it and kept until
// the cache is destroyed. A library that cannot be used is not kept, so the next file tries
// again (the module may have been installed meanwhile). Safe on any thread.
class Tiff16LibraryCache {
public:
    using PathSource = std::function<std::string()>;
    explicit Tiff16LibraryCache(PathSource modulePath);

    // The usable library, loading it when none is kept. Throws MediaError{-5000} when the
    // module cannot be used. The shared pointer keeps the module loaded while the caller
    // uses it.
    std::shared_ptr<const Tiff16Library> Acquire();
    bool IsLoaded() const;

private:
    PathSource m_modulePath;
    // Guards m_library. Held while loading, so two threads never load the module twice.
    mutable std::mutex m_mutex;
    std::shared_ptr<const Tiff16Library> m_library;
};

// The program's cache, loading ResolveProgramPath(kTiff16ModulePath); the module stays
// loaded until the program exits.
Tiff16LibraryCache& ProgramTiff16Library();

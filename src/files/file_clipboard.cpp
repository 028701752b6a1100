#include "files/file_clipboard.h"

#include <set>

#include <QByteArrayList>
#include <QMimeData>
#include <QUrl>

#include "library/media_item.h"

namespace {

constexpr char kUriListFormat[] = "text/uri-list";
constexpr char kGnomeFormat[] = "x-special/gnome-copied-files";
constexpr char kKdeCutFormat[] = "application/x-kde-cutselection";
// Plain text under either name: Wayland sources announce the charset in the type.
constexpr const char* kTextFormats[] = {"text/plain", "text/plain;charset=utf-8"};
// Older GTK file managers put this header line and a verb line before URIs in plain text.
constexpr char kOldGtkTextHeader[] = "x-special/nautilus-clipboard";

constexpr Qt::DropActions kSystemEffects = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// The lines of a payload with a CR before each LF removed, so that LF and CR LF producers read
// alike; empty lines stay (they are dropped where entries are read).
QByteArrayList Lines(const QByteArray& data)
{
    QByteArrayList lines = data.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// "cut" or "copy" of a verb line; nullopt for anything else.
std::optional<bool> CutVerb(const QByteArray& line)
{
    if (line == "cut")
        return true;
    if (line == "copy")
        return false;
    return std::nullopt;
}

// The local path of a file:// URI, or nullopt when it names something else: another host, another
// scheme, a query or fragment (a literal '?' or '#' in a name arrives encoded), an encoded '/' that
// would change which folder is meant, or bytes that are not UTF-8.
std::optional<std::string> LocalPathOfUri(const QByteArray& text)
{
    const QUrl url = QUrl::fromEncoded(text);
    if (!url.isValid() || url.scheme().compare(u"file", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty() || url.port() != -1)
        return std::nullopt;
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    if (encoded.contains("%2F") || encoded.contains("%2f"))
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    if (!bytes.isValidUtf8())
        return std::nullopt;
    return bytes.toStdString();
}

// One entry of a list: a file:// URI, or in plain text also a bare path.
std::optional<std::string> EntryPath(const QByteArray& line, bool barePathsAllowed)
{
    std::optional<std::string> path;
    if (line.size() >= 5 && line.first(5).compare("file:", Qt::CaseInsensitive) == 0)
        path = LocalPathOfUri(line);
    else if (barePathsAllowed && line.isValidUtf8())
        path = line.toStdString();
    if (path && !IsAcceptablePastePath(*path))
        path.reset();
    return path;
}

// The entries of one format, split into accepted paths (duplicates removed) and refused entries.
// Empty lines separate nothing and are skipped; so are uri-list comments.
ClipboardFiles ReadEntries(std::span<const QByteArray> lines, bool barePathsAllowed, bool comments)
{
    ClipboardFiles files;
    std::set<std::string> seen;
    for (const QByteArray& line : lines) {
        if (line.isEmpty() || (comments && line.startsWith('#')))
            continue;
        if (std::optional<std::string> path = EntryPath(line, barePathsAllowed)) {
            if (seen.insert(*path).second)
                files.paths.push_back(std::move(*path));
        } else {
            files.rejected.push_back(line.toStdString());
        }
    }
    return files;
}

std::optional<QByteArray> TextOf(const QMimeData& mime)
{
    for (const char* format : kTextFormats) {
        if (mime.hasFormat(QString::fromLatin1(format)))
            return mime.data(QString::fromLatin1(format));
    }
    return std::nullopt;
}

} // namespace

QMimeData* MakeFileMimeData(const std::vector<std::string>& paths, bool cut)
{
    QByteArray uriList;
    QByteArray gnome = cut ? "cut" : "copy";
    QByteArray text;
    for (size_t i = 0; i < paths.size(); ++i) {
        const QByteArray uri = QUrl::fromLocalFile(QString::fromStdString(paths[i])).toEncoded();
        uriList += uri + "\r\n";
        gnome += '\n' + uri;
        if (i > 0)
            text += '\n';
        text += QByteArray::fromStdString(paths[i]);
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kUriListFormat), uriList);
    mime->setData(QString::fromLatin1(kGnomeFormat), gnome);
    mime->setData(QString::fromLatin1(kKdeCutFormat), cut ? "1" : "0");
    mime->setData(QString::fromLatin1(kTextFormats[0]), text);
    return mime;
}

std::optional<ClipboardFiles> ReadFileMimeData(const QMimeData& mime)
{
    // Each candidate is a list of entry lines, in the order the formats are trusted.
    struct Candidate {
        QByteArrayList lines;
        bool barePaths;
        bool comments;
    };
    std::vector<Candidate> candidates;
    std::optional<bool> cut;

    if (mime.hasFormat(QString::fromLatin1(kGnomeFormat))) {
        QByteArrayList lines = Lines(mime.data(QString::fromLatin1(kGnomeFormat)));
        // Without its verb line the payload is not one the file managers would read either.
        if (std::optional<bool> verb = CutVerb(lines.value(0))) {
            cut = verb;
            lines.removeFirst();
            candidates.push_back({std::move(lines), false, false});
        }
    }
    if (!cut && mime.hasFormat(QString::fromLatin1(kKdeCutFormat)))
        cut = mime.data(QString::fromLatin1(kKdeCutFormat)).startsWith('1');
    if (mime.hasFormat(QString::fromLatin1(kUriListFormat)))
        candidates.push_back({Lines(mime.data(QString::fromLatin1(kUriListFormat))), false, true});
    if (std::optional<QByteArray> text = TextOf(mime)) {
        QByteArrayList lines = Lines(*text);
        if (lines.size() >= 2 && lines[0] == kOldGtkTextHeader && CutVerb(lines[1])) {
            if (!cut)
                cut = CutVerb(lines[1]);
            lines.remove(0, 2);
        }
        candidates.push_back({std::move(lines), true, false});
    }

    for (const Candidate& candidate : candidates) {
        ClipboardFiles files = ReadEntries(candidate.lines, candidate.barePaths, candidate.comments);
        if (!files.paths.empty()) {
            files.cut = cut.value_or(false);
            return files;
        }
    }
    return std::nullopt;
}

bool IsAcceptablePastePath(const std::string& path)
{
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos)
        return false;
    const std::string_view last = std::string_view(path).substr(path.rfind('/') + 1);
    return !last.empty() && last != "." && last != "..";
}

Qt::DropActions DropEffects(Qt::DropActions targetAccepts, Qt::DropActions sourceOffers)
{
    Qt::DropActions effects = targetAccepts & sourceOffers & kSystemEffects;
    if (effects.testFlag(Qt::CopyAction) && effects.testFlag(Qt::MoveAction))
        effects.setFlag(Qt::CopyAction, false);
    return effects;
}

Qt::DropAction DropEffectAction(Qt::DropActions effects)
{
    for (const Qt::DropAction action : {Qt::MoveAction, Qt::CopyAction, Qt::LinkAction}) {
        if (effects.testFlag(action))
            return action;
    }
    return Qt::IgnoreAction;
}

std::vector<std::string> SelectedTransferList(std::span<const MediaItem> items)
{
    std::vector<std::string> list;
    std::vector<const MediaItem*> selected;
    for (const MediaItem& item : items) {
        if (item.selected && !item.hidden) {
            list.push_back(item.fullPath);
            selected.push_back(&item);
        }
    }
    for (const MediaItem* item : selected) {
        if (item->hasSoundMemo && !item->soundMemoPath.empty())
            list.push_back(item->soundMemoPath);
        if (item->hasRawCompanion && !item->rawCompanionPath.empty())
            list.push_back(item->rawCompanionPath);
    }
    return list;
}

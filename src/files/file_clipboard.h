#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include <Qt>

class QMimeData;
struct MediaItem;

// Files on the system clipboard and in drags, in the formats the desktop's file managers read
// and write, so that cut, copy and paste work both ways with them:
//   text/uri-list                   each file:// URI followed by CR LF (RFC 2483)
//   x-special/gnome-copied-files    "copy" or "cut", then "\n" and one URI per file, no final
//                                   newline (GTK file managers)
//   application/x-kde-cutselection  "1" after cut, "0" after copy (KDE reads only a leading "1"
//                                   as cut)
//   text/plain                      the plain paths, one per line, no final newline, as GTK file
//                                   managers put them: pasted into a terminal or a text field
//                                   they read as paths, and a single path does not run as a
//                                   command when pasted into a shell
// URIs are percent-encoded as QUrl::fromLocalFile gives them. Paths are UTF-8.

// A new payload for `paths` (full local paths, in order); `cut` marks it for a move on paste.
// The caller owns the result (QClipboard::setMimeData and QDrag::setMimeData take it over).
QMimeData* MakeFileMimeData(const std::vector<std::string>& paths, bool cut);

// Files found on the clipboard or in a drop.
struct ClipboardFiles {
    std::vector<std::string> paths; // local absolute paths, each once, in the order given
    bool cut = false;               // the source asks for a move
    // Entries of the format the paths came from that were refused (other hosts, other schemes,
    // relative paths, names "", "." or ".."), as given, so that the caller can say what was left.
    std::vector<std::string> rejected;
};

// Reads a payload written by this program or by another one. The cut flag comes from the GNOME
// verb line when that format is present, else from the KDE flag (or the verb line of an older
// GTK text payload). The paths come from the first of gnome-copied-files, uri-list and plain text
// (absolute paths or file:// URIs) that holds a usable one. Only local absolute paths whose last
// component is not empty, "." or ".." are accepted; duplicates are removed keeping the first.
// nullopt when nothing usable is there.
std::optional<ClipboardFiles> ReadFileMimeData(const QMimeData& mime);

// True when `path` may come from the clipboard or a drop: absolute, no NUL, and a last component
// that names an entry (not empty, "." or "..").
bool IsAcceptablePastePath(const std::string& path);

// The effects a drop may have: what the target accepts masked with what the source offers; when
// both copy and move remain, copy is removed, so a drop that may be either moves. Qt's action bits
// are the system's effect values (copy 1, move 2, link 4). The keyboard and the volumes involved
// play no part. Empty when the two have nothing in common.
Qt::DropActions DropEffects(Qt::DropActions targetAccepts, Qt::DropActions sourceOffers);

// The one action to report for a drop with these effects (a Qt drop event takes a single one):
// move when allowed, else copy, else link; IgnoreAction when none is.
Qt::DropAction DropEffectAction(Qt::DropActions effects);

// The files that cut, copy and a drag hand over: the selected entries in list order (entries
// hidden in period mode take no part), followed, for each of them in the same order, by its
// sound memo and its RAW companion when present, the same batch as copying to a folder. When
// the folder tree has the focus the caller hands over the current folder alone instead.
std::vector<std::string> SelectedTransferList(std::span<const MediaItem> items);

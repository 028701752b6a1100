#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QMimeData>
#include <QUrl>

#include "files/file_clipboard.h"
#include "library/media_item.h"

namespace {

using Paths = std::vector<std::string>;

// A literal with the NUL bytes inside it kept.
template <size_t N> QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

std::unique_ptr<QMimeData> Payload(const Paths& paths, bool cut)
{
    return std::unique_ptr<QMimeData>(MakeFileMimeData(paths, cut));
}

// A payload as another program's clipboard reaches us: each format's bytes exactly as written.
// (A plain QMimeData would turn a uri-list into QUrls and back, tidying away what is under test.)
class ForeignMimeData : public QMimeData {
public:
    void Add(const char* format, const QByteArray& bytes) { m_formats.emplace_back(format, bytes); }

    QStringList formats() const override
    {
        QStringList names;
        for (const auto& [format, bytes] : m_formats)
            names.append(format);
        return names;
    }
    bool hasFormat(const QString& format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString& format, QMetaType) const override
    {
        for (const auto& [name, bytes] : m_formats) {
            if (name == format)
                return bytes;
        }
        return {};
    }

private:
    std::vector<std::pair<QString, QByteArray>> m_formats;
};

std::unique_ptr<QMimeData> Foreign(std::initializer_list<std::pair<const char*, QByteArray>> formats)
{
    auto mime = std::make_unique<ForeignMimeData>();
    for (const auto& [format, bytes] : formats)
        mime->Add(format, bytes);
    return mime;
}

std::optional<ClipboardFiles> Read(std::initializer_list<std::pair<const char*, QByteArray>> formats)
{
    return ReadFileMimeData(*Foreign(formats));
}

// -- What we put on the clipboard -------------------------------------------------------------

TEST(FileClipboardPayload, CopyWritesTheFourFormatsByteForByte)
{
    const auto mime = Payload({"/home/u/DSC 0001.JPG", "/home/u/\xC3\x9C" "ber#1.WAV"}, false);

    QStringList formats = mime->formats();
    formats.sort();
    EXPECT_EQ(formats, QStringList({"application/x-kde-cutselection", "text/plain", "text/uri-list",
                                    "x-special/gnome-copied-files"}));
    EXPECT_EQ(mime->data("text/uri-list"),
              QByteArray("file:///home/u/DSC%200001.JPG\r\nfile:///home/u/%C3%9Cber%231.WAV\r\n"));
    EXPECT_EQ(mime->data("x-special/gnome-copied-files"),
              QByteArray("copy\nfile:///home/u/DSC%200001.JPG\nfile:///home/u/%C3%9Cber%231.WAV"));
    EXPECT_EQ(mime->data("application/x-kde-cutselection"), QByteArray("0"));
    EXPECT_EQ(mime->data("text/plain"), QByteArray("/home/u/DSC 0001.JPG\n/home/u/\xC3\x9C" "ber#1.WAV"));
}

TEST(FileClipboardPayload, CutMarksAllFormatsThatCarryTheFlag)
{
    const auto mime = Payload({"/media/card/DCIM/100_FUJI/DSCF0001.JPG"}, true);

    EXPECT_EQ(mime->data("x-special/gnome-copied-files"),
              QByteArray("cut\nfile:///media/card/DCIM/100_FUJI/DSCF0001.JPG"));
    EXPECT_EQ(mime->data("application/x-kde-cutselection"), QByteArray("1"));
    EXPECT_EQ(mime->data("text/uri-list"), QByteArray("file:///media/card/DCIM/100_FUJI/DSCF0001.JPG\r\n"));
    // One path, no newline: pasted into a shell it does not run.
    EXPECT_EQ(mime->data("text/plain"), QByteArray("/media/card/DCIM/100_FUJI/DSCF0001.JPG"));
}

TEST(FileClipboardPayload, QtReadsOurUriListAsTheSameFiles)
{
    const auto mime = Payload({"/a/b c.jpg", "/a/100%.jpg"}, false);
    const QList<QUrl> urls = mime->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[0].toLocalFile(), QString("/a/b c.jpg"));
    EXPECT_EQ(urls[1].toLocalFile(), QString("/a/100%.jpg"));
}

// -- Reading back what we wrote ---------------------------------------------------------------

TEST(FileClipboardRead, RoundTripKeepsAwkwardNamesAndTheFlag)
{
    const Paths paths = {
        "/home/u/with space.jpg", "/home/u/100%.jpg", "/home/u/a%2Fb.jpg", "/home/u/what?#.jpg",
        "/home/u/line\nbreak.jpg", "/home/u/\xE5\x86\x99\xE7\x9C\x9F.JPG", "/home/u/folder",
    };
    for (const bool cut : {false, true}) {
        const std::optional<ClipboardFiles> read = ReadFileMimeData(*Payload(paths, cut));
        ASSERT_TRUE(read) << cut;
        EXPECT_EQ(read->paths, paths);
        EXPECT_EQ(read->cut, cut);
        EXPECT_TRUE(read->rejected.empty());
    }
}

TEST(FileClipboardRead, EachOfOurFormatsAloneGivesTheSameFiles)
{
    const Paths paths = {"/p/one.jpg", "/p/two words.wav"};
    const auto ours = Payload(paths, true);
    for (const char* format : {"x-special/gnome-copied-files", "text/uri-list", "text/plain"}) {
        const std::optional<ClipboardFiles> read = Read({{format, ours->data(format)}});
        ASSERT_TRUE(read) << format;
        EXPECT_EQ(read->paths, paths) << format;
    }
}

// -- Payloads as other programs write them ------------------------------------------------------

TEST(FileClipboardRead, GnomeCopiedFilesWithOrWithoutFinalNewline)
{
    for (const QByteArray& bytes : {QByteArray("cut\nfile:///home/u/a.jpg\nfile:///home/u/b%20c.jpg"),
                                    QByteArray("cut\nfile:///home/u/a.jpg\nfile:///home/u/b%20c.jpg\n"),
                                    QByteArray("cut\r\nfile:///home/u/a.jpg\r\nfile:///home/u/b%20c.jpg\r\n")}) {
        const std::optional<ClipboardFiles> read = Read({{"x-special/gnome-copied-files", bytes}});
        ASSERT_TRUE(read) << bytes.toStdString();
        EXPECT_EQ(read->paths, Paths({"/home/u/a.jpg", "/home/u/b c.jpg"}));
        EXPECT_TRUE(read->cut);
    }
    const std::optional<ClipboardFiles> copy =
        Read({{"x-special/gnome-copied-files", "copy\nfile:///home/u/a.jpg\n"}});
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->cut);
}

TEST(FileClipboardRead, KdeCutFlagWithUriList)
{
    const QByteArray uris = "file:///home/u/a.jpg\r\nfile:///home/u/b.jpg\r\n";
    const std::optional<ClipboardFiles> cut = Read({{"text/uri-list", uris},
                                                    {"application/x-kde-cutselection", "1"},
                                                    {"text/plain", "file:///home/u/a.jpg\nfile:///home/u/b.jpg\n"}});
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->paths, Paths({"/home/u/a.jpg", "/home/u/b.jpg"}));
    EXPECT_TRUE(cut->cut);

    // A copy sets "0" or leaves the flag out; either is a copy.
    for (const char* flag : {"0", ""}) {
        const std::optional<ClipboardFiles> copy =
            Read({{"text/uri-list", uris}, {"application/x-kde-cutselection", flag}});
        ASSERT_TRUE(copy) << flag;
        EXPECT_FALSE(copy->cut) << flag;
    }
    const std::optional<ClipboardFiles> plain = Read({{"text/uri-list", uris}});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->cut);
}

TEST(FileClipboardRead, GnomeVerbDecidesOverTheKdeFlag)
{
    const std::optional<ClipboardFiles> read = Read({{"x-special/gnome-copied-files", "copy\nfile:///x/a.jpg"},
                                                     {"application/x-kde-cutselection", "1"}});
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->cut);
}

TEST(FileClipboardRead, GnomePayloadWithoutVerbIsIgnored)
{
    const std::optional<ClipboardFiles> read = Read({{"x-special/gnome-copied-files", "file:///x/wrong.jpg\n"},
                                                     {"text/uri-list", "file:///x/right.jpg\r\n"},
                                                     {"application/x-kde-cutselection", "1"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/x/right.jpg"}));
    EXPECT_TRUE(read->cut);
}

TEST(FileClipboardRead, PlainTextPathsAndUris)
{
    const std::optional<ClipboardFiles> read =
        Read({{"text/plain", "/home/u/a.jpg\nfile:///home/u/b%20c.jpg\n/home/u/d e.jpg"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/home/u/a.jpg", "/home/u/b c.jpg", "/home/u/d e.jpg"}));
    EXPECT_FALSE(read->cut);

    const std::optional<ClipboardFiles> wayland = Read({{"text/plain;charset=utf-8", "/home/u/a.jpg"}});
    ASSERT_TRUE(wayland);
    EXPECT_EQ(wayland->paths, Paths({"/home/u/a.jpg"}));
}

TEST(FileClipboardRead, OlderGtkTextPayloadCarriesItsVerb)
{
    const std::optional<ClipboardFiles> read =
        Read({{"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///home/u/a.jpg\n"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/home/u/a.jpg"}));
    EXPECT_TRUE(read->cut);
    EXPECT_TRUE(read->rejected.empty());

    // Beside a GNOME payload it is only a fallback for the paths.
    const std::optional<ClipboardFiles> both =
        Read({{"x-special/gnome-copied-files", "copy\nfile:///home/u/a.jpg"},
              {"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///home/u/a.jpg\n"}});
    ASSERT_TRUE(both);
    EXPECT_FALSE(both->cut);
}

TEST(FileClipboardRead, LocalhostUrisAndUriListCommentsAreFine)
{
    const std::optional<ClipboardFiles> read =
        Read({{"text/uri-list", "# from a browser\r\nfile://localhost/home/u/a.jpg\r\nFILE:///home/u/b.jpg\r\n"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/home/u/a.jpg", "/home/u/b.jpg"}));
    EXPECT_TRUE(read->rejected.empty());
}

TEST(FileClipboardRead, DuplicatesRemovedKeepingTheFirst)
{
    const std::optional<ClipboardFiles> read = Read(
        {{"text/uri-list", "file:///a/2.jpg\r\nfile:///a/1.jpg\r\nfile:///a/2.jpg\r\nfile:///a/%31.jpg\r\n"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/a/2.jpg", "/a/1.jpg"}));
}

// -- Hostile input --------------------------------------------------------------------------------

TEST(FileClipboardRead, RefusesEverythingThatIsNotALocalEntry)
{
    const std::vector<QByteArray> uriEntries = {
        "file://otherhost/home/u/a.jpg", "http://example.com/a.jpg", "sftp://host/a.jpg",
        "smb://server/share/a.jpg", "file:///home/u/..", "file:///home/u/.", "file:///home/u/",
        "file:///", "file:relative.jpg", "file:///home/u/a%00b.jpg", "file:///home/u/a%2F..",
        "file:///home/u/a%2fb.jpg", "file:///home/u/%FF.jpg", "file:///home/u/a.jpg?x=1",
        "file:///home/u/a.jpg#frag", "file://user@localhost/a.jpg", Bytes("file:///home/u/a\0b.jpg"),
        "/home/u/bare.jpg", "relative.jpg",
    };
    for (const QByteArray& entry : uriEntries) {
        for (const char* format : {"text/uri-list", "x-special/gnome-copied-files"}) {
            const QByteArray bytes = format[0] == 'x' ? "cut\n" + entry : entry + "\r\n";
            EXPECT_FALSE(Read({{format, bytes}})) << format << " " << entry.toStdString();
        }
    }
    const std::vector<QByteArray> textEntries = {
        "relative.jpg", "./a.jpg", "~/a.jpg", "/home/u/..", "/home/u/.", "/home/u/", "/",
        Bytes("/home/u/a\0b.jpg"), "/home/u/\xFF.jpg", "http://example.com/a.jpg",
        "file://otherhost/a.jpg", " /home/u/a.jpg",
    };
    for (const QByteArray& entry : textEntries)
        EXPECT_FALSE(Read({{"text/plain", entry}})) << entry.toStdString();
}

TEST(FileClipboardRead, KeepsTheGoodEntriesAndNamesTheRefusedOnes)
{
    const std::optional<ClipboardFiles> read = Read({{"text/uri-list",
                                                      "\r\nfile://otherhost/x\r\n\r\nfile:///a/good.jpg\r\n"
                                                      "http://example.com/a.jpg\r\nfile:///a/..\r\n\r\n"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/a/good.jpg"}));
    EXPECT_EQ(read->rejected, Paths({"file://otherhost/x", "http://example.com/a.jpg", "file:///a/.."}));
}

TEST(FileClipboardRead, FallsBackToTheNextFormatWhenOneHoldsNothingUsable)
{
    const std::optional<ClipboardFiles> read = Read({{"x-special/gnome-copied-files", "cut\nsftp://host/a.jpg"},
                                                     {"text/uri-list", "sftp://host/a.jpg\r\n"},
                                                     {"text/plain", "/mnt/host/a.jpg"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/mnt/host/a.jpg"}));
    EXPECT_TRUE(read->cut);
    EXPECT_TRUE(read->rejected.empty());
}

TEST(FileClipboardRead, NothingUsableGivesNothing)
{
    EXPECT_FALSE(ReadFileMimeData(QMimeData()));
    EXPECT_FALSE(Read({{"text/plain", "just some words"}}));
    EXPECT_FALSE(Read({{"text/plain", ""}}));
    EXPECT_FALSE(Read({{"text/uri-list", "\r\n\r\n"}}));
    EXPECT_FALSE(Read({{"x-special/gnome-copied-files", "copy"}}));
    EXPECT_FALSE(Read({{"application/x-kde-cutselection", "1"}}));
    EXPECT_FALSE(Read({{"image/png", "\x89PNG"}}));
}

TEST(FileClipboardPastePath, AcceptsOnlyAbsolutePathsNamingAnEntry)
{
    EXPECT_TRUE(IsAcceptablePastePath("/a"));
    EXPECT_TRUE(IsAcceptablePastePath("/home/u/..hidden"));
    EXPECT_TRUE(IsAcceptablePastePath("/home/u/...")); // an odd but ordinary name
    EXPECT_FALSE(IsAcceptablePastePath(""));
    EXPECT_FALSE(IsAcceptablePastePath("/"));
    EXPECT_FALSE(IsAcceptablePastePath("a/b"));
    EXPECT_FALSE(IsAcceptablePastePath("/a/"));
    EXPECT_FALSE(IsAcceptablePastePath("/a/."));
    EXPECT_FALSE(IsAcceptablePastePath("/a/.."));
    EXPECT_FALSE(IsAcceptablePastePath(std::string("/a\0b", 4)));
}

// -- The drop effect rule ----------------------------------------------------------------------

TEST(DropEffect, TargetMaskedWithSourceAndMovePreferredOverCopy)
{
    constexpr Qt::DropAction None = Qt::IgnoreAction;
    constexpr Qt::DropAction Copy = Qt::CopyAction;
    constexpr Qt::DropAction Move = Qt::MoveAction;
    constexpr Qt::DropAction Link = Qt::LinkAction;
    struct Row {
        Qt::DropActions target;
        Qt::DropActions source;
        Qt::DropActions effects;
        Qt::DropAction action;
    };
    const Row rows[] = {
        // target accepts   source offers       effects       action
        {Copy | Move,        Copy | Move,        Move,         Move},
        {Copy | Move | Link, Copy | Move | Link, Move | Link,  Move},
        {Copy | Move,        Copy | Move | Link, Move,         Move},
        {Copy | Move,        Copy,               Copy,         Copy},
        {Copy | Move,        Move,               Move,         Move},
        {Copy,               Copy | Move,        Copy,         Copy},
        {Move,               Copy | Move,        Move,         Move},
        {Copy | Link,        Copy | Move | Link, Copy | Link,  Copy},
        {Link,               Copy | Move | Link, Link,         Link},
        {Move,               Copy,               None,         None},
        {Copy | Move,        Link,               None,         None},
        {Copy | Move,        None,               None,         None},
        {None,               Copy | Move | Link, None,         None},
    };
    for (const Row& row : rows) {
        const Qt::DropActions effects = DropEffects(row.target, row.source);
        EXPECT_EQ(effects, row.effects) << row.target.toInt() << " & " << row.source.toInt();
        EXPECT_EQ(DropEffectAction(effects), row.action) << row.target.toInt() << " & " << row.source.toInt();
    }
}

TEST(DropEffect, OnlyTheThreeSystemEffectsCount)
{
    EXPECT_EQ(DropEffects(Qt::CopyAction | Qt::TargetMoveAction, Qt::CopyAction | Qt::TargetMoveAction),
              Qt::DropActions(Qt::MoveAction));
    EXPECT_EQ(DropEffects(Qt::ActionMask, Qt::ActionMask), Qt::MoveAction | Qt::LinkAction);
}

// -- What cut, copy and a drag hand over --------------------------------------------------------

MediaItem& AddItem(std::vector<MediaItem>& items, const std::string& path, bool selected)
{
    MediaItem& item = items.emplace_back();
    item.fullPath = path;
    item.selected = selected;
    return item;
}

TEST(FileClipboardTransferList, SelectedEntriesThenTheirCompanions)
{
    std::vector<MediaItem> items;
    MediaItem& a = AddItem(items, "/d/A.JPG", true);
    a.hasSoundMemo = true;
    a.soundMemoPath = "/d/A.WAV";
    MediaItem& b = AddItem(items, "/d/B.JPG", false);
    b.hasSoundMemo = true;
    b.soundMemoPath = "/d/B.WAV";
    AddItem(items, "/d/Sub", true);
    MediaItem& c = AddItem(items, "/d/C.RAF", true);
    c.hasSoundMemo = true;
    c.soundMemoPath = "/d/C.WAV";
    c.hasRawCompanion = true;
    c.rawCompanionPath = "/d/C.RAG";
    MediaItem& hidden = AddItem(items, "/d/H.JPG", true);
    hidden.hidden = true;
    hidden.hasSoundMemo = true;
    hidden.soundMemoPath = "/d/H.WAV";
    // A path left over without its flag is not a companion.
    MediaItem& stale = AddItem(items, "/d/S.JPG", true);
    stale.soundMemoPath = "/d/S.WAV";

    EXPECT_EQ(SelectedTransferList(items),
              Paths({"/d/A.JPG", "/d/Sub", "/d/C.RAF", "/d/S.JPG", "/d/A.WAV", "/d/C.WAV", "/d/C.RAG"}));
}

TEST(FileClipboardTransferList, NothingSelectedHandsOverNothing)
{
    std::vector<MediaItem> items;
    MediaItem& a = AddItem(items, "/d/A.JPG", false);
    a.hasSoundMemo = true;
    a.soundMemoPath = "/d/A.WAV";
    EXPECT_TRUE(SelectedTransferList(items).empty());
}

TEST(FileClipboardTransferList, CutOfAPictureWithMemoPutsBothNamesForAMove)
{
    std::vector<MediaItem> items;
    MediaItem& a = AddItem(items, "/d/DSCF0001.JPG", true);
    a.hasSoundMemo = true;
    a.soundMemoPath = "/d/DSCF0001.WAV";

    const std::optional<ClipboardFiles> read = ReadFileMimeData(*Payload(SelectedTransferList(items), true));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->paths, Paths({"/d/DSCF0001.JPG", "/d/DSCF0001.WAV"}));
    EXPECT_TRUE(read->cut);
}

} // namespace
